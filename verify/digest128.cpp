#include "verify/digest128.h"

#include <cstring>
#include <stdexcept>

namespace dravik::verify {

namespace {

void StartSodium() {
    if (sodium_init() < 0) throw std::runtime_error("the cryptographic library could not be started");
}

Hash128 FromBytes(const unsigned char* bytes) {
    Hash128 hash;
    std::memcpy(&hash.low, bytes, sizeof hash.low);
    std::memcpy(&hash.high, bytes + sizeof hash.low, sizeof hash.high);
    return hash;
}

}  // namespace

DigestKey DigestKey::Fresh() {
    StartSodium();
    DigestKey key;
    randombytes_buf(key.pieces.data(), key.pieces.size());
    randombytes_buf(key.streams.data(), key.streams.size());
    return key;
}

Hash128 DigestPiece(const DigestKey& key, const void* data, std::size_t size) {
    static_assert(crypto_shorthash_siphashx24_BYTES == sizeof(Hash128));
    unsigned char bytes[sizeof(Hash128)];
    crypto_shorthash_siphashx24(bytes, static_cast<const unsigned char*>(data), size, key.pieces.data());
    return FromBytes(bytes);
}

Digest128::Digest128(const DigestKey& key) {
    StartSodium();
    crypto_generichash_init(&state_, key.streams.data(), key.streams.size(), sizeof(Hash128));
}

void Digest128::Update(const void* data, std::size_t size) {
    crypto_generichash_update(&state_, static_cast<const unsigned char*>(data), size);
}

Hash128 Digest128::Finish() const {
    crypto_generichash_state state = state_;
    unsigned char bytes[sizeof(Hash128)];
    crypto_generichash_final(&state, bytes, sizeof bytes);
    return FromBytes(bytes);
}

}  // namespace dravik::verify
