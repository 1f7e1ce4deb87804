// Windows' mouse settings against the real calls (on Windows, or under Wine), read back with the
// matching queries. The settings found at the start are put back afterwards.

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/windows/WinSystemMouseSettings.h"

namespace q9 {
namespace {

std::array<int, 3> Mouse() {
  std::array<int, 3> mouse{-1, -1, -1};
  SystemParametersInfoW(SPI_GETMOUSE, 0, mouse.data(), 0);
  return mouse;
}
int MouseSpeed() {
  int speed = -1;
  SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &speed, 0);
  return speed;
}
UINT WheelScrollLines() {
  UINT lines = 0;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return lines;
}

// Windows takes the speed in pvParam; Wine 8 reads uiParam instead, so there the speed cannot be
// read back. Probed with the documented call itself.
bool SpeedInPointerArgumentIsKept() {
  SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(11)), 0);
  return MouseSpeed() == 11;
}

// A text value under HKEY_CURRENT_USER, where the settings stored in the user's profile live.
std::wstring StoredText(const wchar_t* key, const wchar_t* name) {
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"?";
  return text;
}

class WinSystemMouseSettingsTest : public ::testing::Test {
 protected:
  WinSystemMouseSettingsTest() : mouse_(Mouse()), speed_(MouseSpeed()), lines_(WheelScrollLines()), doubleClick_(GetDoubleClickTime()) {}
  ~WinSystemMouseSettingsTest() override {
    constexpr UINT store = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
    SystemParametersInfoW(SPI_SETMOUSE, 0, mouse_.data(), store);
    SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(speed_)), store);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines_, nullptr, store);
    ::SetDoubleClickTime(doubleClick_);
  }

  WinSystemMouseSettings settings;

 private:
  std::array<int, 3> mouse_;
  int speed_;
  UINT lines_;
  UINT doubleClick_;
};

TEST_F(WinSystemMouseSettingsTest, AccelerationParametersReadBack) {
  settings.SetAcceleration({4, 6, 2});
  EXPECT_EQ(Mouse(), (std::array<int, 3>{4, 6, 2}));
  settings.SetAcceleration({4, 0, 1});
  EXPECT_EQ(Mouse(), (std::array<int, 3>{4, 0, 1}));
  settings.SetAcceleration({0, 0, 0});
  EXPECT_EQ(Mouse(), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(WinSystemMouseSettingsTest, PointerSpeedTravelsAsTheValueItself) {
  if (!SpeedInPointerArgumentIsKept()) GTEST_SKIP() << "this system ignores the documented speed argument (Wine)";
  settings.SetPointerSpeed(3);
  EXPECT_EQ(MouseSpeed(), 3);
  settings.SetPointerSpeed(20);
  EXPECT_EQ(MouseSpeed(), 20);
}

TEST_F(WinSystemMouseSettingsTest, WheelLinesAndDoubleClickTimeReadBack) {
  settings.SetWheelScrollLines(7);
  EXPECT_EQ(WheelScrollLines(), 7u);
  settings.SetWheelScrollLines(1);
  EXPECT_EQ(WheelScrollLines(), 1u);
  settings.SetDoubleClickTime(250);
  EXPECT_EQ(GetDoubleClickTime(), 250u);
  settings.SetDoubleClickTime(900);
  EXPECT_EQ(GetDoubleClickTime(), 900u);
}

TEST_F(WinSystemMouseSettingsTest, ChangesAreStoredInTheUserProfile) {
  settings.SetAcceleration({7, 0, 1});
  settings.SetWheelScrollLines(6);
  EXPECT_EQ(StoredText(L"Control Panel\\Mouse", L"MouseThreshold1"), L"7");
  EXPECT_EQ(StoredText(L"Control Panel\\Mouse", L"MouseThreshold2"), L"0");
  EXPECT_EQ(StoredText(L"Control Panel\\Mouse", L"MouseSpeed"), L"1");
  EXPECT_EQ(StoredText(L"Control Panel\\Desktop", L"WheelScrollLines"), L"6");
  if (SpeedInPointerArgumentIsKept()) {
    settings.SetPointerSpeed(13);
    EXPECT_EQ(StoredText(L"Control Panel\\Mouse", L"MouseSensitivity"), L"13");
  }
}

}  // namespace
}  // namespace q9
