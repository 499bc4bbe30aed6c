#include "support/command.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "support/scratch_dir.h"

namespace kinloom::testing {

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  const std::string out_file = ".command.out";
  const std::string err_file = ".command.err";
  const std::string full = command + " >" + out_file + " 2>" + err_file + " </dev/null";
  const int status = std::system(full.c_str());
  if (status != -1 && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  result.out = ReadFile(out_file);
  result.err = ReadFile(err_file);
  std::remove(out_file.c_str());
  std::remove(err_file.c_str());
  return result;
}

std::string KinloomCreatePath() { return std::string(KINLOOM_BINARY_DIR) + "/kinloom-create"; }

}  // namespace kinloom::testing
