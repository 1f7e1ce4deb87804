#pragma once
// A system to install the filter driver on, in memory: it keeps the services registered, records
// every step asked of it in order, and fails any step a test names.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/DriverInstaller.h"

namespace q9 {

class FakeDriverInstaller : public DriverInstaller {
 public:
  /// The error a missing service gives.
  static constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;

  bool Supported() const override { return supported; }
  bool IsWow64System() override { return wow64; }
  bool IsXP64() override { return xp64; }
  bool DeviceHasProblem(const PresentDevice& device) override { return problemDevices.count(device.instanceId) > 0; }
  std::filesystem::path ProgramFolder() override { return programFolder; }
  std::filesystem::path SystemDriverFolder() override { return systemDriverFolder; }

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

  /// Makes the step of that name ("CopyDriverFile", "CreateDriverService", ...) fail with `error`.
  void FailStep(const std::string& step, std::uint32_t error = 5) { failures[step] = error; }
  /// Handles handed out and not closed yet.
  std::size_t OpenHandles() const { return open_.size(); }
  /// The steps asked for, in order, by name.
  std::vector<std::string> StepNames() const;

  bool supported = true;
  bool wow64 = false;
  bool xp64 = false;
  /// Instance IDs of devices whose node reports a problem.
  std::set<std::string> problemDevices;
  std::filesystem::path programFolder = "Q9";
  std::filesystem::path systemDriverFolder = "Windows/System32/Drivers";
  std::uint32_t installerExitCode = 0;
  std::map<std::string, std::uint32_t> failures;

  /// Registered services: name -> display name and image path.
  struct Service {
    std::string displayName;
    std::filesystem::path imagePath;
  };
  std::map<std::string, Service> services;

  /// Every step: its name and what it was given, e.g. {"CopyDriverFile", "Q9/DRIVERX86/a.sys -> ..."}.
  struct Step {
    std::string name;
    std::string detail;
  };
  std::vector<Step> steps;

  struct FilterWrite {
    std::string instanceId;
    FilterKind kind;
    std::vector<std::uint8_t> buffer;
  };
  std::vector<FilterWrite> filterWrites;

  struct InstallerRun {
    std::filesystem::path program;
    std::string parameters;
    std::filesystem::path folder;
  };
  std::vector<InstallerRun> installerRuns;

 private:
  // Records the step; its failure when a test asked for one.
  SetupStatus Record(const std::string& name, const std::string& detail);
  ServiceHandle Hand(const std::string& serviceName);

  ServiceHandle next_ = 100;
  std::map<ServiceHandle, std::string> open_;  // handle -> service name ("" for the manager)
};

}  // namespace q9
