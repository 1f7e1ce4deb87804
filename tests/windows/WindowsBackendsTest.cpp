// The Windows backends against the real Win32 calls (run on Windows, or under Wine in CI).

#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "TestSupport.h"
#include "platform/DurableFile.h"
#include "platform/windows/WinDeviceNotifications.h"
#include "platform/windows/WinDeviceSetup.h"
#include "platform/windows/WinDriverTransport.h"
#include "platform/windows/WinRegistryStore.h"
#include "platform/windows/WinShell.h"
#include "platform/windows/WinSingleInstanceLock.h"
#include "platform/windows/WinStoreLock.h"
#include "platform/windows/WinSystemLocale.h"
#include "platform/windows/WinText.h"
#include "platform/windows/WinWindowMessaging.h"
#include "storage/uiProfile.h"

namespace q9 {
namespace {

using test::Bytes;

class WinRegistryStoreTest : public ::testing::Test {
 protected:
  WinRegistryStoreTest() : key("software\\q9test\\run" + std::to_string(GetCurrentProcessId())) {}
  ~WinRegistryStoreTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"software\\q9test"); }

  const std::string key;
  WinRegistryStore store;
};

TEST_F(WinRegistryStoreTest, BinaryValuesRoundTripAndReplaceWhole) {
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, key, "MyProfile0.GPX", Bytes{1, 0, 2}).ok());
  Bytes read;
  ASSERT_TRUE(store.ReadValue(kHKeyCurrentUser, key, "MyProfile0.GPX", read).ok());
  EXPECT_EQ(read, (Bytes{1, 0, 2}));
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, key, "MyProfile0.GPX", Bytes(332884, 7)).ok());
  ASSERT_TRUE(store.ReadValue(kHKeyCurrentUser, key, "MyProfile0.GPX", read).ok());
  EXPECT_EQ(read, Bytes(332884, 7));
}

TEST_F(WinRegistryStoreTest, MissingValueCreatesTheKey) {
  Bytes read{5};
  EXPECT_EQ(store.ReadValue(kHKeyCurrentUser, key, "qvGMPROFILE.GPX", read).result, RegistryResult::NoValue);
  EXPECT_EQ(read, Bytes{5});
  HKEY opened = nullptr;
  const std::wstring wideKey(key.begin(), key.end());
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, wideKey.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
}

TEST_F(WinRegistryStoreTest, ValueOfAnotherTypeIsRefused) {
  ASSERT_TRUE(store.CreateKey(kHKeyCurrentUser, key).ok());
  const std::wstring wideKey(key.begin(), key.end());
  const wchar_t text[] = L"not binary";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, wideKey.c_str(), L"qvGMPROFILE.GPX", REG_SZ, text, sizeof text),
            ERROR_SUCCESS);
  Bytes read;
  const RegistryStatus status = store.ReadValue(kHKeyCurrentUser, key, "qvGMPROFILE.GPX", read);
  EXPECT_EQ(status.result, RegistryResult::WrongType);
  EXPECT_EQ(status.message, "Invalid data type for 'qvGMPROFILE.GPX'");
}

// A value of another type is there: the data module must not take it for a missing one and store
// defaults over it.
TEST_F(WinRegistryStoreTest, ValueOfAnotherTypeCountsAsUnreadable) {
  ASSERT_TRUE(store.CreateKey(kHKeyCurrentUser, key).ok());
  const std::wstring wideKey(key.begin(), key.end());
  const DWORD number = 7;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, wideKey.c_str(), L"MyProfile1.GPX", REG_DWORD, &number, sizeof number),
            ERROR_SUCCESS);
  TuiProfile profile(store);
  profile.SetRootKey(kHKeyCurrentUser);
  profile.SetKeyPath(key);
  profile.SetFileName("MyProfile1.GPX");
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Unreadable);
  EXPECT_FALSE(profile.UnreadableReason().empty());
  EXPECT_NE(profile.StoredValueLocation().find("HKEY_CURRENT_USER\\" + key + "\\MyProfile1.GPX"), std::string::npos);
  profile.SetFileName("MyProfile2.GPX");
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Absent);
}

TEST_F(WinRegistryStoreTest, InvalidRootsAndPathsAreRefused) {
  EXPECT_EQ(store.CreateKey(0, key).result, RegistryResult::KeyUnavailable);
  EXPECT_EQ(store.CreateKey(kHKeyCurrentUser, "software\\\\x").result, RegistryResult::KeyUnavailable);
}

TEST(WinSingleInstanceLock, SecondHolderIsRefusedUntilRelease) {
  const std::string name = "q9test-lock-" + std::to_string(GetCurrentProcessId());
  WinSingleInstanceLock first;
  WinSingleInstanceLock second;
  EXPECT_EQ(first.TryAcquire(name), LockResult::Acquired);
  EXPECT_EQ(second.TryAcquire(name), LockResult::HeldElsewhere);
  first.Release();
  EXPECT_EQ(second.TryAcquire(name), LockResult::Acquired);
}

// A mutex belongs to its thread (the same thread may take it again), so contention is tried from
// another thread, as another program would.
template <typename Attempt>
auto FromAnotherThread(Attempt attempt) {
  decltype(attempt()) result{};
  std::thread other([&] { result = attempt(); });
  other.join();
  return result;
}

TEST(WinStoreLock, OneHolderPerStoreAndTheWindowMarkIsSeen) {
  test::TempFolder folder;
  WinStoreLock lock(folder.path());
  std::string error;
  ASSERT_EQ(lock.Lock(StoreLockMode::Exclusive, 0, error), StoreLockResult::Acquired) << error;
  EXPECT_EQ(FromAnotherThread([&] { return WinStoreLock(folder.path()).Lock(StoreLockMode::Shared, 50, error); }),
            StoreLockResult::Busy);
  EXPECT_EQ(FromAnotherThread([&] { return WinStoreLock(folder.path() / "." ).Lock(StoreLockMode::Shared, 50, error); }),
            StoreLockResult::Busy) << "the same folder however it is written";
  EXPECT_EQ(FromAnotherThread([&] { return WinStoreLock({}).Lock(StoreLockMode::Exclusive, 0, error); }),
            StoreLockResult::Acquired) << "the registry is another store";
  lock.Unlock();
  EXPECT_EQ(FromAnotherThread([&] { return WinStoreLock(folder.path()).Lock(StoreLockMode::Exclusive, 0, error); }),
            StoreLockResult::Acquired);

  WinStoreLock probe(folder.path());
  EXPECT_FALSE(probe.WindowMarkHeldElsewhere());
  ASSERT_EQ(lock.HoldWindowMark(error), StoreLockResult::Acquired) << error;
  EXPECT_TRUE(probe.WindowMarkHeldElsewhere());
  EXPECT_EQ(probe.HoldWindowMark(error), StoreLockResult::Busy);
  lock.ReleaseWindowMark();
  EXPECT_FALSE(probe.WindowMarkHeldElsewhere());
}

TEST(WinDriverTransport, OneProgramAtATimeWritesToADevice) {
  WinDriverTransport transport;
  const std::string name = "q9test-device-" + std::to_string(GetCurrentProcessId());
  std::unique_ptr<DeviceLease> lease;
  ASSERT_EQ(transport.TryLockDevice(name, lease), DeviceLockResult::Acquired);
  ASSERT_TRUE(lease);
  EXPECT_EQ(FromAnotherThread([&] {
              std::unique_ptr<DeviceLease> other;
              return transport.TryLockDevice(name, other);
            }),
            DeviceLockResult::Busy);
  lease.reset();
  EXPECT_EQ(FromAnotherThread([&] {
              std::unique_ptr<DeviceLease> other;
              return transport.TryLockDevice(name, other);
            }),
            DeviceLockResult::Acquired);
}

TEST(WinSystemLocale, LanguageIdsAreFourHexDigits) {
  const std::string id = WinSystemLocale().SystemDefaultLangId();
  EXPECT_EQ(id.size(), 4u);
  EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
  bool english = false;
  for (const LocaleEntry& e : WinSystemLocale().Locales()) english = english || e.langId == "0409";
  EXPECT_TRUE(english);
}

TEST(WinDriverTransport, AMissingDriverDeviceMeansNoMouse) {
  EXPECT_EQ(WinDriverTransport().Open("q9test-no-such-device", false), nullptr);
  EXPECT_EQ(WinDriverTransport().Open("q9test-no-such-device", true), nullptr);
}

TEST(WinWindowMessaging, SendReachesTheListeningWindowByClass) {
  const std::string windowClass = "q9test-window-" + std::to_string(GetCurrentProcessId());
  WinWindowMessaging window;
  WinWindowMessaging other;
  EXPECT_FALSE(other.FindWindowOfClass(windowClass));
  ASSERT_TRUE(window.Listen(windowClass, "QVGM_CONFIG", [](const WindowMessage& m) {
    return static_cast<std::intptr_t>(m.message == MSG_LANGUAGE_REAPPLY ? m.wParam + 1 : 0);
  }, {}));
  EXPECT_TRUE(other.FindWindowOfClass(windowClass));
  std::intptr_t result = 0;
  EXPECT_TRUE(other.Send(windowClass, {MSG_LANGUAGE_REAPPLY, 41, 0}, result));
  EXPECT_EQ(result, 42);
  window.StopListening();
  EXPECT_FALSE(other.FindWindowOfClass(windowClass));
  EXPECT_FALSE(other.Post(windowClass, {MSG_CONFIG_CLOSE, 0, 0}));
}

TEST(WinDeviceNotifications, RegistersForTheHidInterfaceAndStopsCleanly) {
  WinDeviceNotifications notifications;
  int calls = 0;
  EXPECT_TRUE(notifications.Start([&] { ++calls; }, [&] { ++calls; }));
  EXPECT_EQ(calls, 0) << "nothing is delivered inside Start";
  notifications.Stop();
  EXPECT_TRUE(notifications.Start({}, {})) << "can start again";
}

TEST(WinDeviceSetup, EnumeratesTheHidSetupClass) {
  std::vector<PresentDevice> devices(3);
  EXPECT_TRUE(WinDeviceSetup().EnumeratePresentHidDevices(devices));
  for (const PresentDevice& device : devices)
    for (const std::string& id : device.hardwareIds) EXPECT_FALSE(id.empty());
}

TEST(WinDurableFile, ReplacesWholeAndKeepsTheOldFileOnFailure) {
  test::TempFolder folder;
  const auto file = folder.path() / "p.GPX";
  std::string error;
  ASSERT_TRUE(WriteFileDurably(file, Bytes(100, 1), error)) << error;
  ASSERT_TRUE(WriteFileDurably(file, Bytes(50, 2), error)) << error;
  EXPECT_EQ(test::ReadFile(file), Bytes(50, 2));
  EXPECT_FALSE(WriteFileDurably(file, Bytes(10, 3), error,
                                [](DurableWriteStep step) { return step != DurableWriteStep::TemporaryWritten; }));
  EXPECT_EQ(test::ReadFile(file), Bytes(50, 2));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

// A write failing part way (a full disk, a write fault) says why and leaves the old file alone.
TEST(WinDurableFile, AFailingWriteIsReportedAndLeavesNoTemporaryFile) {
  test::TempFolder folder;
  const auto file = folder.path() / "p.GPX";
  std::string error;
  ASSERT_TRUE(WriteFileDurably(file, Bytes(50, 2), error)) << error;
  const auto failWith = [](int code) {
    return [code](DurableWriteStep step) {
      if (step != DurableWriteStep::Writing) return true;
      errno = code;
      return false;
    };
  };
  EXPECT_FALSE(WriteFileDurably(file, Bytes(10, 3), error, failWith(ENOSPC)));
  EXPECT_NE(error.find(Win32ErrorText(ERROR_DISK_FULL)), std::string::npos) << error;
  EXPECT_FALSE(WriteFileDurably(file, Bytes(10, 3), error, failWith(0)));
  EXPECT_NE(error.find(Win32ErrorText(ERROR_WRITE_FAULT)), std::string::npos) << error;
  EXPECT_EQ(test::ReadFile(file), Bytes(50, 2));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
  ASSERT_TRUE(WriteFileDurably(file, Bytes(10, 3), error)) << error;
  EXPECT_EQ(test::ReadFile(file), Bytes(10, 3));
}

TEST(WinDurableFile, FoldersAndDevicesAreNeitherReadNorReplaced) {
  test::TempFolder folder;
  const auto dir = folder.path() / "taken.GPX";
  std::filesystem::create_directory(dir);
  std::string error;
  EXPECT_FALSE(WriteFileDurably(dir, Bytes{1}, error));
  EXPECT_NE(error.find("a folder"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir));
  std::vector<std::uint8_t> read{9};
  EXPECT_EQ(ReadRegularFile(dir, 1000, read, error), FileReadResult::NotRegular);
  EXPECT_EQ(ReadRegularFile(folder.path() / "missing", 1000, read, error), FileReadResult::Missing);
  EXPECT_EQ(ReadRegularFile("NUL", 1000, read, error), FileReadResult::NotRegular) << "a device is not read";
  EXPECT_FALSE(WriteFileDurably("NUL", Bytes{1}, error));
  EXPECT_EQ(read, Bytes{9});
  test::WriteFile(folder.path() / "p.GPX", Bytes{1, 2});
  ASSERT_EQ(ReadRegularFile(folder.path() / "p.GPX", 1000, read, error), FileReadResult::Ok) << error;
  EXPECT_EQ(read, (Bytes{1, 2}));
  EXPECT_EQ(ReadRegularFile(folder.path() / "p.GPX", 1, read, error), FileReadResult::TooLarge);
}

TEST(WinShell, RefusesWhatIsNotThere) {
  WinShell shell;
  test::TempFolder folder;
  EXPECT_FALSE(shell.StartProgram(folder.path() / "zoGMMonitor.exe", folder.path()));
  EXPECT_FALSE(shell.BringWindowToFront("TqvMonitorMainNotRunning"));
  EXPECT_FALSE(shell.OpenDocument(""));
}

}  // namespace
}  // namespace q9
