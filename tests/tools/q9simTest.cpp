#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "MemoryDecode.h"
#include "SimServer.h"
#include "SimulatedMouse.h"
#include "TestSupport.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/PosixDriverTransport.h"
#include "protocol/ApplySequence.h"

namespace q9 {
namespace {

using test::Bytes;

Bytes Frame(std::uint8_t command, Bytes arguments = {}, Bytes payload = {}) {
  Bytes frame(CommandFrameSize, 0);
  frame[0] = 0x16;
  frame[1] = 0x10;
  frame[3] = command;
  std::copy(arguments.begin(), arguments.end(), frame.begin() + 4);
  std::copy(payload.begin(), payload.end(), frame.begin() + 11);
  return frame;
}

TEST(SimulatedMouse, MalformedFramesAreRefusedAndChangeNothing) {
  SimulatedMouse mouse;
  const Bytes before = mouse.SaveImage();
  std::vector<std::pair<const char*, Bytes>> bad = {
      {"short", Bytes(100, 0)},
      {"long", Bytes(CommandFrameSize + 1, 0)},
      {"header", [] { Bytes f = Frame(6); f[1] = 0x11; return f; }()},
      {"past the memory", Frame(2, {0xFF, 0xFF, 2, 0, 0xFA, 0xFA, 0xFA}, {1, 2})},
      {"too long a write", Frame(2, {0, 0, 0x01, 0x08, 0xFA, 0xFA, 0xFA})},
      {"empty write", Frame(2, {0, 1, 0, 0, 0xFA, 0xFA, 0xFA})},
      {"unmarked write", Frame(2, {0, 1, 1, 0, 0xFA, 0x00, 0xFA}, {1})},
      {"unknown command", Frame(3)},
      {"location 2", Frame(8, {2})},
  };
  for (auto& [name, frame] : bad) EXPECT_NE(mouse.HandleControl(CommandIoControlCode, frame), kErrorSuccess) << name;
  Bytes good = Frame(6, {0});
  EXPECT_EQ(mouse.HandleControl(0x80004004u, good), kErrorInvalidFunction) << "another control code";
  EXPECT_EQ(mouse.SaveImage(), before);
}

TEST(SimulatedMouse, CommandsChangeItsState) {
  SimulatedMouse mouse;
  Bytes write = Frame(2, {0xFE, 0xFF, 2, 0, 0xFA, 0xFA, 0xFA}, {7, 8});
  Bytes light = Frame(4, {1, 2, 3, 4, 5});
  Bytes location = Frame(8, {1});
  Bytes rate = Frame(1);
  for (Bytes* f : {&write, &light, &location, &rate}) EXPECT_EQ(mouse.HandleControl(CommandIoControlCode, *f), kErrorSuccess);
  EXPECT_EQ(mouse.Memory()[65534], 7);
  EXPECT_EQ(mouse.Memory()[65535], 8) << "the last byte of the memory can be written";
  const SimulatedMouse::State state = mouse.CurrentState();
  EXPECT_EQ(state.light, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(state.memoryLocation, 1);
  EXPECT_EQ(state.rateChanges, 1u);
  EXPECT_EQ(state.frames, 4u);

  SimulatedMouse copy;
  ASSERT_TRUE(copy.LoadImage(mouse.SaveImage()));
  EXPECT_EQ(copy.SaveImage(), mouse.SaveImage());
  EXPECT_FALSE(copy.LoadImage(Bytes(1000, 0)));
  EXPECT_TRUE(copy.LoadImage(Bytes(65536, 0))) << "a bare memory image";
}

class SimulatorOverSocketTest : public ::testing::Test {
 protected:
  void Serve(SimServerOptions options) {
    options.deviceFolder = folder.path();
    server = std::make_unique<SimServer>(mouse, options);
    std::string error;
    ASSERT_TRUE(server->Start(error)) << error;
    thread = std::thread([this] { server->Run(); });
  }
  void TearDown() override {
    if (server) server->Stop();
    if (thread.joinable()) thread.join();
  }

  test::TempFolder folder;
  SimulatedMouse mouse;
  std::unique_ptr<SimServer> server;
  std::thread thread;
  FakeRegistryStore store;
  FakeSystemLocale locale;
  ManualScheduler scheduler;
};

TEST_F(SimulatorOverSocketTest, ApplyThroughTheDriverSocketLogsThePrescribedFrames) {
  Serve({{}, "usbglcs00001", folder.path() / "frames.bin", folder.path() / "memory.bin", -1});
  PosixDriverTransport transport(folder.path());
  TuiSTDCommand channel(transport, scheduler, "/nonexistent/config.ini");
  auto dm = CreateDataModule(store, locale);
  ASSERT_TRUE(dm->SwitchToProfile(2, 0));
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("rich_profile.GPX").string()));
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile] = 2;
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = -1;
  ApplyState state;
  state.DeviceMode = 1;
  state.ReportRateChanged = true;
  const ApplyResult result = ApplySettingsToDevice(*dm, channel, state, {});
  EXPECT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(test::ReadFile(folder.path() / "frames.bin"), test::Fixture("apply_rich.frames"));

  // The memory file says what the mouse now holds.
  SimulatedMouse reloaded;
  ASSERT_TRUE(reloaded.LoadImage(test::ReadFile(folder.path() / "memory.bin")));
  const nlohmann::json decoded = DecodeMemory(reloaded.Memory(), reloaded.CurrentState());
  EXPECT_EQ(decoded["reportRateHz"], 1000);
  EXPECT_EQ(decoded["currentProfile"], 2);
  EXPECT_EQ(decoded["activeLocation"], 1);
  const auto& plain = decoded["locations"][0]["buttonGroups"]["plain"];
  EXPECT_EQ(plain[0]["function"], "Click");
  EXPECT_EQ(plain[1]["function"], "Macro");
  EXPECT_EQ(plain[1]["steps"][0], (nlohmann::json{{"type", "key"}, {"action", "press"}, {"key", "A"}, {"hid", 4}}));
  EXPECT_EQ(plain[1]["steps"][1]["ms"], 20) << "15 ms is sent as 2 tens";
  EXPECT_EQ(plain[1]["steps"][3], (nlohmann::json{{"type", "loop"}, {"count", 3}}));
  EXPECT_EQ(plain[2]["keys"], "Ctrl+Shift+A+B");
  EXPECT_EQ(plain[3]["key"], "F5");
  EXPECT_EQ(plain[4]["function"], "BROWSER_BACK");
  EXPECT_EQ(plain[6]["clicks"], 5);
  EXPECT_EQ(plain[7]["steps"].size(), 60u);
  const auto& alt = decoded["locations"][0]["buttonGroups"]["alt"];
  EXPECT_EQ(alt[0]["function"], "Mute");
  EXPECT_EQ(alt[1]["function"], "Disable");
  EXPECT_EQ(alt[3]["steps"][4]["key"], "LEFT ARROW");
  EXPECT_EQ(decoded["locations"][0]["buttonGroups"]["shift"][0]["key"], "ENTER");
  EXPECT_EQ(decoded["locations"][0]["light"]["color"], "#0AC81E");
  EXPECT_EQ(decoded["locations"][0]["sensitivity"]["levels"][1]["cpi"], 3500) << "step 8 shares the device index of 3500";
  EXPECT_EQ(decoded["locations"][1]["buttonGroups"]["plain"][3]["function"], "Forward");
  EXPECT_EQ(decoded["locations"][1]["sensitivity"]["levels"][3]["cpi"], 3500);
  EXPECT_EQ(decoded["locations"][1]["light"]["color"], "#FF0000");
}

TEST_F(SimulatorOverSocketTest, UnplugAfterNFramesRemovesTheDevice) {
  Serve({{}, "mouse", {}, {}, 3});
  PosixDriverTransport transport(folder.path());
  Bytes frame = Frame(6, {0});
  for (int i = 0; i < 3; ++i) {
    auto device = transport.Open("mouse", false);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  }
  thread.join();
  EXPECT_FALSE(transport.Open("mouse", false)) << "no one listens any more";
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "mouse"));
}

TEST_F(SimulatorOverSocketTest, MalformedRequestsGetAnErrorNotACrash) {
  Serve({{}, "mouse", {}, {}, -1});
  PosixDriverTransport transport(folder.path());
  Bytes shortFrame(10, 0x16);
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, shortFrame.data(), 10), kErrorInvalidParameter);
  EXPECT_TRUE(transport.Open("mouse", false)) << "still serving";
  EXPECT_FALSE(transport.Open("../escape", false));
}

TEST_F(SimulatorOverSocketTest, TwoAppliesAtOnceNeverInterleaveTheirFrames) {
  Serve({{}, "usbglcs00001", folder.path() / "frames.bin", {}, -1});
  std::atomic<int> ready{0};
  ApplyResult results[2];
  auto applyOnce = [&](int which) {
    FakeRegistryStore ownStore;
    FakeSystemLocale ownLocale;
    ManualScheduler ownScheduler;
    PosixDriverTransport transport(folder.path());
    TuiSTDCommand channel(transport, ownScheduler, "/nonexistent/config.ini");
    auto dm = CreateDataModule(ownStore, ownLocale);
    ApplyState state;
    ApplyHooks hooks;
    // Real pauses, as q9ctl makes them: the two runs overlap for their whole length.
    hooks.ProgressPause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    ++ready;
    while (ready < 2) std::this_thread::yield();
    results[which] = ApplySettingsToDevice(*dm, channel, state, hooks);
  };
  std::thread first(applyOnce, 0);
  std::thread second(applyOnce, 1);
  first.join();
  second.join();
  const Bytes sequence = test::Fixture("apply_factory.frames");
  const Bytes log = test::ReadFile(folder.path() / "frames.bin");
  const int applied = results[0].ok() + results[1].ok();
  for (const ApplyResult& result : results)
    EXPECT_TRUE(result.ok() || result.outcome == ApplyOutcome::DeviceBusy) << result.message;
  ASSERT_GE(applied, 1);
  Bytes expected;
  for (int i = 0; i < applied; ++i) expected.insert(expected.end(), sequence.begin(), sequence.end());
  EXPECT_EQ(log.size(), expected.size());
  EXPECT_TRUE(log == expected) << "each apply's frames are one whole run";
}

TEST_F(SimulatorOverSocketTest, TheDeviceLockSitsBesideTheSocketAndIsExclusive) {
  PosixDriverTransport transport(folder.path());
  EXPECT_EQ(transport.LockPath("usbglcs00001"), folder.path() / "usbglcs00001.lock");
  EXPECT_EQ(transport.DeviceLocation("usbglcs00001"), (folder.path() / "usbglcs00001").string());
  std::unique_ptr<DeviceLease> first, second;
  const mode_t umask = ::umask(077);  // a private umask must not keep other users off the lock
  ASSERT_EQ(transport.TryLockDevice("usbglcs00001", first), DeviceLockResult::Acquired);
  ::umask(umask);
  ASSERT_TRUE(first) << "a lock file could be made here";
  EXPECT_EQ(std::filesystem::status(transport.LockPath("usbglcs00001")).permissions() & std::filesystem::perms::others_read,
            std::filesystem::perms::others_read)
      << "every user of the mouse can lock it";
  EXPECT_EQ(PosixDriverTransport(folder.path()).TryLockDevice("usbglcs00001", second), DeviceLockResult::Busy);
  EXPECT_EQ(transport.TryLockDevice("another", second), DeviceLockResult::Acquired) << "per device";
  first.reset();
  EXPECT_EQ(transport.TryLockDevice("usbglcs00001", second), DeviceLockResult::Acquired) << "released with its lease";
}

TEST(SimServer, RefusesToReplaceAFileThatIsNotASocket) {
  test::TempFolder folder;
  test::WriteFile(folder.path() / "usbglcs00001", Bytes{1});
  SimulatedMouse mouse;
  SimServer server(mouse, {folder.path(), "usbglcs00001", {}, {}, -1});
  std::string error;
  EXPECT_FALSE(server.Start(error));
  EXPECT_NE(error.find("not a socket"), std::string::npos);
  EXPECT_EQ(test::ReadFile(folder.path() / "usbglcs00001"), Bytes{1});
}

}  // namespace
}  // namespace q9
