// The pictures of the photo pages: found under the pictures folder from
// the paths the GEDCOM file writes, copied beside the photo pages under
// the names the pages use, and reported in the run log.
//
// Only files under the pictures folder are ever read (a GEDCOM file from
// someone else must not put its owner's other files into the public site),
// and only into the photo pages' folder of html/ are they copied. A picture
// is looked for, in this order: by its path as written (relative, or
// absolute and under the folder); by its last folders and name under the
// folder; by its name anywhere below the folder, regardless of case (one
// walk of the folder per run), preferring the file whose folders match the
// most trailing folders of the path.
//
// kinloom.pictures in the current directory lists the copies the runs made
// ("SIZE MTIME PATH" per line, after the line "kinloom pictures 1"): a file
// in html/ that differs from its picture is replaced only when it is such a
// copy, untouched since.
#ifndef KINLOOM_PAGES_PICTURES_H_
#define KINLOOM_PAGES_PICTURES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "run/run.h"

namespace kinloom {

// A picture's path as written, taken apart: drive letters, "file://" and
// UNC prefixes dropped, "\" and "/" both separators, empty and "." steps
// left out.
struct PicturePath {
  std::vector<std::string> steps;  // folders, then the name
  bool absolute = false;           // a drive, UNC share or leading separator
  // The steps after the last ".." (all when none): the only ones that may
  // be looked for under the folder.
  std::size_t first_usable = 0;
  // Why the path is never looked for (control characters, a device name,
  // a name too long), or empty.
  std::string refused;
};
[[nodiscard]] PicturePath ParsePicturePath(std::string_view written);

// True for a web address ("http://", "https://"), shown as a link.
[[nodiscard]] bool IsWebAddress(std::string_view written);
// The extensions of files that are copied, and of those a browser shows.
[[nodiscard]] bool IsCopiedExtension(std::string_view name);
[[nodiscard]] bool IsShownExtension(std::string_view name);
// name with "-N" before its extension ("img001.jpg", 2 -> "img001-2.jpg").
[[nodiscard]] std::string NumberedName(std::string_view name, int number);

// "<A HREF="ADDRESS">ADDRESS</A>", the address's quotes, ampersands and
// angle brackets as character references.
[[nodiscard]] std::string WebAddressLink(std::string_view address);

// Finds pictures under one folder.
class PictureFinder {
 public:
  explicit PictureFinder(std::string folder);

  [[nodiscard]] bool folder_exists() const { return !canonical_folder_.empty(); }
  // The folder as the settings give it (the report names it so).
  [[nodiscard]] const std::string& folder() const { return folder_; }

  struct Result {
    bool found = false;
    std::string source;    // the file to read (absolute, links resolved)
    std::string relative;  // under the folder, "/" between steps
    bool tie = false;      // more than one file matched equally well
    std::string refused;   // why the path was not looked for
  };
  // A path with letters beyond ASCII is also looked for in UTF-8 where
  // file names are UTF-8 (the pages' texts are Latin-1).
  [[nodiscard]] Result Find(std::string_view written);
  // Directory walks made so far (at most one).
  [[nodiscard]] int walks() const { return walks_; }

 private:
  struct Entry {
    std::string relative;
    std::string lower_name;
  };
  [[nodiscard]] Result FindAsGiven(std::string_view written);
  [[nodiscard]] bool Check(const std::vector<std::string>& steps, std::size_t from,
                           Result& result) const;
  [[nodiscard]] bool Inside(const std::string& canonical) const;
  void Walk();

  std::string folder_;
  std::string canonical_folder_;
  std::vector<std::string> excluded_;  // html/ and kinloom.tmp/, resolved
  int walks_ = 0;
  bool walked_ = false;
  std::vector<Entry> entries_;  // sorted by relative path
  std::unordered_map<std::string, std::vector<std::size_t>> by_name_;
};

// How a photo page shows its picture.
enum class PictureShow {
  kImage,       // <img src="NAME">, as always
  kLink,        // a link to the copied file, which browsers do not show
  kWebAddress,  // a link to the address as written
};

struct PagePicture {
  std::string name;  // the file name in the page's folder, or the address
  PictureShow show = PictureShow::kImage;
};

// The pictures of one run's photo pages.
class PicturePlan {
 public:
  // Finds, names and copies every photo's picture, and logs what was not
  // found. Called once by the photo phase, before its pages.
  void Prepare(Run& run);
  // How photo page number shows its picture.
  [[nodiscard]] const PagePicture& Of(std::int32_t photo) const;
  // Writes kinloom.pictures and the closing report line, once the pages
  // are on disk.
  void Finish(Run& run);

  struct Counts {
    long copied = 0;
    long in_place = 0;
    long not_found = 0;
  };
  [[nodiscard]] const Counts& counts() const { return counts_; }

 private:
  struct Copy {
    std::string source;
    std::string target;
  };
  void Place(Run& run, const std::string& written, const Copy& copy);
  void ReadRecord();

  std::vector<PagePicture> pictures_;  // by photo number
  PagePicture plain_;
  Counts counts_;
  bool any_ = false;
  // Copies made by earlier runs (path -> "SIZE MTIME"), and those this run
  // made or found as they were.
  std::unordered_map<std::string, std::string> record_;
  std::vector<std::string> ours_;
};

}  // namespace kinloom

#endif  // KINLOOM_PAGES_PICTURES_H_
