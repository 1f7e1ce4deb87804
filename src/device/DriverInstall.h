#pragma once
// Installing and removing the mouse's filter driver on every present supported mouse, either through
// the driver-package installer beside the program or by hand (driver file, service, filter list,
// device restart), and what each device ended with.

#include <cstdint>
#include <string>
#include <vector>

#include "device/DeviceConfig.h"
#include "platform/DeviceSetup.h"
#include "platform/DriverInstaller.h"

namespace q9 {

/// What was done for one device.
enum class DriverAction {
  None,            ///< nothing needed: already installed (install) or not installed (remove)
  PackageInstall,  ///< the package installer was run to install
  HandInstall,     ///< driver file, service, filter list and restart by this program
  PackageRemove,
  HandRemove,
};

struct DriverDeviceReport {
  /// The device's first hardware ID.
  std::string hardwareId;
  /// The driver's service was in the device's filter list before anything was done.
  bool wasInstalled = false;
  /// The device node reported a problem (asked only where the driver was installed).
  bool problem = false;
  DriverAction action = DriverAction::None;
  /// How the action ended; error 0 and no text for DriverAction::None.
  SetupStatus status;
};

enum class DriverRunOutcome {
  Done,               ///< the present devices were looked at; see the devices
  NotNeeded,          ///< this system has no filter driver; nothing was asked of it
  EnumerationFailed,  ///< the present devices could not be listed
};

struct DriverInstallReport {
  DriverRunOutcome outcome = DriverRunOutcome::Done;
  /// One entry per present device with a hardware ID of the "usbdevicelist" list, in system order.
  std::vector<DriverDeviceReport> devices;
  /// Done, and no device's action failed.
  bool ok() const;
};

/// The filter-list buffer: `serviceName` in UTF-16 with its terminator, then zeros up to
/// kFilterListBufferBytes; an empty name gives only zeros (an empty list). A name too long for the
/// buffer is cut so that the list stays terminated.
std::vector<std::uint8_t> FilterListBuffer(const std::string& serviceName);

/// Whether `filters` holds `serviceName` as a whole entry, letter case ignored.
bool FilterListNames(const std::vector<std::string>& filters, const std::string& serviceName);

/// Installs (`install`) or removes the driver on each present device whose hardware IDs are in
/// `usbDeviceList`. Install acts where the driver is missing or its device reports a problem;
/// remove acts where it is installed.
DriverInstallReport RunDriverInstallation(bool install, const TDriverInfo& driver, const std::vector<std::string>& usbDeviceList,
                                          DeviceSetup& setup, DriverInstaller& os);
/// The same devices with whether the driver is installed on them and their problem state; changes nothing.
DriverInstallReport DriverInstallationStatus(const TDriverInfo& driver, const std::vector<std::string>& usbDeviceList,
                                             DeviceSetup& setup, DriverInstaller& os);

/// "install through the package installer", ... for messages.
std::string DriverActionText(DriverAction action);

}  // namespace q9
