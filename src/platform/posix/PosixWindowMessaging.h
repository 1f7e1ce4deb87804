#pragma once
// Window messages as Unix datagrams: the window of a class is a datagram socket named after the
// class in the runtime folder ($XDG_RUNTIME_DIR, else /tmp with the user id). A Send carries the
// sender's own (automatically bound) address and waits for the result datagram.

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/WindowMessaging.h"

namespace q9 {

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
