#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "link/ModuleLink.h"
#include "tests/support/FakePlatform.h"

namespace corvane::test {

// An open link over the fakes, closed again at the end of the test.
class OpenLinkTest : public testing::Test {
  protected:
    explicit OpenLinkTest(uint32_t startTick = 0) : fake(startTick) {}

    void SetUp() override {
        ASSERT_TRUE(link.Open("COM1:", 115200));
        fake.log.Clear();
    }
    void TearDown() override { link.Close(); }

    FakePlatform fake;
    ModuleLink link{fake.platform};
};

// A reply buffer with guard bytes behind it, to catch writes past its end.
template <size_t Size>
struct GuardedBuffer {
    static constexpr size_t GuardSize = 16;
    static constexpr char Guard = '#';

    GuardedBuffer() { storage.fill(Guard); }
    std::span<char> Span() { return std::span(storage).first(Size); }
    std::string Text() const { return std::string(storage.data(), strnlen(storage.data(), Size)); }
    // Whether every byte from `from` to the end of the storage still holds the guard value.
    bool UntouchedFrom(size_t from) const {
        for (size_t i = from; i < storage.size(); ++i) {
            if (storage[i] != Guard) {
                return false;
            }
        }
        return true;
    }

    std::array<char, Size + GuardSize> storage;
};

}  // namespace corvane::test
