#include "platform/posix/PosixDriverInstaller.h"

namespace q9 {

SetupStatus PosixDriverInstaller::NotNeeded() {
  return {kNoFilterDriver, "no filter driver is needed on this system"};
}

SetupStatus PosixDriverInstaller::OpenServiceManager(ServiceHandle& manager) {
  manager = 0;
  return NotNeeded();
}

SetupStatus PosixDriverInstaller::OpenDriverService(ServiceHandle, const std::string&, ServiceHandle& service) {
  service = 0;
  return NotNeeded();
}

SetupStatus PosixDriverInstaller::CreateDriverService(ServiceHandle, const std::string&, const std::string&,
                                                      const std::filesystem::path&, ServiceHandle& service) {
  service = 0;
  return NotNeeded();
}

SetupStatus PosixDriverInstaller::RunPackageInstaller(const std::filesystem::path&, const std::string&,
                                                      const std::filesystem::path&, std::uint32_t& exitCode) {
  exitCode = 0;
  return NotNeeded();
}

}  // namespace q9
