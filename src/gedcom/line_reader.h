// Lines of a GEDCOM file, read in binary mode with our own line splitting.
//
// A line ends at LF, at CR LF or at a lone CR; the line end is never part
// of the line, and lines are returned whole however long they are. The
// file's first bytes say how it is stored:
//   EF BB BF            UTF-8 with a byte-order mark (the mark is dropped)
//   FF FE, or "0" NUL   UTF-16 little-endian (with or without a mark)
//   FE FF, or NUL "0"   UTF-16 big-endian (with or without a mark)
//   anything else       bytes as they stand
// UTF-16 is decoded and handed out as UTF-8, so the reader treats it like a
// UTF-8 file; an unpaired surrogate or a dangling odd byte becomes U+FFFD.
// Memory stays at one read buffer and the current line.
#ifndef KINLOOM_GEDCOM_LINE_READER_H_
#define KINLOOM_GEDCOM_LINE_READER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace kinloom {

enum class FileEncoding { kBytes, kUtf8Mark, kUtf16Le, kUtf16Be };

class GedcomLineReader {
 public:
  GedcomLineReader() = default;
  ~GedcomLineReader();
  GedcomLineReader(const GedcomLineReader&) = delete;
  GedcomLineReader& operator=(const GedcomLineReader&) = delete;

  // Opens path for reading and looks at its first bytes; false when the
  // file cannot be opened, and open_error() then says why.
  bool Open(const std::string& path);
  std::error_code open_error() const { return open_error_; }

  // The next line, without its line end; false (and line empty) at the end
  // of the file. A last line without a line end is still a line.
  bool Next(std::string& line);

  // True when the line last given by Next holds no byte of 0x80 or above,
  // so that no conversion of character sets changes it.
  bool line_is_ascii() const { return line_ascii_; }

  // Closes the file; Next then reports the end. Safe to call twice.
  void Close();

  FileEncoding encoding() const { return encoding_; }
  // True when the lines come out as UTF-8 because of how the file is stored
  // (a UTF-8 mark or UTF-16), whatever its header declares.
  bool utf8_by_storage() const { return encoding_ != FileEncoding::kBytes; }

 private:
  // Appends the next decoded piece of the file to text_; false at the end.
  bool Fill();
  void DecodeUtf16(const unsigned char* bytes, std::size_t size);
  void AppendUtf8(char32_t code);

  std::FILE* file_ = nullptr;
  std::error_code open_error_;
  FileEncoding encoding_ = FileEncoding::kBytes;
  std::vector<unsigned char> raw_;
  std::string text_;        // decoded bytes not yet handed out
  std::size_t pos_ = 0;     // first byte of text_ not yet handed out
  bool line_ascii_ = true;  // the line last handed out holds bytes below 0x80 only
  bool skip_lf_ = false;    // the last line ended in CR: a following LF belongs to it
  bool at_end_ = false;
  int odd_byte_ = -1;  // UTF-16: first byte of a unit cut by the read buffer
  char32_t high_surrogate_ = 0;
};

}  // namespace kinloom

#endif  // KINLOOM_GEDCOM_LINE_READER_H_
