#include "gedcom/line_reader.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace kinloom {

namespace {

constexpr std::size_t kReadSize = 1 << 16;
constexpr char32_t kReplacement = 0xFFFD;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Nonzero when one of the eight bytes of word is 0.
std::uint64_t ZeroByteBits(std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; }

// Bytes before the first CR or LF in [begin, begin + n), n when there is
// none; high tells whether one of those bytes is 0x80 or above. Lines are
// short, so this looks at eight bytes at a time for both line ends at once
// rather than searching for each in turn.
std::size_t LineLength(const char* begin, std::size_t n, bool& high) {
  std::size_t i = 0;
  std::uint64_t seen = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, begin + i, sizeof word);
    const std::uint64_t ends =
        ZeroByteBits(word ^ (kOnes * '\n')) | ZeroByteBits(word ^ (kOnes * '\r'));
    if (ends == 0) {
      seen |= word;
      continue;
    }
    if constexpr (std::endian::native == std::endian::little) {
      // The lowest flagged byte is the first line end (a false flag only
      // ever stands above a true one); the bytes before it are the low ones.
      const int before = std::countr_zero(ends) / 8;
      if (before > 0) seen |= word & (~std::uint64_t{0} >> (64 - 8 * before));
      high = (seen & kHighBits) != 0;
      return i + static_cast<std::size_t>(before);
    }
    break;
  }
  high = (seen & kHighBits) != 0;
  for (; i < n; ++i) {
    const auto c = static_cast<unsigned char>(begin[i]);
    if (c == '\n' || c == '\r') break;
    if (c >= 0x80) high = true;
  }
  return i;
}

}  // namespace

GedcomLineReader::~GedcomLineReader() { Close(); }

void GedcomLineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  at_end_ = true;
  text_.clear();
  pos_ = 0;
}

bool GedcomLineReader::Open(const std::string& path) {
  Close();
  open_error_.clear();
  errno = 0;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    open_error_ = std::error_code(errno, std::generic_category());
    return false;
  }
  at_end_ = false;
  skip_lf_ = false;
  odd_byte_ = -1;
  high_surrogate_ = 0;
  encoding_ = FileEncoding::kBytes;

  raw_.resize(kReadSize);
  const std::size_t got = std::fread(raw_.data(), 1, raw_.size(), file_);
  if (got == 0 && std::ferror(file_)) {
    // A directory, say: it opens, but nothing can be read from it.
    open_error_ = std::error_code(errno, std::generic_category());
    Close();
    return false;
  }
  const unsigned char* bytes = raw_.data();
  std::size_t skip = 0;
  if (got >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    encoding_ = FileEncoding::kUtf8Mark;
    skip = 3;
  } else if (got >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    encoding_ = FileEncoding::kUtf16Le;
    skip = 2;
  } else if (got >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    encoding_ = FileEncoding::kUtf16Be;
    skip = 2;
  } else if (got >= 2 && bytes[0] == '0' && bytes[1] == 0) {
    encoding_ = FileEncoding::kUtf16Le;
  } else if (got >= 2 && bytes[0] == 0 && bytes[1] == '0') {
    encoding_ = FileEncoding::kUtf16Be;
  }
  if (encoding_ == FileEncoding::kUtf16Le || encoding_ == FileEncoding::kUtf16Be) {
    DecodeUtf16(bytes + skip, got - skip);
  } else {
    text_.append(reinterpret_cast<const char*>(bytes + skip), got - skip);
  }
  return true;
}

bool GedcomLineReader::Fill() {
  if (file_ == nullptr) return false;
  const std::size_t got = std::fread(raw_.data(), 1, raw_.size(), file_);
  if (got == 0) {
    // What a UTF-16 file leaves half-done at its end is not lost silently.
    if (odd_byte_ >= 0 || high_surrogate_ != 0) {
      AppendUtf8(kReplacement);
      odd_byte_ = -1;
      high_surrogate_ = 0;
      std::fclose(file_);
      file_ = nullptr;
      return true;
    }
    std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  if (encoding_ == FileEncoding::kUtf16Le || encoding_ == FileEncoding::kUtf16Be) {
    DecodeUtf16(raw_.data(), got);
  } else {
    text_.append(reinterpret_cast<const char*>(raw_.data()), got);
  }
  return true;
}

void GedcomLineReader::DecodeUtf16(const unsigned char* bytes, std::size_t size) {
  const bool little = encoding_ == FileEncoding::kUtf16Le;
  std::size_t i = 0;
  while (i < size) {
    unsigned first;
    unsigned second;
    if (odd_byte_ >= 0) {
      first = static_cast<unsigned>(odd_byte_);
      second = bytes[i];
      odd_byte_ = -1;
      i += 1;
    } else if (i + 1 < size) {
      first = bytes[i];
      second = bytes[i + 1];
      i += 2;
    } else {
      odd_byte_ = bytes[i];
      break;
    }
    const char32_t unit = little ? (second << 8 | first) : (first << 8 | second);
    if (high_surrogate_ != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendUtf8(0x10000 + ((high_surrogate_ - 0xD800) << 10) + (unit - 0xDC00));
        high_surrogate_ = 0;
        continue;
      }
      AppendUtf8(kReplacement);
      high_surrogate_ = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_surrogate_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      AppendUtf8(kReplacement);
    } else {
      AppendUtf8(unit);
    }
  }
}

void GedcomLineReader::AppendUtf8(char32_t code) {
  if (code < 0x80) {
    text_.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    text_.push_back(static_cast<char>(0xC0 | (code >> 6)));
    text_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    text_.push_back(static_cast<char>(0xE0 | (code >> 12)));
    text_.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    text_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    text_.push_back(static_cast<char>(0xF0 | (code >> 18)));
    text_.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    text_.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    text_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool GedcomLineReader::Next(std::string& line) {
  line.clear();
  line_ascii_ = true;
  bool started = false;
  for (;;) {
    if (pos_ >= text_.size()) {
      text_.clear();
      pos_ = 0;
      if (at_end_ || !Fill()) {
        at_end_ = true;
        return started;
      }
      continue;
    }
    if (skip_lf_) {
      skip_lf_ = false;
      if (text_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    started = true;
    const char* begin = text_.data() + pos_;
    const std::size_t left = text_.size() - pos_;
    bool high = false;
    const std::size_t length = LineLength(begin, left, high);
    if (high) line_ascii_ = false;
    if (length == left) {
      line.append(begin, left);
      pos_ = text_.size();
      continue;
    }
    const char* end = begin + length;
    line.append(begin, static_cast<std::size_t>(end - begin));
    pos_ += static_cast<std::size_t>(end - begin) + 1;
    if (*end == '\r') skip_lf_ = true;
    return true;
  }
}

}  // namespace kinloom
