#include "store/coding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kinloom {
namespace {

std::string Encoded(std::int32_t value) {
  unsigned char bytes[4];
  EncodeFixed32(bytes, value);
  return std::string(reinterpret_cast<const char*>(bytes), 4);
}

TEST(CodingTest, StoresLeastSignificantByteFirst) {
  EXPECT_EQ(Encoded(0x04030201), std::string("\x01\x02\x03\x04", 4));
}

TEST(CodingTest, KnownAnswersInBothDirections) {
  struct Case {
    std::int32_t value;
    std::string bytes;
  };
  const Case cases[] = {
      {0, std::string(4, '\0')},
      {1, std::string("\x01\x00\x00\x00", 4)},
      {255, std::string("\xff\x00\x00\x00", 4)},
      {256, std::string("\x00\x01\x00\x00", 4)},
      {-1, std::string("\xff\xff\xff\xff", 4)},
      {-2, std::string("\xfe\xff\xff\xff", 4)},
      {2147483647, std::string("\xff\xff\xff\x7f", 4)},
      {-2147483647 - 1, std::string("\x00\x00\x00\x80", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(Encoded(c.value), c.bytes);
    EXPECT_EQ(DecodeFixed32(reinterpret_cast<const unsigned char*>(c.bytes.data())), c.value);
  }
}

TEST(CodingTest, ReadsUnalignedPositions) {
  // Most integer fields of a packed record start at odd offsets.
  const unsigned char bytes[] = {0xaa, 0x78, 0x56, 0x34, 0x12, 0xbb};
  EXPECT_EQ(DecodeFixed32(bytes + 1), 0x12345678);
  unsigned char out[6] = {0xaa, 0, 0, 0, 0, 0xbb};
  EncodeFixed32(out + 1, 0x12345678);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 6),
            std::string(reinterpret_cast<const char*>(bytes), 6));
}

TEST(CodingTest, SixtyFourBitKnownAnswerAtAnUnalignedPosition) {
  const unsigned char bytes[] = {0xaa, 0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0xf1, 0xbb};
  EXPECT_EQ(DecodeFixed64(bytes + 1), 0xF123456789ABCDEFULL);
  unsigned char out[10] = {0xaa, 0, 0, 0, 0, 0, 0, 0, 0, 0xbb};
  EncodeFixed64(out + 1, 0xF123456789ABCDEFULL);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 10),
            std::string(reinterpret_cast<const char*>(bytes), 10));
}

}  // namespace
}  // namespace kinloom
