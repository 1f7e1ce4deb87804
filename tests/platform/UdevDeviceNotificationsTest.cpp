#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "TestSupport.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/UdevDeviceNotifications.h"

namespace q9 {
namespace {

bool WaitForPosted(ManualScheduler& scheduler, std::size_t count) {
  for (int i = 0; i < 500 && scheduler.PostedCount() < count; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return scheduler.PostedCount() >= count;
}

// The driver socket appearing and going away is an arrival and a removal, delivered through the
// scheduler (on the GUI thread), never directly from the watcher thread.
TEST(UdevDeviceNotifications, TheDriverSocketComingAndGoingIsAnArrivalAndARemoval) {
  test::TempFolder folder;
  ManualScheduler scheduler;
  UdevDeviceNotifications notifications(scheduler, folder.path(), "usbglcs00001");
  int arrivals = 0, removals = 0;
  ASSERT_TRUE(notifications.Start([&] { ++arrivals; }, [&] { ++removals; }));
  test::WriteFile(folder.path() / "other", {1});  // another file changes nothing
  test::WriteFile(folder.path() / "usbglcs00001", {1});
  ASSERT_TRUE(WaitForPosted(scheduler, 1));
  EXPECT_EQ(arrivals, 0);
  scheduler.RunPosted();
  EXPECT_EQ(arrivals, 1);
  std::filesystem::remove(folder.path() / "usbglcs00001");
  ASSERT_TRUE(WaitForPosted(scheduler, 1));
  scheduler.RunPosted();
  EXPECT_EQ(removals, 1);
  notifications.Stop();
  test::WriteFile(folder.path() / "usbglcs00001", {1});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(scheduler.PostedCount(), 0u) << "nothing after Stop";
}

// Work the watcher posted and the GUI thread has not run yet is dropped by Stop and by
// destruction: its handlers belong to an owner that may be gone.
TEST(UdevDeviceNotifications, WorkQueuedWhenStoppedOrDestroyedNeverRuns) {
  for (const bool destroy : {false, true}) {
    test::TempFolder folder;
    ManualScheduler scheduler;
    auto notifications = std::make_unique<UdevDeviceNotifications>(scheduler, folder.path(), "usbglcs00001");
    int arrivals = 0, removals = 0;
    ASSERT_TRUE(notifications->Start([&] { ++arrivals; }, [&] { ++removals; }));
    test::WriteFile(folder.path() / "usbglcs00001", {1});
    ASSERT_TRUE(WaitForPosted(scheduler, 1));
    if (destroy)
      notifications.reset();
    else
      notifications->Stop();
    scheduler.RunPosted();
    EXPECT_EQ(arrivals, 0) << (destroy ? "after destruction" : "after Stop");
    if (destroy) continue;

    // Started again, it delivers what comes from then on.
    ASSERT_TRUE(notifications->Start([&] { ++arrivals; }, [&] { ++removals; }));
    std::filesystem::remove(folder.path() / "usbglcs00001");
    ASSERT_TRUE(WaitForPosted(scheduler, 1));
    scheduler.RunPosted();
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(arrivals, 0);
  }
}

}  // namespace
}  // namespace q9
