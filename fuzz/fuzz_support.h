// Helpers shared by the fuzz targets: a scratch directory per input, so a
// run writes nowhere but into a fresh temporary directory, and a trap that
// turns a broken promise into a crash the fuzzer reports.
#ifndef KINLOOM_FUZZ_FUZZ_SUPPORT_H_
#define KINLOOM_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kinloom::fuzz {

// A fresh temporary directory that is the current directory for the life
// of the object; afterwards the previous current directory is restored and
// the scratch directory removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

 private:
  std::string path_;
  std::string previous_;
};

// Writes bytes to path, replacing the file.
void WriteBytes(const std::string& path, std::string_view bytes);

// The input as a view of bytes.
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Stops the process with a message on stderr when a promise does not hold.
void Require(bool holds, const char* what);

}  // namespace kinloom::fuzz

// The libFuzzer entry point each target defines.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#endif  // KINLOOM_FUZZ_FUZZ_SUPPORT_H_
