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
  EXPECT_EQ(result.failedProfile, 1) << "counted from 0";
  EXPECT_EQ(result.message, "CPI level 1 has step 12 (0..8)");
  EXPECT_TRUE(frames.empty()) << "the mouse is never left half written";
  EXPECT_EQ(mouse.CurrentState().writeState, 1);
}

// The report rate comes from the current profile: a rate the mouse lacks names that profile, even
// when no memory location holds it.
TEST_F(ApplySequenceTest, AReportRateTheMouseLacksNamesTheCurrentProfile) {
  ASSERT_TRUE(dm->SwitchToProfile(3, 0));
  dm->FCurrentMouseSettingInfo.ReportRate = 400;  // the working copy, saved into the profile first
  const ApplyResult result = Apply();
  EXPECT_EQ(result.outcome, ApplyOutcome::ConversionFailed);
  EXPECT_EQ(result.failedProfile, 3);
  EXPECT_NE(result.message.find("400 Hz"), std::string::npos) << result.message;
  EXPECT_TRUE(frames.empty());
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

// The user asked for the mouse to get the settings, so the frames still go; the apply as a whole
// is a failure, and the settings stay modified (the window asks again before it closes).
TEST_F(ApplySequenceTest, FailedSaveStillSendsTheFramesButIsAFailure) {
  state.SettingsModified = true;
  store.FailWritesAfter(2);
  const ApplyResult result = Apply();
  EXPECT_EQ(result.outcome, ApplyOutcome::Applied);
  EXPECT_FALSE(result.saved);
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.saveError.find(GameProfileValueName(2)), std::string::npos) << result.saveError;
  EXPECT_NE(result.saveError.find(kSettingsValueName), std::string::npos) << result.saveError;
  EXPECT_EQ(frames, Fixture("apply_factory.frames"));
  EXPECT_TRUE(state.SettingsModified);

  store.FailWritesAfter(-1);
  const ApplyResult again = Apply();
  EXPECT_TRUE(again.saved);
  EXPECT_TRUE(again.ok());
  EXPECT_TRUE(again.saveError.empty());
  EXPECT_FALSE(state.SettingsModified);
}

TEST_F(ApplySequenceTest, FailedSaveWithoutTheMouseReportsBoth) {
  mouse.SetPresent(false);
  store.FailWritesAfter(0);
  const ApplyResult result = Apply();
  EXPECT_EQ(result.outcome, ApplyOutcome::NotConnected);
  EXPECT_FALSE(result.saved);
  EXPECT_FALSE(result.saveError.empty());
}

// The simulated mouse behind a driver that stops answering after a number of calls: every later
// call times out.
class StallingTransport : public DriverTransport {
 public:
  StallingTransport(SimulatedMouse& mouse, int answered) : mouse_(mouse), answersLeft_(answered) {}
  std::unique_ptr<DriverConnection> Open(const std::string&, bool) override {
    return std::make_unique<Connection>(*this);
  }
  void Answer(int calls) { answersLeft_ = calls; }
  int calls = 0;

 private:
  class Connection : public DriverConnection {
   public:
    explicit Connection(StallingTransport& driver) : driver_(driver) {}
    std::uint32_t Control(std::uint32_t code, std::uint8_t* buffer, std::uint32_t count) override {
      ++driver_.calls;
      if (driver_.answersLeft_ == 0) return kErrorSemTimeout;
      --driver_.answersLeft_;
      return driver_.mouse_.HandleControl(code, {buffer, count});
    }
    std::uint32_t Read(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t*, std::uint32_t,
                       std::uint32_t&) override {
      return kErrorInvalidFunction;
    }
    void Cancel() override {}

   private:
    StallingTransport& driver_;
  };
  SimulatedMouse& mouse_;
  int answersLeft_;
};

TEST_F(ApplySequenceTest, MouseThatStopsAnsweringEndsTheRunAtTheFirstTimeOut) {
  StallingTransport stalling(mouse, 3);
  TuiSTDCommand stallingChannel(stalling, scheduler, "/nonexistent/config.ini");
  state.ReportRateChanged = true;
  const ApplyResult result = ApplySettingsToDevice(*dm, stallingChannel, state, hooks);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.outcome, ApplyOutcome::FramesFailed);
  EXPECT_TRUE(result.stoppedAnswering);
  EXPECT_EQ(result.message, "the mouse stopped answering: 3 of 20 frames went through");
  EXPECT_EQ(stalling.calls, 4) << "nothing is sent after the frame that timed out";
  EXPECT_EQ(result.framesSent, 4);
  EXPECT_EQ(result.framesFailed, 1);
  EXPECT_EQ(FrameCount(), 3);
  EXPECT_TRUE(state.ReportRateChanged) << "the rate change stays pending";
  EXPECT_EQ(applyDisabled, 0) << "APPLY stays usable for another try";
  EXPECT_LT(std::accumulate(pauses.begin(), pauses.end(), 0), kApplyPauseTotalMs) << "the remaining pauses are skipped";
  EXPECT_EQ(monitor.size(), 1u);

  // The next apply gives the mouse a new chance.
  ASSERT_TRUE(stallingChannel.NotAnswering());
  stalling.Answer(1000);
  const ApplyResult again = ApplySettingsToDevice(*dm, stallingChannel, state, hooks);
  EXPECT_TRUE(again.ok()) << again.message;
  EXPECT_EQ(again.framesSent, 20);
}

TEST_F(ApplySequenceTest, TimedOutRateChangeIsReportedAsNotAnswering) {
  StallingTransport stalling(mouse, 19);
  TuiSTDCommand stallingChannel(stalling, scheduler, "/nonexistent/config.ini");
  state.ReportRateChanged = true;
  const ApplyResult result = ApplySettingsToDevice(*dm, stallingChannel, state, hooks);
  EXPECT_TRUE(result.stoppedAnswering);
  EXPECT_EQ(result.message, "the mouse stopped answering: 19 of 20 frames went through");
  EXPECT_TRUE(state.ReportRateChanged) << "the rate change did not reach the mouse";
}

TEST_F(ApplySequenceTest, MouseThatNeverAnswersGetsOneFrame) {
  StallingTransport stalling(mouse, 0);
  TuiSTDCommand stallingChannel(stalling, scheduler, "/nonexistent/config.ini");
  const ApplyResult result = ApplySettingsToDevice(*dm, stallingChannel, state, hooks);
  EXPECT_EQ(stalling.calls, 1);
  EXPECT_TRUE(result.stoppedAnswering);
  EXPECT_EQ(result.message, "the mouse stopped answering: 0 of 19 frames went through");
  EXPECT_TRUE(progressIntervals.empty()) << "no progress display for a run that never started";
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
