// A fresh temporary directory that is the current directory for the life
// of the object; the previous current directory is restored and the
// scratch directory removed afterwards.
#ifndef KINLOOM_TESTS_SUPPORT_SCRATCH_DIR_H_
#define KINLOOM_TESTS_SUPPORT_SCRATCH_DIR_H_

#include <string>

namespace kinloom::testing {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

// Whole file as bytes; empty when missing. FileExists tells the difference.
std::string ReadFile(const std::string& path);
// A text file the run wrote, as a text-mode read gives it back: on Windows
// each CR LF is read as LF, elsewhere the bytes are as they are.
std::string ReadText(const std::string& path);
// The bytes of text with each LF written as a text file is on this
// platform: CR LF on Windows.
std::string TextLineEnds(std::string text);
bool FileExists(const std::string& path);
// A file of the source tree (path relative to its root), as bytes.
std::string SourceFile(const std::string& path);
// The whole log of a run with the default settings, which stops at the
// placeholder e-mail address: the same from every front end.
inline constexpr char kPlaceholderEmailLog[] = "tests/run/placeholder_email.log";
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_SUPPORT_SCRATCH_DIR_H_
