#pragma once
// Window messages as Unix datagrams: the window of a class is a datagram socket named after the
// class in the runtime folder ($XDG_RUNTIME_DIR, else /tmp with the user id). A Send carries the
// sender's own (automatically bound) address and waits for the result datagram.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <thread>

#include "platform/WindowMessaging.h"

namespace q9 {

/// The size of one message datagram.
inline constexpr std::size_t kWindowDatagramSize = 32;

/// A message datagram as received: the message and whether its sender waits for the result.
struct ReceivedWindowMessage {
  WindowMessage message;
  bool wantsResult = false;
};

/// The datagram a Post (wantsResult false) or a Send (true) carries.
std::array<std::uint8_t, kWindowDatagramSize> EncodeWindowDatagram(const WindowMessage& message, bool wantsResult);
/// The message in the bytes a receive delivered (a longer datagram arrives cut to its first
/// kWindowDatagramSize bytes); nothing for any other size or a datagram that is not one of ours.
std::optional<ReceivedWindowMessage> DecodeWindowDatagram(std::span<const std::uint8_t> bytes);

class PosixWindowMessaging : public WindowMessaging {
 public:
  explicit PosixWindowMessaging(std::filesystem::path runtimeFolder = {}, int sendTimeoutMs = 2000);
  ~PosixWindowMessaging() override;
  PosixWindowMessaging(const PosixWindowMessaging&) = delete;
  PosixWindowMessaging& operator=(const PosixWindowMessaging&) = delete;

  bool FindWindowOfClass(const std::string& className) override;
  bool Post(const std::string& className, const WindowMessage& message) override;
  bool Send(const std::string& className, const WindowMessage& message, std::intptr_t& result) override;
  bool Listen(const std::string& className, const std::string& caption, Handler handler, Dispatch dispatch) override;
  void StopListening() override;

  std::filesystem::path SocketPath(const std::string& className) const;

 private:
  void Receive(Handler handler, Dispatch dispatch);

  std::filesystem::path runtimeFolder_;
  int sendTimeoutMs_;
  int listener_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::filesystem::path listeningPath_;
  std::thread receiver_;
};

}  // namespace q9
