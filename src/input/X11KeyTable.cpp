#include "input/X11KeyTable.h"

#include <array>

namespace q9 {
namespace {

struct Row {
  std::uint16_t evdev;
  std::uint8_t vk;
  bool extended;
};

// evdev key code -> virtual key.
constexpr Row kRows[] = {
    {1, 27, false},    // Escape
    {2, '1', false},   {3, '2', false},   {4, '3', false},   {5, '4', false},   {6, '5', false},
    {7, '6', false},   {8, '7', false},   {9, '8', false},   {10, '9', false},  {11, '0', false},
    {12, 189, false},  // minus
    {13, 187, false},  // equal
    {14, 8, false},    // Backspace
    {15, 9, false},    // Tab
    {16, 'Q', false},  {17, 'W', false},  {18, 'E', false},  {19, 'R', false},  {20, 'T', false},
    {21, 'Y', false},  {22, 'U', false},  {23, 'I', false},  {24, 'O', false},  {25, 'P', false},
    {26, 219, false},  // [
    {27, 221, false},  // ]
    {28, 13, false},   // Enter
    {29, 162, false},  // left Ctrl
    {30, 'A', false},  {31, 'S', false},  {32, 'D', false},  {33, 'F', false},  {34, 'G', false},
    {35, 'H', false},  {36, 'J', false},  {37, 'K', false},  {38, 'L', false},
    {39, 186, false},  // ;
    {40, 222, false},  // '
    {41, 192, false},  // `
    {42, 160, false},  // left Shift
    {43, 220, false},  // backslash
    {44, 'Z', false},  {45, 'X', false},  {46, 'C', false},  {47, 'V', false},  {48, 'B', false},
    {49, 'N', false},  {50, 'M', false},
    {51, 188, false},  // ,
    {52, 190, false},  // .
    {53, 191, false},  // /
    {54, 161, false},  // right Shift
    {55, 106, false},  // keypad *
    {56, 164, false},  // left Alt
    {57, 32, false},   // Space
    {58, 20, false},   // Caps Lock
    {59, 112, false},  {60, 113, false},  {61, 114, false},  {62, 115, false},  {63, 116, false},
    {64, 117, false},  {65, 118, false},  {66, 119, false},  {67, 120, false},  {68, 121, false},  // F1..F10
    {69, 144, true},   // Num Lock
    {70, 145, false},  // Scroll Lock
    {71, 103, false},  {72, 104, false},  {73, 105, false},  // keypad 7 8 9
    {74, 109, false},  // keypad -
    {75, 100, false},  {76, 101, false},  {77, 102, false},  // keypad 4 5 6
    {78, 107, false},  // keypad +
    {79, 97, false},   {80, 98, false},   {81, 99, false},   // keypad 1 2 3
    {82, 96, false},   // keypad 0
    {83, 110, false},  // keypad .
    {86, 226, false},  // the key between left Shift and Z
    {87, 122, false},  {88, 123, false},  // F11, F12
    {96, 13, true},    // keypad Enter
    {97, 163, true},   // right Ctrl
    {98, 111, true},   // keypad /
    {99, 44, true},    // Print Screen
    {100, 165, true},  // right Alt
    {102, 36, true},   // Home
    {103, 38, true},   // Up
    {104, 33, true},   // Page Up
    {105, 37, true},   // Left
    {106, 39, true},   // Right
    {107, 35, true},   // End
    {108, 40, true},   // Down
    {109, 34, true},   // Page Down
    {110, 45, true},   // Insert
    {111, 46, true},   // Delete
    {113, 173, true},  // Mute
    {114, 174, true},  // Volume down
    {115, 175, true},  // Volume up
    {119, 19, false},  // Pause
    {125, 91, true},   // left Win
    {126, 92, true},   // right Win
    {127, 93, true},   // application (menu) key
    {128, 169, true},  // browser Stop
    {140, 183, true},  // Calculator: launch application 2
    {155, 180, true},  // Mail
    {156, 171, true},  // browser Favorites
    {157, 182, true},  // My Computer: launch application 1
    {158, 166, true},  // browser Back
    {159, 167, true},  // browser Forward
    {163, 176, true},  // next track
    {164, 179, true},  // play / pause
    {165, 177, true},  // previous track
    {166, 178, true},  // media Stop
    {172, 172, true},  // browser Home
    {173, 168, true},  // browser Refresh
    {183, 124, false}, {184, 125, false}, {185, 126, false}, {186, 127, false}, {187, 128, false},
    {188, 129, false}, {189, 130, false}, {190, 131, false}, {191, 132, false}, {192, 133, false},
    {193, 134, false}, {194, 135, false},  // F13..F24
    {217, 170, true},  // browser Search
    {226, 181, true},  // media select
};

// The keypad's digit and decimal keys with Num Lock off: evdev key code -> virtual key, not extended.
constexpr Row kKeypadWithoutNumLock[] = {
    {71, 36, false},  // keypad 7: Home
    {72, 38, false},  // keypad 8: Up
    {73, 33, false},  // keypad 9: Page Up
    {75, 37, false},  // keypad 4: Left
    {76, 12, false},  // keypad 5: Clear
    {77, 39, false},  // keypad 6: Right
    {79, 35, false},  // keypad 1: End
    {80, 40, false},  // keypad 2: Down
    {81, 34, false},  // keypad 3: Page Down
    {82, 45, false},  // keypad 0: Insert
    {83, 46, false},  // keypad .: Delete
};

constexpr std::size_t kEvdevCodes = 256;

template <std::size_t N>
constexpr std::array<Row, kEvdevCodes> BuildIndex(const Row (&rows)[N]) {
  std::array<Row, kEvdevCodes> index{};
  for (const Row& row : rows) index[row.evdev] = row;
  return index;
}

constexpr std::array<Row, kEvdevCodes> kIndex = BuildIndex(kRows);
constexpr std::array<Row, kEvdevCodes> kIndexWithoutNumLock = BuildIndex(kKeypadWithoutNumLock);

bool IsKeypadNavigationKeysym(std::uint32_t keysym) {
  return keysym >= kFirstKeypadNavigationKeysym && keysym <= kLastKeypadNavigationKeysym;
}

}  // namespace

std::optional<VirtualKey> VirtualKeyFromX11Keycode(std::uint32_t keycode, std::uint32_t keysym) {
  if (keycode < kX11KeycodeOffset || keycode - kX11KeycodeOffset >= kEvdevCodes) return std::nullopt;
  const std::size_t evdev = keycode - kX11KeycodeOffset;
  if (IsKeypadNavigationKeysym(keysym) && kIndexWithoutNumLock[evdev].vk != 0) {
    return VirtualKey{kIndexWithoutNumLock[evdev].vk, false};
  }
  const Row& row = kIndex[evdev];
  if (row.vk == 0) return std::nullopt;
  return VirtualKey{row.vk, row.extended};
}

}  // namespace q9
