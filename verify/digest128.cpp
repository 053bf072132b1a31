#include "verify/digest128.h"

#include <cstring>
#include <stdexcept>

namespace dravik::verify {

namespace {

void StartSodium() {
    if (sodium_init() < 0) throw std::runtime_error("the cryptographic library could not be started");
}

}  // namespace

DigestKey DigestKey::Fresh() {
    StartSodium();
    DigestKey key;
    randombytes_buf(key.bytes.data(), key.bytes.size());
    return key;
}

Digest128::Digest128(const DigestKey& key) {
    StartSodium();
    crypto_generichash_init(&state_, key.bytes.data(), key.bytes.size(), sizeof(Hash128));
}

void Digest128::Update(const void* data, std::size_t size) {
    crypto_generichash_update(&state_, static_cast<const unsigned char*>(data), size);
}

Hash128 Digest128::Finish() const {
    crypto_generichash_state state = state_;
    unsigned char bytes[sizeof(Hash128)];
    crypto_generichash_final(&state, bytes, sizeof bytes);
    Hash128 hash;
    std::memcpy(&hash.low, bytes, sizeof hash.low);
    std::memcpy(&hash.high, bytes + sizeof hash.low, sizeof hash.high);
    return hash;
}

}  // namespace dravik::verify
