// Tests of what Windows does not have (fork, a file size limit per
// process, /dev/full, symbolic and hard links without privileges) are
// skipped there, with the reason, and run everywhere else.
#ifndef KINLOOM_TESTS_SUPPORT_WINDOWS_SKIP_H_
#define KINLOOM_TESTS_SUPPORT_WINDOWS_SKIP_H_

#include <gtest/gtest.h>

#ifdef _WIN32
#define KINLOOM_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << "not on Windows: " << (reason)
#else
#define KINLOOM_SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

#endif  // KINLOOM_TESTS_SUPPORT_WINDOWS_SKIP_H_
