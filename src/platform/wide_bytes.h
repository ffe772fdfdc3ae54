#pragma once
// Sixteen bytes at a time: the scanner and the exporter pass long stretches of
// plain bytes this way. GCC and Clang turn the operations on TWideBytes into
// vector instructions (SSE2 on x86-64, NEON on ARM).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace varnel {

inline constexpr std::size_t kWideBytes = 16;

using TWideBytes = unsigned char __attribute__((vector_size(kWideBytes)));
using TWideSignedBytes = signed char __attribute__((vector_size(kWideBytes)));

// Sixteen bytes from `p`, which need not be aligned.
inline TWideBytes LoadWide(const char* p) {
  TWideBytes bytes;
  std::memcpy(&bytes, p, kWideBytes);
  return bytes;
}

inline TWideBytes SplatWide(unsigned char byte) {
  TWideBytes bytes;
  for (std::size_t i = 0; i < kWideBytes; ++i) bytes[i] = byte;
  return bytes;
}

// Each byte 0xFF where the byte of `bytes` is 0x80 or more, else zero.
inline TWideBytes HighBytes(TWideBytes bytes) {
  return reinterpret_cast<TWideBytes>(reinterpret_cast<TWideSignedBytes>(bytes) < 0);
}

// The index of the first byte of `marks` that is not zero; kWideBytes for none.
inline std::size_t FirstMarked(TWideBytes marks) {
  std::uint64_t halves[2];
  std::memcpy(halves, &marks, kWideBytes);
  for (std::size_t half = 0; half < 2; ++half) {
    if (halves[half] == 0) continue;
    const int zeroBits = std::endian::native == std::endian::little ? std::countr_zero(halves[half])
                                                                     : std::countl_zero(halves[half]);
    return half * 8 + static_cast<std::size_t>(zeroBits) / 8;
  }
  return kWideBytes;
}

}  // namespace varnel
