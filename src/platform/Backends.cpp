#include "platform/Backends.h"

#include "platform/FileRegistryStore.h"

#ifdef _WIN32
#include "platform/windows/WinDeviceNotifications.h"
#include "platform/windows/WinDeviceSetup.h"
#include "platform/windows/WinDriverTransport.h"
#include "platform/windows/WinRegistryStore.h"
#include "platform/windows/WinShell.h"
#include "platform/windows/WinSingleInstanceLock.h"
#include "platform/windows/WinStoreLock.h"
#include "platform/windows/WinSystemLocale.h"
#include "platform/windows/WinWindowMessaging.h"
#else
#include "platform/DriverSocketProtocol.h"
#include "platform/posix/PosixDriverTransport.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/UdevDeviceNotifications.h"
#include "platform/posix/UdevDeviceSetup.h"
#include "platform/posix/PosixSingleInstanceLock.h"
#include "platform/posix/PosixStoreLock.h"
#include "platform/posix/PosixSystemLocale.h"
#include "platform/posix/PosixWindowMessaging.h"
#endif

namespace q9 {

#ifdef _WIN32
std::unique_ptr<RegistryStore> MakeRegistryStore(const std::filesystem::path& storeFolder) {
  if (!storeFolder.empty()) return std::make_unique<FileRegistryStore>(storeFolder);
  return std::make_unique<WinRegistryStore>();
}
std::unique_ptr<StoreLock> MakeStoreLock(const std::filesystem::path& storeFolder) {
  return std::make_unique<WinStoreLock>(storeFolder);
}
std::unique_ptr<SingleInstanceLock> MakeSingleInstanceLock() { return std::make_unique<WinSingleInstanceLock>(); }
std::unique_ptr<SystemLocale> MakeSystemLocale() { return std::make_unique<WinSystemLocale>(); }
std::unique_ptr<DriverTransport> MakeDriverTransport(const std::filesystem::path&) {
  return std::make_unique<WinDriverTransport>();
}
std::unique_ptr<WindowMessaging> MakeWindowMessaging() { return std::make_unique<WinWindowMessaging>(); }
std::unique_ptr<DeviceSetup> MakeDeviceSetup() { return std::make_unique<WinDeviceSetup>(); }
std::unique_ptr<Shell> MakeShell() { return std::make_unique<WinShell>(); }
std::unique_ptr<DeviceNotifications> MakeDeviceNotifications(Scheduler&, const std::filesystem::path&, const std::string&) {
  return std::make_unique<WinDeviceNotifications>();
}
#else
std::unique_ptr<RegistryStore> MakeRegistryStore(const std::filesystem::path& storeFolder) {
  return std::make_unique<FileRegistryStore>(storeFolder.empty() ? FileRegistryStore::DefaultStoreFolder()
                                                                  : storeFolder);
}
std::unique_ptr<StoreLock> MakeStoreLock(const std::filesystem::path& storeFolder) {
  return std::make_unique<PosixStoreLock>(storeFolder.empty() ? FileRegistryStore::DefaultStoreFolder() : storeFolder);
}
std::unique_ptr<SingleInstanceLock> MakeSingleInstanceLock() { return std::make_unique<PosixSingleInstanceLock>(); }
std::unique_ptr<SystemLocale> MakeSystemLocale() { return std::make_unique<PosixSystemLocale>(); }
std::unique_ptr<DriverTransport> MakeDriverTransport(const std::filesystem::path& deviceFolder) {
  return std::make_unique<PosixDriverTransport>(deviceFolder);
}
std::unique_ptr<WindowMessaging> MakeWindowMessaging() { return std::make_unique<PosixWindowMessaging>(); }
std::unique_ptr<DeviceSetup> MakeDeviceSetup() { return std::make_unique<UdevDeviceSetup>(); }
std::unique_ptr<Shell> MakeShell() { return std::make_unique<PosixShell>(); }
std::unique_ptr<DeviceNotifications> MakeDeviceNotifications(Scheduler& scheduler, const std::filesystem::path& deviceFolder,
                                                             const std::string& deviceName) {
  return std::make_unique<UdevDeviceNotifications>(scheduler, deviceFolder.empty() ? DefaultDeviceFolder() : deviceFolder,
                                                   deviceName);
}
#endif

}  // namespace q9
