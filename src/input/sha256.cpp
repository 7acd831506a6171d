#include "input/sha256.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define VEXA_SHA_INSTRUCTIONS 1
#endif

namespace vexa {

namespace {

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotr(std::uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

void portableBlocks(std::uint32_t* state, const std::uint8_t* data, std::size_t count) {
  for (; count > 0; --count, data += 64) {
    std::uint32_t w[64];
    for (int t = 0; t < 16; ++t) {
      w[t] = std::uint32_t{data[4 * t]} << 24 | std::uint32_t{data[4 * t + 1]} << 16 |
             std::uint32_t{data[4 * t + 2]} << 8 | std::uint32_t{data[4 * t + 3]};
    }
    for (int t = 16; t < 64; ++t) {
      const std::uint32_t s0 = rotr(w[t - 15], 7) ^ rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
      const std::uint32_t s1 = rotr(w[t - 2], 17) ^ rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
      w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; ++t) {
      const std::uint32_t t1 =
          h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[t] + w[t];
      const std::uint32_t t2 =
          (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef VEXA_SHA_INSTRUCTIONS

// The rounds with the SHA extensions: the state as the registers (A,B,E,F)
// and (C,D,G,H), four rounds per group of four message words.
__attribute__((target("sha,sse4.1,ssse3"))) void instructionBlocks(std::uint32_t* state,
                                                                   const std::uint8_t* data,
                                                                   std::size_t count) {
  const __m128i byteOrder = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
  __m128i efgh =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; count > 0; --count, data += 64) {
    const __m128i abefBefore = abef;
    const __m128i cdghBefore = cdgh;
    __m128i words[4];
    for (int group = 0; group < 16; ++group) {
      __m128i& current = words[group % 4];
      if (group < 4) {
        current = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)), byteOrder);
      } else {
        const __m128i& previous = words[(group + 3) % 4];
        const __m128i sigma0 = _mm_sha256msg1_epu32(current, words[(group + 1) % 4]);
        const __m128i sum =
            _mm_add_epi32(sigma0, _mm_alignr_epi8(previous, words[(group + 2) % 4], 4));
        current = _mm_sha256msg2_epu32(sum, previous);
      }
      __m128i message = _mm_add_epi32(
          current, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * group)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

bool hasShaInstructions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_SSE4_1) == 0 || (c & bit_SSSE3) == 0) {
    return false;
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) {
    return false;
  }
  return (b & (1u << 29)) != 0;
}

#endif

}  // namespace

Sha256::BlockFunction Sha256::bestBlocks() {
#ifdef VEXA_SHA_INSTRUCTIONS
  static const BlockFunction chosen = hasShaInstructions() ? instructionBlocks : portableBlocks;
  return chosen;
#else
  return portableBlocks;
#endif
}

Sha256::Sha256(bool portable)
    : blocks_(portable ? portableBlocks : bestBlocks()), state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372,
                                                                0xa54ff53a, 0x510e527f, 0x9b05688c,
                                                                0x1f83d9ab, 0x5be0cd19} {}

void Sha256::blocks(const std::uint8_t* data, std::size_t count) {
  blocks_(state_, data, count);
}

void Sha256::update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  total_ += size;
  if (pendingSize_ > 0) {
    const std::size_t take = std::min(size, sizeof pending_ - pendingSize_);
    std::memcpy(pending_ + pendingSize_, bytes, take);
    pendingSize_ += take;
    bytes += take;
    size -= take;
    if (pendingSize_ < sizeof pending_) {
      return;
    }
    blocks(pending_, 1);
    pendingSize_ = 0;
  }
  if (size >= 64) {
    blocks(bytes, size / 64);
    bytes += size / 64 * 64;
    size %= 64;
  }
  std::memcpy(pending_, bytes, size);
  pendingSize_ = size;
}

std::array<std::uint8_t, 32> Sha256::finish() {
  const std::uint64_t bits = total_ * 8;
  std::uint8_t tail[72] = {0x80};
  const std::size_t padding = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
  for (int i = 0; i < 8; ++i) {
    tail[padding + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  }
  update(tail, padding + 8);
  std::array<std::uint8_t, 32> digest{};
  for (int i = 0; i < 8; ++i) {
    for (int k = 0; k < 4; ++k) {
      digest[static_cast<std::size_t>(4 * i + k)] =
          static_cast<std::uint8_t>(state_[i] >> (24 - 8 * k));
    }
  }
  return digest;
}

std::string Sha256::finishHex() {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : finish()) {
    text.push_back(kHex[byte >> 4]);
    text.push_back(kHex[byte & 15]);
  }
  return text;
}

std::string sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.update(bytes);
  return hash.finishHex();
}

}  // namespace vexa
