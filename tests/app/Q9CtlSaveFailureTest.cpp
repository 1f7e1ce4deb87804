#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sstream>

#include "TestSupport.h"
#include "tools/Q9CtlRunner.h"

namespace q9 {
namespace {

using test::Bytes;

class Q9CtlSaveFailureTest : public test::Q9CtlRunner {
 protected:
  // Runs a command in a child process whose files may not grow beyond `largest` bytes: its write()
  // fails part way, as on a full disk. True when it exits with 1 and one line on stderr holding `expected`.
  bool FailsWithFileSizeLimit(const std::vector<std::string>& arguments, rlim_t largest, const std::string& expected) {
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
      const rlimit limit{largest, largest};
      ::signal(SIGXFSZ, SIG_IGN);
      const bool limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
      const int status = Run(arguments);
      const std::string message = err.str();
      const bool reported = limited && status == 1 && message.find(expected) != std::string::npos &&
                            message.find(std::strerror(EFBIG)) != std::string::npos &&
                            std::count(message.begin(), message.end(), '\n') == 1;
      ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

// q9ctl says on stderr which value failed and why; the stored images and the folder stay as they
// were, and the same command run again saves.
TEST_F(Q9CtlSaveFailureTest, AWriteFailingPartWayIsReportedAndKeepsTheStoredImages) {
  ASSERT_EQ(Run({"reset", "2"}), 0) << err.str();
  const Bytes profile = test::ReadFile(Key() / "MyProfile2.GPX");
  const Bytes settings = test::ReadFile(Key() / "qvGMPROFILE.GPX");
  const std::vector<std::string> names = StoredNames();

  EXPECT_TRUE(FailsWithFileSizeLimit({"set", "cpi", "1", "3500", "--profile", "2"}, 100000,
                                     "q9ctl: cannot save profile 2: "));
  EXPECT_EQ(test::ReadFile(Key() / "MyProfile2.GPX"), profile);
  EXPECT_EQ(StoredNames(), names) << "no temporary file stays";
  ASSERT_EQ(Run({"set", "cpi", "1", "3500", "--profile", "2"}), 0) << err.str();
  EXPECT_NE(test::ReadFile(Key() / "MyProfile2.GPX"), profile);

  // The settings record (31200 bytes) fails under a smaller limit; the mode change is not stored.
  EXPECT_TRUE(FailsWithFileSizeLimit({"set", "mode2", "3"}, 10000, "qvGMPROFILE.GPX"));
  EXPECT_EQ(test::ReadFile(Key() / "qvGMPROFILE.GPX"), settings);
  EXPECT_EQ(StoredNames(), names);
  ASSERT_EQ(Run({"set", "mode2", "3"}), 0) << err.str();
  EXPECT_NE(test::ReadFile(Key() / "qvGMPROFILE.GPX"), settings);
}

}  // namespace
}  // namespace q9
