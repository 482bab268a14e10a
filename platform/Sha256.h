#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace corvane::platform {

// SHA-256 of bytes given in pieces, computed by the system's cryptography (libcrypto on Linux,
// BCrypt on Windows) rather than by code of our own.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(std::span<const uint8_t> bytes);
    // The digest of everything added; the object takes no more bytes after it.
    std::array<uint8_t, 32> Finish();

  private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace corvane::platform
