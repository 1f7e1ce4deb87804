#include "platform/windows/WinDeviceNotifications.h"

#include <windows.h>
#include <dbt.h>

namespace q9 {

namespace {

constexpr const wchar_t* kWindowClass = L"q9DeviceNotificationWindow";
// The HID device-interface class.
constexpr GUID kHidInterface = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

LRESULT CALLBACK NotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* handlers = reinterpret_cast<WinDeviceNotifications::Handlers*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_DEVICECHANGE && handlers && lParam) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
      if (wParam == DBT_DEVICEARRIVAL && handlers->arrival) handlers->arrival();
      if (wParam == DBT_DEVICEREMOVECOMPLETE && handlers->removal) handlers->removal();
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

WinDeviceNotifications::~WinDeviceNotifications() { Stop(); }

bool WinDeviceNotifications::Start(std::function<void()> onArrival, std::function<void()> onRemoval) {
  Stop();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = NotificationProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
  if (!window) return false;
  handlers_ = {std::move(onArrival), std::move(onRemoval)};
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handlers_));
  window_ = window;
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kHidInterface;
  registration_ = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  return registration_ != nullptr;
}

void WinDeviceNotifications::Stop() {
  if (registration_) UnregisterDeviceNotification(registration_);
  registration_ = nullptr;
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  window_ = nullptr;
  handlers_ = {};
}

}  // namespace q9
