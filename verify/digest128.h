// Keyed 128-bit digests from libsodium, under a key no writer of the data
// knows: without it nobody can choose bytes whose digests collide or add up
// to a chosen sum, so a comparison that draws its key fresh cannot be
// steered by the data it reads. One piece of bytes that is at hand whole (a
// row) goes through SipHash-2-4 with 128-bit output, as fast as an unkeyed
// hash on the short input a row is; bytes that come piece by piece (a blob,
// a table's summary) through BLAKE2b under a 256-bit key, which gives the
// same digest however they are split into pieces.
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
    std::array<unsigned char, crypto_shorthash_siphashx24_KEYBYTES> pieces{};  // for DigestPiece
    std::array<unsigned char, crypto_generichash_KEYBYTES> streams{};         // for Digest128
    // Both keys drawn from the system's random source.
    static DigestKey Fresh();
    bool operator==(const DigestKey&) const = default;
};

// The digest of one piece of bytes.
Hash128 DigestPiece(const DigestKey& key, const void* data, std::size_t size);

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
