// The path of each photo's picture as the GEDCOM file writes it, by photo
// number, for the run only: the photo records keep just the stripped,
// lower-cased file name the pages use, and finding the picture on disk
// needs the folders too. The paths lie back to back in one block.
#ifndef KINLOOM_STORE_PICTURE_PATHS_H_
#define KINLOOM_STORE_PICTURE_PATHS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kinloom {

class PicturePaths {
 public:
  // Gives photo number its path (a later call for the same number
  // replaces it).
  void Set(std::int32_t number, std::string_view path) {
    if (number <= 0) return;
    const auto index = static_cast<std::size_t>(number);
    if (index >= spans_.size()) spans_.resize(index + 1);
    spans_[index] = {bytes_.size(), path.size()};
    bytes_.append(path);
  }
  // Empty for a photo that has none.
  [[nodiscard]] std::string_view Get(std::int32_t number) const {
    if (number <= 0 || static_cast<std::size_t>(number) >= spans_.size()) return {};
    const Span& span = spans_[static_cast<std::size_t>(number)];
    return std::string_view(bytes_).substr(span.offset, span.size);
  }
  void Clear() {
    spans_.clear();
    bytes_.clear();
  }

 private:
  struct Span {
    std::size_t offset = 0;
    std::size_t size = 0;
  };
  std::vector<Span> spans_;
  std::string bytes_;
};

}  // namespace kinloom

#endif  // KINLOOM_STORE_PICTURE_PATHS_H_
