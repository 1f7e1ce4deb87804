#pragma once
// Translation of X11 key codes (the kernel's evdev key codes plus 8, as an X server with the evdev
// rules numbers them) into the virtual-key codes and extended flags the recorders work with. Keys
// are placed by their position on a US keyboard. The keypad's digit and decimal keys depend on Num
// Lock, which the key symbol the X server gave shows: with Num Lock off they are the navigation
// keys without the extended flag (keypad 7 is Home, keypad 5 Clear, keypad 0 Insert), as a
// keyboard reports them.

#include <cstdint>
#include <optional>

namespace q9 {

struct VirtualKey {
  std::uint8_t vk;
  bool extended;  // the key is reported with the E0 prefix: right Ctrl and Alt, the Win and
                  // application keys, the navigation cluster, keypad Enter and divide, Num Lock,
                  // Print Screen and the media and browser keys
  bool operator==(const VirtualKey&) const = default;
};

/// Offset between an X11 key code and the evdev key code of the same key.
inline constexpr std::uint32_t kX11KeycodeOffset = 8;

/// The keypad's navigation key symbols (KP_Home .. KP_Delete), which the keypad gives with Num Lock off.
inline constexpr std::uint32_t kFirstKeypadNavigationKeysym = 0xff95;
inline constexpr std::uint32_t kLastKeypadNavigationKeysym = 0xff9f;

/// The virtual key of an X11 key code; empty for codes without one. `keysym` is the key symbol of
/// the event; 0 (or any symbol but the keypad's navigation ones) reads the keypad as with Num Lock on.
std::optional<VirtualKey> VirtualKeyFromX11Keycode(std::uint32_t keycode, std::uint32_t keysym = 0);

}  // namespace q9
