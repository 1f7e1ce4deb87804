#include "DeviceCommands.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "SimulatedMouse.h"
#include "app/SettingsEditing.h"
#include "input/uiKeyCode.h"
#include "model/ButtonFunctionTable.h"
#include "model/CpiStepTable.h"
#include "model/MemoryLocations.h"
#include "platform/Backends.h"
#include "platform/DurableFile.h"
#include "platform/Utf8Path.h"
#include "platform/fake/ManualScheduler.h"
#include "protocol/ApplySequence.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

namespace {

bool IsTerminal(FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream));
#else
  return ::isatty(::fileno(stream));
#endif
}

// The mouse: the driver, or the simulated mouse in this process (its memory kept in a file).
struct Device {
  explicit Device(const Options& o) : options(o) {
    if (o.simulate) {
      mouse = std::make_unique<SimulatedMouse>();
      LoadSimulatorMemory();
      transport = std::make_unique<SimulatedDriverTransport>(*mouse);
    } else {
      transport = MakeDriverTransport(PathFromUtf8(o.deviceFolder));
    }
    channel = std::make_unique<TuiSTDCommand>(*transport, scheduler, ConfigFile(o));
  }

  void LoadSimulatorMemory() {
    if (options.simulatorMemory.empty()) return;
    const std::filesystem::path file = PathFromUtf8(options.simulatorMemory);
    std::error_code ec;
    if (std::filesystem::symlink_status(file, ec).type() == std::filesystem::file_type::not_found) return;
    std::vector<std::uint8_t> image;
    std::string error;
    // A regular file of an image's size only: a device or a huge file is refused, never read whole.
    if (!ReadMemoryImageFile(file, image, error)) throw CommandFailed(error);
    mouse->LoadImage(image);
  }

  void SaveSimulatorMemory() {
    if (!mouse || options.simulatorMemory.empty()) return;
    std::string error;
    if (!WriteFileDurably(PathFromUtf8(options.simulatorMemory), mouse->SaveImage(), error))
      throw CommandFailed("cannot save the simulated mouse's memory: " + error);
  }

  const Options& options;
  std::unique_ptr<SimulatedMouse> mouse;
  std::unique_ptr<DriverTransport> transport;
  ManualScheduler scheduler;
  std::unique_ptr<TuiSTDCommand> channel;
};

class ProgressBar {
 public:
  ProgressBar(std::ostream& out, bool shown) : out_(out), shown_(shown) {}
  void Show(int percent) {
    percent = std::min(percent, 100);
    if (!shown_ || percent == last_) return;
    last_ = percent;
    const int filled = percent * 30 / 100;
    out_ << "\r[" << std::string(filled, '#') << std::string(30 - filled, ' ') << "] " << percent << "%" << std::flush;
  }
  void Finish() {
    if (shown_ && last_ >= 0) out_ << "\r" << std::string(40, ' ') << "\r" << std::flush;
  }

 private:
  std::ostream& out_;
  bool shown_;
  int last_ = -1;
};

// Why the mouse did not take the settings, with the place tried; profiles are counted from 0, as
// everywhere in q9ctl.
std::string DeviceFailureText(const ApplyResult& result, const std::string& location) {
  switch (result.outcome) {
    case ApplyOutcome::ConversionFailed:
      if (result.failedProfile < 0) break;
      return "cannot write the settings to the mouse: profile " + std::to_string(result.failedProfile) + ": " +
             result.message;
    case ApplyOutcome::NotConnected:
      return result.message + " (no driver answers at " + location + ")";
    case ApplyOutcome::DeviceBusy:
      return result.message + " at " + location + "; try again when it has finished";
    case ApplyOutcome::FramesFailed:
      if (result.stoppedAnswering) return result.message + " (no answer in time from the driver at " + location + ")";
      return result.message + " at " + location;
    default:
      break;
  }
  return result.message;
}

int Apply(TDM& dm, const Options& o, std::ostream& out) {
  RefuseToReplaceUnreadable(dm, o, kEveryValue);
  Device device(o);
  ApplyState state;
  state.DeviceMode = static_cast<std::uint8_t>(o.mode - 1);
  state.ReportRateChanged = o.rateChanged;
  ProgressBar bar(out, &out == &std::cout && IsTerminal(stdout));
  int paused = 0;
  ApplyHooks hooks;
  hooks.ProgressPause = [&](int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    paused += ms;
    bar.Show(paused * 100 / kApplyPauseTotalMs);
  };
  const ApplyResult result = ApplySettingsToDevice(dm, *device.channel, state, hooks);
  bar.Finish();
  device.SaveSimulatorMemory();
  if (!result.saved)
    throw CommandFailed("the settings were not saved: " + result.saveError +
                        (result.outcome == ApplyOutcome::Applied
                             ? "; the mouse got them"
                             : "; the mouse did not get them either: " + DeviceFailureText(result, device.channel->DeviceLocation())));
  if (!result.ok()) throw CommandFailed(DeviceFailureText(result, device.channel->DeviceLocation()));
  out << "applied: profiles " << MemoryLocationProfileText(dm) << " written to the mouse (" << result.framesSent
      << " frames)\n";
  return 0;
}

int ShowDevice(TDM&, const Options& o, std::ostream& out) {
  Device device(o);
  const bool present = device.channel->IsDeviceExist();
  const std::string location = device.channel->DeviceLocation();
  out << "device " << location << ": " << (present ? "present" : "not present") << "\n";
  if (!present) throw CommandFailed("no mouse: no driver answers at " + location);
  return 0;
}

nlohmann::json KeyRows(const std::vector<TKeyboardInfoTable>& table, int extended) {
  nlohmann::json rows = nlohmann::json::array();
  for (int vk = 0; vk < kKeyTableSize; ++vk) {
    const TKeyboardInfoTable& row = table[vk];
    rows.push_back({{"vk", vk}, {"extended", extended}, {"vkName", row.VKName}, {"name", row.KeyDescription},
                    {"hid", row.HIDCode}});
  }
  return rows;
}

int Keys(TDM&, const Options& o, std::ostream& out) {
  const nlohmann::json tables{{"keys", KeyRows(KeyInfoTable(), 0)}, {"extendedKeys", KeyRows(ExtendedKeyInfoTable(), 1)}};
  if (o.json) {
    out << tables.dump(2) << "\n";
    return 0;
  }
  for (const char* table : {"keys", "extendedKeys"})
    for (const auto& row : tables[table]) {
      char line[128];
      std::snprintf(line, sizeof line, "%3d %s %-24s hid %5d  ", int(row["vk"]), int(row["extended"]) ? "ext" : "   ",
                    std::string(row["vkName"]).c_str(), int(row["hid"]));
      out << line << std::string(row["name"]) << "\n";
    }
  return 0;
}

}  // namespace

std::filesystem::path ConfigFile(const Options& o) {
  if (!o.configFile.empty()) return PathFromUtf8(o.configFile);
  std::error_code ec;
  const auto program = std::filesystem::absolute(PathFromUtf8(o.programPath), ec);
  return (ec ? std::filesystem::path() : program.parent_path()) / kConfigFileName;
}

std::string MemoryLocationProfileText(const TDM& dm) {
  return std::to_string(MemoryLocationProfile(dm.FAllProfileSettingInfo, 0)) + " (Mode1) and " +
         std::to_string(MemoryLocationProfile(dm.FAllProfileSettingInfo, 1)) + " (Mode2)";
}

void AddDeviceCommands(CLI::App& app, Options& o, Command& command) {
  CLI::App* apply = app.add_subcommand("apply", "Write both memory locations to the mouse");
  CLI::Option* simulate = apply->add_flag("--simulate", o.simulate, "Write to a simulated mouse in this process");
  apply->add_option("--sim-memory", o.simulatorMemory, "Keep the simulated mouse's memory in this file (with --simulate)")
      ->needs(simulate);
  apply->add_option("--mode", o.mode, "Memory location the mouse uses afterwards (1 or 2)")->check(CLI::Range(1, 2));
  apply->add_flag("--rate-changed", o.rateChanged, "Also send the report-rate change command");
  apply->callback([&] { command = Apply; });

  CLI::App* device = app.add_subcommand("device", "Tell whether the mouse is present");
  device->callback([&] { command = ShowDevice; });

  CLI::App* keys = app.add_subcommand("keys", "List both key tables (virtual key, extended flag, name, HID code)");
  keys->add_flag("--json", o.json, "Print JSON");
  keys->callback([&] { command = Keys; });

  AddDriverCommands(app, o, command);
  AddSetCommands(app, o, command);
  AddMacroCommands(app, o, command);
}

}  // namespace q9
