// The frame every page shares: file names, paths and links, the page head
// and foot, event lines, source footnotes and the display forms of names.
//
// Every page goes through the same steps: name it, create it at its
// PagePath (a file that cannot be created, written or closed makes the
// writer log its "Unable to create new ... file." line and return 6), write
// "<HTML>\n", "<HEAD>\n" and its title line, WriteBodyStart, its body,
// WritePageFoot, "</BODY>\n" and "</HTML>\n", and close it.
#ifndef KINLOOM_PAGES_FRAME_H_
#define KINLOOM_PAGES_FRAME_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "run/run.h"

namespace kinloom {

// A page or index file being written. Write errors are remembered, so that
// Close() reports a page that did not reach the disk whole.
class PageFile {
 public:
  PageFile() = default;
  ~PageFile();  // closes a file still open (its result is then lost)
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // Creates (truncates) the file; false when it cannot be created.
  bool Create(const std::string& path);
  void Write(std::string_view text);
  // Closes the file; false when any write or the close failed.
  bool Close();
  bool is_open() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// prefix + number padded with zeros to five digits + "." + EXTENSION
// ("fam", 12 -> "fam00012.htm"; 123456 -> "ind123456.htm").
std::string PageFileName(const Settings& settings, std::string_view prefix, std::int32_t number);
// "html/" [+ directory + "/" when SUBDIRS is "Y" and directory is not empty] + file.
std::string PagePath(const Settings& settings, std::string_view directory, std::string_view file);
// directory + "/" + file when SUBDIRS is "Y", else file alone.
std::string PageLink(const Settings& settings, std::string_view directory, std::string_view file);

// meta.htm, "</HEAD>\n", the BODY tag, header.htm.
void WriteBodyStart(Run& run, PageFile& page);
// Navigation bar, footer.htm, date and credit line. with_surnames_link is
// 'Y' or 'N'.
void WritePageFoot(Run& run, PageFile& page, char with_surnames_link, std::string_view up_prefix);
// "%7s: %-17s%s: %s %s \n"
void WriteEventLine(PageFile& page, std::string_view caption, std::string_view date,
                    std::string_view at_caption, std::string_view place, std::string_view mark);

// Footnote number (from 1) of source on the current page, adding it to the
// page's list at its first citation.
int SourceNumber(Run& run, std::int32_t source);
// The "SRC" anchor, the SOURCES heading and one line per cited source.
void WriteSourceList(Run& run, PageFile& page);

std::string UppercaseSurname(const Settings& settings, std::string_view text);
std::string FormatName(const Settings& settings, std::string_view name);
std::string ExtractSurname(const Settings& settings, std::string_view name);
std::string CoupleName(Run& run, std::int32_t husband, std::int32_t wife);

// The page's date text: run.fixed_page_date, or today's local date as
// "%d %B %Y" with English month names.
std::string PageDate(const Run& run);

}  // namespace kinloom

#endif  // KINLOOM_PAGES_FRAME_H_
