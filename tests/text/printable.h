// Failure messages for tests on 8-bit texts: bytes outside printable ASCII
// are shown as \xNN, so a wrong accent shows as a wrong number.
#ifndef KINLOOM_TESTS_TEXT_PRINTABLE_H_
#define KINLOOM_TESTS_TEXT_PRINTABLE_H_

#include <cstdio>
#include <string>
#include <string_view>

namespace kinloom::testing {

inline std::string Printable(std::string_view bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += ch;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_TEXT_PRINTABLE_H_
