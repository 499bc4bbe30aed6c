#include "run/run_lock.h"

#include "platform/platform.h"

namespace kinloom {

bool RunLock::TryTake() {
  if (held()) return true;
  fd_ = platform::TryLockFile(std::string(kLockFile));
  return held();
}

void RunLock::Release() {
  if (fd_ != platform::kNoFile) (void)platform::CloseFile(fd_);
  fd_ = platform::kNoFile;
}

}  // namespace kinloom
