#include "DriverCommands.h"

#include <algorithm>
#include <memory>

#include "DeviceCommands.h"
#include "device/uiSTDCommand.h"
#include "platform/Backends.h"
#include "platform/Utf8Path.h"
#include "platform/fake/ManualScheduler.h"

namespace q9 {

namespace {

std::string FilterListName(const TDriverInfo& driver) { return driver.UpperFilter == 1 ? "upper" : "lower"; }

std::string DeviceName(const DriverDeviceReport& device) {
  return device.hardwareId.empty() ? std::string("a device without a hardware id") : device.hardwareId;
}

std::string NothingToDoReason(bool install) {
  if (install) return "the driver is installed and the device reports no problem";
  return "the driver is not installed";
}

// The channel with config.ini's driver names and list of supported mice.
struct DriverChannel {
  explicit DriverChannel(const Options& o)
      : transport(MakeDriverTransport(PathFromUtf8(o.deviceFolder))), channel(*transport, scheduler, ConfigFile(o)) {}
  std::unique_ptr<DriverTransport> transport;
  ManualScheduler scheduler;
  TuiSTDCommand channel;
  std::unique_ptr<DeviceSetup> setup = MakeDeviceSetup();
  std::unique_ptr<DriverInstaller> installer = MakeDriverInstaller();
};

void ThrowWhenNotListed(const DriverInstallReport& report) {
  if (report.outcome == DriverRunOutcome::EnumerationFailed)
    throw CommandFailed("driver: the present devices could not be listed; nothing was changed");
}

int RunDriver(const Options& o, std::ostream& out) {
  DriverChannel driver(o);
  const DriverInstallReport report = driver.channel.HidInstallDriver(o.driverInstall, *driver.setup, *driver.installer);
  if (report.outcome == DriverRunOutcome::NotNeeded)
    throw CommandFailed("driver: " + DriverNotNeededText(driver.channel.DeviceLocation()) + "; nothing was " +
                            (o.driverInstall ? "installed" : "removed"),
                        kDriverNotNeededExitStatus);
  ThrowWhenNotListed(report);
  if (report.devices.empty())
    throw CommandFailed("driver: no supported mouse is present (no present device has a hardware id of [usbdevicelist] in " +
                        Utf8FromPath(ConfigFile(o)) + ")");
  out << DriverRunText(report, o.driverInstall);
  if (!report.ok()) {
    const auto failed = std::count_if(report.devices.begin(), report.devices.end(),
                                      [](const DriverDeviceReport& device) { return !device.status.ok(); });
    throw CommandFailed("driver: " + std::string(o.driverInstall ? "installing" : "removing") + " failed for " +
                        std::to_string(failed) + " of " + std::to_string(report.devices.size()) +
                        (report.devices.size() == 1 ? " mouse" : " mice"));
  }
  return 0;
}

int DriverInstallOrRemove(TDM&, const Options& o, std::ostream& out) { return RunDriver(o, out); }

int DriverStatus(TDM&, const Options& o, std::ostream& out) {
  DriverChannel driver(o);
  const DriverInstallReport report = driver.channel.HidDriverStatus(*driver.setup, *driver.installer);
  if (report.outcome == DriverRunOutcome::NotNeeded) {
    out << "driver: " << DriverNotNeededText(driver.channel.DeviceLocation()) << "\n";
    return 0;
  }
  ThrowWhenNotListed(report);
  out << DriverStatusText(report, driver.channel.DriverInfo());
  return 0;
}

}  // namespace

std::string DriverRunText(const DriverInstallReport& report, bool install) {
  std::string text;
  for (const DriverDeviceReport& device : report.devices) {
    text += DeviceName(device) + ": ";
    if (device.action == DriverAction::None)
      text += "nothing to do (" + NothingToDoReason(install) + ")";
    else
      text += DriverActionText(device.action) + (device.problem ? " (the device reported a problem)" : "") + ": " +
              (device.status.ok() ? "done" : "failed: " + device.status.text);
    text += "\n";
  }
  return text;
}

std::string DriverStatusText(const DriverInstallReport& report, const TDriverInfo& driver) {
  if (report.devices.empty()) return "no supported mouse is present\n";
  std::string text;
  for (const DriverDeviceReport& device : report.devices)
    text += DeviceName(device) + ": driver " + driver.ServiceName + (device.wasInstalled ? " installed" : " not installed") +
            " (" + FilterListName(driver) + " filter), " +
            (device.problem ? "the device reports a problem" : "no problem reported") + "\n";
  return text;
}

std::string DriverNotNeededText(const std::string& deviceLocation) {
  return "no filter driver is needed on this system (the mouse is reached through the driver socket " + deviceLocation + ")";
}

void AddDriverCommands(CLI::App& app, Options& o, Command& command) {
  CLI::App* driver = app.add_subcommand("driver", "Install or remove the mouse's filter driver, or show where it is installed");
  driver->require_subcommand(1);
  CLI::App* install = driver->add_subcommand("install", "Install the filter driver on every present supported mouse "
                                                        "(exit 3 where no driver is needed)");
  install->callback([&] {
    o.driverInstall = true;
    command = DriverInstallOrRemove;
  });
  CLI::App* remove = driver->add_subcommand("remove", "Remove the filter driver from every present supported mouse "
                                                      "(exit 3 where no driver is needed)");
  remove->callback([&] {
    o.driverInstall = false;
    command = DriverInstallOrRemove;
  });
  CLI::App* status = driver->add_subcommand("status", "List the present supported mice, whether the driver is in their "
                                                      "filter list and whether they report a problem");
  status->callback([&] { command = DriverStatus; });
}

}  // namespace q9
