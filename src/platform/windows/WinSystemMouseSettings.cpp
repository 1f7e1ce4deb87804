#include "platform/windows/WinSystemMouseSettings.h"

#include <windows.h>

namespace q9 {

namespace {

// Stored in the user profile and announced with WM_SETTINGCHANGE.
constexpr UINT kStoreAndBroadcast = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

}  // namespace

void WinSystemMouseSettings::SetAcceleration(const AccelerationParameters& parameters) {
  int mouse[3] = {parameters.firstThreshold, parameters.secondThreshold, parameters.acceleration};
  SystemParametersInfoW(SPI_SETMOUSE, 0, mouse, kStoreAndBroadcast);
}

void WinSystemMouseSettings::SetPointerSpeed(int speed) {
  // The speed travels as the pointer argument itself, not as the address of a value.
  SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(speed)), kStoreAndBroadcast);
}

void WinSystemMouseSettings::SetWheelScrollLines(int lines) {
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, static_cast<UINT>(lines), nullptr, kStoreAndBroadcast);
}

void WinSystemMouseSettings::SetDoubleClickTime(int milliseconds) {
  ::SetDoubleClickTime(static_cast<UINT>(milliseconds));
}

}  // namespace q9
