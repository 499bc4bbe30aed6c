// Little-endian fixed-width integers, byte by byte, independent of the
// machine's own byte order.
#ifndef KINLOOM_STORE_CODING_H_
#define KINLOOM_STORE_CODING_H_

#include <cstdint>

namespace kinloom {

inline void EncodeFixed32(unsigned char* dst, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  dst[0] = static_cast<unsigned char>(v);
  dst[1] = static_cast<unsigned char>(v >> 8);
  dst[2] = static_cast<unsigned char>(v >> 16);
  dst[3] = static_cast<unsigned char>(v >> 24);
}

inline std::int32_t DecodeFixed32(const unsigned char* src) {
  const std::uint32_t v =
      static_cast<std::uint32_t>(src[0]) | (static_cast<std::uint32_t>(src[1]) << 8) |
      (static_cast<std::uint32_t>(src[2]) << 16) | (static_cast<std::uint32_t>(src[3]) << 24);
  return static_cast<std::int32_t>(v);
}

inline void EncodeFixed64(unsigned char* dst, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) dst[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline std::uint64_t DecodeFixed64(const unsigned char* src) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | src[i];
  return value;
}

}  // namespace kinloom

#endif  // KINLOOM_STORE_CODING_H_
