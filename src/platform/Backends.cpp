#include "platform/Backends.h"

#include "platform/FileRegistryStore.h"

#include <cstdlib>
#include <stdexcept>

#ifdef _WIN32
#include "platform/windows/WinDeviceNotifications.h"
#include "platform/windows/WinDeviceSetup.h"
#include "platform/windows/WinDriverInstaller.h"
#include "platform/windows/WinDriverTransport.h"
#include "platform/windows/WinHookLibrary.h"
#include "platform/windows/WinRegistryStore.h"
#include "platform/windows/WinShell.h"
#include "platform/windows/WinSingleInstanceLock.h"
#include "platform/windows/WinStoreLock.h"
#include "platform/windows/WinSystemLocale.h"
#include "platform/windows/WinSystemMouseSettings.h"
#include "platform/windows/WinWindowMessaging.h"
#else
#include "platform/DriverSocketProtocol.h"
#include "platform/posix/PosixDriverTransport.h"
#include "platform/posix/PosixHookLibrary.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/UdevDeviceNotifications.h"
#include "platform/posix/UdevDeviceSetup.h"
#include "platform/posix/PosixDriverInstaller.h"
#include "platform/posix/PosixSingleInstanceLock.h"
#include "platform/posix/PosixStoreLock.h"
#include "platform/posix/PosixSystemLocale.h"
#include "platform/posix/PosixWindowMessaging.h"
#ifdef Q9_HAVE_GSETTINGS
#include "platform/posix/GSettingsMouseSettings.h"
#endif
#ifdef Q9_HAVE_X11
#include "platform/posix/X11PointerControl.h"
#endif
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
std::unique_ptr<DriverInstaller> MakeDriverInstaller() { return std::make_unique<WinDriverInstaller>(); }
std::unique_ptr<Shell> MakeShell() { return std::make_unique<WinShell>(); }
std::unique_ptr<DeviceNotifications> MakeDeviceNotifications(Scheduler&, const std::filesystem::path&, const std::string&) {
  return std::make_unique<WinDeviceNotifications>();
}
std::unique_ptr<SystemMouseSettingsChain> MakeSystemMouseSettings() {
  auto chain = std::make_unique<SystemMouseSettingsChain>();
  chain->Add(std::make_unique<WinSystemMouseSettings>());
  return chain;
}
HookBackend MakeHookBackend() { return {std::make_unique<WinHookLibrary>(), std::make_unique<WinKeyStateSource>()}; }
#else
namespace {

// A store without a folder would land in the current folder: better no store and a clear reason.
std::filesystem::path StoreFolderOrDefault(const std::filesystem::path& storeFolder) {
  if (!storeFolder.empty()) return storeFolder;
  std::filesystem::path folder = FileRegistryStore::DefaultStoreFolder();
  if (folder.empty())
    throw std::runtime_error("no folder for the settings: HOME is not set and the user database has no home "
                             "folder for this user (name one with --store)");
  return folder;
}

// The key state the hook library has seen, asked of the library that owns it.
class LibraryKeyState : public KeyStateSource {
 public:
  explicit LibraryKeyState(const KeyStateSource& library) : library_(library) {}
  bool IsKeyDown(std::int32_t vk) const override { return library_.IsKeyDown(vk); }

 private:
  const KeyStateSource& library_;
};

}  // namespace

std::unique_ptr<RegistryStore> MakeRegistryStore(const std::filesystem::path& storeFolder) {
  return std::make_unique<FileRegistryStore>(StoreFolderOrDefault(storeFolder));
}
std::unique_ptr<StoreLock> MakeStoreLock(const std::filesystem::path& storeFolder) {
  return std::make_unique<PosixStoreLock>(StoreFolderOrDefault(storeFolder));
}
std::unique_ptr<SingleInstanceLock> MakeSingleInstanceLock() { return std::make_unique<PosixSingleInstanceLock>(); }
std::unique_ptr<SystemLocale> MakeSystemLocale() { return std::make_unique<PosixSystemLocale>(); }
std::unique_ptr<DriverTransport> MakeDriverTransport(const std::filesystem::path& deviceFolder) {
  return std::make_unique<PosixDriverTransport>(deviceFolder);
}
std::unique_ptr<WindowMessaging> MakeWindowMessaging() { return std::make_unique<PosixWindowMessaging>(); }
std::unique_ptr<DeviceSetup> MakeDeviceSetup() { return std::make_unique<UdevDeviceSetup>(); }
std::unique_ptr<DriverInstaller> MakeDriverInstaller() { return std::make_unique<PosixDriverInstaller>(); }
std::unique_ptr<Shell> MakeShell() { return std::make_unique<PosixShell>(); }
std::unique_ptr<DeviceNotifications> MakeDeviceNotifications(Scheduler& scheduler, const std::filesystem::path& deviceFolder,
                                                             const std::string& deviceName) {
  return std::make_unique<UdevDeviceNotifications>(scheduler, deviceFolder.empty() ? DefaultDeviceFolder() : deviceFolder,
                                                   deviceName);
}
std::unique_ptr<SystemMouseSettingsChain> MakeSystemMouseSettings() {
  auto chain = std::make_unique<SystemMouseSettingsChain>();
#ifdef Q9_HAVE_GSETTINGS
  if (UsesGnomeMouseSettings(std::getenv("XDG_CURRENT_DESKTOP"), std::getenv("GSETTINGS_BACKEND")))
    if (auto desktop = std::make_unique<GSettingsMouseSettings>(); desktop->Available()) chain->Add(std::move(desktop));
#endif
#ifdef Q9_HAVE_X11
  chain->Add(std::make_unique<X11PointerControl>());
#endif
  return chain;
}
HookBackend MakeHookBackend() {
  auto library = std::make_unique<PosixHookLibrary>();
  auto keyState = std::make_unique<LibraryKeyState>(*library);
  return {std::move(library), std::move(keyState)};
}
#endif

}  // namespace q9
