#include "run/run_lock.h"

#include "platform/platform.h"

namespace kinloom {

RunLock::Outcome RunLock::Take() {
  if (held()) return Outcome::kTaken;
  error_ = {};
  file_ = platform::File(platform::TryLockFile(std::string(kLockFile)));
  if (held()) return Outcome::kTaken;
  error_ = platform::LastError();
  return error_ == std::errc::operation_would_block ? Outcome::kHeldElsewhere
                                                    : Outcome::kUnavailable;
}

}  // namespace kinloom
