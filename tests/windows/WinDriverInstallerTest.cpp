// The filter-driver backend against the real Win32 calls (on Windows, or under Wine): the edition
// tests, the driver-file copy and the kernel-driver service, read back with QueryServiceConfigW.
// Every service a test creates is deleted again, also when an expectation fails.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "device/DriverInstall.h"
#include "platform/fake/FakeDeviceSetup.h"
#include "platform/windows/WinDriverInstaller.h"

namespace q9 {
namespace {

constexpr const char* kMouseId = "USB\\VID_1234&PID_5678";

std::string UniqueServiceName(const char* purpose) {
  return std::string("q9test") + purpose + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The configuration of a service as the service manager reports it.
struct ServiceConfig {
  DWORD type = 0;
  DWORD start = 0;
  DWORD errorControl = 0;
  std::wstring imagePath;
  std::wstring displayName;
};

// Whether `name` is a service; its configuration in `config`.
bool QueryConfig(const std::string& name, ServiceConfig& config) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return false;
  SC_HANDLE service = OpenServiceW(manager, Wide(name).c_str(), SERVICE_QUERY_CONFIG);
  bool found = false;
  if (service) {
    DWORD needed = 0;
    QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<std::uint8_t> buffer(needed ? needed : sizeof(QUERY_SERVICE_CONFIGW));
    auto* queried = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (QueryServiceConfigW(service, queried, static_cast<DWORD>(buffer.size()), &needed)) {
      config = {queried->dwServiceType, queried->dwStartType, queried->dwErrorControl,
                queried->lpBinaryPathName ? queried->lpBinaryPathName : L"",
                queried->lpDisplayName ? queried->lpDisplayName : L""};
      found = true;
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return found;
}

bool ServiceExists(const std::string& name) {
  ServiceConfig ignored;
  return QueryConfig(name, ignored);
}

// Deletes the service of that name, if there is one, when the test ends however it ends.
class ServiceCleanup {
 public:
  explicit ServiceCleanup(std::string name) : name_(std::move(name)) {}
  ~ServiceCleanup() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    if (SC_HANDLE service = OpenServiceW(manager, Wide(name_).c_str(), DELETE)) {
      DeleteService(service);
      CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
  }
  ServiceCleanup(const ServiceCleanup&) = delete;
  ServiceCleanup& operator=(const ServiceCleanup&) = delete;

 private:
  std::string name_;
};

TEST(WinDriverInstaller, A64BitProcessIsNeitherWow64NorXp64AndHasItsFolders) {
  WinDriverInstaller os;
  EXPECT_TRUE(os.Supported());
  EXPECT_FALSE(os.IsWow64System()) << "this test program is a 64-bit process";
  EXPECT_FALSE(os.IsXP64());

  wchar_t module[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
  EXPECT_EQ(os.ProgramFolder(), std::filesystem::path(module).parent_path());

  wchar_t windows[MAX_PATH] = {};
  ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  EXPECT_EQ(os.SystemDriverFolder(), std::filesystem::path(windows) / L"System32" / L"Drivers");
}

TEST(WinDriverInstaller, DriverFileIsCopiedOverTheTargetAndDeleteReportsAMissingFile) {
  WinDriverInstaller os;
  test::TempFolder folder;
  const std::filesystem::path source = folder.path() / "q9filter.sys";
  const std::filesystem::path target = folder.path() / "target.sys";
  test::WriteFile(source, {1, 2, 3});
  test::WriteFile(target, {9, 9, 9, 9, 9});

  ASSERT_TRUE(os.CopyDriverFile(source, target).ok());
  EXPECT_EQ(test::ReadFile(target), (test::Bytes{1, 2, 3}));

  ASSERT_TRUE(os.DeleteDriverFile(target).ok());
  EXPECT_FALSE(std::filesystem::exists(target));
  const SetupStatus again = os.DeleteDriverFile(target);
  EXPECT_EQ(again.error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_NE(again.text.find("DeleteFileW"), std::string::npos) << again.text;

  const SetupStatus missingSource = os.CopyDriverFile(folder.path() / "absent.sys", target);
  EXPECT_EQ(missingSource.error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(WinDriverInstaller, KernelDriverServiceIsCreatedChangedAndDeleted) {
  WinDriverInstaller os;
  test::TempFolder folder;
  const std::string name = UniqueServiceName("svc");
  const ServiceCleanup cleanup(name);
  const std::filesystem::path image = folder.path() / "q9filter.sys";
  const std::filesystem::path changedImage = folder.path() / "q9filter2.sys";
  test::WriteFile(image, {0x4D, 0x5A});

  ServiceHandle manager = 0;
  ASSERT_TRUE(os.OpenServiceManager(manager).ok());
  struct CloseAtEnd {
    WinDriverInstaller& os;
    ServiceHandle handle;
    ~CloseAtEnd() { os.CloseService(handle); }
  } closeManager{os, manager};

  ServiceHandle absent = 7;
  const SetupStatus notThere = os.OpenDriverService(manager, name, absent);
  EXPECT_EQ(notThere.error, static_cast<std::uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(absent, 0u);

  ServiceHandle created = 0;
  const SetupStatus creation = os.CreateDriverService(manager, name, name + "_Display", image, created);
  ASSERT_TRUE(creation.ok()) << creation.text;
  ASSERT_NE(created, 0u);
  os.CloseService(created);

  ServiceConfig config;
  ASSERT_TRUE(QueryConfig(name, config));
  EXPECT_EQ(config.type, 1u);
  EXPECT_EQ(config.start, 3u);
  EXPECT_EQ(config.errorControl, 1u);
  EXPECT_EQ(config.imagePath, image.wstring());
  EXPECT_EQ(config.displayName, Wide(name + "_Display"));

  ServiceHandle second = 0;
  EXPECT_EQ(os.CreateDriverService(manager, name, name + "_Display", image, second).error, kErrorServiceExists);
  EXPECT_EQ(second, 0u);

  ServiceHandle service = 0;
  ASSERT_TRUE(os.OpenDriverService(manager, name, service).ok());
  const SetupStatus change = os.ChangeDriverService(service, changedImage, name + "_DisplayChange");
  EXPECT_TRUE(change.ok()) << change.text;
  ASSERT_TRUE(QueryConfig(name, config));
  EXPECT_EQ(config.type, 1u);
  EXPECT_EQ(config.start, 3u);
  EXPECT_EQ(config.errorControl, 1u);
  EXPECT_EQ(config.imagePath, changedImage.wstring());
  EXPECT_EQ(config.displayName, Wide(name + "_DisplayChange"));

  const SetupStatus deletion = os.DeleteDriverService(service);
  EXPECT_TRUE(deletion.ok()) << deletion.text;
  os.CloseService(service);
  EXPECT_FALSE(ServiceExists(name));
}

TEST(WinDriverInstaller, RemovingAServiceThatDoesNotExistFailsWithTheSystemsErrorAndChangesNothing) {
  WinDriverInstaller os;
  TDriverInfo driver;
  driver.ServiceName = UniqueServiceName("absent");
  driver.WHQL = 0;
  const ServiceCleanup cleanup(driver.ServiceName);
  // A bystander service that must outlive the failed removal.
  const std::string bystander = UniqueServiceName("keep");
  const ServiceCleanup keepCleanup(bystander);
  test::TempFolder folder;
  {
    ServiceHandle manager = 0;
    ASSERT_TRUE(os.OpenServiceManager(manager).ok());
    ServiceHandle created = 0;
    const SetupStatus creation = os.CreateDriverService(manager, bystander, bystander, folder.path() / "keep.sys", created);
    os.CloseService(created);
    os.CloseService(manager);
    ASSERT_TRUE(creation.ok()) << creation.text;
  }

  FakeDeviceSetup setup;
  setup.devices = {{{kMouseId}, {driver.ServiceName}, {}, "HID\\VID_1234&PID_5678\\1&2&3"}};
  const DriverInstallReport report = RunDriverInstallation(false, driver, {kMouseId}, setup, os);

  ASSERT_EQ(report.devices.size(), 1u);
  EXPECT_EQ(report.devices[0].action, DriverAction::HandRemove);
  EXPECT_EQ(report.devices[0].status.error, static_cast<std::uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_NE(report.devices[0].status.text.find("cannot open the service " + driver.ServiceName), std::string::npos)
      << report.devices[0].status.text;
  EXPECT_FALSE(report.ok());
  EXPECT_FALSE(ServiceExists(driver.ServiceName));
  EXPECT_TRUE(ServiceExists(bystander));
}

TEST(WinDriverInstaller, PackageInstallerIsWaitedForAndGivesItsExitCode) {
  WinDriverInstaller os;
  test::TempFolder folder;
  wchar_t system[MAX_PATH] = {};
  ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::filesystem::path shell = std::filesystem::path(system) / L"cmd.exe";

  // The program runs in the given folder: the file it writes lands there before the wait returns.
  std::uint32_t exitCode = 0;
  const SetupStatus ran = os.RunPackageInstaller(shell, "/c echo ran> marker.txt & exit 7", folder.path(), exitCode);
  ASSERT_TRUE(ran.ok()) << ran.text;
  EXPECT_EQ(exitCode, 7u);
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "marker.txt"));
}

TEST(WinDriverInstaller, FilterListOfADeviceThatIsNotThereIsNotWritten) {
  WinDriverInstaller os;
  const PresentDevice missing{{kMouseId}, {}, {}, "HID\\VID_1234&PID_5678\\9&9&9"};
  EXPECT_FALSE(os.WriteFilterList(missing, FilterKind::Lower, FilterListBuffer("q9filter")).ok());
  EXPECT_FALSE(os.RestartDevice(missing).ok());
  EXPECT_FALSE(os.DeviceHasProblem(missing));
}

}  // namespace
}  // namespace q9
