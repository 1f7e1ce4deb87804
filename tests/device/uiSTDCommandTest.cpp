#include <atomic>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "device/uiSTDCommand.h"
#include "platform/fake/FakeDeviceNotifications.h"
#include "platform/fake/FakeDriverTransport.h"
#include "platform/fake/ManualScheduler.h"

namespace q9 {
namespace {

using test::Bytes;

class ChannelTest : public ::testing::Test {
 protected:
  FakeDriverTransport driver;
  ManualScheduler scheduler;
  TuiSTDCommand channel{driver, scheduler, "/nonexistent/config.ini"};
};

TEST_F(ChannelTest, DeviceRWOpensAndClosesTheDeviceAroundEachCall) {
  Bytes buffer{1, 2, 3};
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 3, 0x1234), kErrorSuccess);
  ASSERT_EQ(driver.Calls().size(), 1u);
  EXPECT_EQ(driver.Calls()[0].code, 0x1234u);
  EXPECT_EQ(driver.Calls()[0].bytes, buffer);
  EXPECT_EQ(driver.OpenConnections(), 0);
  EXPECT_EQ(driver.OpenedNames(), std::vector<std::string>{"usbglcs00001"}) << "the default device name";
  EXPECT_EQ(channel.DevicePath(), "\\\\.\\usbglcs00001");

  driver.SetStatus(31);
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 3, 0x1234), 31u) << "the driver's error comes back";
  EXPECT_EQ(channel.Counts().calls, 2);
  EXPECT_EQ(channel.Counts().failures, 1);
}

TEST_F(ChannelTest, NoDeviceIs21WithoutAControlCall) {
  driver.SetPresent(false);
  Bytes buffer(8, 0);
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 8, CommandIoControlCode), kErrorNotReady);
  EXPECT_FALSE(channel.IsDeviceExist());
  EXPECT_TRUE(driver.Calls().empty());
  driver.SetPresent(true);
  EXPECT_TRUE(channel.IsDeviceExist());
  EXPECT_EQ(driver.OpenConnections(), 0) << "the presence test leaves no handle open";
}

TEST_F(ChannelTest, AfterATimeOutCallsFailAtOnceUntilReset) {
  Bytes buffer(8, 0);
  driver.SetStatus(kErrorSemTimeout);
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 8, CommandIoControlCode), kErrorSemTimeout);
  EXPECT_TRUE(channel.NotAnswering());
  driver.SetStatus(kErrorSuccess);
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 8, CommandIoControlCode), kErrorSemTimeout);
  EXPECT_EQ(driver.Calls().size(), 1u) << "a mouse that stopped answering is not asked again";
  EXPECT_EQ(channel.Counts().failures, 2);
  EXPECT_TRUE(channel.IsDeviceExist()) << "the presence test is not affected";

  channel.ResetNotAnswering();
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 8, CommandIoControlCode), kErrorSuccess);
  EXPECT_EQ(driver.Calls().size(), 2u);

  driver.SetStatus(kErrorSemTimeout);
  channel.DeviceRW(buffer.data(), 8, CommandIoControlCode);
  driver.SetStatus(kErrorSuccess);
  channel.HandleDeviceArrival();
  EXPECT_FALSE(channel.NotAnswering()) << "a mouse plugged in again gets a new chance";
  EXPECT_EQ(channel.DeviceRW(buffer.data(), 8, CommandIoControlCode), kErrorSuccess);

  driver.SetStatus(kErrorInvalidParameter);
  channel.DeviceRW(buffer.data(), 8, CommandIoControlCode);
  EXPECT_FALSE(channel.NotAnswering()) << "a refused frame is an answer";
}

TEST_F(ChannelTest, DeviceNameAndListsComeFromTheConfigFile) {
  test::TempFolder folder;
  const std::string ini = "[DEVICE]\nDeviceName=mymouse7\n[devicelist]\nid1=HID\\VID_1234&PID_5678\n";
  test::WriteFile(folder.path() / "config.ini", Bytes(ini.begin(), ini.end()));
  TuiSTDCommand configured(driver, scheduler, folder.path() / "config.ini");
  EXPECT_EQ(configured.DevicePath(), "\\\\.\\mymouse7");
  configured.IsDeviceExist();
  EXPECT_EQ(driver.OpenedNames().back(), "mymouse7");
  EXPECT_TRUE(configured.HardwareIdsInConfigHidList({"hid\\vid_1234&pid_5678"}));
  EXPECT_FALSE(configured.HardwareIdsInConfigHidList({"HID\\VID_1234&PID_5678&REV_0100"}));
  EXPECT_FALSE(channel.HardwareIdsInConfigHidList({"HID\\VID_1234&PID_5678"})) << "without a file the lists are empty";
}

TEST_F(ChannelTest, MonitoringNeedsInitialisationData) {
  channel.StartMonitorDevice();
  EXPECT_FALSE(channel.Active());
  EXPECT_TRUE(driver.Calls().empty());
  const Bytes init{9, 9};
  channel.SetDeviceInitData(init.data(), 2, 0x77, 0x88, 64, 64);
  channel.SetDeviceInitData(init.data(), 0, 0x99, 0x99, 1, 1);  // size 0 keeps the earlier data
  EXPECT_EQ(channel.DeviceDataInitIOCode(), 0x77u);
  channel.SetMonitorData();
  ASSERT_EQ(driver.Calls().size(), 1u);
  EXPECT_EQ(driver.Calls()[0].code, 0x77u);
  EXPECT_EQ(driver.Calls()[0].bytes, init);
}

// Every report arrives; the two readers never read at the same time. (Deliveries may overlap: a
// reader delivers while the other one's read is already outstanding.)
TEST_F(ChannelTest, ReadersTakeTurnsAndDeliverEveryReport) {
  std::mutex mutex;
  std::condition_variable received;
  std::vector<Bytes> reports;
  channel.OnDataReceived = [&](const std::uint8_t* data, std::uint32_t size) {
    std::lock_guard lock(mutex);
    reports.emplace_back(data, data + size);
    received.notify_all();
  };
  const Bytes init{1};
  channel.SetDeviceInitData(init.data(), 1, 0x10, 0x20, 8, 8);
  channel.StartMonitorDevice();
  ASSERT_TRUE(channel.Active());
  for (std::uint8_t i = 1; i <= 6; ++i) driver.QueueReport({i, i});
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(received.wait_for(lock, std::chrono::seconds(5), [&] { return reports.size() == 6; }));
  }
  std::sort(reports.begin(), reports.end());
  for (std::uint8_t i = 1; i <= 6; ++i) EXPECT_EQ(reports[i - 1], (Bytes{i, i}));
  EXPECT_EQ(driver.MaxConcurrentReads(), 1);
  channel.StopMonitorDevice();
  EXPECT_FALSE(channel.Active());
  EXPECT_EQ(driver.OpenConnections(), 0) << "stopping cancels the outstanding read and closes the handle";
}

TEST_F(ChannelTest, ArrivalAndRemovalRestartMonitoringAfterTheDelay) {
  int arrivals = 0, removals = 0;
  channel.OnDeviceArrialEvent = [&] { ++arrivals; };
  channel.OnDeviceRemovalEvent = [&] { ++removals; };
  const Bytes init{1};
  channel.SetDeviceInitData(init.data(), 1, 0x10, 0x20, 8, 8);
  channel.HandleDeviceArrival();
  EXPECT_EQ(arrivals, 1);
  scheduler.Advance(1499);
  EXPECT_FALSE(channel.Active());
  scheduler.Advance(1);
  EXPECT_TRUE(channel.Active());
  channel.HandleDeviceRemoval();
  EXPECT_EQ(removals, 1);
  EXPECT_FALSE(channel.Active());
  driver.SetPresent(false);
  scheduler.Advance(1500);
  EXPECT_FALSE(channel.Active()) << "no device, no monitoring";
}

TEST(TuiThread, RunsOnAPrivateCopyAndNothingForSizeZero) {
  std::mutex mutex;
  std::condition_variable done;
  Bytes seen;
  std::thread::id worker;
  Bytes buffer{1, 2, 3, 4};
  TuiThread::ThreadCallFunction(
      [&](std::uint8_t* data, std::uint32_t size) {
        std::lock_guard lock(mutex);
        seen.assign(data, data + size);
        worker = std::this_thread::get_id();
        done.notify_all();
      },
      buffer.data(), 4);
  buffer.assign(4, 0);  // the caller may change its buffer at once
  std::unique_lock lock(mutex);
  ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(5), [&] { return !seen.empty(); }));
  EXPECT_EQ(seen, (Bytes{1, 2, 3, 4}));
  EXPECT_NE(worker, std::this_thread::get_id());
  bool called = false;
  TuiThread::ThreadCallFunction([&](std::uint8_t*, std::uint32_t) { called = true; }, buffer.data(), 0);
  lock.unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace q9

namespace q9 {
namespace {

TEST(TuiHIDEvent, StartupNoticesThenEveryArrivalAndRemoval) {
  FakeDriverTransport driver;
  ManualScheduler scheduler;
  FakeDeviceNotifications notifications;
  TuiSTDCommand channel(driver, scheduler, "/nonexistent/config.ini");
  int arrivals = 0, removals = 0, changes = 0;
  channel.OnDeviceArrialEvent = [&] { ++arrivals; };
  channel.OnDeviceRemovalEvent = [&] { ++removals; };
  channel.AttachNotifications(notifications);
  channel.HIDEvent()->OnDeviceChange = [&] { ++changes; };
  EXPECT_EQ(changes, 0) << "the device-change notice is posted, not delivered at once";
  scheduler.RunPosted();
  EXPECT_EQ(changes, 1);
  scheduler.Advance(1499);
  EXPECT_EQ(arrivals, 0);
  scheduler.Advance(1);
  EXPECT_EQ(arrivals, 1) << "one arrival 1.5 s after start, with no device attached";
  scheduler.Advance(5000);
  EXPECT_EQ(arrivals, 1) << "the start-up timer fires once";
  notifications.Arrive();
  notifications.Remove();
  EXPECT_EQ(arrivals, 2);
  EXPECT_EQ(removals, 1);
}

// Notifications that post their handlers to the scheduler, as the Linux watcher does, and leave
// what is queued in the queue when stopped.
class PostingNotifications : public DeviceNotifications {
 public:
  explicit PostingNotifications(Scheduler& scheduler) : scheduler_(scheduler) {}
  bool Start(std::function<void()> onArrival, std::function<void()> onRemoval) override {
    arrival_ = std::move(onArrival);
    removal_ = std::move(onRemoval);
    return true;
  }
  void Stop() override { arrival_ = removal_ = nullptr; }
  void Arrive() { scheduler_.Post(arrival_); }
  void Remove() { scheduler_.Post(removal_); }

 private:
  Scheduler& scheduler_;
  std::function<void()> arrival_, removal_;
};

// Work the component handed out and that is still queued when the component goes would run on a
// destroyed object: it does nothing instead.
TEST(TuiHIDEvent, WorkStillQueuedWhenItIsDestroyedDoesNothing) {
  ManualScheduler scheduler;
  PostingNotifications notifications(scheduler);
  int arrivals = 0, removals = 0, changes = 0;
  auto event = std::make_unique<TuiHIDEvent>(notifications, scheduler);
  event->OnDeviceArrival = [&] { ++arrivals; };
  event->OnDeviceRemove = [&] { ++removals; };
  event->OnDeviceChange = [&] { ++changes; };
  notifications.Arrive();
  notifications.Remove();
  ASSERT_EQ(scheduler.PostedCount(), 3u) << "the device-change notice, an arrival and a removal";
  event.reset();
  scheduler.RunPosted();
  scheduler.Advance(5000);
  EXPECT_EQ(arrivals + removals + changes, 0);
  EXPECT_EQ(scheduler.RunningTimers(), 0u);

  // While it lives, the same work runs.
  event = std::make_unique<TuiHIDEvent>(notifications, scheduler);
  event->OnDeviceArrival = [&] { ++arrivals; };
  event->OnDeviceChange = [&] { ++changes; };
  notifications.Arrive();
  scheduler.RunPosted();
  EXPECT_EQ(arrivals, 1);
  EXPECT_EQ(changes, 1);
}

TEST(TuiHIDEvent, AChannelDestroyedWithItsNoticeQueuedLeavesNothingToRun) {
  FakeDriverTransport driver;
  ManualScheduler scheduler;
  PostingNotifications notifications(scheduler);
  int events = 0;
  auto channel = std::make_unique<TuiSTDCommand>(driver, scheduler, "/nonexistent/config.ini");
  channel->OnDeviceArrialEvent = [&] { ++events; };
  channel->OnDeviceRemovalEvent = [&] { ++events; };
  channel->AttachNotifications(notifications);
  channel->HIDEvent()->OnDeviceChange = [&] { ++events; };
  notifications.Arrive();
  channel.reset();
  scheduler.RunPosted();
  scheduler.Advance(5000);
  EXPECT_EQ(events, 0);
}

TEST(TuiHIDEvent, WithoutNotificationsOnlyTheStartupNoticesCome) {
  ManualScheduler scheduler;
  FakeDeviceNotifications notifications;
  notifications.available = false;
  TuiHIDEvent event(notifications, scheduler);
  int arrivals = 0;
  event.OnDeviceArrival = [&] { ++arrivals; };
  EXPECT_FALSE(event.Registered());
  scheduler.Advance(1500);
  EXPECT_EQ(arrivals, 1);
}

}  // namespace
}  // namespace q9

namespace q9 {
namespace {

class ListedDevices : public DeviceSetup {
 public:
  bool EnumeratePresentHidDevices(std::vector<PresentDevice>& out) override {
    out = devices;
    return answers;
  }
  std::vector<PresentDevice> devices;
  bool answers = true;
};

TEST(DeviceEnumeration, PresentDevicesAreMatchedAgainstTheConfiguredIds) {
  test::TempFolder folder;
  const std::string ini = "[devicelist]\nid1=HID\\VID_1234&PID_5678\n";
  test::WriteFile(folder.path() / "config.ini", test::Bytes(ini.begin(), ini.end()));
  FakeDriverTransport driver;
  ManualScheduler scheduler;
  TuiSTDCommand channel(driver, scheduler, folder.path() / "config.ini");
  ListedDevices setup;
  setup.devices = {{{"HID\\VID_0001&PID_0002"}, {}, {}, "keyboard"}, {{"hid\\vid_1234&pid_5678"}, {}, {}, "mouse"}};
  EXPECT_TRUE(channel.IsHIDDeviceExist(setup));
  EXPECT_TRUE(channel.ISHIDDeviceExist(setup, "HID\\VID_0001&PID_0002"));
  EXPECT_FALSE(channel.ISHIDDeviceExist(setup, "HID\\VID_0001"));
  setup.devices.pop_back();
  EXPECT_FALSE(channel.IsHIDDeviceExist(setup));
  setup.answers = false;
  EXPECT_FALSE(channel.ISHIDDeviceExist(setup, "HID\\VID_0001&PID_0002")) << "a failed enumeration answers false";
}

TEST(DeviceEnumeration, LinuxHidIdsBecomeWindowsHardwareIds) {
  EXPECT_EQ(HardwareIdOfHidId("0003:0000046D:0000C52B"), "HID\\VID_046D&PID_C52B");
  EXPECT_EQ(HardwareIdOfHidId("0005:00001234:0000abcd"), "HID\\VID_1234&PID_ABCD");
  for (const char* bad : {"", "0003", "0003:046D", "0003:xyz:0001", "0003:123456789:1", "0003:1:"})
    EXPECT_EQ(HardwareIdOfHidId(bad), "") << bad;
}

// A driver whose calls take their time: each call's first byte goes into the log when the call
// ends (what reached the mouse last is what it keeps), with the thread that made it.
class SlowDriver : public DriverTransport {
 public:
  class Connection : public DriverConnection {
   public:
    explicit Connection(SlowDriver& driver) : driver_(driver) {}
    std::uint32_t Control(std::uint32_t, std::uint8_t* buffer, std::uint32_t count) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(buffer[0] == 1 ? 60 : 0));
      std::lock_guard lock(driver_.mutex);
      driver_.finished.push_back(buffer[0]);
      driver_.threads.push_back(std::this_thread::get_id());
      if (count) buffer[0] = 0xAA;  // the answer comes back in the buffer
      return kErrorSuccess;
    }
    std::uint32_t Read(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t*, std::uint32_t,
                       std::uint32_t&) override {
      return kErrorInvalidFunction;
    }
    void Cancel() override {}

   private:
    SlowDriver& driver_;
  };
  std::unique_ptr<DriverConnection> Open(const std::string&, bool) override { return std::make_unique<Connection>(*this); }

  std::mutex mutex;
  std::vector<std::uint8_t> finished;
  std::vector<std::thread::id> threads;
};

// The window's events run while a slow call waits; the answer still lands in the caller's buffer,
// and a call made from the events waits for the one under way, so the frames keep their order.
TEST(ChannelWhileWaiting, TheWaitRunsWhileTheCallIsMadeElsewhereAndFramesKeepTheirOrder) {
  SlowDriver driver;
  ManualScheduler scheduler;
  TuiSTDCommand channel(driver, scheduler, "/nonexistent/config.ini");
  Bytes plain{9};
  EXPECT_EQ(channel.DeviceRW(plain.data(), 1, CommandIoControlCode), kErrorSuccess);
  EXPECT_EQ(driver.threads.back(), std::this_thread::get_id()) << "without a wait function the caller's thread calls";

  int waits = 0;
  Bytes nested{2};
  std::uint32_t nestedStatus = 1;
  channel.OnWaitForDevice = [&] {
    if (++waits == 1) nestedStatus = channel.DeviceRW(nested.data(), 1, CommandIoControlCode);
  };
  Bytes first{1};
  EXPECT_EQ(channel.DeviceRW(first.data(), 1, CommandIoControlCode), kErrorSuccess);
  EXPECT_GE(waits, 1);
  EXPECT_EQ(first[0], 0xAA) << "the answer is in the caller's buffer";
  EXPECT_EQ(nestedStatus, kErrorSuccess);
  EXPECT_EQ(nested[0], 0xAA);
  EXPECT_EQ(driver.finished, (std::vector<std::uint8_t>{9, 1, 2})) << "the later frame overtook the earlier one";
  EXPECT_NE(driver.threads[1], std::this_thread::get_id()) << "the slow call held the caller's thread";
  EXPECT_EQ(channel.Counts().calls, 3);
  EXPECT_TRUE(channel.IsDeviceExist());
}

// A wait function that throws does not leave a worker writing into a buffer that is gone.
TEST(ChannelWhileWaiting, AThrowingWaitLetsTheCallEndFirst) {
  SlowDriver driver;
  ManualScheduler scheduler;
  TuiSTDCommand channel(driver, scheduler, "/nonexistent/config.ini");
  channel.OnWaitForDevice = [] { throw std::runtime_error("stop"); };
  {
    Bytes first{1};
    EXPECT_THROW(channel.DeviceRW(first.data(), 1, CommandIoControlCode), std::runtime_error);
    EXPECT_EQ(first[0], 0xAA) << "the call had ended before the exception left";
  }
  channel.OnWaitForDevice = nullptr;
  Bytes next{3};
  EXPECT_EQ(channel.DeviceRW(next.data(), 1, CommandIoControlCode), kErrorSuccess) << "no call is left under way";
  EXPECT_EQ(driver.finished, (std::vector<std::uint8_t>{1, 3}));
}

TEST(TuiThread, WaitForWorkersReturnsOnlyWhenTheLastWorkerHasReturned) {
  std::atomic<bool> release{false};
  std::atomic<bool> finished{false};
  const std::uint8_t byte = 7;
  TuiThread::ThreadCallFunction(
      [&](std::uint8_t*, std::uint32_t) {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        finished = true;
      },
      &byte, 1);
  EXPECT_FALSE(TuiThread::WaitForWorkers(30)) << "the worker still runs";
  release = true;
  ASSERT_TRUE(TuiThread::WaitForWorkers(5000));
  EXPECT_TRUE(finished);
  EXPECT_TRUE(TuiThread::WaitForWorkers(0)) << "nothing runs any more";
}

}  // namespace
}  // namespace q9
