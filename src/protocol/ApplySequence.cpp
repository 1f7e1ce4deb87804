#include "protocol/ApplySequence.h"

#include <chrono>
#include <memory>
#include <thread>

#include "model/MemoryLocations.h"

namespace q9 {

namespace {

struct PreparedApply {
  std::uint8_t reportInterval = 0;
  LocationImages locations[kMemoryLocationCount];
};

void Pause(const ApplyHooks& hooks, int ms) {
  if (hooks.ProgressPause) hooks.ProgressPause(ms);
}

void NotifyMonitor(const ApplyHooks& hooks, const ApplyState& state, const TDM& dm) {
  if (hooks.SendToMonitor) hooks.SendToMonitor(SettingsAppliedMessage, state.ApplyStateFlag, dm.FProfileIndex);
}

// Saves every profile and the settings record, also after one that fails; what was not saved
// stays modified.
void SaveEverything(TDM& dm, ApplyState& state, ApplyResult& result) {
  dm.SaveBackToCurrentProfileInfo();
  const bool profiles = dm.SaveBackAllProfileInfo();
  const std::string profileError = dm.LastSaveError();
  const bool settings = dm.SaveBackToAllProfileSettingInfo();
  result.saved = profiles && settings;
  result.saveError = profileError;
  if (!settings) result.saveError += (profileError.empty() ? "" : "; ") + dm.LastSaveError();
  state.SettingsModified = !result.saved;
}

void HandOffPointerSettings(ApplyState& state, const ApplyHooks& hooks) {
  if (!state.MouseParamsChanged) return;
  TuiThread::ThreadCallFunction(hooks.ApplyPointerSettings, &state.MouseParams, sizeof state.MouseParams);
  state.MouseParamsChanged = false;
}

// Builds every image before the first frame, so that a profile the mouse cannot hold sends nothing.
// On a DeviceImageError `failedProfile` is the profile (0..4) being converted.
std::unique_ptr<PreparedApply> Prepare(TDM& dm, int& failedProfile) {
  auto prepared = std::make_unique<PreparedApply>();
  failedProfile = dm.FProfileIndex;  // the report rate is the current profile's
  prepared->reportInterval = ReportIntervalCode(dm.FCurrentProfileInfo);
  const std::array<int, 2> profiles = CorrectMemoryLocationProfiles(dm.FAllProfileSettingInfo);
  auto record = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  for (int location = 0; location < kMemoryLocationCount; ++location) {
    failedProfile = profiles[location];
    dm.ReadProfileInfo(*record, profiles[location]);
    prepared->locations[location] = BuildLocationImages(*record);
  }
  failedProfile = -1;
  return prepared;
}

// The frames with the pauses after them. Once the mouse has stopped answering the rest is not
// sent: false then.
bool SendFrames(TDM& dm, TuiSTDCommand& channel, const ApplyState& state, const PreparedApply& prepared,
                const ApplyHooks& hooks) {
  SendWriteStateCommand(channel, 0);
  if (channel.NotAnswering()) return false;
  if (hooks.StartProgress) hooks.StartProgress(state.ReportRateChanged ? 200 : 100);
  WriteDeviceByte(channel, prepared.reportInterval, kAddressReportInterval);
  if (channel.NotAnswering()) return false;
  Pause(hooks, 50);
  for (int location = 0; location < kMemoryLocationCount; ++location) {
    WriteProfileToLocation(channel, prepared.locations[location], location, hooks.ProgressPause);
    if (channel.NotAnswering()) return false;
    Pause(hooks, 50);
  }
  WriteDeviceByte(channel, static_cast<std::uint8_t>(dm.FProfileIndex), kAddressCurrentProfile);
  if (channel.NotAnswering()) return false;
  Pause(hooks, 20);
  WriteDeviceByte(channel, 0, kAddressZeroByte);
  if (channel.NotAnswering()) return false;
  Pause(hooks, 50);
  SelectMemoryLocation(channel, state.DeviceMode);
  if (channel.NotAnswering()) return false;
  Pause(hooks, 20);
  SendCommand7(channel, 0);
  if (channel.NotAnswering()) return false;
  Pause(hooks, 50);
  SendWriteStateCommand(channel, 1);
  if (channel.NotAnswering()) return false;
  Pause(hooks, 50);
  return true;
}

// The frames one apply sends to a mouse that answers them all.
int PlannedFrameCount(const PreparedApply& prepared, const ApplyState& state) {
  int frames = 2 + 5 + (state.ReportRateChanged ? 1 : 0);
  for (const LocationImages& images : prepared.locations) {
    frames += 4 + 2;
    for (int slot = 0; slot < 4 * kMacroSlotsPerGroup; ++slot) frames += MacroSlotLength(images.macroImage, slot) != 0;
  }
  return frames;
}

// One run of frames at a time per mouse: another program's apply is waited for a little (the
// window's pause keeps it responsive meanwhile), then this one gives up without sending.
bool TakeDevice(TuiSTDCommand& channel, const ApplyHooks& hooks, std::unique_ptr<DeviceLease>& lease) {
  constexpr int kStepMs = 50;
  for (int waited = 0;; waited += kStepMs) {
    if (channel.TryLockDevice(lease) == DeviceLockResult::Acquired) return true;
    if (waited >= kDeviceBusyWaitMs) return false;
    if (hooks.ProgressPause) hooks.ProgressPause(kStepMs);
    else std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
}

// The rate-change command closes the sequence after a rate change. When frames failed, the change
// stays pending so that the next apply sends it again.
void FinishRateChange(TuiSTDCommand& channel, ApplyState& state, const ApplyHooks& hooks, bool framesFailed) {
  if (state.ReportRateChanged) {
    state.ApplyStateFlag = 0;
    state.ReportRateChanged = false;
    if (hooks.DisableApply) hooks.DisableApply();
    const int failuresBefore = channel.Counts().failures;
    SendRateChangeCommand(channel, 0, 0);
    state.ReportRateChanged = framesFailed || channel.Counts().failures != failuresBefore;
  } else {
    state.ApplyStateFlag = 1;
  }
}

}  // namespace

std::array<int, 2> CorrectMemoryLocationProfiles(TALLPROFILESETTINGINFO& settings) {
  std::array<int, 2> profiles{};
  const int slots[2] = {kSlotMode1Profile, kSlotMode2Profile};
  for (int location = 0; location < kMemoryLocationCount; ++location) {
    profiles[location] = MemoryLocationProfile(settings, location);
    settings.ReservedData.IntegerData[slots[location]] = profiles[location];
  }
  return profiles;
}

void WriteProfileToLocation(TuiSTDCommand& channel, const LocationImages& images, int Location,
                            const PauseFunction& pause) {
  auto wait = [&](int ms) {
    if (pause) pause(ms);
  };
  WriteMacroBlocks(channel, images.macroImage, Location, kMacroBlockBase, pause);
  if (channel.NotAnswering()) return;
  wait(50);
  WriteButtonBlocks(channel, images.buttonTables, Location, kButtonBlockBase, pause);
  if (channel.NotAnswering()) return;
  wait(50);
  WriteDeviceMemory(channel, images.light.data(), images.light.size(), kAddressLight[Location]);
  if (channel.NotAnswering()) return;
  wait(50);
  WriteDeviceMemory(channel, images.sensitivity.data(), images.sensitivity.size(), kAddressSensitivity[Location]);
  if (channel.NotAnswering()) return;
  wait(50);
}

ApplyResult ApplySettingsToDevice(TDM& dm, TuiSTDCommand& channel, ApplyState& state, const ApplyHooks& hooks) {
  ApplyResult result;
  SaveEverything(dm, state, result);
  HandOffPointerSettings(state, hooks);
  Pause(hooks, 50);
  if (!channel.IsDeviceExist()) {
    if (hooks.ShowNotConnected) hooks.ShowNotConnected(kNotConnectedTitle, kNotConnectedText);
    NotifyMonitor(hooks, state, dm);
    result.outcome = ApplyOutcome::NotConnected;
    result.message = kNotConnectedText;
    return result;
  }
  std::unique_ptr<PreparedApply> prepared;
  int failedProfile = -1;
  try {
    prepared = Prepare(dm, failedProfile);
  } catch (const DeviceImageError& e) {
    NotifyMonitor(hooks, state, dm);
    result.outcome = ApplyOutcome::ConversionFailed;
    result.message = e.what();
    result.failedProfile = failedProfile;
    return result;
  }
  channel.ResetNotAnswering();
  std::unique_ptr<DeviceLease> lease;
  if (!TakeDevice(channel, hooks, lease)) {
    NotifyMonitor(hooks, state, dm);
    result.outcome = ApplyOutcome::DeviceBusy;
    result.message = kDeviceBusyText;
    return result;
  }
  const TuiSTDCommand::CallCounts before = channel.Counts();
  const bool answering = SendFrames(dm, channel, state, *prepared, hooks);
  // A mouse that stopped answering gets no rate-change command: the change stays pending.
  if (answering) FinishRateChange(channel, state, hooks, channel.Counts().failures != before.failures);
  NotifyMonitor(hooks, state, dm);
  if (answering)
    for (int i = 0; i < 5; ++i) Pause(hooks, 50);
  result.framesSent = channel.Counts().calls - before.calls;
  result.framesFailed = channel.Counts().failures - before.failures;
  if (channel.NotAnswering()) {  // also when only the closing rate-change command timed out
    result.outcome = ApplyOutcome::FramesFailed;
    result.stoppedAnswering = true;
    result.framesPlanned = PlannedFrameCount(*prepared, state);
    result.message = "the mouse stopped answering: " + std::to_string(result.framesSent - result.framesFailed) + " of " +
                     std::to_string(result.framesPlanned) + " frames went through";
  } else if (result.framesFailed) {
    result.outcome = ApplyOutcome::FramesFailed;
    result.message = std::to_string(result.framesFailed) + " of " + std::to_string(result.framesSent) +
                     " frames did not reach the mouse";
  }
  return result;
}

}  // namespace q9
