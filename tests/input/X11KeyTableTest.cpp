#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "input/X11KeyTable.h"
#include "input/uiKeyCode.h"

namespace q9 {
namespace {

struct Expected {
  std::uint32_t x11;  // X11 key code of the evdev rules
  std::string name;  // the key's display text
  bool extended;
};

// X11 key codes from the evdev rules, one group per key block, checked by the name the key tables
// give the translated key.
const std::vector<Expected> kKeys = {
    // letters
    {38, "A", false}, {56, "B", false}, {54, "C", false}, {40, "D", false}, {26, "E", false}, {41, "F", false},
    {42, "G", false}, {43, "H", false}, {31, "I", false}, {44, "J", false}, {45, "K", false}, {46, "L", false},
    {58, "M", false}, {57, "N", false}, {32, "O", false}, {33, "P", false}, {24, "Q", false}, {27, "R", false},
    {39, "S", false}, {28, "T", false}, {30, "U", false}, {55, "V", false}, {25, "W", false}, {53, "X", false},
    {29, "Y", false}, {52, "Z", false},
    // digits
    {10, "1", false}, {11, "2", false}, {12, "3", false}, {13, "4", false}, {14, "5", false}, {15, "6", false},
    {16, "7", false}, {17, "8", false}, {18, "9", false}, {19, "0", false},
    // function keys
    {67, "F1", false}, {68, "F2", false}, {69, "F3", false}, {70, "F4", false}, {71, "F5", false},
    {72, "F6", false}, {73, "F7", false}, {74, "F8", false}, {75, "F9", false}, {76, "F10", false},
    {95, "F11", false}, {96, "F12", false}, {191, "F13", false}, {192, "F14", false}, {193, "F15", false},
    {194, "F16", false}, {195, "F17", false}, {196, "F18", false}, {197, "F19", false}, {198, "F20", false},
    {199, "F21", false}, {200, "F22", false}, {201, "F23", false}, {202, "F24", false},
    // keypad
    {90, "NUMPAD 0", false}, {87, "NUMPAD 1", false}, {88, "NUMPAD 2", false}, {89, "NUMPAD 3", false},
    {83, "NUMPAD 4", false}, {84, "NUMPAD 5", false}, {85, "NUMPAD 6", false}, {79, "NUMPAD 7", false},
    {80, "NUMPAD 8", false}, {81, "NUMPAD 9", false}, {63, "Multiply", false}, {86, "Add", false},
    {82, "Subtract", false}, {91, "Decimal", false}, {106, "Divide", true}, {104, "ENTER", true},
    {77, "NUM LOCK", true},
    // navigation
    {118, "INS", true}, {119, "DEL", true}, {110, "HOME", true}, {115, "END", true}, {112, "PAGE UP", true},
    {117, "PAGE DOWN", true}, {111, "UP ARROW", true}, {116, "DOWN ARROW", true}, {113, "LEFT ARROW", true},
    {114, "RIGHT ARROW", true},
    // modifiers
    {50, "L SHIFT", false}, {62, "R SHIFT", false}, {37, "L CTRL", false}, {105, "R CTRL", true},
    {64, "L ALT", false}, {108, "R ALT", true}, {133, "L WIN", true}, {134, "R WIN", true}, {135, "APP", true},
    // the rest of the main block
    {9, "ESC", false}, {22, "BACKSPACE", false}, {23, "TAB", false}, {36, "ENTER", false},
    {65, "SPACEBAR", false}, {66, "CAPS LOCK", false}, {78, "Scroll Lock", false}, {107, "PRINT SCREEN", true},
    {127, "PAUSE", false}, {20, "-_", false}, {21, "+=", false}, {34, "[{", false}, {35, "]}", false},
    {47, ";:", false}, {48, "'\"", false}, {49, "~`", false}, {51, "\\|", false}, {59, ",<", false},
    {60, ".>", false}, {61, "/?", false}, {94, "\\|", false},
    // media and browser
    {121, "VOLUME_MUTE", true}, {122, "VOLUME_DOWN", true}, {123, "VOLUME_UP", true},
    {171, "MEDIA_NEXT_TRACK", true}, {173, "MEDIA_PREV_TRACK", true}, {172, "MEDIA_PLAY_PAUSE", true},
    {174, "MEDIA_STOP", true}, {166, "BROWSER_BACK", true}, {167, "BROWSER_FORWARD", true},
    {181, "BROWSER_REFRESH", true}, {136, "BROWSER_STOP", true}, {225, "BROWSER_SEARCH", true},
    {164, "BROWSER_FAVORITES", true}, {180, "BROWSER_HOME", true}, {163, "LAUNCH_MAIL", true},
    {234, "LAUNCH_MEDIA_SELECT", true}, {165, "LAUNCH_APP1", true}, {148, "LAUNCH_APP2", true},
};

TEST(X11KeyTable, EveryKeyTranslatesToTheVirtualKeyOfItsName) {
  std::set<std::uint32_t> codes;
  for (const Expected& key : kKeys) {
    EXPECT_TRUE(codes.insert(key.x11).second) << "listed twice: " << key.x11;
    const std::optional<VirtualKey> translated = VirtualKeyFromX11Keycode(key.x11);
    ASSERT_TRUE(translated.has_value()) << key.x11 << " " << key.name;
    EXPECT_EQ(translated->extended, key.extended) << key.x11 << " " << key.name;
    EXPECT_EQ(VKToKeyName(translated->vk, translated->extended ? 1 : 0), key.name) << key.x11;
    // The key between left Shift and Z has no HID usage in the key tables; every other key can be sent.
    if (key.x11 != 94) {
      EXPECT_NE(VKToHIDCode(translated->vk, translated->extended ? 1 : 0), 0) << key.x11;
    }
  }
}

TEST(X11KeyTable, KeypadEnterAndTheNavigationKeysAreTheExtendedVariants) {
  // Same virtual key, different key: the table must pick the extended row, not the keypad one.
  EXPECT_EQ(VirtualKeyFromX11Keycode(104), (VirtualKey{13, true}));
  EXPECT_EQ(VirtualKeyFromX11Keycode(36), (VirtualKey{13, false}));
  EXPECT_EQ(VKToHIDCode(13, 1), 88);
  EXPECT_EQ(VirtualKeyFromX11Keycode(112), (VirtualKey{33, true}));
  EXPECT_EQ(VKToHIDCode(33, 1), 75);
}

// With Num Lock off the X server gives the keypad's navigation symbols; the keypad keys are then the
// navigation keys without the extended flag, which the key tables send as the keypad's own usages.
TEST(X11KeyTable, KeypadWithoutNumLockIsTheNavigationKeysWithoutTheExtendedFlag) {
  struct Case {
    std::uint32_t x11;
    std::uint32_t keysym;
    std::string name;
    std::int32_t hid;  // the keypad's usage, not the navigation cluster's
  };
  const std::vector<Case> cases = {
      {79, 0xff95, "HOME", 95},       {80, 0xff97, "UP ARROW", 96},    {81, 0xff9a, "PAGE UP", 97},
      {83, 0xff96, "LEFT ARROW", 92}, {84, 0xff9d, "CLEAR", 156},      {85, 0xff98, "RIGHT ARROW", 94},
      {87, 0xff9c, "END", 89},        {88, 0xff99, "DOWN ARROW", 90},  {89, 0xff9b, "PAGE DOWN", 91},
      {90, 0xff9e, "INS", 73},        {91, 0xff9f, "DEL", 76},
  };
  for (const Case& key : cases) {
    const std::optional<VirtualKey> translated = VirtualKeyFromX11Keycode(key.x11, key.keysym);
    ASSERT_TRUE(translated.has_value()) << key.x11;
    EXPECT_FALSE(translated->extended) << key.name;
    EXPECT_EQ(VKToKeyName(translated->vk, 0), key.name) << key.x11;
    EXPECT_EQ(VKToHIDCode(translated->vk, 0), key.hid) << key.name;
  }
  // With Num Lock on (the digit symbols) the keys stay the keypad digits.
  EXPECT_EQ(VirtualKeyFromX11Keycode(79, 0xffb7), (VirtualKey{103, false}));
  EXPECT_EQ(VirtualKeyFromX11Keycode(91, 0xffae), (VirtualKey{110, false}));
}

TEST(X11KeyTable, TheNumLockSymbolsChangeOnlyTheKeypadDigits) {
  // The navigation cluster stays extended whatever symbol comes with it, and keys outside the keypad
  // ignore a navigation symbol.
  EXPECT_EQ(VirtualKeyFromX11Keycode(110, 0xff95), (VirtualKey{36, true}));
  EXPECT_EQ(VirtualKeyFromX11Keycode(38, 0xff95), (VirtualKey{'A', false}));
  // The keypad's operators and Enter have no second meaning.
  EXPECT_EQ(VirtualKeyFromX11Keycode(86, 0xff9a), (VirtualKey{107, false}));
  EXPECT_EQ(VirtualKeyFromX11Keycode(104, 0xff9c), (VirtualKey{13, true}));
  // Symbols just outside the navigation range read the keypad with Num Lock.
  EXPECT_EQ(VirtualKeyFromX11Keycode(79, 0xff94), (VirtualKey{103, false}));
  EXPECT_EQ(VirtualKeyFromX11Keycode(79, 0xffa0), (VirtualKey{103, false}));
}

TEST(X11KeyTable, CodesWithoutAKeyGiveNothing) {
  for (const std::uint32_t code : {0u, 7u, 8u, 93u, 264u, 100000u}) {
    EXPECT_FALSE(VirtualKeyFromX11Keycode(code).has_value()) << code;
  }
}

}  // namespace
}  // namespace q9
