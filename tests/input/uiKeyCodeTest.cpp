#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "input/uiKeyCode.h"

namespace q9 {
namespace {

std::set<int> Range(int first, int last) {
  std::set<int> values;
  for (int k = first; k <= last; ++k) values.insert(k);
  return values;
}

std::string Hex(int k, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(k));
  return text;
}

void ExpectRow(int vk, const std::string& vkName, int hid, const std::string& description) {
  const TKeyboardInfoTable& row = KeyInfoTable()[vk];
  EXPECT_EQ(row.VKName, vkName) << vk;
  EXPECT_EQ(row.HIDCode, hid) << vk;
  EXPECT_EQ(row.KeyDescription, description) << vk;
}

TEST(KeyTables, EveryRowSitsAtItsCodeAndUnfilledRowsKeepTheDefault) {
  std::set<int> unfilled = Range(193, 218);
  unfilled.merge(Range(227, 254));
  unfilled.insert({184, 185});
  std::set<int> extendedFilled = Range(33, 40);
  extendedFilled.insert(13);
  ASSERT_EQ(KeyInfoTable().size(), 255u);
  ASSERT_EQ(ExtendedKeyInfoTable().size(), 255u);
  for (int k = 0; k < kKeyTableSize; ++k) {
    for (const bool extended : {false, true}) {
      const TKeyboardInfoTable& row = (extended ? ExtendedKeyInfoTable() : KeyInfoTable())[k];
      const bool filled = extended ? extendedFilled.contains(k) : !unfilled.contains(k);
      EXPECT_EQ(row.VKCode, filled ? k : -1) << k << " extended " << extended;
      EXPECT_EQ(row.ScanCode, 0);
      if (extended) {
        EXPECT_EQ(row.Extended, kExtendedEither) << k;
      }
      if (filled) continue;
      EXPECT_EQ(row.VKName, "VK_UNDEFINED_" + Hex(k, 3));
      EXPECT_EQ(row.KeyDescription, "UNDEFINED_" + Hex(k, 3));
      EXPECT_EQ(row.HIDCode, -1);
      EXPECT_EQ(row.Extended, extended ? kExtendedEither : kExtendedElsewhere);
    }
  }
}

TEST(KeyTables, RegularRunsFollowTheirRules) {
  for (int i = 0; i <= 9; ++i) {
    ExpectRow(48 + i, "VK_" + std::to_string(i), i == 0 ? 39 : 29 + i, std::to_string(i));
    ExpectRow(96 + i, "VK_NUMPAD" + std::to_string(i), i == 0 ? 98 : 88 + i, "NUMPAD " + std::to_string(i));
  }
  for (int i = 0; i < 26; ++i) ExpectRow(65 + i, std::string("VK_") + char('A' + i), 4 + i, std::string(1, 'A' + i));
  for (int n = 1; n <= 24; ++n)
    ExpectRow(111 + n, "VK_F" + std::to_string(n), n <= 12 ? 57 + n : 91 + n, "F" + std::to_string(n));
  std::set<int> undefined = {5, 6, 7, 10, 11, 14, 15, 94, 95};
  for (const auto& run : {Range(21, 26), Range(28, 31), Range(58, 64), Range(136, 143), Range(146, 159)})
    undefined.insert(run.begin(), run.end());
  for (const int vk : undefined) ExpectRow(vk, "VK_UNDEFINED_" + Hex(vk, 2), -1, "Undefined");
}

TEST(KeyLookups, HidCodeAndNameFollowTheExtendedFlag) {
  struct Case { int vk, extended, hid; const char* name; };
  const Case cases[] = {
      {65, 0, 4, "A"},        {65, 1, 0, "UNDEFINED_041"},    // a letter has no extended variant
      {13, 0, 40, "ENTER"},   {13, 1, 88, "ENTER"},           // keypad Enter
      {33, 0, 97, "PAGE UP"}, {33, 1, 75, "PAGE UP"},         // keypad 9, then the Page Up key
      {45, 0, 73, "INS"},     {45, 1, 73, "INS"},             // one row serves both
      {45, 2, 0, "UNDEFINED_02D"},                            // other flags read the extended table
      {166, 1, 548, "BROWSER_BACK"}, {179, 0, 205, "MEDIA_PLAY_PAUSE"},
      {16, 0, 0, "SHIFT"},    {160, 0, 225, "L SHIFT"},       {163, 1, 228, "R CTRL"},
      {184, 0, 0, "UNDEFINED_0B8"}, {5, 0, 0, "Undefined"},   {0, 0, 0, ""},
      {1, 0, 0, "Mouse Left Click"}, {220, 0, 49, "\\|"},     {222, 0, 52, "'\""},
      {226, 0, 0, "\\|"},     {254, 0, 0, "UNDEFINED_0FE"},
      {255, 0, 0, ""},        {-1, 0, 0, ""},                 {-1, 1, 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VKToHIDCode(c.vk, c.extended), c.hid) << c.vk << "/" << c.extended;
    EXPECT_EQ(VKToKeyName(c.vk, c.extended), c.name) << c.vk << "/" << c.extended;
  }
}

// The consumer rows are told from keyboard rows by their key, not by their code: Mute's 226 is
// Left Alt's code on the keyboard page.
TEST(KeyLookups, ConsumerKeysAreTheBrowserVolumeMediaAndLaunchKeys) {
  for (int vk = -1; vk <= 255; ++vk) EXPECT_EQ(IsConsumerKey(vk), vk >= 166 && vk <= 183) << vk;
  for (int vk = 0; vk < kKeyTableSize; ++vk) {
    if (KeyInfoTable()[vk].HIDCode > 255) {
      EXPECT_TRUE(IsConsumerKey(vk)) << "code above 255 outside the range: " << vk;
    }
  }
  EXPECT_EQ(VKToHIDCode(173, 0), VKToHIDCode(164, 0)) << "Mute and Left Alt share a code value";
  EXPECT_TRUE(IsConsumerKey(173));
  EXPECT_FALSE(IsConsumerKey(164));
}

TEST(KeyLookups, SendableKeysAreThoseWithAUsage) {
  struct Case { const char* name; bool sendable; };
  const Case cases[] = {
      {"A", true},       {"L CTRL", true},  {"R CTRL", true},  {"EXT:ENTER", true}, {"ENTER", true},
      {"EXT:PAGE UP", true}, {"BROWSER_BACK", true}, {"VOLUME_MUTE", true},        // consumer usages
      {"Mouse Left Click", false}, {"Mouse Right Click", false}, {"CTRL", false}, {"SHIFT", false},
      {"ALT", false}, {"VK_NULL", false}, {"Control Break", false}, {"VK_UNDEFINED_0B8", false},
      {"VK_OEM_102", false},
  };
  for (const Case& c : cases) {
    std::int32_t vk = -1, extended = -1;
    ASSERT_TRUE(FindKeyByName(c.name, vk, extended)) << c.name;
    EXPECT_EQ(IsSendableKey(vk, extended), c.sendable) << c.name;
  }
  EXPECT_FALSE(IsSendableKey(65, 1)) << "a letter has no extended variant";
  EXPECT_FALSE(IsSendableKey(255, 0));
  EXPECT_FALSE(IsSendableKey(-1, 0));
}

TEST(Modifiers, TextAndHidByteAndTheirParse) {
  struct Case { std::uint8_t flags; const char* text; std::uint8_t hid; };
  const Case cases[] = {{0, "", 0},         {1, "Alt+", 4},        {2, "Ctrl+", 1},  {3, "Alt+Ctrl+", 5},
                        {4, "Shift+", 2},   {8, "WIN+", 8},        {12, "Shift+WIN+", 10},
                        {15, "Alt+Ctrl+Shift+WIN+", 15}};
  for (const Case& c : cases) {
    EXPECT_EQ(ModifierToText(c.flags), c.text);
    EXPECT_EQ(ModifierToHIDModifier(c.flags), c.hid) << int(c.flags);
  }
  for (int flags = 0; flags < 16; ++flags) {
    std::uint8_t parsed = 0xFF;
    EXPECT_TRUE(ParseModifiers(ModifierToText(std::uint8_t(flags)), parsed));
    EXPECT_EQ(parsed, flags);
  }
}

TEST(Modifiers, ParseAcceptsAnyOrderAndCaseButNoUnknownPart) {
  struct Case { const char* text; bool ok; std::uint8_t flags; };
  const Case cases[] = {{"Ctrl+Alt", true, 3}, {"alt+shift+win", true, 13}, {"SHIFT", true, 4},
                        {"Ctrl+Ctrl", true, 2}, {"", true, 0},            {"Ctrl+Meta", false, 0},
                        {"Ctrl++Alt", false, 0}, {"+", false, 0},         {"Ctrl++", false, 0},
                        {" Ctrl", false, 0},    {"Control", false, 0}};
  for (const Case& c : cases) {
    std::uint8_t flags = 0x55;
    EXPECT_EQ(ParseModifiers(c.text, flags), c.ok) << c.text;
    EXPECT_EQ(flags, c.ok ? c.flags : 0x55) << c.text;
  }
}

TEST(ComboKeys, ModifiersGoWithTheFirstKeyOnly) {
  struct Case { TCOMBOKEYINFO combo; const char* text; };
  const Case cases[] = {
      {{65, 0, 66, 0, 3}, "Alt+Ctrl+A+B"}, {{65, 0, 0, 0, 2}, "Ctrl+A"},
      {{0, 0, 66, 0, 2}, "+B"},            {{13, 1, 33, 1, 4}, "Shift+ENTER+PAGE UP"},
      {{0, 0, 0, 0, 15}, ""},              {{300, 0, 65, 1, 1}, "+UNDEFINED_041"},
  };
  for (const Case& c : cases) EXPECT_EQ(ComboKeyText(c.combo), c.text);
}

TEST(KeyNames, FindByDescriptionOrVKName) {
  struct Case { const char* name; bool found; int vk, extended; };
  const Case cases[] = {
      {"ENTER", true, 13, 0},   {"ext:enter", true, 13, 1}, {"EXT:PAGE UP", true, 33, 1},
      {"page up", true, 33, 0}, {"a", true, 65, 0},         {"F5", true, 116, 0},
      {"VK_RETURN", true, 13, 0}, {"vk_prior", true, 33, 0}, {"EXT:VK_RETURN", true, 13, 1},
      {"EXT:INS", true, 45, 1},  // the row serves the flagged key as well
      {"\\|", true, 220, 0},     {"VK_NULL", true, 0, 0},    {"VK_UNDEFINED_05", true, 5, 0},
      {"VK_UNDEFINED_041", true, 65, 1},  // only the extended variant of A carries it
      {"EXT:A", false, 0, 0},    {"Undefined", false, 0, 0}, {"UNDEFINED_0B8", false, 0, 0},
      {"", false, 0, 0},         {"EXT:", false, 0, 0},      {"ENTER ", false, 0, 0},
  };
  for (const Case& c : cases) {
    std::int32_t vk = -7, extended = -7;
    EXPECT_EQ(FindKeyByName(c.name, vk, extended), c.found) << c.name;
    EXPECT_EQ(vk, c.found ? c.vk : -7) << c.name;
    EXPECT_EQ(extended, c.found ? c.extended : -7) << c.name;
  }
}

TEST(KeyNames, EveryShownNameIsFoundAsAKeyShowingIt) {
  for (int k = 0; k < kKeyTableSize; ++k) {
    std::int32_t vk = -1, extended = -1;
    const std::string& vkName = KeyInfoTable()[k].VKName;
    ASSERT_TRUE(FindKeyByName(vkName, vk, extended)) << vkName;
    EXPECT_EQ(KeyInfoTable()[vk].VKName, vkName);
    EXPECT_EQ(extended, 0);
    for (const int flag : {0, 1}) {
      const std::string name = VKToKeyName(k, flag);
      if (name.empty() || name == "Undefined" || name.starts_with("UNDEFINED_")) continue;
      ASSERT_TRUE(FindKeyByName((flag ? "EXT:" : "") + name, vk, extended)) << name;
      EXPECT_EQ(extended, flag) << name;
      EXPECT_EQ(VKToKeyName(vk, extended), name);
    }
  }
}

}  // namespace
}  // namespace q9
