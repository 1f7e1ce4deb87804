#pragma once
// Translation of X11 key codes (the kernel's evdev key codes plus 8, as an X server with the evdev
// rules numbers them) into the virtual-key codes and extended flags the recorders work with. Keys
// are placed by their position on a US keyboard, the keypad digits as with Num Lock on.

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

/// The virtual key of an X11 key code; empty for codes without one.
std::optional<VirtualKey> VirtualKeyFromX11Keycode(std::uint32_t keycode);

}  // namespace q9
