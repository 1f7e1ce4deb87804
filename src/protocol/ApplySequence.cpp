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

void SaveEverything(TDM& dm, ApplyState& state) {
  dm.SaveBackToCurrentProfileInfo();
  dm.SaveBackAllProfileInfo();
  dm.SaveBackToAllProfileSettingInfo();
  state.SettingsModified = false;
}

void HandOffPointerSettings(ApplyState& state, const ApplyHooks& hooks) {
  if (!state.MouseParamsChanged) return;
  TuiThread::ThreadCallFunction(hooks.ApplyPointerSettings, &state.MouseParams, sizeof state.MouseParams);
  state.MouseParamsChanged = false;
}

// Builds every image before the first frame, so that a profile the mouse cannot hold sends nothing.
std::unique_ptr<PreparedApply> Prepare(TDM& dm) {
  auto prepared = std::make_unique<PreparedApply>();
  prepared->reportInterval = ReportIntervalCode(dm.FCurrentProfileInfo);
  const std::array<int, 2> profiles = CorrectMemoryLocationProfiles(dm.FAllProfileSettingInfo);
  auto record = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  for (int location = 0; location < kMemoryLocationCount; ++location) {
    dm.ReadProfileInfo(*record, profiles[location]);
    try {
      prepared->locations[location] = BuildLocationImages(*record);
    } catch (const DeviceImageError& e) {
      throw DeviceImageError("profile " + std::to_string(profiles[location] + 1) + ": " + e.what());
    }
  }
  return prepared;
}

void SendFrames(TDM& dm, TuiSTDCommand& channel, const ApplyState& state, const PreparedApply& prepared,
                const ApplyHooks& hooks) {
  SendWriteStateCommand(channel, 0);
  if (hooks.StartProgress) hooks.StartProgress(state.ReportRateChanged ? 200 : 100);
  WriteDeviceByte(channel, prepared.reportInterval, kAddressReportInterval);
  Pause(hooks, 50);
  for (int location = 0; location < kMemoryLocationCount; ++location) {
    WriteProfileToLocation(channel, prepared.locations[location], location, hooks.ProgressPause);
    Pause(hooks, 50);
  }
  WriteDeviceByte(channel, static_cast<std::uint8_t>(dm.FProfileIndex), kAddressCurrentProfile);
  Pause(hooks, 20);
  WriteDeviceByte(channel, 0, kAddressZeroByte);
  Pause(hooks, 50);
  SelectMemoryLocation(channel, state.DeviceMode);
  Pause(hooks, 20);
  SendCommand7(channel, 0);
  Pause(hooks, 50);
  SendWriteStateCommand(channel, 1);
  Pause(hooks, 50);
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
  wait(50);
  WriteButtonBlocks(channel, images.buttonTables, Location, kButtonBlockBase, pause);
  wait(50);
  WriteDeviceMemory(channel, images.light.data(), images.light.size(), kAddressLight[Location]);
  wait(50);
  WriteDeviceMemory(channel, images.sensitivity.data(), images.sensitivity.size(), kAddressSensitivity[Location]);
  wait(50);
}

ApplyResult ApplySettingsToDevice(TDM& dm, TuiSTDCommand& channel, ApplyState& state, const ApplyHooks& hooks) {
  SaveEverything(dm, state);
  HandOffPointerSettings(state, hooks);
  Pause(hooks, 50);
  ApplyResult result;
  if (!channel.IsDeviceExist()) {
    if (hooks.ShowNotConnected) hooks.ShowNotConnected(kNotConnectedTitle, kNotConnectedText);
    NotifyMonitor(hooks, state, dm);
    return {ApplyOutcome::NotConnected, kNotConnectedText};
  }
  std::unique_ptr<PreparedApply> prepared;
  try {
    prepared = Prepare(dm);
  } catch (const DeviceImageError& e) {
    NotifyMonitor(hooks, state, dm);
    return {ApplyOutcome::ConversionFailed, std::string("cannot write the settings to the mouse: ") + e.what()};
  }
  std::unique_ptr<DeviceLease> lease;
  if (!TakeDevice(channel, hooks, lease)) {
    NotifyMonitor(hooks, state, dm);
    return {ApplyOutcome::DeviceBusy, kDeviceBusyText};
  }
  const TuiSTDCommand::CallCounts before = channel.Counts();
  SendFrames(dm, channel, state, *prepared, hooks);
  FinishRateChange(channel, state, hooks, channel.Counts().failures != before.failures);
  NotifyMonitor(hooks, state, dm);
  for (int i = 0; i < 5; ++i) Pause(hooks, 50);
  result.framesSent = channel.Counts().calls - before.calls;
  result.framesFailed = channel.Counts().failures - before.failures;
  if (result.framesFailed) {
    result.outcome = ApplyOutcome::FramesFailed;
    result.message = std::to_string(result.framesFailed) + " of " + std::to_string(result.framesSent) +
                     " frames did not reach the mouse";
  }
  return result;
}

}  // namespace q9
