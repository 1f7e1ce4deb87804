#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>

#include "SimulatedMouse.h"
#include "TestSupport.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/ManualScheduler.h"
#include "protocol/ApplySequence.h"
#include "storage/StoredLayout.h"

namespace q9 {
namespace {

using test::Bytes;
using test::Fixture;

struct MonitorMessage {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class ApplySequenceTest : public ::testing::Test {
 protected:
  ApplySequenceTest() {
    mouse.OnFrame = [this](std::span<const std::uint8_t> frame, std::uint32_t) {
      frames.insert(frames.end(), frame.begin(), frame.end());
    };
    hooks.ProgressPause = [this](int ms) { pauses.push_back(ms); };
    hooks.StartProgress = [this](int interval) { progressIntervals.push_back(interval); };
    hooks.ShowNotConnected = [this](const std::string& title, const std::string& text) {
      dialogs.push_back(title + "|" + text);
    };
    hooks.SendToMonitor = [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { monitor.push_back({m, w, l}); };
    hooks.DisableApply = [this] { ++applyDisabled; };
  }
  ApplyResult Apply() { return ApplySettingsToDevice(*dm, channel, state, hooks); }
  int FrameCount() const { return static_cast<int>(frames.size() / CommandFrameSize); }

  FakeRegistryStore store;
  FakeSystemLocale locale;
  std::unique_ptr<TDM> dm = CreateDataModule(store, locale);
  SimulatedMouse mouse;
  SimulatedDriverTransport transport{mouse};
  ManualScheduler scheduler;
  TuiSTDCommand channel{transport, scheduler, "/nonexistent/config.ini"};
  ApplyState state;
  ApplyHooks hooks;
  Bytes frames;
  std::vector<int> pauses;
  std::vector<int> progressIntervals;
  std::vector<std::string> dialogs;
  std::vector<MonitorMessage> monitor;
  int applyDisabled = 0;
};

TEST_F(ApplySequenceTest, FactoryProfilesGiveThePrescribedFrames) {
  state.SettingsModified = true;
  const ApplyResult result = Apply();
  EXPECT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(frames, Fixture("apply_factory.frames"));
  EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0), kApplyPauseTotalMs);
  EXPECT_EQ(progressIntervals, std::vector<int>{100});
  EXPECT_FALSE(state.SettingsModified);
  ASSERT_EQ(monitor.size(), 1u);
  EXPECT_EQ(monitor[0].message, 8624u);
  EXPECT_EQ(monitor[0].wParam, 1u) << "no rate change";
  EXPECT_EQ(store.ValueNames(kSettingsKeyPath).size(), 6u) << "everything was saved first";
  EXPECT_EQ(result.framesSent, 19);
}

TEST_F(ApplySequenceTest, RichProfileGivesThePrescribedFrames) {
  ASSERT_TRUE(dm->SwitchToProfile(2, 0));
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("rich_profile.GPX").string()));
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile] = 2;
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = -1;
  state.DeviceMode = 1;
  state.ReportRateChanged = true;
  const ApplyResult result = Apply();
  EXPECT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(frames, Fixture("apply_rich.frames"));
  EXPECT_EQ(progressIntervals, std::vector<int>{200});
  EXPECT_EQ(dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile], 1) << "the corrected slot is kept";
  EXPECT_FALSE(state.ReportRateChanged);
  EXPECT_EQ(applyDisabled, 1);
  ASSERT_EQ(monitor.size(), 1u);
  EXPECT_EQ(monitor[0].wParam, 0u) << "after a rate change";
  EXPECT_EQ(monitor[0].lParam, 2);
  EXPECT_EQ(mouse.CurrentState().rateChanges, 1u);
  EXPECT_EQ(mouse.CurrentState().memoryLocation, 1);

  frames.clear();
  monitor.clear();
  ASSERT_TRUE(Apply().ok());
  EXPECT_EQ(monitor.at(0).wParam, 1u) << "the next apply without a rate change";
  EXPECT_NE(frames[frames.size() - CommandFrameSize + 3], 1) << "no rate-change command";
}

TEST_F(ApplySequenceTest, OutOfRangeLocationProfilesAreCorrectedAndStored) {
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile] = 7;
  ASSERT_TRUE(Apply().ok());
  EXPECT_EQ(dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile], 0);
  EXPECT_EQ(frames, Fixture("apply_factory.frames"));
}

TEST_F(ApplySequenceTest, ReportIntervalComesFromTheCurrentProfile) {
  dm->SwitchToProfile(4, 0);
  dm->FCurrentMouseSettingInfo.ReportRate = 125;  // saved back by the apply
  ASSERT_TRUE(Apply().ok());
  EXPECT_EQ(frames[CommandFrameSize + 4], 101);
  EXPECT_EQ(frames[CommandFrameSize + 11], 8);
}

TEST_F(ApplySequenceTest, WithoutTheMouseSettingsAreSavedAndNothingIsSent) {
  mouse.SetPresent(false);
  state.SettingsModified = true;
  state.MouseParamsChanged = true;
  state.MouseParams = {7, 3, 1};
  std::atomic<int> pointerSpeed{-1};
  hooks.ApplyPointerSettings = [&](std::uint8_t* buffer, std::uint32_t size) {
    PointerSettingsBlock block{};
    if (size == sizeof block) std::memcpy(&block, buffer, size);
    pointerSpeed = block.PointerSpeed;
  };
  const ApplyResult result = Apply();
  EXPECT_EQ(result.outcome, ApplyOutcome::NotConnected);
  EXPECT_TRUE(frames.empty());
  EXPECT_EQ(dialogs, std::vector<std::string>{"Warning!|Please connect your mouse device before apply new settings!"});
  EXPECT_FALSE(state.SettingsModified);
  EXPECT_FALSE(state.MouseParamsChanged);
  ASSERT_EQ(monitor.size(), 1u);
  EXPECT_EQ(monitor[0].wParam, 0u) << "no apply has reached the mouse yet";
  EXPECT_EQ(store.ValueNames(kSettingsKeyPath).size(), 6u);
  for (int i = 0; i < 200 && pointerSpeed == -1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(pointerSpeed, 7) << "the pointer settings still went to their worker";
}

TEST_F(ApplySequenceTest, ProfileTheMouseCannotHoldSendsNothing) {
  auto damaged = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  dm->ReadProfileInfo(*damaged, 1);
  damaged->MouseSettingInfo.CPIState[0].nCPIX = 12;
  dm->SaveBackToProfileInfo(*damaged, 1);
  const ApplyResult result = Apply();
  EXPECT_EQ(result.outcome, ApplyOutcome::ConversionFailed);
  EXPECT_NE(result.message.find("profile 2"), std::string::npos) << result.message;
  EXPECT_TRUE(frames.empty()) << "the mouse is never left half written";
  EXPECT_EQ(mouse.CurrentState().writeState, 1);
}

TEST_F(ApplySequenceTest, MouseGoneHalfWayIsAFailureAndTheRestStillRuns) {
  mouse.UnplugAfter(5);
  state.ReportRateChanged = true;
  const ApplyResult result = Apply();
  EXPECT_EQ(result.outcome, ApplyOutcome::FramesFailed);
  EXPECT_EQ(FrameCount(), 5);
  EXPECT_EQ(result.framesSent, 20) << "every frame of the sequence was attempted";
  EXPECT_EQ(result.framesFailed, 15);
  EXPECT_TRUE(state.ReportRateChanged) << "the rate change stays pending for the next apply";
  EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0), kApplyPauseTotalMs);
  EXPECT_EQ(monitor.size(), 1u);
}

// The simulated mouse with another program writing to it during the first `busyTries` tries.
class ContendedTransport : public SimulatedDriverTransport {
 public:
  ContendedTransport(SimulatedMouse& mouse, int busyTries) : SimulatedDriverTransport(mouse), busyTries_(busyTries) {}
  DeviceLockResult TryLockDevice(const std::string&, std::unique_ptr<DeviceLease>& lease) override {
    lease.reset();
    return ++tries <= busyTries_ ? DeviceLockResult::Busy : DeviceLockResult::Acquired;
  }
  int tries = 0;

 private:
  int busyTries_;
};

TEST_F(ApplySequenceTest, AnotherProgramWritingIsWaitedForBriefly) {
  ContendedTransport briefly(mouse, 3);
  TuiSTDCommand contended(briefly, scheduler, "/nonexistent/config.ini");
  const ApplyResult result = ApplySettingsToDevice(*dm, contended, state, hooks);
  EXPECT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(briefly.tries, 4);
  EXPECT_EQ(frames, Fixture("apply_factory.frames")) << "the whole sequence once the mouse was free";
  EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0), kApplyPauseTotalMs + 3 * 50)
      << "the wait runs through the window's pause";
}

TEST_F(ApplySequenceTest, AMouseBusyForTooLongGetsNoFrame) {
  ContendedTransport held(mouse, 1000000);
  TuiSTDCommand contended(held, scheduler, "/nonexistent/config.ini");
  state.SettingsModified = true;
  const ApplyResult result = ApplySettingsToDevice(*dm, contended, state, hooks);
  EXPECT_EQ(result.outcome, ApplyOutcome::DeviceBusy);
  EXPECT_EQ(result.message, "another program is writing to the mouse");
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(frames.empty());
  const int waited = std::accumulate(pauses.begin(), pauses.end(), 0) - 50;
  EXPECT_GE(waited, kDeviceBusyWaitMs);
  EXPECT_LT(waited, kDeviceBusyWaitMs + 100) << "a brief wait, not an endless one";
  EXPECT_FALSE(state.SettingsModified) << "the settings were still saved";
  EXPECT_EQ(monitor.size(), 1u);
}

}  // namespace
}  // namespace q9
