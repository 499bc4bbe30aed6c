// The lock that keeps two runs from working in one folder at once: an
// advisory lock on kinloom.lock in the current directory, held from before
// the run touches anything until it ends. The system drops it when the
// process ends, however it ends, so a killed run never leaves the folder
// locked; the file itself stays and means nothing by being there.
#ifndef KINLOOM_RUN_RUN_LOCK_H_
#define KINLOOM_RUN_RUN_LOCK_H_

#include <string>
#include <string_view>
#include <system_error>

#include "platform/platform.h"

namespace kinloom {

class RunLock {
 public:
  static constexpr std::string_view kLockFile = "kinloom.lock";

  // What Take found.
  enum class Outcome {
    kTaken,
    kHeldElsewhere,  // another run holds the lock
    kUnavailable,    // the lock file cannot be created or opened (error())
  };

  RunLock() = default;
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Takes the lock of the current directory.
  [[nodiscard]] Outcome Take();
  // Take, true when the lock is held afterwards.
  [[nodiscard]] bool TryTake() { return Take() == Outcome::kTaken; }
  bool held() const { return file_.is_open(); }
  // Why the last Take gave kUnavailable: the system's reason.
  std::error_code error() const { return error_; }
  void Release() { file_.Reset(); }

 private:
  platform::File file_;
  std::error_code error_;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_RUN_LOCK_H_
