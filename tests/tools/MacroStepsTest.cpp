#include <gtest/gtest.h>

#include <cstring>

#include "MacroSteps.h"
#include "input/uiKeyCode.h"

namespace q9 {
namespace {

bool operator==(const TMACROENTRY& a, const TMACROENTRY& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Describe(const std::vector<TMACROENTRY>& entries) {
  std::string text;
  for (const TMACROENTRY& e : entries)
    text += "[" + std::to_string(e.nEntryType) + " " + std::to_string(e.nEntryState) + " " + std::to_string(e.nValueLo) + " " +
            std::to_string(e.nValueHi) + "]";
  return text;
}

TMACROKEYINFO MacroOf(const std::vector<TMACROENTRY>& entries, Word loop = 0) {
  TMACROKEYINFO macro{};
  std::copy(entries.begin(), entries.end(), macro.MacroList);
  macro.MacroListCount = static_cast<Integer>(entries.size());
  macro.nLoopCount = loop;
  return macro;
}

std::string ErrorOf(const std::string& text) {
  try {
    ParseMacroSteps(text);
  } catch (const MacroStepError& e) {
    return e.what();
  }
  return "(read without an error)";
}

TEST(MacroStepsTest, ReadsKeysDelaysMouseButtonsClicksAndLoop) {
  const ParsedMacroSteps steps = ParseMacroSteps(
      "A down, 150ms, A up, 300 ms, EXT:ENTER down, l ctrl UP, Left Button down, Right Button up, middle button Down, "
      "Right  Click, raw 9 3 1 2, loop 4");
  const std::vector<TMACROENTRY> expected = {
      {kMacroEntryKey, 1, 65, 0},   {kMacroEntryDelay, 0, 150, 0}, {kMacroEntryKey, 0, 65, 0},
      {kMacroEntryDelay, 0, 0x2C, 0x01}, {kMacroEntryKey, 1, 13, 1}, {kMacroEntryKey, 0, 162, 0},
      {kMacroEntryMouse, 1, 1, 0},  {kMacroEntryMouse, 0, 2, 0},   {kMacroEntryMouse, 1, 4, 0},
      {kMacroEntryMouse, 1, 2, 0},  {kMacroEntryDelay, 0, 10, 0},  {kMacroEntryMouse, 0, 2, 0},
      {9, 3, 1, 2}};
  EXPECT_EQ(Describe(steps.entries), Describe(expected));
  ASSERT_TRUE(steps.loopCount.has_value());
  EXPECT_EQ(*steps.loopCount, 4);
  EXPECT_TRUE(ParseMacroSteps("  \t ").entries.empty()) << "a blank text is a macro without steps";
  EXPECT_FALSE(ParseMacroSteps("A down").loopCount.has_value());
}

TEST(MacroStepsTest, TextOfEveryKeyPressAndReleaseReadsBackToTheSameEntry) {
  for (int extended = 0; extended <= 1; ++extended)
    for (int vk = 0; vk < kKeyTableSize; ++vk)
      for (Word state = 0; state <= 1; ++state) {
        const TMACROENTRY entry{kMacroEntryKey, state, static_cast<Byte>(vk), static_cast<Byte>(extended)};
        const std::string text = MacroStepsText(MacroOf({entry}));
        const ParsedMacroSteps back = ParseMacroSteps(text);
        ASSERT_EQ(back.entries.size(), 1u) << text;
        EXPECT_TRUE(back.entries[0] == entry) << "vk " << vk << " extended " << extended << ": " << text;
        // A key the mouse can send is shown by name, never as a raw entry.
        if (IsSendableKey(vk, extended)) {
          EXPECT_EQ(text.rfind("raw ", 0), std::string::npos) << text;
        }
      }
}

TEST(MacroStepsTest, EntriesWithoutAReadableFormAreShownRawAndReadBack) {
  const std::vector<TMACROENTRY> odd = {
      {kMacroEntryKey, 1, 188, 0},   // ",<": its description holds the step separator
      {kMacroEntryKey, 2, 65, 0},    // neither press nor release
      {kMacroEntryKey, 1, 65, 2},    // an extended flag other than 0 and 1
      {kMacroEntryMouse, 1, 3, 0},   // no such button
      {kMacroEntryMouse, 0, 1, 1},   // a mouse entry with a high byte
      {kMacroEntryDelay, 1, 5, 0},   // a delay with a state
      {kMacroEntryDelay, 0, 0xFF, 0xFF},
      {kMacroEntryDelay, 0, 0, 0},
      {0, 0, 0, 0},
      {0xFFFF, 0xFFFF, 255, 255}};
  const TMACROKEYINFO macro = MacroOf(odd, 65535);
  const std::string text = MacroStepsText(macro);
  EXPECT_NE(text.find("VK_OEM_COMMA down"), std::string::npos) << text;
  EXPECT_NE(text.find("65535ms"), std::string::npos) << text;
  const ParsedMacroSteps back = ParseMacroSteps(text);
  EXPECT_EQ(Describe(back.entries), Describe(odd)) << text;
  EXPECT_EQ(back.loopCount.value_or(0), 65535);
  EXPECT_EQ(MacroStepsText(MacroOf({}, 2)), "loop 2");
  EXPECT_EQ(MacroStepsText(MacroOf({{kMacroEntryMouse, 1, 4, 0}, {kMacroEntryDelay, 0, 0xF4, 0x01}})), "Middle Button down, 500ms");
}

TEST(MacroStepsTest, ADamagedCountShowsOnlyTheEntriesTheRecordHolds) {
  TMACROKEYINFO macro = MacroOf({{kMacroEntryKey, 1, 65, 0}});
  macro.MacroListCount = 1000;
  EXPECT_EQ(ParseMacroSteps(MacroStepsText(macro)).entries.size(), static_cast<std::size_t>(kMacroStepCount));
  macro.MacroListCount = -5;
  EXPECT_EQ(MacroStepsText(macro), "");
}

TEST(MacroStepsTest, BadStepsAreRefusedNamingTheStep) {
  EXPECT_NE(ErrorOf("A down, NOSUCHKEY down").find("step 2 \"NOSUCHKEY down\": unknown key \"NOSUCHKEY\""), std::string::npos);
  EXPECT_NE(ErrorOf("A down, 65536ms").find("step 2 \"65536ms\": a delay is at most 65535 ms"), std::string::npos);
  EXPECT_NE(ErrorOf("99999999999999999999999ms").find("at most 65535 ms"), std::string::npos) << "no wrap-around";
  EXPECT_NE(ErrorOf("A down,, A up").find("step 2 \"\": the step is empty"), std::string::npos);
  EXPECT_NE(ErrorOf("A down,").find("step 2"), std::string::npos);
  EXPECT_NE(ErrorOf("A dwn").find("expected KEY down"), std::string::npos);
  EXPECT_NE(ErrorOf("down").find("expected KEY down"), std::string::npos);
  EXPECT_NE(ErrorOf("-5ms").find("step 1"), std::string::npos);
  EXPECT_NE(ErrorOf("Mouse Left Click down").find("cannot send the key"), std::string::npos);
  EXPECT_NE(ErrorOf("loop 2, A down").find("the loop count is the last step"), std::string::npos);
  EXPECT_NE(ErrorOf("A down, loop 65536").find("from 0 to 65535"), std::string::npos);
  EXPECT_NE(ErrorOf("raw 1 2 3").find("four numbers"), std::string::npos);
  EXPECT_NE(ErrorOf("raw 1 2 3 256").find("the bytes 0-255"), std::string::npos);
  EXPECT_NE(ErrorOf("raw 1 2 3 4 5").find("raw TYPE STATE"), std::string::npos);
  EXPECT_NE(ErrorOf("Left Button click").find("expected KEY down"), std::string::npos);
}

TEST(MacroStepsTest, SixtyEntriesFitAndTheSixtyFirstIsRefused) {
  std::string sixty, clicks;
  for (int i = 0; i < 30; ++i) sixty += std::string(i ? ", " : "") + "A down, A up";
  for (int i = 0; i < 20; ++i) clicks += std::string(i ? ", " : "") + "Left Click";
  EXPECT_EQ(ParseMacroSteps(sixty).entries.size(), 60u);
  EXPECT_EQ(ParseMacroSteps(clicks + ", loop 1").entries.size(), 60u) << "the loop count is no entry";
  EXPECT_NE(ErrorOf(sixty + ", 10ms").find("step 61 \"10ms\": a macro holds at most 60 entries"), std::string::npos);
  EXPECT_NE(ErrorOf("A down, " + clicks).find("step 21 \"Left Click\": a macro holds at most 60"), std::string::npos)
      << "a click that does not fit whole is refused";
}

}  // namespace
}  // namespace q9
