#include <gtest/gtest.h>

#include <sstream>

#include "DriverCommands.h"
#include "Q9Ctl.h"
#include "TestSupport.h"

namespace q9 {
namespace {

class DriverCommandTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"q9ctl", "--store", store.str(), "--device-dir", store.str()});
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    out.str("");
    err.str("");
    return RunQ9Ctl(static_cast<int>(argv.size()), argv.data(), out, err);
  }

  test::TempFolder store;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(DriverCommandTest, LinuxSaysNoDriverIsNeededAndInstallOrRemoveIsNotASuccess) {
  const std::string socket = (store.path() / "usbglcs00001").string();
  EXPECT_EQ(Run({"driver", "status"}), 0) << err.str();
  EXPECT_EQ(out.str(), "driver: no filter driver is needed on this system (the mouse is reached through the driver socket " +
                           socket + ")\n");

  EXPECT_EQ(Run({"driver", "install"}), kDriverNotNeededExitStatus);
  EXPECT_EQ(err.str(), "q9ctl: driver: no filter driver is needed on this system (the mouse is reached through the driver "
                       "socket " + socket + "); nothing was installed\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"driver", "remove"}), kDriverNotNeededExitStatus);
  EXPECT_NE(err.str().find("nothing was removed"), std::string::npos) << err.str();

  EXPECT_EQ(Run({"driver"}), 2) << "a driver command must be named";
  EXPECT_EQ(Run({"driver", "upgrade"}), 2);
}

TEST(DriverReportText, EachMouseSaysWhatWasDoneAndWhyItFailed) {
  DriverInstallReport report;
  report.devices.push_back({"USB\\VID_1234&PID_5678", true, false, DriverAction::None, {}});
  report.devices.push_back({"USB\\VID_1234&PID_5679", true, true, DriverAction::HandInstall, {}});
  report.devices.push_back({"", false, false, DriverAction::PackageInstall, {5, "cannot run DIFxCmd.exe: access denied"}});
  EXPECT_EQ(DriverRunText(report, true),
            "USB\\VID_1234&PID_5678: nothing to do (the driver is installed and the device reports no problem)\n"
            "USB\\VID_1234&PID_5679: install by hand (the device reported a problem): done\n"
            "a device without a hardware id: install through the package installer: failed: cannot run DIFxCmd.exe: "
            "access denied\n");

  DriverInstallReport removal;
  removal.devices.push_back({"USB\\VID_1234&PID_5678", false, false, DriverAction::None, {}});
  removal.devices.push_back({"USB\\VID_1234&PID_5679", true, false, DriverAction::HandRemove, {}});
  EXPECT_EQ(DriverRunText(removal, false),
            "USB\\VID_1234&PID_5678: nothing to do (the driver is not installed)\n"
            "USB\\VID_1234&PID_5679: remove by hand: done\n");
}

TEST(DriverReportText, StatusNamesTheServiceTheListAndTheProblem) {
  TDriverInfo driver;
  driver.ServiceName = "q9filter";
  driver.UpperFilter = 1;
  DriverInstallReport report;
  EXPECT_EQ(DriverStatusText(report, driver), "no supported mouse is present\n");
  report.devices.push_back({"USB\\VID_1234&PID_5678", true, false, DriverAction::None, {}});
  report.devices.push_back({"USB\\VID_1234&PID_5679", false, true, DriverAction::None, {}});
  EXPECT_EQ(DriverStatusText(report, driver),
            "USB\\VID_1234&PID_5678: driver q9filter installed (upper filter), no problem reported\n"
            "USB\\VID_1234&PID_5679: driver q9filter not installed (upper filter), the device reports a problem\n");
}

}  // namespace
}  // namespace q9
