#pragma once
// The one place that picks the platform's backends.

#include <filesystem>
#include <memory>

#include "platform/DriverTransport.h"
#include "platform/RegistryStore.h"
#include "platform/SingleInstanceLock.h"
#include "platform/SystemLocale.h"
#include "platform/WindowMessaging.h"

namespace q9 {

/// The settings store; `storeFolder` overrides the default place where the platform has a choice.
std::unique_ptr<RegistryStore> MakeRegistryStore(const std::filesystem::path& storeFolder = {});
std::unique_ptr<SingleInstanceLock> MakeSingleInstanceLock();
std::unique_ptr<SystemLocale> MakeSystemLocale();
/// The driver; `deviceFolder` names where the driver socket lives on POSIX systems.
std::unique_ptr<DriverTransport> MakeDriverTransport(const std::filesystem::path& deviceFolder = {});
std::unique_ptr<WindowMessaging> MakeWindowMessaging();

}  // namespace q9
