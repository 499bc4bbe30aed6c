#include "support/command.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "support/scratch_dir.h"

namespace kinloom::testing {

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  const std::string out_file = ".command.out";
  const std::string err_file = ".command.err";
#ifdef _WIN32
  // cmd.exe gives the program's exit code as it is.
  const std::string full = command + " >" + out_file + " 2>" + err_file + " <NUL";
  result.exit_status = std::system(full.c_str());
#else
  const std::string full = command + " >" + out_file + " 2>" + err_file + " </dev/null";
  const int status = std::system(full.c_str());
  if (status != -1 && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
#endif
  result.out = ReadText(out_file);
  result.err = ReadText(err_file);
  std::remove(out_file.c_str());
  std::remove(err_file.c_str());
  return result;
}

std::string KinloomCreatePath() {
#ifdef _WIN32
  // Beside the test program, as a path of the system's own ("Z:\..." under
  // Wine): cmd.exe once failed to find the program by the Unix-style
  // path of the build tree (exit code 9009) on the first command of a run.
  const std::string self = platform::ExecutablePath();
  const std::size_t slash = self.find_last_of("\\/");
  if (slash != std::string::npos) return self.substr(0, slash + 1) + "kinloom-create.exe";
  return std::string(KINLOOM_BINARY_DIR) + "/kinloom-create.exe";
#else
  return std::string(KINLOOM_BINARY_DIR) + "/kinloom-create";
#endif
}

}  // namespace kinloom::testing
