#pragma once
// Window messages with the Win32 calls: FindWindowW by class, PostMessageW, SendMessageTimeoutW,
// and for Listen a hidden top-level window of the class and caption, whose messages from WM_USER
// up go to the handler on the thread that created it (the GUI thread).

#include "platform/WindowMessaging.h"

namespace q9 {

class WinWindowMessaging : public WindowMessaging {
 public:
  explicit WinWindowMessaging(unsigned sendTimeoutMs = 2000) : sendTimeoutMs_(sendTimeoutMs) {}
  ~WinWindowMessaging() override;
  WinWindowMessaging(const WinWindowMessaging&) = delete;
  WinWindowMessaging& operator=(const WinWindowMessaging&) = delete;

  bool FindWindowOfClass(const std::string& className) override;
  bool Post(const std::string& className, const WindowMessage& message) override;
  bool Send(const std::string& className, const WindowMessage& message, std::intptr_t& result) override;
  bool Listen(const std::string& className, const std::string& caption, Handler handler, Dispatch dispatch) override;
  void StopListening() override;

 private:
  unsigned sendTimeoutMs_;
  void* window_ = nullptr;
  std::wstring registeredClass_;
  Handler handler_;
};

}  // namespace q9
