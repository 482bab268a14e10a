#include <openssl/evp.h>

#include <cstdlib>

#include "platform/Sha256.h"

namespace corvane::platform {

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

// libcrypto fails here only without memory or without its default provider, after which no
// digest it gave could be trusted.
static void Require(bool done) {
    if (!done) {
        std::abort();
    }
}

Sha256::Sha256() : state(std::make_unique<State>()) {
    Require(state->context != nullptr &&
            EVP_DigestInit_ex(state->context, EVP_sha256(), nullptr) == 1);
}

Sha256::~Sha256() = default;

void Sha256::Add(std::span<const uint8_t> bytes) {
    Require(EVP_DigestUpdate(state->context, bytes.data(), bytes.size()) == 1);
}

std::array<uint8_t, 32> Sha256::Finish() {
    std::array<uint8_t, 32> digest{};
    unsigned int length = 0;
    Require(EVP_DigestFinal_ex(state->context, digest.data(), &length) == 1 &&
            length == digest.size());
    return digest;
}

}  // namespace corvane::platform
