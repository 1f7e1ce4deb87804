#pragma once
// The apply sequence: saves every setting, hands changed pointer settings to a worker, and writes
// the report rate, both memory locations, the current profile and the active location into the
// mouse. One routine for the window and the command line; they differ only in their hooks (the
// window's pause keeps its event loop running, the command line's sleeps).
//
// Every image of both locations is built and checked before the first frame: damaged data sends
// nothing. The result says whether the mouse was reached and every frame went through, and whether
// every setting was saved (a failed save does not stop the frames: the user asked for them). A
// frame that gets no answer in time ends the run: a mouse that does not answer one frame would make
// every later one wait out its deadline as well.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/DataModule.h"
#include "app/PointerSettings.h"
#include "device/uiSTDCommand.h"
#include "platform/WindowMessaging.h"
#include "protocol/DeviceImage.h"

namespace q9 {

/// The prescribed pauses of one apply with the mouse present, in milliseconds.
inline constexpr int kApplyPauseTotalMs = 1320;

/// The window's state the sequence reads and changes.
struct ApplyState {
  bool SettingsModified = false;
  bool MouseParamsChanged = false;
  PointerSettingsBlock MouseParams{};
  bool ReportRateChanged = false;
  std::uint8_t DeviceMode = 0;  ///< 0 "Mode1", 1 "Mode2"
  std::uint8_t ApplyStateFlag = 0;
};

struct ApplyHooks {
  /// Lets pending work run, then waits the given time.
  PauseFunction ProgressPause;
  /// Starts the progress display with its timer interval (100 ms, or 200 ms after a rate change).
  std::function<void(int intervalMs)> StartProgress;
  /// Tells the user that there is no mouse ("Warning!" / "Please connect ..."), modally.
  std::function<void(const std::string& title, const std::string& text)> ShowNotConnected;
  /// Sends a message to the monitor program's window (nothing when there is none).
  std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)> SendToMonitor;
  /// Applies the pointer settings; runs once on its own worker thread.
  TuiThread::TThreadCallFunction ApplyPointerSettings;
  /// Disables APPLY after a rate change (the next device arrival enables it).
  std::function<void()> DisableApply;
};

enum class ApplyOutcome {
  Applied,           ///< the mouse was reached and every frame went through
  NotConnected,      ///< no mouse: settings saved, nothing sent
  ConversionFailed,  ///< a profile cannot be written to the mouse: settings saved, nothing sent
  FramesFailed,      ///< the mouse was reached, but some frames failed (it went away or stopped answering)
  DeviceBusy,        ///< another program kept writing to the mouse: settings saved, nothing sent
};

struct ApplyResult {
  ApplyOutcome outcome = ApplyOutcome::Applied;
  /// Why it failed, in plain English, without the profile's number: each front end names the
  /// profile its own way (q9ctl from 0, the window as "Profile #1".."Profile #5").
  std::string message;
  int framesSent = 0;
  int framesFailed = 0;
  /// ConversionFailed: the profile (0..4) that cannot be converted; -1 otherwise.
  int failedProfile = -1;
  /// A frame got no answer in time: the frames after it were not sent.
  bool stoppedAnswering = false;
  /// With stoppedAnswering: the frames the run would have sent.
  int framesPlanned = 0;
  /// False when some setting was not saved (the frames are still sent); saveError says why.
  bool saved = true;
  std::string saveError;
  bool ok() const { return outcome == ApplyOutcome::Applied && saved; }
};

/// How long an apply waits for another program's frames to the same mouse to end.
inline constexpr int kDeviceBusyWaitMs = 3000;
inline constexpr const char* kDeviceBusyText = "another program is writing to the mouse";

inline constexpr const char* kNotConnectedTitle = "Warning!";
inline constexpr const char* kNotConnectedText = "Please connect your mouse device before apply new settings!";

ApplyResult ApplySettingsToDevice(TDM& dm, TuiSTDCommand& channel, ApplyState& state, const ApplyHooks& hooks);

/// Writes the images of one profile into memory location 0 or 1.
void WriteProfileToLocation(TuiSTDCommand& channel, const LocationImages& images, int Location,
                            const PauseFunction& pause);

/// Corrects the memory-location slots of the settings record (0 and 1 for a value outside 0..4)
/// and returns the profiles of location 0 and location 1.
std::array<int, 2> CorrectMemoryLocationProfiles(TALLPROFILESETTINGINFO& settings);

}  // namespace q9
