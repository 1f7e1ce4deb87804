#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
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

TEST(WindowDatagram, PostAndSendDatagramsDecodeToTheirMessage) {
  const WindowMessage extremes{std::numeric_limits<std::uint32_t>::max(), std::numeric_limits<std::uintptr_t>::max(),
                               std::numeric_limits<std::intptr_t>::min()};
  for (const bool wantsResult : {false, true}) {
    const auto decoded = DecodeWindowDatagram(EncodeWindowDatagram(extremes, wantsResult));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->wantsResult, wantsResult);
    EXPECT_EQ(decoded->message.message, extremes.message);
    EXPECT_EQ(decoded->message.wParam, extremes.wParam);
    EXPECT_EQ(decoded->message.lParam, extremes.lParam);
  }
}

TEST(WindowDatagram, OnlyAWholeDatagramWithTheMarkIsAMessage) {
  const auto datagram = EncodeWindowDatagram({MSG_PROFILE_CHANGED, 2, -1}, false);
  EXPECT_FALSE(DecodeWindowDatagram({}));
  EXPECT_FALSE(DecodeWindowDatagram(std::span(datagram).first(kWindowDatagramSize - 1)));
  std::vector<std::uint8_t> longer(datagram.begin(), datagram.end());
  longer.push_back(0);
  EXPECT_FALSE(DecodeWindowDatagram(longer)) << "a receive delivers at most the datagram's size";
  auto foreign = datagram;
  foreign[0] ^= 0x01;
  EXPECT_FALSE(DecodeWindowDatagram(foreign)) << "not one of ours";
  auto flagged = datagram;
  flagged[25] = 0x80;  // a wantsResult word with only a high bit set still asks for the result
  flagged[31] = 0xFF;  // the reserved word is ignored
  const auto decoded = DecodeWindowDatagram(flagged);
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(decoded->wantsResult);
  EXPECT_EQ(decoded->message.lParam, -1);
}

// Anyone may send to the window's socket: what is not a message is dropped and the window goes on
// receiving, and a longer datagram counts by its first bytes as a receive cuts it.
TEST(PosixWindowMessaging, DatagramsThatAreNotOursAreIgnoredAndTheNextIsReceived) {
  test::TempFolder folder;
  PosixWindowMessaging window(folder.path());
  std::mutex mutex;
  std::condition_variable received;
  std::vector<WindowMessage> messages;
  ASSERT_TRUE(window.Listen(kConfigWindowClass, "", [&](const WindowMessage& m) {
    std::lock_guard lock(mutex);
    messages.push_back(m);
    received.notify_all();
    return 0;
  }, {}));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = window.SocketPath(kConfigWindowClass).string();
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  auto sendBytes = [&](std::span<const std::uint8_t> bytes) {
    return ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  };
  auto foreign = EncodeWindowDatagram({MSG_CONFIG_CLOSE, 0, 0}, false);
  foreign[3] ^= 0xFF;
  const auto good = EncodeWindowDatagram({MSG_PROFILE_CHANGED, 4, 2}, false);
  std::vector<std::uint8_t> longer(good.begin(), good.end());
  longer.resize(longer.size() + 8, 0xCC);
  EXPECT_EQ(sendBytes(std::span(good).first(12)), 12);
  EXPECT_EQ(sendBytes(foreign), static_cast<ssize_t>(foreign.size()));
  EXPECT_EQ(sendBytes(std::span<const std::uint8_t>()), 0);
  EXPECT_EQ(sendBytes(longer), static_cast<ssize_t>(longer.size()));
  EXPECT_EQ(sendBytes(good), static_cast<ssize_t>(good.size()));
  ::close(fd);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(received.wait_for(lock, std::chrono::seconds(5), [&] { return messages.size() == 2; }));
  }
  window.StopListening();
  EXPECT_EQ(messages.size(), 2u);
  for (const WindowMessage& m : messages) {
    EXPECT_EQ(m.message, MSG_PROFILE_CHANGED);
    EXPECT_EQ(m.wParam, 4u);
  }
}

}  // namespace
}  // namespace q9
