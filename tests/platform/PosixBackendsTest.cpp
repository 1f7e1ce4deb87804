#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/DriverSocketProtocol.h"
#include "platform/FileRegistryStore.h"
#include "platform/LocaleTable.h"
#include "platform/UserFolders.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixSingleInstanceLock.h"
#include "platform/posix/PosixStoreLock.h"
#include "platform/posix/PosixSystemLocale.h"
#include "platform/posix/PosixWindowMessaging.h"

namespace q9 {
namespace {

TEST(PosixSingleInstanceLock, ASecondHolderIsRefusedUntilTheFirstReleases) {
  test::TempFolder folder;
  PosixSingleInstanceLock first(folder.path());
  PosixSingleInstanceLock second(folder.path());
  EXPECT_EQ(first.TryAcquire("zoGMMouseconfig"), LockResult::Acquired);
  EXPECT_EQ(second.TryAcquire("zoGMMouseconfig"), LockResult::HeldElsewhere);
  EXPECT_EQ(second.TryAcquire("another"), LockResult::Acquired) << "locks of other names are independent";
  first.Release();
  PosixSingleInstanceLock third(folder.path());
  EXPECT_EQ(third.TryAcquire("zoGMMouseconfig"), LockResult::Acquired);
}

TEST(PosixSingleInstanceLock, AnotherProcessSeesTheLockAndItDiesWithItsHolder) {
  test::TempFolder folder;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    PosixSingleInstanceLock lock(folder.path());
    const char result = lock.TryAcquire("zoGMMouseconfig") == LockResult::Acquired ? 'y' : 'n';
    if (::write(ready[1], &result, 1) != 1) ::_exit(2);
    ::pause();  // killed below, without releasing
    ::_exit(0);
  }
  char result = 0;
  ASSERT_EQ(::read(ready[0], &result, 1), 1);
  ASSERT_EQ(result, 'y');
  PosixSingleInstanceLock mine(folder.path());
  EXPECT_EQ(mine.TryAcquire("zoGMMouseconfig"), LockResult::HeldElsewhere);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(mine.TryAcquire("zoGMMouseconfig"), LockResult::Acquired) << "a crashed copy leaves no stale lock";
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(PosixSingleInstanceLock, MissingRuntimeFolderIsUnavailableNotHeld) {
  PosixSingleInstanceLock lock("/nonexistent/q9/runtime");
  EXPECT_EQ(lock.TryAcquire("zoGMMouseconfig"), LockResult::Unavailable);
}

TEST(PosixSingleInstanceLock, LockFileIsPerUser) {
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  const std::string own = "/tmp/q9config-" + std::to_string(::getuid()) + "/zoGMMouseconfig.lock";
  EXPECT_EQ(PosixSingleInstanceLock().LockFile("zoGMMouseconfig"), own) << "in a folder of the user's own";
  test::ScopedEnv relative("XDG_RUNTIME_DIR", "run/user/1000");
  EXPECT_EQ(PosixSingleInstanceLock().LockFile("zoGMMouseconfig"), own) << "a relative runtime folder is ignored";
  test::ScopedEnv set("XDG_RUNTIME_DIR", "/run/user/1000");
  EXPECT_EQ(PosixSingleInstanceLock().LockFile("zoGMMouseconfig"), "/run/user/1000/zoGMMouseconfig.lock");
}

// The fallback folder in /tmp as another user might have prepared it for "nobody".
TEST(PosixSingleInstanceLock, AFallbackFolderAnotherUserCouldWriteIsRefusedWithTheReason) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the other user";
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  const std::filesystem::path own = "/tmp/q9config-65534";
  std::filesystem::remove_all(own);
  auto attempt = [](const char* expected) {
    return test::RunUnprivileged([expected] {
      PosixSingleInstanceLock lock;
      const LockResult result = lock.TryAcquire("zoGMMouseconfig");
      return expected ? result == LockResult::Unsafe && lock.LastError().find(expected) != std::string::npos
                      : result == LockResult::Acquired;
    });
  };
  ASSERT_TRUE(std::filesystem::create_directory(own));  // made by root, not by the user
  EXPECT_TRUE(attempt("belongs to user 0, not to this user"));
  ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(own.c_str(), 0777), 0);
  EXPECT_TRUE(attempt("may be written by other users"));
  std::filesystem::remove_all(own);
  test::TempFolder elsewhere;
  test::GiveToUnprivileged(elsewhere.path());
  std::filesystem::create_directory_symlink(elsewhere.path(), own);
  EXPECT_TRUE(attempt("is not a folder"));
  std::filesystem::remove(own);
  EXPECT_TRUE(attempt(nullptr)) << "a missing folder is made";
  struct stat made {};
  ASSERT_EQ(::lstat(own.c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0700u);
  EXPECT_EQ(made.st_uid, 65534u);
  EXPECT_TRUE(attempt(nullptr)) << "and used again";
  std::filesystem::remove_all(own);
}

TEST(PosixFolders, RelativeOrMissingEnvironmentFoldersAreIgnored) {
  test::ScopedEnv q9Config("Q9_CONFIG_HOME", nullptr);
  test::ScopedEnv q9Device("Q9_DEVICE_DIR", nullptr);
  const passwd* user = ::getpwuid(::getuid());
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(UserHomeFolder(), std::filesystem::path(user->pw_dir));
  {
    test::ScopedEnv home("HOME", nullptr);
    test::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), std::filesystem::path(user->pw_dir) / ".config")
        << "without HOME the home folder comes from the user database, not the current folder";
  }
  {
    test::ScopedEnv home("HOME", "somewhere");
    test::ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), std::filesystem::path(user->pw_dir) / ".config");
  }
  {
    test::ScopedEnv home("HOME", "/home/someone");
    test::ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), "/home/someone/.config");
    test::ScopedEnv absolute("XDG_CONFIG_HOME", "/etc/xdg-user");
    EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), "/etc/xdg-user");
  }
  {
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", "run/user");
    EXPECT_EQ(DefaultDeviceFolder(), "/tmp") << "the driver socket's shared place";
    EXPECT_EQ(PosixWindowMessaging().SocketPath("TqvMonitorMain"),
              "/tmp/q9-window-TqvMonitorMain-" + std::to_string(::getuid()));
    test::ScopedEnv absolute("XDG_RUNTIME_DIR", "/run/user/7");
    EXPECT_EQ(DefaultDeviceFolder(), "/run/user/7");
  }
}

TEST(PosixStoreLock, ReadersShareWritersExcludeAndEachStoreHasItsOwn) {
  test::TempFolder folder;
  const std::filesystem::path store = folder.path() / "not" / "yet" / "there";
  PosixStoreLock reader(store), otherReader(store), writer(store), elsewhere(folder.path());
  std::string error;
  ASSERT_EQ(reader.Lock(StoreLockMode::Shared, 0, error), StoreLockResult::Acquired) << error;
  EXPECT_TRUE(std::filesystem::is_directory(store)) << "the store folder is made as the store would make it";
  EXPECT_EQ(otherReader.Lock(StoreLockMode::Shared, 0, error), StoreLockResult::Acquired);
  EXPECT_EQ(writer.Lock(StoreLockMode::Exclusive, 50, error), StoreLockResult::Busy);
  EXPECT_EQ(elsewhere.Lock(StoreLockMode::Exclusive, 0, error), StoreLockResult::Acquired) << "another store";
  reader.Unlock();
  otherReader.Unlock();
  EXPECT_EQ(writer.Lock(StoreLockMode::Exclusive, 0, error), StoreLockResult::Acquired);
  EXPECT_EQ(reader.Lock(StoreLockMode::Shared, 50, error), StoreLockResult::Busy);
}

TEST(PosixStoreLock, TheWindowMarkIsSeenByOtherProcessesAndDiesWithItsHolder) {
  test::TempFolder folder;
  PosixStoreLock probe(folder.path());
  EXPECT_FALSE(probe.WindowMarkHeldElsewhere()) << "no window ever opened the store";
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t window = ::fork();
  ASSERT_GE(window, 0);
  if (window == 0) {
    PosixStoreLock mark(folder.path());
    std::string error;
    const char result = mark.HoldWindowMark(error) == StoreLockResult::Acquired ? 'y' : 'n';
    if (::write(ready[1], &result, 1) != 1) ::_exit(2);
    ::pause();
    ::_exit(0);
  }
  char result = 0;
  ASSERT_EQ(::read(ready[0], &result, 1), 1);
  ASSERT_EQ(result, 'y');
  EXPECT_TRUE(probe.WindowMarkHeldElsewhere());
  EXPECT_TRUE(probe.WindowMarkHeldElsewhere()) << "probing takes nothing away";
  std::string error;
  EXPECT_EQ(PosixStoreLock(folder.path()).HoldWindowMark(error), StoreLockResult::Busy) << "one window per store";
  ::kill(window, SIGKILL);
  ::waitpid(window, nullptr, 0);
  EXPECT_FALSE(probe.WindowMarkHeldElsewhere()) << "a crashed window leaves no mark";
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(PosixStoreLock, AFolderThatCannotBeUsedIsUnavailableWithTheReason) {
  test::TempFolder folder;
  test::GiveToUnprivileged(folder.path());
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    PosixStoreLock lock(folder.path() / "store");
    std::string error;
    return lock.Lock(StoreLockMode::Exclusive, 0, error) == StoreLockResult::Unavailable &&
           error.find((folder.path() / "store").string()) != std::string::npos &&
           error.find("Permission denied") != std::string::npos;
  }));
}

TEST(PosixSystemLocale, LanguageFromTheFirstSetVariable) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* id;
  };
  const Case cases[] = {
      {nullptr, nullptr, "zh_CN.UTF-8", "0804"}, {nullptr, nullptr, "zh_TW.UTF-8", "0404"},
      {nullptr, nullptr, "zh_HK.UTF-8", "0C04"}, {nullptr, nullptr, "zh", "0804"},
      {nullptr, nullptr, "de_DE@euro", "0407"},  {nullptr, nullptr, "C.UTF-8", "0409"},
      {nullptr, nullptr, "POSIX", "0409"},       {nullptr, nullptr, nullptr, "0409"},
      {"zh_TW.UTF-8", "de_DE", "fr_FR", "0404"}, {"", "zh_CN", "fr_FR", "0804"},
      {nullptr, nullptr, "xx_YY", "0409"},
  };
  for (const Case& c : cases) {
    test::ScopedEnv all("LC_ALL", c.lcAll);
    test::ScopedEnv messages("LC_MESSAGES", c.lcMessages);
    test::ScopedEnv lang("LANG", c.lang);
    EXPECT_EQ(PosixSystemLocale().SystemDefaultLangId(), c.id) << (c.lang ? c.lang : "(none)");
  }
}

TEST(LocaleTable, IdsAreFourUpperCaseHexDigitsAndUnique) {
  std::set<std::string> seen;
  for (const LocaleEntry& e : PosixSystemLocale().Locales()) {
    EXPECT_EQ(e.langId.size(), 4u);
    EXPECT_EQ(e.langId.find_first_not_of("0123456789ABCDEF"), std::string::npos) << e.langId;
    EXPECT_TRUE(seen.insert(e.langId).second) << e.langId;
    EXPECT_FALSE(e.nativeName.empty());
  }
  EXPECT_TRUE(seen.count("0409") && seen.count("0804") && seen.count("0404"));
}

TEST(PosixShell, StartsOnlyExecutableProgramsInTheirWorkingFolder) {
  test::TempFolder folder;
  PosixShell shell;
  EXPECT_FALSE(shell.StartProgram(folder.path() / "zoGMMonitor", folder.path())) << "missing";
  const std::string script = "#!/bin/sh\ntouch started\n";
  test::WriteFile(folder.path() / "zoGMMonitor", test::Bytes(script.begin(), script.end()));
  EXPECT_FALSE(shell.StartProgram(folder.path() / "zoGMMonitor", folder.path())) << "not executable";
  ASSERT_EQ(::chmod((folder.path() / "zoGMMonitor").c_str(), 0700), 0);
  const std::filesystem::path elsewhere = folder.path() / "work";
  std::filesystem::create_directory(elsewhere);
  ASSERT_TRUE(shell.StartProgram(folder.path() / "zoGMMonitor", elsewhere));
  for (int wait = 0; wait < 500 && !std::filesystem::exists(elsewhere / "started"); ++wait) ::usleep(10000);
  EXPECT_TRUE(std::filesystem::exists(elsewhere / "started")) << "ran in its working folder";
  EXPECT_FALSE(shell.OpenDocument(""));
}

}  // namespace
}  // namespace q9
