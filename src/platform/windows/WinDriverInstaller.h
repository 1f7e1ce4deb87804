#pragma once
// Installing the filter driver on Windows: the setup library for the device's filter list and
// restart, the configuration manager for its problem state, the service control manager, file
// copies into the system's driver folder and the driver-package installer.

#include "platform/DriverInstaller.h"

namespace q9 {

class WinDriverInstaller : public DriverInstaller {
 public:
  bool Supported() const override { return true; }
  bool IsWow64System() override;
  bool IsXP64() override;
  bool DeviceHasProblem(const PresentDevice& device) override;
  std::filesystem::path ProgramFolder() override;
  std::filesystem::path SystemDriverFolder() override;
  SetupStatus DeleteDriverFile(const std::filesystem::path& file) override;
  SetupStatus CopyDriverFile(const std::filesystem::path& source, const std::filesystem::path& target) override;
  SetupStatus OpenServiceManager(ServiceHandle& manager) override;
  SetupStatus OpenDriverService(ServiceHandle manager, const std::string& name, ServiceHandle& service) override;
  SetupStatus CreateDriverService(ServiceHandle manager, const std::string& name, const std::string& displayName,
                                  const std::filesystem::path& imagePath, ServiceHandle& service) override;
  SetupStatus ChangeDriverService(ServiceHandle service, const std::filesystem::path& imagePath,
                                  const std::string& displayName) override;
  SetupStatus DeleteDriverService(ServiceHandle service) override;
  void CloseService(ServiceHandle handle) override;
  SetupStatus WriteFilterList(const PresentDevice& device, FilterKind kind, const std::vector<std::uint8_t>& buffer) override;
  SetupStatus RestartDevice(const PresentDevice& device) override;
  SetupStatus RunPackageInstaller(const std::filesystem::path& program, const std::string& parameters,
                                  const std::filesystem::path& folder, std::uint32_t& exitCode) override;
};

}  // namespace q9
