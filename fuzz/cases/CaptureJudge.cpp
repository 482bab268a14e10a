#include "fuzz/cases/CaptureJudge.h"

#include <algorithm>
#include <functional>
#include <string>

namespace corvane::fuzz {

ReplyBuffer::ReplyBuffer(size_t size) : bytes(std::make_unique<char[]>(size)), size(size) {
    std::fill_n(bytes.get(), size, Canary);
}

void ExpectCapture(std::span<const char> reply, size_t capacity, bool replied,
                   std::string_view readFromLine, Violations& violations) {
    if (reply.empty()) {
        return;
    }
    const size_t limit = std::max<size_t>(1, std::min(capacity, reply.size()));
    const auto end = std::find(reply.begin(), reply.begin() + limit, '\0');
    Expect(violations, end != reply.begin() + limit,
           "no zero byte within a capture's capacity of " + std::to_string(capacity));
    Expect(violations,
           std::all_of(reply.begin() + limit, reply.end(),
                       [](char c) { return c == ReplyBuffer::Canary; }),
           "a capture wrote past its capacity of " + std::to_string(capacity));
    Expect(violations, replied || reply[0] == 0, "no reply, yet the capture is not empty");
    const std::string_view text(reply.data(), static_cast<size_t>(end - reply.begin()));
    // Boyer-Moore: a long capture in a long line must not cost a quadratic search.
    const auto found = std::search(readFromLine.begin(), readFromLine.end(),
                                   std::boyer_moore_searcher(text.begin(), text.end()));
    Expect(violations, found != readFromLine.end() || text.empty(),
           "a capture holds bytes that were not read from the line");
}

}  // namespace corvane::fuzz
