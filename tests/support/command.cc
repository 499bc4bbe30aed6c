#include "support/command.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>

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
  return std::string(KINLOOM_BINARY_DIR) + "/kinloom-create.exe";
#else
  return std::string(KINLOOM_BINARY_DIR) + "/kinloom-create";
#endif
}

}  // namespace kinloom::testing
