#include "platform/fake/FakeDriverInstaller.h"

#include "platform/Utf8Path.h"

namespace q9 {

SetupStatus FakeDriverInstaller::Record(const std::string& name, const std::string& detail) {
  steps.push_back({name, detail});
  const auto failure = failures.find(name);
  if (failure == failures.end()) return SetupStatus::Done();
  return {failure->second, name + " failed (error " + std::to_string(failure->second) + ")"};
}

ServiceHandle FakeDriverInstaller::Hand(const std::string& serviceName) {
  const ServiceHandle handle = next_++;
  open_[handle] = serviceName;
  return handle;
}

std::vector<std::string> FakeDriverInstaller::StepNames() const {
  std::vector<std::string> names;
  for (const auto& step : steps) names.push_back(step.name);
  return names;
}

SetupStatus FakeDriverInstaller::DeleteDriverFile(const std::filesystem::path& file) { return Record("DeleteDriverFile", Utf8FromPath(file)); }

SetupStatus FakeDriverInstaller::CopyDriverFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  return Record("CopyDriverFile", Utf8FromPath(source) + " -> " + Utf8FromPath(target));
}

SetupStatus FakeDriverInstaller::OpenServiceManager(ServiceHandle& manager) {
  manager = 0;
  SetupStatus status = Record("OpenServiceManager", "");
  if (status.ok()) manager = Hand("");
  return status;
}

SetupStatus FakeDriverInstaller::OpenDriverService(ServiceHandle manager, const std::string& name, ServiceHandle& service) {
  service = 0;
  SetupStatus status = Record("OpenDriverService", name);
  if (!status.ok()) return status;
  if (!open_.count(manager)) return {6, "OpenDriverService on a handle that is not open"};
  if (!services.count(name)) return {kErrorServiceDoesNotExist, "the service " + name + " does not exist"};
  service = Hand(name);
  return status;
}

SetupStatus FakeDriverInstaller::CreateDriverService(ServiceHandle manager, const std::string& name, const std::string& displayName,
                                               const std::filesystem::path& imagePath, ServiceHandle& service) {
  service = 0;
  SetupStatus status = Record("CreateDriverService", name + " " + displayName + " " + Utf8FromPath(imagePath));
  if (!status.ok()) return status;
  if (!open_.count(manager)) return {6, "CreateDriverService on a handle that is not open"};
  if (services.count(name)) return {kErrorServiceExists, "the service " + name + " exists"};
  services[name] = {displayName, imagePath};
  service = Hand(name);
  return status;
}

SetupStatus FakeDriverInstaller::ChangeDriverService(ServiceHandle service, const std::filesystem::path& imagePath,
                                                     const std::string& displayName) {
  SetupStatus status = Record("ChangeDriverService", displayName + " " + Utf8FromPath(imagePath));
  if (!status.ok()) return status;
  const auto handle = open_.find(service);
  if (handle == open_.end() || !services.count(handle->second)) return {6, "ChangeDriverService on a handle that is not open"};
  services[handle->second] = {displayName, imagePath};
  return status;
}

SetupStatus FakeDriverInstaller::DeleteDriverService(ServiceHandle service) {
  SetupStatus status = Record("DeleteDriverService", "");
  if (!status.ok()) return status;
  const auto handle = open_.find(service);
  if (handle == open_.end() || handle->second.empty()) return {6, "DeleteDriverService on a handle that is not open"};
  services.erase(handle->second);
  return status;
}

void FakeDriverInstaller::CloseService(ServiceHandle handle) {
  steps.push_back({"CloseService", open_.count(handle) ? open_[handle] : "not open"});
  open_.erase(handle);
}

SetupStatus FakeDriverInstaller::WriteFilterList(const PresentDevice& device, FilterKind kind, const std::vector<std::uint8_t>& buffer) {
  SetupStatus status = Record("WriteFilterList", device.instanceId);
  if (status.ok()) filterWrites.push_back({device.instanceId, kind, buffer});
  return status;
}

SetupStatus FakeDriverInstaller::RestartDevice(const PresentDevice& device) { return Record("RestartDevice", device.instanceId); }

SetupStatus FakeDriverInstaller::RunPackageInstaller(const std::filesystem::path& program, const std::string& parameters,
                                                     const std::filesystem::path& folder, std::uint32_t& exitCode) {
  exitCode = 0;
  SetupStatus status = Record("RunPackageInstaller", Utf8FromPath(program) + " " + parameters);
  if (!status.ok()) return status;
  installerRuns.push_back({program, parameters, folder});
  exitCode = installerExitCode;
  return status;
}

}  // namespace q9
