#pragma once
// The q9ctl commands that reach the mouse or edit settings: apply, device, set, macro, keys.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>

#include "CtlOptions.h"

namespace q9 {

void AddDeviceCommands(CLI::App& app, Options& options, Command& command);
/// The `driver` commands (DriverCommands.cpp).
void AddDriverCommands(CLI::App& app, Options& options, Command& command);
/// --config, else config.ini beside the program.
std::filesystem::path ConfigFile(const Options& o);
/// The `set` commands (SetCommands.cpp).
void AddSetCommands(CLI::App& app, Options& options, Command& command);
/// The `macro` commands (MacroCommands.cpp).
void AddMacroCommands(CLI::App& app, Options& options, Command& command);
/// The game profile a command works on: --profile, else the current one.
int ProfileOf(const TDM& dm, const Options& o);
/// Runs `edit` on the working copies of the command's profile and button group `group`, then folds
/// them back and saves the profile; nothing is saved when `edit` throws.
void EditProfile(TDM& dm, const Options& o, int group, const std::function<void()>& edit);
/// "0 (Mode1) and 1 (Mode2)".
std::string MemoryLocationProfileText(const TDM& dm);

}  // namespace q9
