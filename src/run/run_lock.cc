#include "run/run_lock.h"

#include "platform/files.h"

namespace kinloom {

bool RunLock::TryTake() {
  if (held()) return true;
  fd_ = platform::TryLockFile(std::string(kLockFile));
  return held();
}

void RunLock::Release() {
  platform::UnlockFile(fd_);
  fd_ = -1;
}

}  // namespace kinloom
