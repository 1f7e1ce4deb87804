#pragma once
// Messages between this program's window and the sibling monitor program, addressed by window class.
//
// Contract: Post and Send reach a window of the named class when one exists and do nothing (false)
// otherwise; Send waits for the receiver's result, at most a short time. Listen makes this process
// the window of `className`: each message received is handed to `handler` through `dispatch`,
// which runs it on the GUI thread and returns its result. Nothing here throws.

#include <cstdint>
#include <functional>
#include <string>

namespace q9 {

struct WindowMessage {
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

/// Private messages of the configuration window and the monitor program.
inline constexpr std::uint32_t MSG_CONFIG_CLOSE = 7036;
inline constexpr std::uint32_t MSG_MONITOR_LANGUAGE = 7037;
inline constexpr std::uint32_t MSG_PROFILE_CHANGED = 7038;
inline constexpr std::uint32_t MSG_LANGUAGE_REAPPLY = 7054;
inline constexpr std::uint32_t MSG_MONITOR_EASYSHIFT = 8724;
/// Sent to the monitor after every apply: WParam the apply flag, LParam the current profile.
inline constexpr std::uint32_t SettingsAppliedMessage = 8624;
inline constexpr const char* kMonitorWindowClass = "TqvMonitorMain";
inline constexpr const char* kConfigWindowClass = "TqvGMConfigMain";
inline constexpr const char* kConfigWindowCaption = "QVGM_CONFIG";

class WindowMessaging {
 public:
  using Handler = std::function<std::intptr_t(const WindowMessage&)>;
  /// Runs `work` on the GUI thread and returns its result.
  using Dispatch = std::function<std::intptr_t(const std::function<std::intptr_t()>& work)>;

  virtual ~WindowMessaging() = default;
  /// True when a window of the class exists.
  virtual bool FindWindowOfClass(const std::string& className) = 0;
  /// Fire and forget.
  virtual bool Post(const std::string& className, const WindowMessage& message) = 0;
  /// Waits for the receiver's result.
  virtual bool Send(const std::string& className, const WindowMessage& message, std::intptr_t& result) = 0;
  virtual bool Listen(const std::string& className, const std::string& caption, Handler handler, Dispatch dispatch) = 0;
  virtual void StopListening() = 0;
};

}  // namespace q9
