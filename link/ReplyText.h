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

// Whether the reply text, up to its zero byte (or the end of the buffer), holds the marker.
inline bool Contains(std::span<const char> reply, std::string_view marker) {
    const void* end = std::memchr(reply.data(), 0, reply.size());
    const size_t length = end != nullptr
                              ? static_cast<size_t>(static_cast<const char*>(end) - reply.data())
                              : reply.size();
    return std::string_view(reply.data(), length).find(marker) != std::string_view::npos;
}

// A reply that never comes reads as empty text.
inline void Clear(std::span<char> reply) {
    if (!reply.empty()) {
        reply[0] = 0;
    }
}

}  // namespace corvane::reply_text
