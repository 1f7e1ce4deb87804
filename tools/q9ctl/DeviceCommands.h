#pragma once
// The q9ctl commands that reach the mouse or edit settings: apply, device, set, keys.

#include <CLI/CLI.hpp>

#include "CtlOptions.h"

namespace q9 {

void AddDeviceCommands(CLI::App& app, Options& options, Command& command);
/// The `set` commands (SetCommands.cpp).
void AddSetCommands(CLI::App& app, Options& options, Command& command);
/// "0 (Mode1) and 1 (Mode2)".
std::string MemoryLocationProfileText(const TDM& dm);

}  // namespace q9
