// Helpers for tests on 8-bit texts. In failure messages bytes outside
// printable ASCII are shown as \xNN, so a wrong accent shows as a wrong
// number.
#ifndef KINLOOM_TESTS_TEXT_PRINTABLE_H_
#define KINLOOM_TESTS_TEXT_PRINTABLE_H_

#include <cstddef>
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

// Bytes written as "{XX}" in hex, for texts where a hex escape would run
// into the letter after it: Bytes("Ren{E2}e") is "Ren\xE2" "e".
inline std::string Bytes(std::string_view spelled) {
  std::string out;
  for (std::size_t i = 0; i < spelled.size(); ++i) {
    if (spelled[i] == '{' && i + 3 < spelled.size() && spelled[i + 3] == '}') {
      out += static_cast<char>(std::stoi(std::string(spelled.substr(i + 1, 2)), nullptr, 16));
      i += 3;
    } else {
      out += spelled[i];
    }
  }
  return out;
}

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_TEXT_PRINTABLE_H_
