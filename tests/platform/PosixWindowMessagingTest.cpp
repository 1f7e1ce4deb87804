#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "TestSupport.h"
#include "platform/posix/PosixWindowMessaging.h"

namespace q9 {
namespace {

TEST(PosixWindowMessaging, PostAndSendReachTheListeningWindow) {
  test::TempFolder folder;
  PosixWindowMessaging window(folder.path());
  PosixWindowMessaging other(folder.path(), 500);
  std::mutex mutex;
  std::condition_variable received;
  std::vector<WindowMessage> messages;
  int dispatched = 0;
  ASSERT_FALSE(other.FindWindowOfClass(kConfigWindowClass));
  ASSERT_TRUE(window.Listen(
      kConfigWindowClass, kConfigWindowCaption,
      [&](const WindowMessage& m) {
        std::lock_guard lock(mutex);
        messages.push_back(m);
        received.notify_all();
        return static_cast<std::intptr_t>(m.wParam * 2);
      },
      [&](const std::function<std::intptr_t()>& work) {
        ++dispatched;
        return work();
      }));
  EXPECT_TRUE(other.FindWindowOfClass(kConfigWindowClass));
  EXPECT_TRUE(other.Post(kConfigWindowClass, {MSG_PROFILE_CHANGED, 3, -7}));
  std::intptr_t result = 0;
  EXPECT_TRUE(other.Send(kConfigWindowClass, {MSG_LANGUAGE_REAPPLY, 21, 0}, result));
  EXPECT_EQ(result, 42);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(received.wait_for(lock, std::chrono::seconds(5), [&] { return messages.size() == 2; }));
  }
  EXPECT_EQ(messages[0].message, MSG_PROFILE_CHANGED);
  EXPECT_EQ(messages[0].lParam, -7);
  EXPECT_EQ(dispatched, 2) << "every message goes through the dispatcher";

  PosixWindowMessaging second(folder.path());
  EXPECT_FALSE(second.Listen(kConfigWindowClass, "", [](const WindowMessage&) { return 0; }, {}))
      << "the class has a window already";
  window.StopListening();
  EXPECT_FALSE(other.FindWindowOfClass(kConfigWindowClass));
  EXPECT_FALSE(other.Post(kConfigWindowClass, {MSG_CONFIG_CLOSE, 0, 0}));
  EXPECT_FALSE(other.Send(kConfigWindowClass, {MSG_CONFIG_CLOSE, 0, 0}, result));
  EXPECT_FALSE(other.Post("../escape", {MSG_CONFIG_CLOSE, 0, 0}));
}

TEST(PosixWindowMessaging, SendToAWindowThatDoesNotAnswerGivesUp) {
  test::TempFolder folder;
  PosixWindowMessaging window(folder.path());
  PosixWindowMessaging other(folder.path(), 100);
  std::mutex gate;
  gate.lock();  // the receiver's GUI thread is "busy"
  ASSERT_TRUE(window.Listen("TqvMonitorMain", "", [](const WindowMessage&) { return 1; },
                            [&](const std::function<std::intptr_t()>& work) {
                              std::lock_guard wait(gate);
                              return work();
                            }));
  std::intptr_t result = 5;
  EXPECT_FALSE(other.Send("TqvMonitorMain", {8624, 1, 0}, result));
  EXPECT_EQ(result, 0);
  gate.unlock();
  window.StopListening();
}

}  // namespace
}  // namespace q9
