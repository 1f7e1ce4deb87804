#include "input/uiKeyCode.h"

#include <array>
#include <cstddef>
#include <span>

namespace q9 {

namespace {

// A row as written in the source. `vk` repeats the row's place so that the blocks can be checked.
struct StaticKeyRow {
  std::int32_t vk;
  std::string_view vkName;
  std::int32_t hid;
  std::int32_t extended;
  std::string_view description;
};

// A run of consecutive rows written over the default rows, starting at VK `first`.
struct StaticKeyBlock {
  std::int32_t first;
  std::span<const StaticKeyRow> rows;
};

// VK 0..183.
constexpr std::array<StaticKeyRow, 184> kKeyRowsFrom0{{
    {0, "VK_NULL", -1, kExtendedElsewhere, ""},
    {1, "VK_LBUTTON", -1, kExtendedElsewhere, "Mouse Left Click"},
    {2, "VK_RBUTTON", -1, kExtendedElsewhere, "Mouse Right Click"},
    {3, "VK_CANCEL", -1, kExtendedElsewhere, "Control Break"},
    {4, "VK_MBUTTON", -1, kExtendedElsewhere, "Mouse Middle Click"},
    {5, "VK_UNDEFINED_05", -1, kExtendedElsewhere, "Undefined"},
    {6, "VK_UNDEFINED_06", -1, kExtendedElsewhere, "Undefined"},
    {7, "VK_UNDEFINED_07", -1, kExtendedElsewhere, "Undefined"},
    {8, "VK_BACK", 42, kExtendedElsewhere, "BACKSPACE"},
    {9, "VK_TAB", 43, kExtendedElsewhere, "TAB"},
    {10, "VK_UNDEFINED_0A", -1, kExtendedElsewhere, "Undefined"},
    {11, "VK_UNDEFINED_0B", -1, kExtendedElsewhere, "Undefined"},
    {12, "VK_CLEAR", 156, kExtendedElsewhere, "CLEAR"},
    {13, "VK_RETURN", 40, kExtendedElsewhere, "ENTER"},
    {14, "VK_UNDEFINED_0E", -1, kExtendedElsewhere, "Undefined"},
    {15, "VK_UNDEFINED_0F", -1, kExtendedElsewhere, "Undefined"},
    {16, "VK_SHIFT", -1, kExtendedElsewhere, "SHIFT"},
    {17, "VK_CONTROL", -1, kExtendedElsewhere, "CTRL"},
    {18, "VK_MENU", -1, kExtendedElsewhere, "ALT"},
    {19, "VK_PAUSE", 72, kExtendedElsewhere, "PAUSE"},
    {20, "VK_CAPITAL", 57, kExtendedElsewhere, "CAPS LOCK"},
    {21, "VK_UNDEFINED_15", -1, kExtendedElsewhere, "Undefined"},
    {22, "VK_UNDEFINED_16", -1, kExtendedElsewhere, "Undefined"},
    {23, "VK_UNDEFINED_17", -1, kExtendedElsewhere, "Undefined"},
    {24, "VK_UNDEFINED_18", -1, kExtendedElsewhere, "Undefined"},
    {25, "VK_UNDEFINED_19", -1, kExtendedElsewhere, "Undefined"},
    {26, "VK_UNDEFINED_1A", -1, kExtendedElsewhere, "Undefined"},
    {27, "VK_ESCAPE", 41, kExtendedElsewhere, "ESC"},
    {28, "VK_UNDEFINED_1C", -1, kExtendedElsewhere, "Undefined"},
    {29, "VK_UNDEFINED_1D", -1, kExtendedElsewhere, "Undefined"},
    {30, "VK_UNDEFINED_1E", -1, kExtendedElsewhere, "Undefined"},
    {31, "VK_UNDEFINED_1F", -1, kExtendedElsewhere, "Undefined"},
    {32, "VK_SPACE", 44, kExtendedElsewhere, "SPACEBAR"},
    {33, "VK_PRIOR", 97, kExtendedElsewhere, "PAGE UP"},
    {34, "VK_NEXT", 91, kExtendedElsewhere, "PAGE DOWN"},
    {35, "VK_END", 89, kExtendedElsewhere, "END"},
    {36, "VK_HOME", 95, kExtendedElsewhere, "HOME"},
    {37, "VK_LEFT", 92, kExtendedElsewhere, "LEFT ARROW"},
    {38, "VK_UP", 96, kExtendedElsewhere, "UP ARROW"},
    {39, "VK_RIGHT", 94, kExtendedElsewhere, "RIGHT ARROW"},
    {40, "VK_DOWN", 90, kExtendedElsewhere, "DOWN ARROW"},
    {41, "VK_SELECT", -1, kExtendedElsewhere, "SELECT"},
    {42, "VK_PRINT", -1, kExtendedElsewhere, "PRINT"},
    {43, "VK_EXECUTE", -1, kExtendedElsewhere, "EXECUTE"},
    {44, "VK_SNAPSHOT", 70, kExtendedEither, "PRINT SCREEN"},
    {45, "VK_INSERT", 73, kExtendedEither, "INS"},
    {46, "VK_DELETE", 76, kExtendedEither, "DEL"},
    {47, "VK_HELP", -1, kExtendedElsewhere, "HELP"},
    {48, "VK_0", 39, kExtendedElsewhere, "0"},
    {49, "VK_1", 30, kExtendedElsewhere, "1"},
    {50, "VK_2", 31, kExtendedElsewhere, "2"},
    {51, "VK_3", 32, kExtendedElsewhere, "3"},
    {52, "VK_4", 33, kExtendedElsewhere, "4"},
    {53, "VK_5", 34, kExtendedElsewhere, "5"},
    {54, "VK_6", 35, kExtendedElsewhere, "6"},
    {55, "VK_7", 36, kExtendedElsewhere, "7"},
    {56, "VK_8", 37, kExtendedElsewhere, "8"},
    {57, "VK_9", 38, kExtendedElsewhere, "9"},
    {58, "VK_UNDEFINED_3A", -1, kExtendedElsewhere, "Undefined"},
    {59, "VK_UNDEFINED_3B", -1, kExtendedElsewhere, "Undefined"},
    {60, "VK_UNDEFINED_3C", -1, kExtendedElsewhere, "Undefined"},
    {61, "VK_UNDEFINED_3D", -1, kExtendedElsewhere, "Undefined"},
    {62, "VK_UNDEFINED_3E", -1, kExtendedElsewhere, "Undefined"},
    {63, "VK_UNDEFINED_3F", -1, kExtendedElsewhere, "Undefined"},
    {64, "VK_UNDEFINED_40", -1, kExtendedElsewhere, "Undefined"},
    {65, "VK_A", 4, kExtendedElsewhere, "A"},
    {66, "VK_B", 5, kExtendedElsewhere, "B"},
    {67, "VK_C", 6, kExtendedElsewhere, "C"},
    {68, "VK_D", 7, kExtendedElsewhere, "D"},
    {69, "VK_E", 8, kExtendedElsewhere, "E"},
    {70, "VK_F", 9, kExtendedElsewhere, "F"},
    {71, "VK_G", 10, kExtendedElsewhere, "G"},
    {72, "VK_H", 11, kExtendedElsewhere, "H"},
    {73, "VK_I", 12, kExtendedElsewhere, "I"},
    {74, "VK_J", 13, kExtendedElsewhere, "J"},
    {75, "VK_K", 14, kExtendedElsewhere, "K"},
    {76, "VK_L", 15, kExtendedElsewhere, "L"},
    {77, "VK_M", 16, kExtendedElsewhere, "M"},
    {78, "VK_N", 17, kExtendedElsewhere, "N"},
    {79, "VK_O", 18, kExtendedElsewhere, "O"},
    {80, "VK_P", 19, kExtendedElsewhere, "P"},
    {81, "VK_Q", 20, kExtendedElsewhere, "Q"},
    {82, "VK_R", 21, kExtendedElsewhere, "R"},
    {83, "VK_S", 22, kExtendedElsewhere, "S"},
    {84, "VK_T", 23, kExtendedElsewhere, "T"},
    {85, "VK_U", 24, kExtendedElsewhere, "U"},
    {86, "VK_V", 25, kExtendedElsewhere, "V"},
    {87, "VK_W", 26, kExtendedElsewhere, "W"},
    {88, "VK_X", 27, kExtendedElsewhere, "X"},
    {89, "VK_Y", 28, kExtendedElsewhere, "Y"},
    {90, "VK_Z", 29, kExtendedElsewhere, "Z"},
    {91, "VK_LWIN", 227, kExtendedEither, "L WIN"},
    {92, "VK_RWIN", 231, kExtendedEither, "R WIN"},
    {93, "VK_APP", 101, kExtendedEither, "APP"},
    {94, "VK_UNDEFINED_5E", -1, kExtendedElsewhere, "Undefined"},
    {95, "VK_UNDEFINED_5F", -1, kExtendedElsewhere, "Undefined"},
    {96, "VK_NUMPAD0", 98, kExtendedElsewhere, "NUMPAD 0"},
    {97, "VK_NUMPAD1", 89, kExtendedElsewhere, "NUMPAD 1"},
    {98, "VK_NUMPAD2", 90, kExtendedElsewhere, "NUMPAD 2"},
    {99, "VK_NUMPAD3", 91, kExtendedElsewhere, "NUMPAD 3"},
    {100, "VK_NUMPAD4", 92, kExtendedElsewhere, "NUMPAD 4"},
    {101, "VK_NUMPAD5", 93, kExtendedElsewhere, "NUMPAD 5"},
    {102, "VK_NUMPAD6", 94, kExtendedElsewhere, "NUMPAD 6"},
    {103, "VK_NUMPAD7", 95, kExtendedElsewhere, "NUMPAD 7"},
    {104, "VK_NUMPAD8", 96, kExtendedElsewhere, "NUMPAD 8"},
    {105, "VK_NUMPAD9", 97, kExtendedElsewhere, "NUMPAD 9"},
    {106, "VK_MULTIPLY", 85, kExtendedElsewhere, "Multiply"},
    {107, "VK_ADD", 87, kExtendedElsewhere, "Add"},
    {108, "VK_SEPARATOR", 151, kExtendedElsewhere, "Separator"},
    {109, "VK_SUBTRACT", 86, kExtendedElsewhere, "Subtract"},
    {110, "VK_DECIMAL", 99, kExtendedElsewhere, "Decimal"},
    {111, "VK_DIVIDE", 84, kExtendedEither, "Divide"},
    {112, "VK_F1", 58, kExtendedElsewhere, "F1"},
    {113, "VK_F2", 59, kExtendedElsewhere, "F2"},
    {114, "VK_F3", 60, kExtendedElsewhere, "F3"},
    {115, "VK_F4", 61, kExtendedElsewhere, "F4"},
    {116, "VK_F5", 62, kExtendedElsewhere, "F5"},
    {117, "VK_F6", 63, kExtendedElsewhere, "F6"},
    {118, "VK_F7", 64, kExtendedElsewhere, "F7"},
    {119, "VK_F8", 65, kExtendedElsewhere, "F8"},
    {120, "VK_F9", 66, kExtendedElsewhere, "F9"},
    {121, "VK_F10", 67, kExtendedElsewhere, "F10"},
    {122, "VK_F11", 68, kExtendedElsewhere, "F11"},
    {123, "VK_F12", 69, kExtendedElsewhere, "F12"},
    {124, "VK_F13", 104, kExtendedElsewhere, "F13"},
    {125, "VK_F14", 105, kExtendedElsewhere, "F14"},
    {126, "VK_F15", 106, kExtendedElsewhere, "F15"},
    {127, "VK_F16", 107, kExtendedElsewhere, "F16"},
    {128, "VK_F17", 108, kExtendedElsewhere, "F17"},
    {129, "VK_F18", 109, kExtendedElsewhere, "F18"},
    {130, "VK_F19", 110, kExtendedElsewhere, "F19"},
    {131, "VK_F20", 111, kExtendedElsewhere, "F20"},
    {132, "VK_F21", 112, kExtendedElsewhere, "F21"},
    {133, "VK_F22", 113, kExtendedElsewhere, "F22"},
    {134, "VK_F23", 114, kExtendedElsewhere, "F23"},
    {135, "VK_F24", 115, kExtendedElsewhere, "F24"},
    {136, "VK_UNDEFINED_88", -1, kExtendedElsewhere, "Undefined"},
    {137, "VK_UNDEFINED_89", -1, kExtendedElsewhere, "Undefined"},
    {138, "VK_UNDEFINED_8A", -1, kExtendedElsewhere, "Undefined"},
    {139, "VK_UNDEFINED_8B", -1, kExtendedElsewhere, "Undefined"},
    {140, "VK_UNDEFINED_8C", -1, kExtendedElsewhere, "Undefined"},
    {141, "VK_UNDEFINED_8D", -1, kExtendedElsewhere, "Undefined"},
    {142, "VK_UNDEFINED_8E", -1, kExtendedElsewhere, "Undefined"},
    {143, "VK_UNDEFINED_8F", -1, kExtendedElsewhere, "Undefined"},
    {144, "VK_NUMLOCK", 83, kExtendedEither, "NUM LOCK"},
    {145, "VK_SCROLL", 71, kExtendedElsewhere, "Scroll Lock"},
    {146, "VK_UNDEFINED_92", -1, kExtendedElsewhere, "Undefined"},
    {147, "VK_UNDEFINED_93", -1, kExtendedElsewhere, "Undefined"},
    {148, "VK_UNDEFINED_94", -1, kExtendedElsewhere, "Undefined"},
    {149, "VK_UNDEFINED_95", -1, kExtendedElsewhere, "Undefined"},
    {150, "VK_UNDEFINED_96", -1, kExtendedElsewhere, "Undefined"},
    {151, "VK_UNDEFINED_97", -1, kExtendedElsewhere, "Undefined"},
    {152, "VK_UNDEFINED_98", -1, kExtendedElsewhere, "Undefined"},
    {153, "VK_UNDEFINED_99", -1, kExtendedElsewhere, "Undefined"},
    {154, "VK_UNDEFINED_9A", -1, kExtendedElsewhere, "Undefined"},
    {155, "VK_UNDEFINED_9B", -1, kExtendedElsewhere, "Undefined"},
    {156, "VK_UNDEFINED_9C", -1, kExtendedElsewhere, "Undefined"},
    {157, "VK_UNDEFINED_9D", -1, kExtendedElsewhere, "Undefined"},
    {158, "VK_UNDEFINED_9E", -1, kExtendedElsewhere, "Undefined"},
    {159, "VK_UNDEFINED_9F", -1, kExtendedElsewhere, "Undefined"},
    {160, "VK_LSHIFT", 225, kExtendedElsewhere, "L SHIFT"},
    {161, "VK_RSHIFT", 229, kExtendedEither, "R SHIFT"},
    {162, "VK_LCONTROL", 224, kExtendedElsewhere, "L CTRL"},
    {163, "VK_RCONTROL", 228, kExtendedEither, "R CTRL"},
    {164, "VK_LMENU", 226, kExtendedElsewhere, "L ALT"},
    {165, "VK_RMENU", 230, kExtendedEither, "R ALT"},
    {166, "VK_BROWSER_BACK", 548, kExtendedEither, "BROWSER_BACK"},
    {167, "VK_BROWSER_FORWARD", 549, kExtendedEither, "BROWSER_FORWARD"},
    {168, "VK_BROWSER_REFRESH", 551, kExtendedEither, "BROWSER_REFRESH"},
    {169, "VK_BROWSER_STOP", 550, kExtendedEither, "BROWSER_STOP"},
    {170, "VK_BROWSER_SEARCH", 545, kExtendedEither, "BROWSER_SEARCH"},
    {171, "VK_BROWSER_FAVORITES", 554, kExtendedEither, "BROWSER_FAVORITES"},
    {172, "VK_BROWSER_HOME", 547, kExtendedEither, "BROWSER_HOME"},
    {173, "VK_VOLUME_MUTE", 226, kExtendedEither, "VOLUME_MUTE"},
    {174, "VK_VOLUME_DOWN", 234, kExtendedEither, "VOLUME_DOWN"},
    {175, "VK_VOLUME_UP", 233, kExtendedEither, "VOLUME_UP"},
    {176, "VK_MEDIA_NEXT_TRACK", 181, kExtendedEither, "MEDIA_NEXT_TRACK"},
    {177, "VK_MEDIA_PREV_TRACK", 182, kExtendedEither, "MEDIA_PREV_TRACK"},
    {178, "VK_MEDIA_STOP", 183, kExtendedEither, "MEDIA_STOP"},
    {179, "VK_MEDIA_PLAY_PAUSE", 205, kExtendedEither, "MEDIA_PLAY_PAUSE"},
    {180, "VK_LAUNCH_MAIL", 394, kExtendedEither, "LAUNCH_MAIL"},
    {181, "VK_LAUNCH_MEDIA_SELECT", 387, kExtendedEither, "LAUNCH_MEDIA_SELECT"},
    {182, "VK_LAUNCH_APP1", 404, kExtendedEither, "LAUNCH_APP1"},
    {183, "VK_LAUNCH_APP2", 402, kExtendedEither, "LAUNCH_APP2"},
}};

// VK 186..192.
constexpr std::array<StaticKeyRow, 7> kKeyRowsFrom186{{
    {186, "VK_OEM_1", 51, kExtendedElsewhere, ";:"},
    {187, "VK_OEM_PLUS", 46, kExtendedElsewhere, "+="},
    {188, "VK_OEM_COMMA", 54, kExtendedElsewhere, ",<"},
    {189, "VK_OEM_MINUS", 45, kExtendedElsewhere, "-_"},
    {190, "VK_OEM_PERIOD", 55, kExtendedElsewhere, ".>"},
    {191, "VK_OEM_2", 56, kExtendedElsewhere, "/?"},
    {192, "VK_OEM_3", 53, kExtendedElsewhere, "~`"},
}};

// VK 219..226.
constexpr std::array<StaticKeyRow, 8> kKeyRowsFrom219{{
    {219, "VK_OEM_4", 47, kExtendedElsewhere, "[{"},
    {220, "VK_OEM_5", 49, kExtendedElsewhere, "\\|"},
    {221, "VK_OEM_6", 48, kExtendedElsewhere, "]}"},
    {222, "VK_OEM_7", 52, kExtendedElsewhere, "'\""},
    {223, "VK_OEM_8", -1, kExtendedElsewhere, "None"},
    {224, "VK_UNDEFINED_E0", -1, kExtendedElsewhere, "Undefined"},
    {225, "VK_OEM_AX", -1, kExtendedElsewhere, "AX"},
    {226, "VK_OEM_102", -1, kExtendedElsewhere, "\\|"},
}};

// The keypad Enter, reported as Enter with the extended flag.
constexpr std::array<StaticKeyRow, 1> kExtendedEnterRow{{
    {13, "VK_RETURN", 88, kExtendedEither, "ENTER"},
}};

// The navigation cluster; without the flag VK 33..40 are the keypad keys with Num Lock off.
constexpr std::array<StaticKeyRow, 8> kExtendedNavigationRows{{
    {33, "VK_PRIOR", 75, kExtendedEither, "PAGE UP"},
    {34, "VK_NEXT", 78, kExtendedEither, "PAGE DOWN"},
    {35, "VK_END", 77, kExtendedEither, "END"},
    {36, "VK_HOME", 74, kExtendedEither, "HOME"},
    {37, "VK_LEFT", 80, kExtendedEither, "LEFT ARROW"},
    {38, "VK_UP", 82, kExtendedEither, "UP ARROW"},
    {39, "VK_RIGHT", 79, kExtendedEither, "RIGHT ARROW"},
    {40, "VK_DOWN", 81, kExtendedEither, "DOWN ARROW"},
}};

constexpr std::array<StaticKeyBlock, 3> kKeyBlocks{{
    {0, kKeyRowsFrom0},
    {186, kKeyRowsFrom186},
    {219, kKeyRowsFrom219},
}};

constexpr std::array<StaticKeyBlock, 2> kExtendedKeyBlocks{{
    {13, kExtendedEnterRow},
    {33, kExtendedNavigationRows},
}};

// Every block row must land at the VK it names, inside the table.
constexpr bool IsPlaced(std::span<const StaticKeyBlock> blocks) {
  for (const StaticKeyBlock& block : blocks) {
    if (block.first < 0 || block.first + static_cast<std::int32_t>(block.rows.size()) > kKeyTableSize) return false;
    for (std::size_t n = 0; n < block.rows.size(); ++n)
      if (block.rows[n].vk != block.first + static_cast<std::int32_t>(n)) return false;
  }
  return true;
}
static_assert(IsPlaced(kKeyBlocks) && IsPlaced(kExtendedKeyBlocks));

struct Modifier {
  std::uint8_t flag;
  std::string_view prefix;  // the name followed by '+'
  std::uint8_t hidBit;
};

// In display order.
constexpr std::array<Modifier, 4> kModifiers{{
    {kModifierAlt, "Alt+", 0x04},
    {kModifierCtrl, "Ctrl+", 0x01},
    {kModifierShift, "Shift+", 0x02},
    {kModifierWin, "WIN+", 0x08},
}};

std::string ThreeHexDigits(std::int32_t k) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  return {kDigits[(k >> 8) & 0xF], kDigits[(k >> 4) & 0xF], kDigits[k & 0xF]};
}

TKeyboardInfoTable DefaultRow(std::int32_t k, std::int32_t extended) {
  const std::string digits = ThreeHexDigits(k);
  return {"VK_UNDEFINED_" + digits, -1, 0, extended, -1, "UNDEFINED_" + digits};
}

TKeyboardInfoTable RowOf(const StaticKeyRow& row) {
  return {std::string(row.vkName), row.vk, 0, row.extended, row.hid, std::string(row.description)};
}

std::vector<TKeyboardInfoTable> MakeTable(std::int32_t defaultExtended, std::span<const StaticKeyBlock> blocks) {
  std::vector<TKeyboardInfoTable> table;
  table.reserve(kKeyTableSize);
  for (std::int32_t k = 0; k < kKeyTableSize; ++k) table.push_back(DefaultRow(k, defaultExtended));
  for (const StaticKeyBlock& block : blocks)
    for (std::size_t n = 0; n < block.rows.size(); ++n) table[block.first + n] = RowOf(block.rows[n]);
  return table;
}

struct KeyTables {
  std::vector<TKeyboardInfoTable> plain = MakeTable(kExtendedElsewhere, kKeyBlocks);
  std::vector<TKeyboardInfoTable> extended = MakeTable(kExtendedEither, kExtendedKeyBlocks);
};

// A function-local static is built exactly once even when several threads ask at the same time.
const KeyTables& Tables() {
  static const KeyTables tables;
  return tables;
}

// The row that serves a key event; nullptr when vk is out of range.
const TKeyboardInfoTable* ServingRow(std::int32_t vk, std::int32_t extended) {
  if (vk < 0 || vk >= kKeyTableSize) return nullptr;
  const TKeyboardInfoTable& plain = Tables().plain[vk];
  if (extended == 0 || (extended == 1 && plain.Extended == kExtendedEither)) return &plain;
  return &Tables().extended[vk];
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Default-row descriptions name no key, and many rows share them.
bool HasFindableDescription(const TKeyboardInfoTable& row) {
  const std::string_view description = row.KeyDescription;
  return !description.empty() && description != "Undefined" && !description.starts_with("UNDEFINED_");
}

bool RowIsNamed(const TKeyboardInfoTable& row, std::string_view name) {
  return EqualsNoCase(row.VKName, name) || (HasFindableDescription(row) && EqualsNoCase(row.KeyDescription, name));
}

std::uint8_t ModifierFlagOfName(std::string_view name) {
  for (const Modifier& m : kModifiers)
    if (EqualsNoCase(m.prefix.substr(0, m.prefix.size() - 1), name)) return m.flag;
  return 0;
}

}  // namespace

void BuildKeyInfoTables() { Tables(); }

const std::vector<TKeyboardInfoTable>& KeyInfoTable() { return Tables().plain; }

const std::vector<TKeyboardInfoTable>& ExtendedKeyInfoTable() { return Tables().extended; }

std::int32_t VKToHIDCode(std::int32_t vk, std::int32_t extended) {
  const TKeyboardInfoTable* row = ServingRow(vk, extended);
  return row == nullptr || row->HIDCode == -1 ? 0 : row->HIDCode;
}

bool IsConsumerKey(std::int32_t vk) { return vk >= kFirstConsumerKey && vk <= kLastConsumerKey; }
bool IsSendableKey(std::int32_t vk, std::int32_t extended) { return VKToHIDCode(vk, extended) != 0; }

std::string VKToKeyName(std::int32_t vk, std::int32_t extended) {
  const TKeyboardInfoTable* row = ServingRow(vk, extended);
  return row == nullptr ? std::string() : row->KeyDescription;
}

std::string ModifierToText(std::uint8_t modifier) {
  std::string text;
  for (const Modifier& m : kModifiers)
    if (modifier & m.flag) text += m.prefix;
  return text;
}

std::uint8_t ModifierToHIDModifier(std::uint8_t modifier) {
  std::uint8_t hid = 0;
  for (const Modifier& m : kModifiers)
    if (modifier & m.flag) hid |= m.hidBit;
  return hid;
}

std::string ComboKeyText(const TCOMBOKEYINFO& combo) {
  const std::string first = VKToKeyName(combo.nKeyValue1, combo.nKey1Extended);
  const std::string second = VKToKeyName(combo.nKeyValue2, combo.nKey2Extended);
  const auto modifier = static_cast<std::uint8_t>(combo.nModifier);
  std::string text = first.empty() ? std::string() : ModifierToText(modifier) + first;
  if (!second.empty()) text += "+" + second;
  return text;
}

bool FindKeyByName(std::string_view name, std::int32_t& vk, std::int32_t& extended) {
  constexpr std::string_view kExtendedPrefix = "EXT:";
  const bool flagged = StartsWithNoCase(name, kExtendedPrefix);
  if (flagged) name.remove_prefix(kExtendedPrefix.size());
  // Searching by the row each event would read keeps the answer consistent with VKToKeyName.
  for (std::int32_t flag = flagged ? 1 : 0; flag <= 1; ++flag)
    for (std::int32_t k = 0; k < kKeyTableSize; ++k)
      if (RowIsNamed(*ServingRow(k, flag), name)) {
        vk = k;
        extended = flag;
        return true;
      }
  return false;
}

bool ParseModifiers(std::string_view text, std::uint8_t& modifier) {
  std::uint8_t flags = 0;
  if (!text.empty()) {
    if (text.ends_with('+')) text.remove_suffix(1);  // the form ModifierToText writes
    for (std::size_t start = 0;;) {
      const std::size_t plus = text.find('+', start);
      const std::uint8_t flag = ModifierFlagOfName(text.substr(start, plus - start));
      if (flag == 0) return false;
      flags |= flag;
      if (plus == std::string_view::npos) break;
      start = plus + 1;
    }
  }
  modifier = flags;
  return true;
}

}  // namespace q9
