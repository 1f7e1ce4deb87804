#include "device/DriverInstall.h"

#include <algorithm>

#include "model/AsciiText.h"
#include "model/WideText.h"
#include "platform/Utf8Path.h"

namespace q9 {

namespace {

constexpr const char* kPackageInstaller = "DIFxCmd.exe";
constexpr const char* kInstallOptions = " DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE";
constexpr const char* kRemoveOptions = " DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE DRIVER_PACKAGE_DELETE_FILES";

// `what` failed because of `cause`: the system's error stays, the text says what was tried.
SetupStatus Failed(const std::string& what, const SetupStatus& cause) {
  SetupStatus status = cause;
  status.text = what + (cause.text.empty() ? "" : ": " + cause.text);
  return status;
}

// Closes a service handle however the step ends.
class ServiceHandleGuard {
 public:
  explicit ServiceHandleGuard(DriverInstaller& os) : os_(os) {}
  ~ServiceHandleGuard() {
    if (handle) os_.CloseService(handle);
  }
  ServiceHandleGuard(const ServiceHandleGuard&) = delete;
  ServiceHandleGuard& operator=(const ServiceHandleGuard&) = delete;
  ServiceHandle handle = 0;

 private:
  DriverInstaller& os_;
};

class Installation {
 public:
  Installation(const TDriverInfo& driver, DriverInstaller& os) : driver_(driver), os_(os) {}

  FilterKind Kind() const { return driver_.UpperFilter == 1 ? FilterKind::Upper : FilterKind::Lower; }

  bool InstalledOn(const PresentDevice& device) const {
    return FilterListNames(Kind() == FilterKind::Upper ? device.upperFilters : device.lowerFilters, driver_.ServiceName);
  }

  bool UsesPackage() { return driver_.WHQL != 0 && (driver_.X32WHQL != 0 || os_.IsWow64System()); }

  SetupStatus RunPackage(bool install) {
    std::filesystem::path folder = os_.ProgramFolder();
    const bool xp64 = os_.IsWow64System() && os_.IsXP64();
    folder /= !os_.IsWow64System() ? "DRIVERX86" : xp64 ? "XP64" : "DRIVERX64";
    const std::filesystem::path program = folder / kPackageInstaller;
    std::string parameters = (install ? "/i " : "/u ") + driver_.InfFileName;
    if (!os_.IsXP64()) parameters += install ? kInstallOptions : kRemoveOptions;
    std::uint32_t exitCode = 0;
    const SetupStatus started = os_.RunPackageInstaller(program, parameters, folder, exitCode);
    if (!started.ok()) return Failed("cannot run " + Utf8FromPath(program) + " " + parameters, started);
    if (exitCode != 0)
      return {exitCode, Utf8FromPath(program) + " " + parameters + " ended with exit code " + std::to_string(exitCode)};
    return SetupStatus::Done();
  }

  SetupStatus InstallByHand(const PresentDevice& device) {
    const std::filesystem::path source =
        os_.ProgramFolder() / (os_.IsWow64System() ? "DRIVERX64" : "DRIVERX86") / PathFromUtf8(driver_.FileName);
    const std::filesystem::path target = os_.SystemDriverFolder() / PathFromUtf8(driver_.FileName);
    // A target that cannot be deleted shows in the copy that follows.
    os_.DeleteDriverFile(target);
    if (const SetupStatus copied = os_.CopyDriverFile(source, target); !copied.ok())
      return Failed("cannot copy " + Utf8FromPath(source) + " to " + Utf8FromPath(target), copied);
    if (const SetupStatus registered = RegisterService(target); !registered.ok()) return registered;
    return NameInFilterListAndRestart(device, driver_.ServiceName);
  }

  SetupStatus RemoveByHand(const PresentDevice& device) {
    if (const SetupStatus deleted = DeleteDriverService(); !deleted.ok()) return deleted;
    return NameInFilterListAndRestart(device, "");
  }

 private:
  SetupStatus RegisterService(const std::filesystem::path& imagePath) {
    ServiceHandleGuard manager(os_);
    if (const SetupStatus opened = os_.OpenServiceManager(manager.handle); !opened.ok())
      return Failed("cannot open the service manager", opened);
    ServiceHandleGuard service(os_);
    if (os_.OpenDriverService(manager.handle, driver_.ServiceName, service.handle).ok()) {
      const SetupStatus changed = os_.ChangeDriverService(service.handle, imagePath, driver_.ServiceName + "_DisplayChange");
      return changed.ok() ? changed : Failed("cannot change the service " + driver_.ServiceName, changed);
    }
    const SetupStatus created =
        os_.CreateDriverService(manager.handle, driver_.ServiceName, driver_.ServiceName + "_Display", imagePath, service.handle);
    if (created.ok() || created.error == kErrorServiceExists) return SetupStatus::Done();
    return Failed("cannot create the service " + driver_.ServiceName, created);
  }

  SetupStatus DeleteDriverService() {
    ServiceHandleGuard manager(os_);
    if (const SetupStatus opened = os_.OpenServiceManager(manager.handle); !opened.ok())
      return Failed("cannot open the service manager", opened);
    ServiceHandleGuard service(os_);
    if (const SetupStatus opened = os_.OpenDriverService(manager.handle, driver_.ServiceName, service.handle); !opened.ok())
      return Failed("cannot open the service " + driver_.ServiceName, opened);
    const SetupStatus deleted = os_.DeleteDriverService(service.handle);
    return deleted.ok() ? deleted : Failed("cannot delete the service " + driver_.ServiceName, deleted);
  }

  // The filter list becomes exactly `name` (empty: no entry), then the device starts again with it.
  SetupStatus NameInFilterListAndRestart(const PresentDevice& device, const std::string& name) {
    const char* list = Kind() == FilterKind::Upper ? "upper" : "lower";
    if (const SetupStatus written = os_.WriteFilterList(device, Kind(), FilterListBuffer(name)); !written.ok())
      return Failed(std::string("cannot write the ") + list + " filter list of the device", written);
    if (const SetupStatus restarted = os_.RestartDevice(device); !restarted.ok())
      return Failed(std::string("the ") + list + " filter list was written, but the device could not be restarted "
                    "(unplug the mouse and plug it in again)", restarted);
    return SetupStatus::Done();
  }

  const TDriverInfo& driver_;
  DriverInstaller& os_;
};

std::string FirstHardwareId(const PresentDevice& device) {
  return device.hardwareIds.empty() ? std::string() : device.hardwareIds.front();
}

// The supported devices present, or the outcome that stops before any device is looked at.
DriverRunOutcome SupportedDevices(const std::vector<std::string>& usbDeviceList, DeviceSetup& setup, DriverInstaller& os,
                                  std::vector<PresentDevice>& supported) {
  if (!os.Supported()) return DriverRunOutcome::NotNeeded;
  std::vector<PresentDevice> devices;
  if (!setup.EnumeratePresentHidDevices(devices)) return DriverRunOutcome::EnumerationFailed;
  for (PresentDevice& device : devices)
    if (HardwareIdsInList(usbDeviceList, device.hardwareIds)) supported.push_back(std::move(device));
  return DriverRunOutcome::Done;
}

}  // namespace

bool DriverInstallReport::ok() const {
  return outcome == DriverRunOutcome::Done &&
         std::all_of(devices.begin(), devices.end(), [](const DriverDeviceReport& device) { return device.status.ok(); });
}

std::vector<std::uint8_t> FilterListBuffer(const std::string& serviceName) {
  std::vector<std::uint8_t> buffer(kFilterListBufferBytes, 0);
  const std::u16string name = Utf16FromUtf8(serviceName);
  // Room for the name's terminator and the list's.
  const std::size_t units = std::min(name.size(), kFilterListBufferBytes / 2 - 2);
  for (std::size_t i = 0; i < units; ++i) {
    buffer[2 * i] = static_cast<std::uint8_t>(name[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<std::uint8_t>(name[i] >> 8);
  }
  return buffer;
}

bool FilterListNames(const std::vector<std::string>& filters, const std::string& serviceName) {
  return std::any_of(filters.begin(), filters.end(),
                     [&](const std::string& entry) { return EqualsIgnoringAsciiCase(entry, serviceName); });
}

DriverInstallReport RunDriverInstallation(bool install, const TDriverInfo& driver, const std::vector<std::string>& usbDeviceList,
                                          DeviceSetup& setup, DriverInstaller& os) {
  DriverInstallReport report;
  std::vector<PresentDevice> devices;
  report.outcome = SupportedDevices(usbDeviceList, setup, os, devices);
  Installation installation(driver, os);
  for (const PresentDevice& device : devices) {
    DriverDeviceReport& entry = report.devices.emplace_back();
    entry.hardwareId = FirstHardwareId(device);
    entry.wasInstalled = installation.InstalledOn(device);
    entry.problem = entry.wasInstalled && os.DeviceHasProblem(device);
    const bool package = installation.UsesPackage();
    if (install && (!entry.wasInstalled || entry.problem)) {
      entry.action = package ? DriverAction::PackageInstall : DriverAction::HandInstall;
      entry.status = package ? installation.RunPackage(true) : installation.InstallByHand(device);
    } else if (entry.wasInstalled && !install) {
      entry.action = package ? DriverAction::PackageRemove : DriverAction::HandRemove;
      entry.status = package ? installation.RunPackage(false) : installation.RemoveByHand(device);
    }
  }
  return report;
}

DriverInstallReport DriverInstallationStatus(const TDriverInfo& driver, const std::vector<std::string>& usbDeviceList,
                                             DeviceSetup& setup, DriverInstaller& os) {
  DriverInstallReport report;
  std::vector<PresentDevice> devices;
  report.outcome = SupportedDevices(usbDeviceList, setup, os, devices);
  const Installation installation(driver, os);
  for (const PresentDevice& device : devices)
    report.devices.push_back(
        {FirstHardwareId(device), installation.InstalledOn(device), os.DeviceHasProblem(device), DriverAction::None, {}});
  return report;
}

std::string DriverActionText(DriverAction action) {
  switch (action) {
    case DriverAction::None:
      return "nothing to do";
    case DriverAction::PackageInstall:
      return "install through the package installer";
    case DriverAction::HandInstall:
      return "install by hand";
    case DriverAction::PackageRemove:
      return "remove through the package installer";
    case DriverAction::HandRemove:
      return "remove by hand";
  }
  return "unknown action";
}

}  // namespace q9
