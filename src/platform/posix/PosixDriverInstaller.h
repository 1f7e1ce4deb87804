#pragma once
// Linux reaches the mouse without a filter driver: nothing is installed here. Every step answers
// kNoFilterDriver, so that nothing can pass for an installation.

#include "platform/DriverInstaller.h"

namespace q9 {

class PosixDriverInstaller : public DriverInstaller {
 public:
  /// The error every step answers (the system's "not supported").
  static constexpr std::uint32_t kNoFilterDriver = 50;

  bool Supported() const override { return false; }
  bool IsWow64System() override { return false; }
  bool IsXP64() override { return false; }
  bool DeviceHasProblem(const PresentDevice&) override { return false; }
  std::filesystem::path ProgramFolder() override { return {}; }
  std::filesystem::path SystemDriverFolder() override { return {}; }
  SetupStatus DeleteDriverFile(const std::filesystem::path&) override { return NotNeeded(); }
  SetupStatus CopyDriverFile(const std::filesystem::path&, const std::filesystem::path&) override { return NotNeeded(); }
  SetupStatus OpenServiceManager(ServiceHandle& manager) override;
  SetupStatus OpenDriverService(ServiceHandle, const std::string&, ServiceHandle& service) override;
  SetupStatus CreateDriverService(ServiceHandle, const std::string&, const std::string&, const std::filesystem::path&,
                                  ServiceHandle& service) override;
  SetupStatus ChangeDriverService(ServiceHandle, const std::filesystem::path&, const std::string&) override { return NotNeeded(); }
  SetupStatus DeleteDriverService(ServiceHandle) override { return NotNeeded(); }
  void CloseService(ServiceHandle) override {}
  SetupStatus WriteFilterList(const PresentDevice&, FilterKind, const std::vector<std::uint8_t>&) override { return NotNeeded(); }
  SetupStatus RestartDevice(const PresentDevice&) override { return NotNeeded(); }
  SetupStatus RunPackageInstaller(const std::filesystem::path&, const std::string&, const std::filesystem::path&,
                                  std::uint32_t& exitCode) override;

  static SetupStatus NotNeeded();
};

}  // namespace q9
