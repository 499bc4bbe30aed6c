#include "text/strings.h"

namespace kinloom {

int FindOccurrence(std::string_view text, std::string_view pattern, int n) {
  if (pattern.empty() || n < 1 || text.size() < pattern.size()) return -1;
  int count = 0;
  for (std::size_t j = 0; j + pattern.size() <= text.size(); ++j) {
    if (text.compare(j, pattern.size(), pattern) == 0 && ++count == n) {
      return static_cast<int>(j);
    }
  }
  return -1;
}

}  // namespace kinloom
