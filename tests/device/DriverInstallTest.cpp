#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "device/uiSTDCommand.h"
#include "platform/Utf8Path.h"
#include "platform/fake/FakeDeviceSetup.h"
#include "platform/fake/FakeDriverInstaller.h"
#include "platform/fake/FakeDriverTransport.h"
#include "platform/fake/ManualScheduler.h"

namespace q9 {
namespace {

using Steps = std::vector<std::string>;

constexpr const char* kMouseId = "USB\\VID_1234&PID_5678";

// The driver file beside the program, in the fake's folders, with this system's separators.
std::string DriverSource(const char* architectureFolder) {
  return Utf8FromPath(std::filesystem::path("Q9") / architectureFolder / "q9filter.sys");
}
std::string CopyDetail(const char* architectureFolder) {
  return DriverSource(architectureFolder) + " -> " +
         Utf8FromPath(std::filesystem::path("Windows/System32/Drivers") / "q9filter.sys");
}

PresentDevice Mouse(const std::string& instance, std::vector<std::string> lower = {}, std::vector<std::string> upper = {}) {
  return {{kMouseId, "USB\\VID_1234&PID_5678&REV_0100"}, std::move(lower), std::move(upper), instance};
}

class DriverInstallTest : public ::testing::Test {
 protected:
  DriverInstallTest() { WriteConfig(0, 0, 0); }

  void WriteConfig(int whql, int x32whql, int upperFilter) {
    const std::string ini = "[usbdevicelist]\nid1=" + std::string(kMouseId) + "\n[DEVICE]\nServiceName=q9filter\n"
                        "FileName=q9filter.sys\nInfFileName=q9filter.inf\nWHQL=" + std::to_string(whql) +
                        "\nX32WHQL=" + std::to_string(x32whql) + "\nUpperFilter=" + std::to_string(upperFilter) + "\n";
    test::WriteFile(folder.path() / "config.ini", test::Bytes(ini.begin(), ini.end()));
    channel = std::make_unique<TuiSTDCommand>(driver, scheduler, folder.path() / "config.ini");
  }

  DriverInstallReport Install() { return channel->HidInstallDriver(true, setup, os); }
  DriverInstallReport Remove() { return channel->HidInstallDriver(false, setup, os); }

  test::TempFolder folder;
  FakeDriverTransport driver;
  ManualScheduler scheduler;
  std::unique_ptr<TuiSTDCommand> channel;
  FakeDeviceSetup setup;
  FakeDriverInstaller os;
};

const Steps kHandInstallSteps = {"DeleteDriverFile", "CopyDriverFile", "OpenServiceManager", "OpenDriverService",
                                 "CreateDriverService", "CloseService", "CloseService", "WriteFilterList", "RestartDevice"};

TEST_F(DriverInstallTest, InstalledWithoutProblemIsLeftAloneAndAProblemInstallsAgain) {
  setup.devices = {Mouse("mouse1", {"kbdclass", "Q9FILTER"})};
  DriverInstallReport report = Install();
  ASSERT_EQ(report.devices.size(), 1u);
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(report.devices[0].wasInstalled) << "the service name matches whatever its letter case";
  EXPECT_EQ(report.devices[0].action, DriverAction::None);
  EXPECT_EQ(report.devices[0].hardwareId, kMouseId);
  EXPECT_TRUE(os.steps.empty());

  os.problemDevices = {"mouse1"};
  report = Install();
  EXPECT_TRUE(report.devices[0].problem);
  EXPECT_EQ(report.devices[0].action, DriverAction::HandInstall);
  EXPECT_EQ(os.StepNames(), kHandInstallSteps);
}

TEST_F(DriverInstallTest, OnlyAWholeEntryOfTheChosenListCountsAsInstalled) {
  // A longer name, or the name in the other list, is not the driver.
  setup.devices = {Mouse("mouse1", {"q9filterx"}, {"q9filter"})};
  EXPECT_FALSE(Install().devices[0].wasInstalled);
  WriteConfig(0, 0, 1);
  setup.devices = {Mouse("mouse1", {"q9filter"}, {"xq9filter"})};
  EXPECT_FALSE(Install().devices[0].wasInstalled);
  setup.devices = {Mouse("mouse1", {}, {"Q9Filter"})};
  EXPECT_TRUE(Install().devices[0].wasInstalled);
}

TEST_F(DriverInstallTest, OtherDevicesAreNotTouched) {
  setup.devices = {{{"HID\\VID_0001&PID_0002"}, {}, {}, "keyboard"}, Mouse("mouse1")};
  const DriverInstallReport report = Install();
  ASSERT_EQ(report.devices.size(), 1u);
  ASSERT_EQ(os.filterWrites.size(), 1u);
  EXPECT_EQ(os.filterWrites[0].instanceId, "mouse1");
}

TEST_F(DriverInstallTest, PackageOrByHandFollowsWhqlAndTheSystem) {
  setup.devices = {Mouse("mouse1")};
  WriteConfig(1, 0, 0);
  EXPECT_EQ(Install().devices[0].action, DriverAction::HandInstall) << "32-bit Windows without X32WHQL";
  EXPECT_TRUE(os.installerRuns.empty());

  WriteConfig(1, 1, 0);
  EXPECT_EQ(Install().devices[0].action, DriverAction::PackageInstall);
  ASSERT_EQ(os.installerRuns.size(), 1u);
  EXPECT_EQ(os.installerRuns[0].program, os.programFolder / "DRIVERX86" / "DIFxCmd.exe");
  EXPECT_EQ(os.installerRuns[0].folder, os.programFolder / "DRIVERX86");
  EXPECT_EQ(os.installerRuns[0].parameters, "/i q9filter.inf DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE");

  WriteConfig(1, 0, 0);
  os.wow64 = true;
  EXPECT_EQ(Install().devices[0].action, DriverAction::PackageInstall) << "64-bit Windows uses the package";
  EXPECT_EQ(os.installerRuns.back().folder, os.programFolder / "DRIVERX64");

  WriteConfig(0, 1, 0);
  EXPECT_EQ(Install().devices[0].action, DriverAction::HandInstall) << "without WHQL never the package";
}

TEST_F(DriverInstallTest, PackageRemovalAndXp64) {
  WriteConfig(1, 0, 0);
  os.wow64 = true;
  os.xp64 = true;
  setup.devices = {Mouse("mouse1")};
  Install();
  ASSERT_EQ(os.installerRuns.size(), 1u);
  EXPECT_EQ(os.installerRuns[0].program, os.programFolder / "XP64" / "DIFxCmd.exe");
  EXPECT_EQ(os.installerRuns[0].parameters, "/i q9filter.inf") << "no options after the package name";

  setup.devices = {Mouse("mouse1", {"q9filter"})};
  EXPECT_EQ(Remove().devices[0].action, DriverAction::PackageRemove);
  EXPECT_EQ(os.installerRuns.back().parameters, "/u q9filter.inf");
  os.xp64 = false;
  Remove();
  EXPECT_EQ(os.installerRuns.back().parameters,
            "/u q9filter.inf DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE DRIVER_PACKAGE_DELETE_FILES");
  EXPECT_EQ(os.installerRuns.back().folder, os.programFolder / "DRIVERX64");
}

TEST_F(DriverInstallTest, TwoMiceRunThePackageInstallerTwiceAndItsFailureIsReported) {
  WriteConfig(1, 1, 0);
  setup.devices = {Mouse("mouse1"), Mouse("mouse2")};
  os.installerExitCode = 2;
  const DriverInstallReport report = Install();
  EXPECT_EQ(os.installerRuns.size(), 2u);
  ASSERT_EQ(report.devices.size(), 2u);
  EXPECT_FALSE(report.ok());
  EXPECT_EQ(report.devices[1].status.error, 2u);
  EXPECT_NE(report.devices[1].status.text.find("exit code 2"), std::string::npos) << report.devices[1].status.text;

  os.FailStep("RunPackageInstaller", 2);
  const DriverInstallReport missing = Install();
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.devices[0].status.text.find("cannot run"), std::string::npos) << missing.devices[0].status.text;
}

TEST_F(DriverInstallTest, ByHandCopiesRegistersNamesAndRestarts) {
  setup.devices = {Mouse("mouse1", {"other", "q9filterx"})};
  const DriverInstallReport report = Install();
  EXPECT_TRUE(report.ok()) << report.devices[0].status.text;
  EXPECT_EQ(os.StepNames(), kHandInstallSteps);
  EXPECT_EQ(os.steps[1].detail, CopyDetail("DRIVERX86"));
  ASSERT_EQ(os.services.count("q9filter"), 1u);
  EXPECT_EQ(os.services["q9filter"].displayName, "q9filter_Display");
  EXPECT_EQ(os.services["q9filter"].imagePath, os.systemDriverFolder / "q9filter.sys");
  ASSERT_EQ(os.filterWrites.size(), 1u);
  EXPECT_EQ(os.filterWrites[0].kind, FilterKind::Lower);
  EXPECT_EQ(os.filterWrites[0].buffer, FilterListBuffer("q9filter")) << "the whole list becomes the one name";
  EXPECT_EQ(os.OpenHandles(), 0u);

  // Installed again over an existing service: its configuration is changed instead.
  os.steps.clear();
  os.wow64 = true;
  WriteConfig(0, 0, 1);
  Install();
  EXPECT_EQ(os.StepNames(), (Steps{"DeleteDriverFile", "CopyDriverFile", "OpenServiceManager", "OpenDriverService",
                                   "ChangeDriverService", "CloseService", "CloseService", "WriteFilterList", "RestartDevice"}));
  EXPECT_EQ(os.steps[1].detail, CopyDetail("DRIVERX64"));
  EXPECT_EQ(os.services["q9filter"].displayName, "q9filter_DisplayChange");
  EXPECT_EQ(os.filterWrites.back().kind, FilterKind::Upper);
}

TEST_F(DriverInstallTest, AServiceThatExistsAlreadyCountsAsCreated) {
  setup.devices = {Mouse("mouse1")};
  os.FailStep("OpenDriverService", FakeDriverInstaller::kErrorServiceDoesNotExist);
  os.FailStep("CreateDriverService", kErrorServiceExists);
  EXPECT_TRUE(Install().ok());
  EXPECT_EQ(os.filterWrites.size(), 1u);
}

TEST_F(DriverInstallTest, AFailedStepEndsTheDeviceBeforeTheNextAndIsReported) {
  setup.devices = {Mouse("mouse1")};
  struct Case {
    const char* failing;
    const char* lastStep;
    std::string says;
  };
  for (const Case& c : {Case{"CopyDriverFile", "CopyDriverFile", "cannot copy " + DriverSource("DRIVERX86")},
                        Case{"OpenServiceManager", "OpenServiceManager", "cannot open the service manager"},
                        Case{"CreateDriverService", "CloseService", "cannot create the service q9filter"},
                        Case{"WriteFilterList", "WriteFilterList", "cannot write the lower filter list"},
                        Case{"RestartDevice", "RestartDevice", "could not be restarted"}}) {
    SCOPED_TRACE(c.failing);
    os.steps.clear();
    os.services.clear();
    os.failures.clear();
    os.FailStep(c.failing, 5);
    const DriverInstallReport report = Install();
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(report.devices[0].status.error, 5u);
    EXPECT_NE(report.devices[0].status.text.find(c.says), std::string::npos) << report.devices[0].status.text;
    EXPECT_NE(report.devices[0].status.text.find("error 5"), std::string::npos) << "the system's reason is kept";
    EXPECT_EQ(os.steps.back().name, c.lastStep);
    EXPECT_EQ(os.OpenHandles(), 0u);
  }
  os.failures.clear();
  os.steps.clear();
  os.services.clear();
  os.FailStep("CopyDriverFile");
  Install();
  EXPECT_TRUE(os.services.empty()) << "a failed copy registers no service";

  // A service that exists but cannot be changed: no filter list names a driver that will not load.
  os.failures.clear();
  os.steps.clear();
  os.filterWrites.clear();
  os.services["q9filter"] = {"q9filter_Display", "old.sys"};
  os.FailStep("ChangeDriverService");
  EXPECT_FALSE(Install().ok());
  EXPECT_TRUE(os.filterWrites.empty());
  EXPECT_EQ(os.OpenHandles(), 0u);
}

TEST_F(DriverInstallTest, RemovalByHandDeletesTheServiceAndEmptiesTheList) {
  os.services["q9filter"] = {"q9filter_Display", "q9filter.sys"};
  setup.devices = {Mouse("mouse1", {"Q9FILTER"})};
  DriverInstallReport report = Remove();
  EXPECT_TRUE(report.ok()) << report.devices[0].status.text;
  EXPECT_EQ(report.devices[0].action, DriverAction::HandRemove);
  EXPECT_EQ(os.StepNames(), (Steps{"OpenServiceManager", "OpenDriverService", "DeleteDriverService", "CloseService",
                                   "CloseService", "WriteFilterList", "RestartDevice"}));
  EXPECT_TRUE(os.services.empty());
  ASSERT_EQ(os.filterWrites.size(), 1u);
  EXPECT_EQ(os.filterWrites[0].buffer, std::vector<std::uint8_t>(kFilterListBufferBytes, 0));

  // Without the service the list is left as it is.
  os.steps.clear();
  os.filterWrites.clear();
  report = Remove();
  EXPECT_FALSE(report.ok());
  EXPECT_NE(report.devices[0].status.text.find("cannot open the service q9filter"), std::string::npos);
  EXPECT_TRUE(os.filterWrites.empty());
  EXPECT_EQ(os.OpenHandles(), 0u);
}

TEST_F(DriverInstallTest, RemovingWhatIsNotInstalledAsksNothingButTheDeviceList) {
  os.problemDevices = {"mouse1"};
  setup.devices = {Mouse("mouse1", {"q9filterx"})};
  const DriverInstallReport report = Remove();
  EXPECT_TRUE(report.ok());
  EXPECT_EQ(report.devices[0].action, DriverAction::None);
  EXPECT_FALSE(report.devices[0].problem) << "the problem state matters only where the driver is installed";
  EXPECT_TRUE(os.steps.empty());
  EXPECT_EQ(setup.enumerations, 1);
}

TEST_F(DriverInstallTest, WithoutADeviceListOrADriverModelNothingHappensAndItIsSaid) {
  setup.devices = {Mouse("mouse1")};
  setup.enumerationSucceeds = false;
  DriverInstallReport report = Install();
  EXPECT_EQ(report.outcome, DriverRunOutcome::EnumerationFailed);
  EXPECT_FALSE(report.ok());

  os.supported = false;
  report = Install();
  EXPECT_EQ(report.outcome, DriverRunOutcome::NotNeeded);
  EXPECT_FALSE(report.ok()) << "not needed is not an installation";
  EXPECT_EQ(setup.enumerations, 1) << "a system without the driver is not asked for devices";
  EXPECT_EQ(channel->HidDriverStatus(setup, os).outcome, DriverRunOutcome::NotNeeded);
  EXPECT_TRUE(os.steps.empty());
}

TEST_F(DriverInstallTest, StatusTellsPerMouseAndChangesNothing) {
  os.problemDevices = {"mouse2"};
  setup.devices = {Mouse("mouse1", {"q9filter"}), Mouse("mouse2")};
  const DriverInstallReport status = channel->HidDriverStatus(setup, os);
  ASSERT_EQ(status.devices.size(), 2u);
  EXPECT_TRUE(status.devices[0].wasInstalled);
  EXPECT_FALSE(status.devices[0].problem);
  EXPECT_FALSE(status.devices[1].wasInstalled);
  EXPECT_TRUE(status.devices[1].problem);
  EXPECT_TRUE(os.steps.empty());
}

TEST(FilterListBuffer, NameInUtf16ThenZerosAndAlwaysTerminated) {
  const std::vector<std::uint8_t> buffer = FilterListBuffer("q9f");
  ASSERT_EQ(buffer.size(), kFilterListBufferBytes);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 8), (std::vector<std::uint8_t>{'q', 0, '9', 0, 'f', 0, 0, 0}));
  EXPECT_TRUE(std::all_of(buffer.begin() + 6, buffer.end(), [](std::uint8_t b) { return b == 0; }));

  const std::vector<std::uint8_t> wide = FilterListBuffer("\xC3\xA9");  // U+00E9
  EXPECT_EQ(wide[0], 0xE9);
  EXPECT_EQ(wide[1], 0x00);

  const std::vector<std::uint8_t> longest = FilterListBuffer(std::string(40000, 'a'));
  ASSERT_EQ(longest.size(), kFilterListBufferBytes);
  EXPECT_EQ(longest[kFilterListBufferBytes - 6], 'a');
  EXPECT_TRUE(std::all_of(longest.end() - 4, longest.end(), [](std::uint8_t b) { return b == 0; }))
      << "the name and the list stay terminated";
}

}  // namespace
}  // namespace q9
