#pragma once
// Key code tables: for every virtual-key code 0..254 the key's symbolic name, its USB HID usage and
// the text shown to the user, in two tables (the key without the extended flag, and the E0-prefixed
// variant that the keyboard reports with it). Every display text of a key and every HID code sent to
// the mouse comes from here, as do the modifier texts and the HID modifier byte.
//
// The tables are built once, on first use from any thread, and stay unchanged until the program ends.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/ProfileRecords.h"

namespace q9 {

struct TKeyboardInfoTable {
  std::string VKName;
  std::int32_t VKCode;  // -1 in rows no key fills
  std::int32_t ScanCode;  // always 0
  std::int32_t Extended;  // kExtendedElsewhere or kExtendedEither
  std::int32_t HIDCode;  // -1 when the key has none
  std::string KeyDescription;
};

/// Rows of each table; the index is the virtual-key code.
inline constexpr std::int32_t kKeyTableSize = 255;
/// Extended column: with the extended flag this is a different key, found in ExtendedKeyInfoTable.
inline constexpr std::int32_t kExtendedElsewhere = 0xE0;
/// Extended column: the row serves the key with and without the extended flag.
inline constexpr std::int32_t kExtendedEither = 0xE1;

/// Modifier flags of TCOMBOKEYINFO::nModifier; any combination may be set.
enum ModifierFlag : std::uint8_t { kModifierAlt = 1, kModifierCtrl = 2, kModifierShift = 4, kModifierWin = 8 };

/// Builds both tables if they are not built yet; calling it again changes nothing.
void BuildKeyInfoTables();
/// The keys as reported without the extended flag (255 rows).
const std::vector<TKeyboardInfoTable>& KeyInfoTable();
/// The keys' extended variants (255 rows, all marked kExtendedEither).
const std::vector<TKeyboardInfoTable>& ExtendedKeyInfoTable();

/// The HID usage of a key and its extended flag (0 or 1; any other value reads the extended
/// variant); 0 when the key has none or vk is outside 0..254. VK 166..183 give Consumer page usages.
std::int32_t VKToHIDCode(std::int32_t vk, std::int32_t extended);
/// The browser, volume, media and launch keys (VK 166..183): their HID codes are Consumer page
/// usages, also the ones below 256 (Mute is 226, which on the keyboard page is Left Alt), so a
/// reader that must tell the pages apart does so by this range, never by the code's value.
inline constexpr std::int32_t kFirstConsumerKey = 166;
inline constexpr std::int32_t kLastConsumerKey = 183;
bool IsConsumerKey(std::int32_t vk);

/// True when the mouse can send the key: it has a HID usage (keyboard or consumer page). Mouse
/// buttons, the generic Shift, Ctrl and Alt (only their left and right variants have a usage),
/// VK_NULL and the undefined rows have none; an entry made of them would do nothing.
bool IsSendableKey(std::int32_t vk, std::int32_t extended);
/// The display text of a key and its extended flag; "" when vk is outside 0..254.
std::string VKToKeyName(std::int32_t vk, std::int32_t extended);
/// The modifier prefix shown before a key, always in the order "Alt+Ctrl+Shift+WIN+"; "" for none.
std::string ModifierToText(std::uint8_t modifier);
/// The modifier byte of a HID keyboard report (bit 0 Ctrl, 1 Shift, 2 Alt, 3 GUI).
std::uint8_t ModifierToHIDModifier(std::uint8_t modifier);
/// A stored key combination as shown to the user, e.g. "Alt+Ctrl+A+B"; when the first key has no
/// name the modifiers are left out too, giving "+B".
std::string ComboKeyText(const TCOMBOKEYINFO& combo);

/// Reverse lookup for the command line: a key given by its description ("ENTER", "A", "F5",
/// "PAGE UP") or its VKName ("VK_RETURN"), case-insensitive, optionally prefixed "EXT:" to ask for
/// the key as reported with the extended flag. Without the prefix the key without the flag is
/// preferred (extended 0); the flagged variant (extended 1) is found only when no unflagged key
/// matches. Empty, "Undefined" and "UNDEFINED_..." descriptions are found only by VKName. The result
/// always names the key back: VKToKeyName(vk, extended) is the matched row's description. False,
/// with vk and extended unchanged, when nothing matches.
bool FindKeyByName(std::string_view name, std::int32_t& vk, std::int32_t& extended);
/// The flags of a modifier list like "Ctrl+Alt" or "alt+shift+win" (case-insensitive, '+'
/// separated, names Alt, Ctrl, Shift, Win; one trailing '+' is allowed, so ModifierToText's output
/// reads back; "" is no modifier). False, with modifier unchanged, on an unknown or empty part.
bool ParseModifiers(std::string_view text, std::uint8_t& modifier);

}  // namespace q9
