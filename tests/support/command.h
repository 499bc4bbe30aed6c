// Runs a command through the shell and collects what it printed.
#ifndef KINLOOM_TESTS_SUPPORT_COMMAND_H_
#define KINLOOM_TESTS_SUPPORT_COMMAND_H_

#include <string>

namespace kinloom::testing {

struct CommandResult {
  int exit_status = -1;
  std::string out;
  std::string err;
};

// Runs command in the current directory; stdout and stderr are captured
// separately (stderr is not a terminal).
CommandResult RunCommand(const std::string& command);

// Absolute path of kinloom-create in the build tree.
std::string KinloomCreatePath();

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_SUPPORT_COMMAND_H_
