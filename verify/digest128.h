// A keyed 128-bit digest: BLAKE2b (libsodium's crypto_generichash) under a
// 256-bit key, fed piece by piece: the same bytes give the same digest
// however they are split into pieces. Without the key nobody can choose
// bytes whose digests collide or add up to a chosen sum, so a comparison that
// draws its key fresh cannot be steered by the data it reads.
#pragma once

#include <sodium.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace dravik::verify {

struct Hash128 {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const Hash128&) const = default;
    // Addition modulo 2^128: a sum of digests does not depend on their order.
    Hash128& operator+=(const Hash128& other) {
        low += other.low;
        high += other.high + (low < other.low ? 1 : 0);
        return *this;
    }
};

struct DigestKey {
    std::array<unsigned char, crypto_generichash_KEYBYTES> bytes{};
    // A key drawn from the system's random source.
    static DigestKey Fresh();
};

class Digest128 {
public:
    explicit Digest128(const DigestKey& key);
    void Update(const void* data, std::size_t size);
    // The bytes of a plain value (integers, hashes) as the machine holds them.
    template <typename T>
    void UpdateValue(const T& value) {
        Update(&value, sizeof value);
    }
    // The digest of everything fed so far; feeding may go on afterwards.
    Hash128 Finish() const;

private:
    crypto_generichash_state state_;
};

}  // namespace dravik::verify
