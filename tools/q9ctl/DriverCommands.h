#pragma once
// What `q9ctl driver` prints, apart from the command, so that it can be checked without a system
// that has the filter driver.
//
// Exit status of `driver install|remove`: 0 every supported mouse has the driver (installed) or is
// without it (removed), also when nothing was to be done; 1 a step failed for some mouse, the
// devices could not be listed, or no supported mouse is present; 3 this system needs no filter
// driver (Linux), nothing was done. `driver status` exits 0, also where no driver is needed, and 1
// when the devices cannot be listed.

#include <string>

#include "device/DriverInstall.h"

namespace q9 {

inline constexpr int kDriverNotNeededExitStatus = 3;

/// One line per mouse: "<hardware id>: <action>: done" or "...: failed: <why>".
std::string DriverRunText(const DriverInstallReport& report, bool install);
/// One line per mouse: whether the service is in its filter list and whether it reports a problem.
std::string DriverStatusText(const DriverInstallReport& report, const TDriverInfo& driver);
/// Why nothing is installed on a system without the filter driver; `deviceLocation` is where the
/// mouse is reached instead.
std::string DriverNotNeededText(const std::string& deviceLocation);

}  // namespace q9
