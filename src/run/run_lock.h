// The lock that keeps two runs from working in one folder at once: an
// advisory lock on kinloom.lock in the current directory, held from before
// the run touches anything until it ends. The system drops it when the
// process ends, however it ends, so a killed run never leaves the folder
// locked; the file itself stays and means nothing by being there.
#ifndef KINLOOM_RUN_RUN_LOCK_H_
#define KINLOOM_RUN_RUN_LOCK_H_

#include <string>
#include <string_view>

namespace kinloom {

class RunLock {
 public:
  static constexpr std::string_view kLockFile = "kinloom.lock";

  RunLock() = default;
  ~RunLock() { Release(); }
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Takes the lock of the current directory; false when another run holds
  // it (or the lock file cannot be opened).
  [[nodiscard]] bool TryTake();
  bool held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

}  // namespace kinloom

#endif  // KINLOOM_RUN_RUN_LOCK_H_
