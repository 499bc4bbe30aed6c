// A 64-bit hash of a byte stream, the same whatever pieces the bytes come
// in: it tells whether a page's content differs from what a run wrote
// before. Not for adversaries: for telling page versions apart.
#ifndef KINLOOM_PUBLISH_CONTENT_HASH_H_
#define KINLOOM_PUBLISH_CONTENT_HASH_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/coding.h"

namespace kinloom {

class ContentHash {
 public:
  void Update(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    length_ += n;
    while (pending_size_ > 0 && pending_size_ < 8 && n > 0) {
      pending_ |= static_cast<std::uint64_t>(*p++) << (8 * pending_size_++);
      --n;
    }
    if (pending_size_ == 8) {
      Mix(pending_);
      pending_ = 0;
      pending_size_ = 0;
    }
    while (n >= 8) {
      Mix(DecodeFixed64(p));
      p += 8;
      n -= 8;
    }
    while (n > 0) {
      pending_ |= static_cast<std::uint64_t>(*p++) << (8 * pending_size_++);
      --n;
    }
  }

  std::uint64_t Value() const {
    std::uint64_t h = state_;
    if (pending_size_ > 0) h = Mixed(h, pending_);
    h ^= length_ * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return h;
  }

 private:
  static std::uint64_t Mixed(std::uint64_t h, std::uint64_t word) {
    h ^= word * 0x87C37B91114253D5ULL;
    h = (h << 31) | (h >> 33);
    return h * 0x4CF5AD432745937FULL + 0x52DCE729ULL;
  }
  void Mix(std::uint64_t word) { state_ = Mixed(state_, word); }

  std::uint64_t state_ = 0x6A09E667F3BCC908ULL;
  std::uint64_t pending_ = 0;
  int pending_size_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace kinloom

#endif  // KINLOOM_PUBLISH_CONTENT_HASH_H_
