#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>

namespace corvane::reply_text {

// The bytes of a zero-ended command, without the zero, as far as one write can take them.
inline std::span<const uint8_t> CommandBytes(const char* command) {
    const size_t length =
        std::min<size_t>(std::strlen(command), std::numeric_limits<uint16_t>::max());
    return {reinterpret_cast<const uint8_t*>(command), length};
}

// The reply text: up to its zero byte, or the whole buffer when it holds none.
inline std::string_view Text(std::span<const char> reply) {
    const void* end = std::memchr(reply.data(), 0, reply.size());
    return {reply.data(), end != nullptr
                              ? static_cast<size_t>(static_cast<const char*>(end) - reply.data())
                              : reply.size()};
}

inline bool Contains(std::span<const char> reply, std::string_view marker) {
    return Text(reply).find(marker) != std::string_view::npos;
}

// The module's success result, verbose or numeric, anywhere in the reply. Where an echo could
// hold a stray "OK", the caller asks for the verbose word with its line end.
inline bool SaysOk(std::span<const char> reply, std::string_view verbose = "OK") {
    return Contains(reply, verbose) || Contains(reply, "0");
}

// A reply that never comes reads as empty text.
inline void Clear(std::span<char> reply) {
    if (!reply.empty()) {
        reply[0] = 0;
    }
}

}  // namespace corvane::reply_text
