#include "verify/digest128.h"

#include <cstring>

namespace dravik::verify {

namespace {

constexpr std::uint64_t kC1 = 0x87c37b91114253d5ULL;
constexpr std::uint64_t kC2 = 0x4cf5ad432745937fULL;

constexpr std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

constexpr std::uint64_t Mix(std::uint64_t k) {
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdULL;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ULL;
    k ^= k >> 33;
    return k;
}

std::uint64_t LittleEndianWord(const unsigned char* bytes, std::size_t count) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < count; ++i) word |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return word;
}

}  // namespace

void Digest128::Block(const unsigned char* bytes) {
    std::uint64_t k1 = LittleEndianWord(bytes, 8);
    std::uint64_t k2 = LittleEndianWord(bytes + 8, 8);
    k1 *= kC1;
    k1 = Rotl(k1, 31);
    k1 *= kC2;
    h1_ ^= k1;
    h1_ = Rotl(h1_, 27);
    h1_ += h2_;
    h1_ = h1_ * 5 + 0x52dce729;
    k2 *= kC2;
    k2 = Rotl(k2, 33);
    k2 *= kC1;
    h2_ ^= k2;
    h2_ = Rotl(h2_, 31);
    h2_ += h1_;
    h2_ = h2_ * 5 + 0x38495ab5;
}

void Digest128::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    total_ += size;
    if (tailSize_ > 0) {
        const std::size_t take = size < 16 - tailSize_ ? size : 16 - tailSize_;
        std::memcpy(tail_ + tailSize_, bytes, take);
        tailSize_ += take;
        bytes += take;
        size -= take;
        if (tailSize_ < 16) return;
        Block(tail_);
        tailSize_ = 0;
    }
    for (; size >= 16; bytes += 16, size -= 16) Block(bytes);
    std::memcpy(tail_, bytes, size);
    tailSize_ = size;
}

Hash128 Digest128::Finish() const {
    std::uint64_t h1 = h1_;
    std::uint64_t h2 = h2_;
    if (tailSize_ > 8) {
        std::uint64_t k2 = LittleEndianWord(tail_ + 8, tailSize_ - 8);
        k2 *= kC2;
        k2 = Rotl(k2, 33);
        k2 *= kC1;
        h2 ^= k2;
    }
    if (tailSize_ > 0) {
        std::uint64_t k1 = LittleEndianWord(tail_, tailSize_ < 8 ? tailSize_ : 8);
        k1 *= kC1;
        k1 = Rotl(k1, 31);
        k1 *= kC2;
        h1 ^= k1;
    }
    h1 ^= total_;
    h2 ^= total_;
    h1 += h2;
    h2 += h1;
    h1 = Mix(h1);
    h2 = Mix(h2);
    h1 += h2;
    h2 += h1;
    return {h1, h2};
}

}  // namespace dravik::verify
