#pragma once
// What installing the mouse's filter driver needs of the system: tests of the Windows edition, the
// device node's problem state, files in the system's driver folder, the service manager, the
// device's filter list, restarting the device and running the driver-package installer.
//
// Contract: every operation answers a SetupStatus (error 0 = done; otherwise the system's error
// code and a text saying what failed). Service handles handed out here stay open until
// CloseService; the caller closes every one of them. Where the system has no filter driver,
// Supported() is false and a caller asks nothing else.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/DeviceSetup.h"

namespace q9 {

struct SetupStatus {
  std::uint32_t error = 0;
  std::string text;
  bool ok() const { return error == 0; }
  static SetupStatus Done() { return {}; }
};

/// Which filter list of a device names the driver.
enum class FilterKind { Upper, Lower };

/// How a device is switched by a property change.
enum class DeviceStateChange { Disable, Enable };

/// A service or service-manager handle; 0 is none.
using ServiceHandle = std::uintptr_t;

/// The error the service manager gives when a service of that name exists already.
inline constexpr std::uint32_t kErrorServiceExists = 1073;
/// The size of the buffer a filter list is written from.
inline constexpr std::size_t kFilterListBufferBytes = 32768;

class DriverInstaller {
 public:
  virtual ~DriverInstaller() = default;

  /// Whether this system installs the mouse's filter driver at all.
  virtual bool Supported() const = 0;
  /// A 32-bit process on 64-bit Windows.
  virtual bool IsWow64System() = 0;
  /// Windows XP Professional x64.
  virtual bool IsXP64() = 0;
  /// The device node reports a problem.
  virtual bool DeviceHasProblem(const PresentDevice& device) = 0;

  /// The folder of the running program.
  virtual std::filesystem::path ProgramFolder() = 0;
  /// The system's driver folder (the Windows folder + "\System32\Drivers").
  virtual std::filesystem::path SystemDriverFolder() = 0;
  virtual SetupStatus DeleteDriverFile(const std::filesystem::path& file) = 0;
  /// Copies `source` over `target`.
  virtual SetupStatus CopyDriverFile(const std::filesystem::path& source, const std::filesystem::path& target) = 0;

  /// The service manager with full access.
  virtual SetupStatus OpenServiceManager(ServiceHandle& manager) = 0;
  /// An existing service with full access; an error when there is none.
  virtual SetupStatus OpenDriverService(ServiceHandle manager, const std::string& name, ServiceHandle& service) = 0;
  /// A new kernel driver started on demand with normal error control, no group, tag, dependencies
  /// or account; kErrorServiceExists when the name is taken.
  virtual SetupStatus CreateDriverService(ServiceHandle manager, const std::string& name, const std::string& displayName,
                                    const std::filesystem::path& imagePath, ServiceHandle& service) = 0;
  /// Makes the service a kernel driver started on demand with normal error control.
  virtual SetupStatus ChangeDriverService(ServiceHandle service, const std::filesystem::path& imagePath,
                                          const std::string& displayName) = 0;
  virtual SetupStatus DeleteDriverService(ServiceHandle service) = 0;
  virtual void CloseService(ServiceHandle handle) = 0;

  /// Writes the device's filter list of that kind from a kFilterListBufferBytes buffer.
  virtual SetupStatus WriteFilterList(const PresentDevice& device, FilterKind kind, const std::vector<std::uint8_t>& buffer) = 0;
  /// Disables the device and enables it again (a global property change each time).
  virtual SetupStatus RestartDevice(const PresentDevice& device) = 0;

  /// Runs the driver-package installer hidden in `folder` and waits for it to end; `exitCode` is
  /// what it ended with.
  virtual SetupStatus RunPackageInstaller(const std::filesystem::path& program, const std::string& parameters,
                                          const std::filesystem::path& folder, std::uint32_t& exitCode) = 0;
};

}  // namespace q9
