#include <gtest/gtest.h>
#include <sys/socket.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "app/DataModule.h"
#include "device/uiSTDCommand.h"
#include "platform/DriverSocketProtocol.h"
#include "platform/LocaleTable.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/PosixDriverTransport.h"
#include "platform/FileRegistryStore.h"
#include "platform/UserFolders.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixSingleInstanceLock.h"
#include "platform/posix/PosixStoreLock.h"
#include "platform/posix/PosixSystemLocale.h"
#include "protocol/ApplySequence.h"
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

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int UnixSocket(const std::filesystem::path& path, bool connectIt) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (connectIt ? SOCK_NONBLOCK : 0), 0);
  const auto* a = reinterpret_cast<const sockaddr*>(&address);
  if (fd >= 0 && (connectIt ? ::connect(fd, a, sizeof address) : ::bind(fd, a, sizeof address)) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

// A driver socket whose owner listens but never accepts a connection.
class SilentListener {
 public:
  SilentListener(const std::filesystem::path& path, int backlog) : path_(path), fd_(UnixSocket(path, false)) {
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(::listen(fd_, backlog), 0);
  }
  ~SilentListener() {
    Close();
    for (int client : clients_) ::close(client);
  }
  // Connects until the backlog is full; those connections stay pending.
  void FillBacklog() {
    for (int client; clients_.size() < 1000 && (client = UnixSocket(path_, true)) >= 0;) clients_.push_back(client);
    ASSERT_LT(clients_.size(), 1000u);
  }
  // Wakes anyone blocked connecting (a connect that waits for a full backlog ends when the
  // listener goes away), so that a hang fails the test instead of stopping it.
  void CloseAfter(std::chrono::milliseconds delay) {
    watchdog_ = std::thread([this, delay] {
      std::unique_lock lock(mutex_);
      if (!done_.wait_for(lock, delay, [&] { return finished_; })) Close();
    });
  }
  void Finished() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
  }

 private:
  void Close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }
  std::filesystem::path path_;
  int fd_;
  std::vector<int> clients_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread watchdog_;
};

TEST(PosixDriverTransport, ListenerWithAFullBacklogIsNoMouse) {
  test::TempFolder folder;
  SilentListener listener(folder.path() / "usbglcs00001", 0);
  listener.FillBacklog();
  listener.CloseAfter(std::chrono::seconds(3));
  PosixDriverTransport transport(folder.path(), 100, 100);
  ManualScheduler scheduler;
  TuiSTDCommand channel(transport, scheduler, "/nonexistent/config.ini");
  const auto start = Clock::now();
  const bool present = channel.IsDeviceExist();
  test::Bytes frame(2059, 0);
  const std::uint32_t status = channel.DeviceRW(frame.data(), 2059, CommandIoControlCode);
  const long long elapsed = MillisecondsSince(start);
  listener.Finished();
  EXPECT_FALSE(present);
  EXPECT_EQ(status, kErrorNotReady);
  EXPECT_LT(elapsed, 1000) << "each open gives up after its connect time-out";
}

TEST(PosixDriverTransport, ListenerThatNeverAcceptsTimesOutWithinOneDeadline) {
  test::TempFolder folder;
  SilentListener listener(folder.path() / "mouse", 16);
  PosixDriverTransport transport(folder.path(), 150, 100);
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device) << "the connection is queued, so the device opens";
  test::Bytes frame(2059, 0);
  const auto start = Clock::now();
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), 2059), kErrorSemTimeout);
  const long long elapsed = MillisecondsSince(start);
  EXPECT_GE(elapsed, 140);
  EXPECT_LT(elapsed, 1000);
}

// A driver that accepts, reads the request and then sends a whole, successful reply one byte at a
// time: each byte comes well within the deadline, the reply as a whole does not.
TEST(PosixDriverTransport, TricklingReplyFailsAtItsDeadlineEvenIfItCompletesLater) {
  test::TempFolder folder;
  const std::filesystem::path path = folder.path() / "mouse";
  const int listener = UnixSocket(path, false);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  std::thread server([&] {
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0) return;
    std::uint8_t request[8 + 16];
    for (std::size_t got = 0; got < sizeof request;) {
      const ssize_t n = ::recv(client, request + got, sizeof request - got, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    const auto reply = EncodeHeader({kErrorSuccess, 0});
    for (std::uint8_t byte : reply) {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      if (::send(client, &byte, 1, MSG_NOSIGNAL) != 1) break;
    }
    ::close(client);
  });
  PosixDriverTransport transport(folder.path(), 200, 100);
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  test::Bytes buffer(16, 7);
  const auto start = Clock::now();
  const std::uint32_t status = device->Control(CommandIoControlCode, buffer.data(), 16);
  const long long elapsed = MillisecondsSince(start);
  server.join();
  ::close(listener);
  EXPECT_EQ(status, kErrorSemTimeout) << "a reply that is complete only after the deadline is a failure";
  EXPECT_LT(elapsed, 450) << "the deadline is not extended by every byte that arrives";
}

TEST(PosixDriverTransport, ApplyToADriverThatNeverAnswersStopsAtTheFirstTimeOut) {
  test::TempFolder folder;
  SilentListener listener(folder.path() / "usbglcs00001", 64);
  PosixDriverTransport transport(folder.path(), 100, 100);
  ManualScheduler scheduler;
  TuiSTDCommand channel(transport, scheduler, "/nonexistent/config.ini");
  FakeRegistryStore store;
  FakeSystemLocale locale;
  auto dm = CreateDataModule(store, locale);
  ApplyState state;
  const auto start = Clock::now();
  const ApplyResult result = ApplySettingsToDevice(*dm, channel, state, {});
  const long long elapsed = MillisecondsSince(start);
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(result.stoppedAnswering);
  EXPECT_EQ(result.framesSent, 1);
  EXPECT_EQ(result.message, "the mouse stopped answering: 0 of 19 frames went through");
  EXPECT_LT(elapsed, 1000);
}

}  // namespace
}  // namespace q9
