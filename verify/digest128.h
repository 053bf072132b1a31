// A streaming 128-bit hash (MurmurHash3 x64 128, fed piece by piece): the
// same bytes give the same digest however they are split into pieces.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dravik::verify {

struct Hash128 {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const Hash128&) const = default;
};

class Digest128 {
public:
    void Update(const void* data, std::size_t size);
    // The bytes of a plain value (integers, hashes) as the machine holds them.
    template <typename T>
    void UpdateValue(const T& value) {
        Update(&value, sizeof value);
    }
    // The digest of everything fed so far; feeding may go on afterwards.
    Hash128 Finish() const;

private:
    void Block(const unsigned char* bytes);

    std::uint64_t h1_ = 0;
    std::uint64_t h2_ = 0;
    std::uint64_t total_ = 0;
    unsigned char tail_[16] = {};
    std::size_t tailSize_ = 0;
};

}  // namespace dravik::verify
