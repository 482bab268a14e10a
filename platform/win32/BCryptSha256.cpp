#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/Sha256.h"

namespace corvane::platform {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash != nullptr) {
            BCryptDestroyHash(hash);
        }
        if (algorithm != nullptr) {
            BCryptCloseAlgorithmProvider(algorithm, 0);
        }
    }
};

namespace {

// BCrypt fails here only without memory or without its SHA-256 provider, after which no digest
// it gave could be trusted.
void Require(NTSTATUS status) {
    if (!BCRYPT_SUCCESS(status)) {
        std::abort();
    }
}

}  // namespace

Sha256::Sha256() : state(std::make_unique<State>()) {
    Require(BCryptOpenAlgorithmProvider(&state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    Require(BCryptCreateHash(state->algorithm, &state->hash, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() = default;

void Sha256::Add(std::span<const uint8_t> bytes) {
    // BCrypt counts in 32 bits.
    while (!bytes.empty()) {
        const size_t piece = std::min<size_t>(bytes.size(), std::numeric_limits<ULONG>::max());
        Require(BCryptHashData(state->hash, const_cast<PUCHAR>(bytes.data()),
                               static_cast<ULONG>(piece), 0));
        bytes = bytes.subspan(piece);
    }
}

std::array<uint8_t, 32> Sha256::Finish() {
    std::array<uint8_t, 32> digest{};
    Require(BCryptFinishHash(state->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    return digest;
}

}  // namespace corvane::platform
