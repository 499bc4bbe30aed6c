#include "text/dates.h"

#include <cstddef>
#include <string>

namespace kinloom {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameWord(std::string_view text, std::string_view upper_word) {
  if (text.size() != upper_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != upper_word[i]) return false;
  }
  return true;
}

// Reads a date text from left to right, one word or number at a time.
class DateScanner {
 public:
  explicit DateScanner(std::string_view date) : date_(date) {}

  std::optional<int> Latest() {
    while (at_ < date_.size()) {
      const char c = date_[at_];
      if (c == '(') {
        SkipPhrase();
      } else if (c == '@') {
        if (!ReadCalendarEscape()) return std::nullopt;
      } else if (IsDigit(c)) {
        ReadNumber();
      } else if (IsLetter(c)) {
        while (at_ < date_.size() && (IsLetter(date_[at_]) || IsDigit(date_[at_]))) ++at_;
      } else {
        ++at_;
      }
    }
    return latest_;
  }

 private:
  static constexpr std::size_t kMostDigits = 6;

  void SkipPhrase() {
    const std::size_t close = date_.find(')', at_);
    at_ = close == std::string_view::npos ? date_.size() : close + 1;
  }

  // "@#DJULIAN@" and the like: false for a calendar whose years are not
  // those of the Gregorian or Julian one.
  bool ReadCalendarEscape() {
    const std::size_t close = date_.find('@', at_ + 1);
    if (close == std::string_view::npos) {
      at_ = date_.size();
      return true;
    }
    std::string_view escape = date_.substr(at_ + 1, close - at_ - 1);
    at_ = close + 1;
    if (escape.size() < 2 || escape[0] != '#' || Upper(escape[1]) != 'D') return true;
    escape.remove_prefix(2);
    while (!escape.empty() && escape.back() == ' ') escape.remove_suffix(1);
    return SameWord(escape, "GREGORIAN") || SameWord(escape, "JULIAN");
  }

  // The digits from at_; false when letters follow them at once.
  bool Digits(std::size_t& begin, std::size_t& end) {
    begin = at_;
    while (at_ < date_.size() && IsDigit(date_[at_])) ++at_;
    end = at_;
    if (at_ < date_.size() && IsLetter(date_[at_])) {
      while (at_ < date_.size() && (IsLetter(date_[at_]) || IsDigit(date_[at_]))) ++at_;
      return false;
    }
    return true;
  }

  static long Value(std::string_view digits) {
    long value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
  }

  // Whether BC, B.C. or BCE follows, after blanks; moves past it if so.
  bool BeforeChrist() {
    std::size_t i = at_;
    while (i < date_.size() && date_[i] == ' ') ++i;
    std::string letters;
    std::size_t end = i;
    while (end < date_.size() && (IsLetter(date_[end]) || date_[end] == '.') &&
           letters.size() < 4) {
      if (date_[end] != '.') letters += Upper(date_[end]);
      ++end;
    }
    if (end < date_.size() && (IsLetter(date_[end]) || IsDigit(date_[end]))) return false;
    if (letters != "BC" && letters != "BCE") return false;
    at_ = end;
    return true;
  }

  void ReadNumber() {
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!Digits(begin, end)) return;
    const std::string_view digits = date_.substr(begin, end - begin);
    if (digits.size() > kMostDigits) return;
    long year = Value(digits);
    if (BeforeChrist()) {
      Take(-year);
      return;
    }
    if (digits.size() < 3) return;
    // A dual year: "1850/51" names 1850 and 1851, "1699/00" 1699 and 1700.
    if (at_ + 1 < date_.size() && date_[at_] == '/' && IsDigit(date_[at_ + 1])) {
      const std::size_t saved = at_;
      ++at_;
      std::size_t alt_begin = 0;
      std::size_t alt_end = 0;
      const bool plain = Digits(alt_begin, alt_end);
      const std::size_t width = alt_end - alt_begin;
      const bool more = at_ + 1 < date_.size() &&
                        (date_[at_] == '/' || date_[at_] == '-' || date_[at_] == '.') &&
                        IsDigit(date_[at_ + 1]);
      if (plain && !more && width <= 2 && width < digits.size()) {
        const long scale = width == 1 ? 10 : 100;
        long alternative = year - year % scale + Value(date_.substr(alt_begin, width));
        if (alternative < year) alternative += scale;
        Take(year);
        year = alternative;
      } else {
        at_ = saved;  // a numeric date such as 1850/3/12: the rest is read on its own
      }
    }
    Take(year);
  }

  void Take(long year) {
    if (!latest_ || year > *latest_) latest_ = static_cast<int>(year);
  }

  std::string_view date_;
  std::size_t at_ = 0;
  std::optional<int> latest_;
};

}  // namespace

std::optional<int> LatestYear(std::string_view date) { return DateScanner(date).Latest(); }

}  // namespace kinloom
