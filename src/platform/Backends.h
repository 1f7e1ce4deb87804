#pragma once
// The one place that picks the platform's backends.

#include <filesystem>
#include <memory>

#include "platform/DeviceNotifications.h"
#include "platform/DeviceSetup.h"
#include "platform/DriverInstaller.h"
#include "platform/DriverTransport.h"
#include "platform/HookLibrary.h"
#include "platform/KeyStateSource.h"
#include "platform/Scheduler.h"
#include "platform/RegistryStore.h"
#include "platform/Shell.h"
#include "platform/SingleInstanceLock.h"
#include "platform/StoreLock.h"
#include "platform/SystemLocale.h"
#include "platform/SystemMouseSettingsChain.h"
#include "platform/WindowMessaging.h"

namespace q9 {

/// The settings store; `storeFolder` overrides the default place where the platform has a choice.
/// Throws std::runtime_error (saying why) when there is no default place.
std::unique_ptr<RegistryStore> MakeRegistryStore(const std::filesystem::path& storeFolder = {});
/// The locks of the store MakeRegistryStore(storeFolder) gives.
std::unique_ptr<StoreLock> MakeStoreLock(const std::filesystem::path& storeFolder = {});
std::unique_ptr<SingleInstanceLock> MakeSingleInstanceLock();
std::unique_ptr<SystemLocale> MakeSystemLocale();
/// The driver; `deviceFolder` names where the driver socket lives on POSIX systems.
std::unique_ptr<DriverTransport> MakeDriverTransport(const std::filesystem::path& deviceFolder = {});
std::unique_ptr<WindowMessaging> MakeWindowMessaging();
std::unique_ptr<DeviceSetup> MakeDeviceSetup();
/// Installation of the filter driver; where there is none, Supported() is false.
std::unique_ptr<DriverInstaller> MakeDriverInstaller();
std::unique_ptr<Shell> MakeShell();
/// Notifications of HID devices and of the driver's device `deviceName` (in `deviceFolder` on POSIX).
std::unique_ptr<DeviceNotifications> MakeDeviceNotifications(Scheduler& scheduler, const std::filesystem::path& deviceFolder,
                                                             const std::string& deviceName);
/// The system's pointer settings: on Windows its own; elsewhere the desktop's settings and the X
/// server's pointer control, each where this build has it. A GUI program adds its toolkit's own
/// settings to the chain before handing it out.
std::unique_ptr<SystemMouseSettingsChain> MakeSystemMouseSettings();

/// The hook library of the platform (found by the loader's search, not loaded yet) and the key state
/// the recorders read with it. Where the library tracks the keys itself, keyState asks the library:
/// it is declared after it, so it goes first and never outlives it.
struct HookBackend {
  std::unique_ptr<HookLibrary> library;
  std::unique_ptr<KeyStateSource> keyState;
};
HookBackend MakeHookBackend();

}  // namespace q9
