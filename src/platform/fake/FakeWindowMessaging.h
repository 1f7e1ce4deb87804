#pragma once
// Window messages for tests: windows that "exist" record what they receive; the test plays the
// monitor program by delivering messages to the listening window.

#include <map>
#include <vector>

#include "platform/WindowMessaging.h"

namespace q9 {

class FakeWindowMessaging : public WindowMessaging {
 public:
  struct Delivery {
    std::string className;
    WindowMessage message;
    bool sent;  ///< Send (true) or Post (false)
  };

  bool FindWindowOfClass(const std::string& className) override { return windows_.count(className) != 0; }
  bool Post(const std::string& className, const WindowMessage& message) override {
    return Deliver(className, message, false);
  }
  bool Send(const std::string& className, const WindowMessage& message, std::intptr_t& result) override {
    result = 0;
    return Deliver(className, message, true);
  }
  bool Listen(const std::string& className, const std::string&, Handler handler, Dispatch) override {
    listening_ = className;
    handler_ = std::move(handler);
    return true;
  }
  void StopListening() override { handler_ = nullptr; }

  /// A window of that class appears (the monitor program started).
  void AddWindow(const std::string& className) { windows_[className] = true; }
  /// The other program sends a message to the listening window.
  std::intptr_t DeliverToListener(const WindowMessage& message) { return handler_ ? handler_(message) : 0; }
  const std::string& ListeningClass() const { return listening_; }

  std::vector<Delivery> deliveries;

 private:
  bool Deliver(const std::string& className, const WindowMessage& message, bool sent) {
    if (!FindWindowOfClass(className)) return false;
    deliveries.push_back({className, message, sent});
    return true;
  }

  std::map<std::string, bool> windows_;
  std::string listening_;
  Handler handler_;
};

}  // namespace q9
