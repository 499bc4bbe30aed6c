// The frame every page shares: file names, paths and links, the page head
// and foot, event lines, source footnotes and the display forms of names.
//
// Every page goes through the same steps: name it, create it at its
// PagePath (a file that cannot be created, written or closed makes the
// writer log its "Unable to create new ... file." line and return 6), write
// "<HTML>\n", "<HEAD>\n" and its title line, WriteBodyStart, its body,
// WritePageFoot, "</BODY>\n" and "</HTML>\n", and close it.
//
// Texts built here are never cut, whatever their length: a cut could split
// an HTML tag or a character reference in two.
#ifndef KINLOOM_PAGES_FRAME_H_
#define KINLOOM_PAGES_FRAME_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "run/run.h"

namespace kinloom {

// A page or index file being written, through the run's output writer.
// The bytes are collected in memory and handed on in pieces of up to
// kBufferSize bytes, most pages in one piece at Close(). What a failed page
// does to the run (its log line, whether the run goes on) is given when it
// is created and takes effect where the failure happens.
class PageFile {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  explicit PageFile(Run& run) : run_(run) {}
  ~PageFile();  // closes a page still open
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // Creates (truncates) the file; false when it is known that it cannot be
  // created (see SiteWriter::Open): the writer should then return at once.
  bool Create(const std::string& path, const PageOutcome& outcome);
  // The same for a page that need not be made again when nothing it is
  // made from changed since the previous run (CHANGEDONLY): then the page
  // is kept as it is, kept() is true and the writer should return at once,
  // as for a page written whole. Everything the page shows must be read
  // from the store after this call.
  bool CreateOrKeep(const std::string& path, const PageOutcome& outcome);
  bool kept() const { return kept_; }
  // Writes the text, each byte above 127 as its character reference
  // "&#N;", so that the page stays plain ASCII ("\n" stays one byte).
  void Write(std::string_view text);
  // Writes the bytes as they are: the user's include files, gendex.txt.
  void WriteBytes(std::string_view text);
  // Writes the page's date: the one text in which two versions of a page
  // with the same content may differ.
  void WriteDate(std::string_view text);
  // Writes size bytes at offset of file (bytes written to it and none held
  // in its cache; by default the whole file), which is kept open until the
  // writer is done with it.
  void WriteFrom(std::shared_ptr<const BlockFile> file, long long offset = 0, long long size = -1);
  // Hands on what is collected, closes the file and reports the run's
  // progress; false when the page is known not to have been written whole.
  bool Close();
  bool is_open() const { return page_ != 0; }

 private:
  void HandOn();

  Run& run_;
  int page_ = 0;
  bool kept_ = false;
  bool watched_ = false;  // its reads go to the run's page inputs
  std::string buffer_;
  // Where the date is in buffer_ (size 0: not in it).
  std::size_t date_offset_ = 0;
  std::size_t date_size_ = 0;
};

// prefix + number padded with zeros to five digits + "." + EXTENSION
// ("fam", 12 -> "fam00012.htm"; 123456 -> "ind123456.htm").
std::string PageFileName(const Settings& settings, std::string_view prefix, std::int32_t number);
// "html/" [+ directory + "/" when SUBDIRS is "Y" and directory is not empty] + file.
std::string PagePath(const Settings& settings, std::string_view directory, std::string_view file);
// directory + "/" + file when SUBDIRS is "Y", else file alone.
std::string PageLink(const Settings& settings, std::string_view directory, std::string_view file);

// "<HTML>\n", "<HEAD>\n", "<TITLE>title</TITLE>\n" (title, a text from the
// GEDCOM file, escaped as element text), then WriteBodyStart.
void WritePageStart(Run& run, PageFile& page, std::string_view title);
// meta.htm, "</HEAD>\n", the BODY tag, header.htm. The user files are
// copied byte for byte, except that each CR LF pair becomes "\n"; a file
// that is missing or cannot be read is left out with the line end or
// "<BR>\n" that would follow it.
void WriteBodyStart(Run& run, PageFile& page);
// Navigation bar, footer.htm, date and credit line. with_surnames_link is
// 'Y' or 'N'; up_prefix goes before the surnames link only when SUBDIRS is
// "Y".
void WritePageFoot(Run& run, PageFile& page, char with_surnames_link, std::string_view up_prefix);
// "</BODY>\n", "</HTML>\n", then closes the page (PageFile::Close).
bool FinishPage(Run& run, PageFile& page);

// "%7s: %-17s%s: %s %s \n", the date (padded first) and the place escaped
// as element text.
void WriteEventLine(PageFile& page, std::string_view caption, std::string_view date,
                    std::string_view at_caption, std::string_view place, std::string_view mark);

// text preceded by blanks up to width characters ("%7s"); longer text whole.
std::string RightAligned(std::string_view text, std::size_t width);
// text followed by blanks up to width characters ("%-17s").
std::string LeftAligned(std::string_view text, std::size_t width);

// Footnote number (from 1) of source on the current page, adding it to the
// page's list at its first citation. The list has no fixed limit.
int SourceNumber(Run& run, std::int32_t source);
// The footnote link of a citation, without blanks around it:
// <A HREF="#SRC"><FONT SIZE=-1>footnote</FONT></A>
std::string SourceMark(int footnote);
// The "SRC" anchor, the SOURCES heading and one line per cited source, when
// SOURCES is "Y" and the page cites any; nothing otherwise.
void WriteSourceList(Run& run, PageFile& page);

// With UCSURNAME "Y": a-z and 0xE0-0xFE raised to capitals, each reference
// "&#N;" to a small Latin letter turned into that to its capital, and the
// empty text made one blank. Otherwise the text unchanged.
std::string UppercaseSurname(const Settings& settings, std::string_view text);
// "Given /Surname/ Suffix" -> "Given Surname, Suffix" (surname and suffix
// through UppercaseSurname); the empty name gives one blank.
std::string FormatName(const Settings& settings, std::string_view name);
// The text between the first two slashes, through UppercaseSurname; the
// empty name gives one blank.
std::string ExtractSurname(const Settings& settings, std::string_view name);
// FormatName of husband and wife joined by "/", "?" for a number of 0.
std::string CoupleName(Run& run, std::int32_t husband, std::int32_t wife);

// The page's date text: run.test_options.fixed_page_date, or the run's date (run.date)
// as "%d %B %Y" with English month names.
std::string PageDate(const Run& run);

// The user's include files of the run, read at the first call.
const UserFiles& UserFilesOf(Run& run);

// A hash of everything besides the store that pages are made from: the
// program's version, the settings, the captions and the user's include
// files. Two runs with the same value make the same page from the same
// records.
[[nodiscard]] std::uint64_t PagesFingerprint(Run& run);

}  // namespace kinloom

#endif  // KINLOOM_PAGES_FRAME_H_
