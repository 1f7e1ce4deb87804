#pragma once
// DeviceConfig: what config.ini beside the program says about the driver and the supported mice,
// and the hardware-ID tests that use its lists. The file is read once and never written.
//
// config.ini:
//   [devicelist]     id1, id2, ... : HID hardware IDs of the supported mice
//   [usbdevicelist]  id1, id2, ... : their USB hardware IDs
//   [DEVICE]         InfFileName, FileName, ServiceName, ServiceNamex86, ServiceNamex64, DeviceName (names),
//                    WHQL, X32WHQL, UpperFilter (integers)
// A missing file or key gives the defaults of TDriverInfo and empty lists.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "device/IniFile.h"

namespace q9 {

/// The name of the file, in the program's folder.
inline constexpr const char* kConfigFileName = "config.ini";
/// Each list holds at most this many IDs (keys "id1" to "id101").
inline constexpr std::size_t kLargestDeviceList = 101;

/// The driver, as named in the [DEVICE] section.
struct TDriverInfo {
  /// Driver package (.inf) file name.
  std::string InfFileName = "usbglcs00001.inf";
  /// Driver (.sys) file name.
  std::string FileName = "usbglcs00001.sys";
  /// Service name of the driver.
  std::string ServiceName = "usbglcs00001";
  /// Read with the others; nothing uses them.
  std::string ServiceNamex86 = "usbglcs00001";
  std::string ServiceNamex64 = "usbglcs00001";
  /// Name of the driver's device; see DevicePathOf().
  std::string DeviceName = "usbglcs00001";
  /// Non-zero: install through the driver-package installer.
  int WHQL = 0;
  /// Non-zero: use the package installer on 32-bit Windows too.
  int X32WHQL = 0;
  /// 1: the driver is an upper filter of the device; any other value: a lower filter.
  int UpperFilter = 0;

  bool operator==(const TDriverInfo&) const = default;
};

/// Everything config.ini holds.
struct DeviceConfig {
  /// HID hardware IDs of the supported mice, in file order.
  std::vector<std::string> hidDeviceList;
  /// USB hardware IDs of the supported mice, in file order.
  std::vector<std::string> usbDeviceList;
  TDriverInfo driverInfo;
};

/// Reads a config.ini; a missing or unreadable file gives the defaults.
DeviceConfig LoadDeviceConfig(const std::filesystem::path& iniFile);
/// Reads the lists from "id1" up to the first missing or empty key, and the driver's names and flags.
/// A name that is empty, ".", "..", longer than 255 bytes, or holds a character a Windows file name
/// cannot (a path separator, ':', '*', '?', '"', '<', '>', '|' or a control character) keeps its
/// default: the names become parts of device and file paths.
DeviceConfig ReadDeviceConfig(const IniFile& ini);

/// The path the driver's device is opened by: "\\.\" followed by DeviceName.
std::string DevicePathOf(const TDriverInfo& driverInfo);

/// Whether one of `hardwareIds` equals an entry of `list` as a whole, ignoring ASCII letter case.
bool HardwareIdsInList(const std::vector<std::string>& list, const std::vector<std::string>& hardwareIds);
/// Whether one of a device's hardware IDs equals `vidPid` when both are upper-cased.
bool HardwareIdMatches(const std::vector<std::string>& deviceHardwareIds, const std::string& vidPid);

}  // namespace q9
