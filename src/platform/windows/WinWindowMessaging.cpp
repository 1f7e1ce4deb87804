#include "platform/windows/WinWindowMessaging.h"

#include <windows.h>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* handler = reinterpret_cast<WindowMessaging::Handler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (handler && *handler && message >= WM_USER)
    return static_cast<LRESULT>((*handler)({message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam)}));
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Find(const std::string& className) { return FindWindowW(WidenUtf8(className).c_str(), nullptr); }

}  // namespace

WinWindowMessaging::~WinWindowMessaging() { StopListening(); }

bool WinWindowMessaging::FindWindowOfClass(const std::string& className) { return Find(className) != nullptr; }

bool WinWindowMessaging::Post(const std::string& className, const WindowMessage& message) {
  const HWND window = Find(className);
  return window && PostMessageW(window, message.message, message.wParam, message.lParam);
}

bool WinWindowMessaging::Send(const std::string& className, const WindowMessage& message, std::intptr_t& result) {
  result = 0;
  const HWND window = Find(className);
  if (!window) return false;
  DWORD_PTR answer = 0;
  // A hung receiver must not hang this program: the send gives up after a short time.
  if (!SendMessageTimeoutW(window, message.message, message.wParam, message.lParam, SMTO_ABORTIFHUNG, sendTimeoutMs_,
                           &answer))
    return false;
  result = static_cast<std::intptr_t>(answer);
  return true;
}

bool WinWindowMessaging::Listen(const std::string& className, const std::string& caption, Handler handler, Dispatch) {
  StopListening();
  registeredClass_ = WidenUtf8(className);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ListenerProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = registeredClass_.c_str();
  if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, registeredClass_.c_str(), WidenUtf8(caption).c_str(), WS_POPUP, 0, 0, 0,
                                0, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return false;
  handler_ = std::move(handler);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handler_));
  window_ = window;
  return true;
}

void WinWindowMessaging::StopListening() {
  if (window_) {
    DestroyWindow(static_cast<HWND>(window_));
    window_ = nullptr;
  }
  if (!registeredClass_.empty()) {
    UnregisterClassW(registeredClass_.c_str(), GetModuleHandleW(nullptr));
    registeredClass_.clear();
  }
  handler_ = nullptr;
}

}  // namespace q9
