// The macro editor's changes to a macro record: the limits of 60 entries and of delays, the
// conversion of a recording, merging before and after a row, and the delay editor's typing rule.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/MacroEditing.h"

namespace q9 {
namespace {

TMACROKEYINFO MacroOf(int presses) {
  TMACROKEYINFO macro{};
  for (int i = 0; i < presses; ++i) macro.MacroList[i] = KeyEntry(65 + i % 26, false, true);
  macro.MacroListCount = presses;
  return macro;
}

TMACROKEYHOOK KeyItem(int vk, bool pressed, bool extended = false) {
  return {kRecordedKey, static_cast<std::uint16_t>(pressed ? 1 : 0), static_cast<std::uint16_t>(vk),
          static_cast<std::uint16_t>(extended ? 1 : 0)};
}
TMACROKEYHOOK DelayItem(int ms) { return {kRecordedDelay, 0, static_cast<std::uint16_t>(ms), 0}; }

bool Same(const TMACROENTRY& a, const TMACROENTRY& b) {
  return a.nEntryType == b.nEntryType && a.nEntryState == b.nEntryState && a.nValueLo == b.nValueLo &&
         a.nValueHi == b.nValueHi;
}

TEST(MacroEditing, DelaysAreClampedToWhatTheEditorStores) {
  EXPECT_TRUE(Same(DelayEntry(300), TMACROENTRY{kMacroEntryDelay, 0, 0x2C, 0x01}));
  EXPECT_TRUE(Same(DelayEntry(3), DelayEntry(kShortestMacroDelayMs)));
  EXPECT_TRUE(Same(DelayEntry(70000), TMACROENTRY{kMacroEntryDelay, 0, 0xFF, 0xFF}));
  EXPECT_TRUE(Same(KeyEntry(163, true, false), TMACROENTRY{kMacroEntryKey, 0, 163, 1}));
}

TEST(MacroEditing, ARecordingDropsAutoRepeatsButKeepsTheirDelays) {
  const MacroKeyList items{KeyItem(65, true), DelayItem(30), KeyItem(65, true), DelayItem(5), KeyItem(65, false),
                           KeyItem(65, true, true)};
  const ConvertedRecording on = ConvertRecording(TMACROKEYINFO{}, items, true, false, 0);
  ASSERT_EQ(on.macro.MacroListCount, 5);
  EXPECT_TRUE(Same(on.macro.MacroList[1], DelayEntry(30)));
  EXPECT_TRUE(Same(on.macro.MacroList[2], DelayEntry(10))) << "a delay below 10 ms is stored as 10";
  EXPECT_TRUE(Same(on.macro.MacroList[4], KeyEntry(65, true, true))) << "the extended variant is another key";
  EXPECT_EQ(on.macro.nAutoAddDelay, 1);
  const ConvertedRecording off = ConvertRecording(TMACROKEYINFO{}, items, false, false, 0);
  EXPECT_EQ(off.macro.MacroListCount, 3);
  EXPECT_EQ(off.macro.nAutoAddDelay, 0);
}

TEST(MacroEditing, ARecordingKeepsSixtyEntriesAndCountsTheRest) {
  MacroKeyList items;
  for (int i = 0; i < 40; ++i) {
    items.push_back(KeyItem(66, true));
    items.push_back(KeyItem(66, false));
  }
  const ConvertedRecording converted = ConvertRecording(MacroOf(3), items, true, false, 0);
  EXPECT_EQ(converted.macro.MacroListCount, kMacroStepCount);
  EXPECT_EQ(converted.dropped, 20);
  EXPECT_TRUE(Same(converted.macro.MacroList[0], KeyEntry(66, false, true))) << "the old entries are replaced";
  EXPECT_TRUE(Same(converted.macro.MacroList[kMacroStepCount - 1], KeyEntry(66, false, false)));
}

TEST(MacroEditing, TheLoopCountOfARecording) {
  EXPECT_EQ(ConvertRecording({}, {}, true, true, 3).macro.nLoopCount, 2);
  EXPECT_EQ(ConvertRecording({}, {}, true, true, 1).macro.nLoopCount, 0);
  EXPECT_EQ(ConvertRecording({}, {}, true, true, 0).macro.nLoopCount, 0);
  EXPECT_EQ(ConvertRecording({}, {}, true, false, 7).macro.nLoopCount, 0);
}

TEST(MacroEditing, MergingAroundAnAnchor) {
  TMACROKEYINFO old = MacroOf(5);
  old.nLoopCount = 4;
  old.nAutoAddDelay = 0;
  TMACROKEYINFO recorded{};
  recorded.MacroList[0] = KeyEntry(88, false, true);
  recorded.MacroList[1] = KeyEntry(89, false, true);
  recorded.MacroListCount = 2;
  recorded.nAutoAddDelay = 1;
  const MergedMacro before = MergeRecording(old, recorded, RecordMode::kBefore, 2);
  const std::vector<int> expectBefore{65, 66, 88, 89, 67, 68, 69};
  ASSERT_EQ(before.macro.MacroListCount, 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(before.macro.MacroList[i].nValueLo, expectBefore[i]) << i;
  EXPECT_EQ(before.macro.nLoopCount, 4);
  EXPECT_EQ(before.macro.nAutoAddDelay, 0);
  const MergedMacro after = MergeRecording(old, recorded, RecordMode::kAfter, 4);
  EXPECT_EQ(after.macro.MacroList[5].nValueLo, 88) << "after the last entry appends";
  EXPECT_EQ(MergeRecording(old, recorded, RecordMode::kBefore, -1).macro.MacroListCount, 5);
  EXPECT_EQ(MergeRecording(old, TMACROKEYINFO{}, RecordMode::kAfter, 1).macro.MacroListCount, 5);
  EXPECT_EQ(MergeRecording(old, recorded, RecordMode::kReplace, 3).macro.MacroListCount, 2);
  const MergedMacro full = MergeRecording(MacroOf(59), recorded, RecordMode::kBefore, 0);
  EXPECT_EQ(full.macro.MacroListCount, kMacroStepCount);
  EXPECT_EQ(full.dropped, 1);
}

TEST(MacroEditing, InsertingPastTheEndLosesEntries) {
  TMACROKEYINFO macro = MacroOf(kMacroStepCount);
  EXPECT_EQ(EntriesLostByInserting(macro, 3), 3);
  EXPECT_EQ(InsertEntries(macro, kMacroStepCount, {DelayEntry(10)}), 1) << "nothing fits after the last slot";
  EXPECT_EQ(macro.MacroListCount, kMacroStepCount);
  TMACROKEYINFO damaged = MacroOf(2);
  damaged.MacroListCount = -4;
  EXPECT_EQ(InsertEntries(damaged, 9, {DelayEntry(10)}), 0);
  EXPECT_EQ(damaged.MacroListCount, 1) << "a negative count is no entries";
}

TEST(MacroEditing, InsertDelayRowRules) {
  TMACROKEYINFO macro = MacroOf(4);
  macro.MacroList[0] = DelayEntry(50);
  macro.MacroList[2] = DelayEntry(50);
  EXPECT_TRUE(CanInsertDelayAfter(macro, 0));
  EXPECT_FALSE(CanInsertDelayAfter(macro, 1)) << "the next row is a delay";
  EXPECT_FALSE(CanInsertDelayAfter(macro, 2));
  EXPECT_TRUE(CanInsertDelayAfter(macro, 3)) << "no next row counts as no delay";
  EXPECT_FALSE(CanInsertDelayAfter(macro, -1));
  EXPECT_FALSE(CanInsertDelayAfter(macro, 4));
}

TEST(MacroEditing, MouseEventMenuItems) {
  ASSERT_EQ(MouseEventEntries(303).size(), 3u);
  EXPECT_TRUE(Same(MouseEventEntries(303)[0], TMACROENTRY{kMacroEntryMouse, 1, 4, 0}));
  EXPECT_TRUE(Same(MouseEventEntries(202)[0], TMACROENTRY{kMacroEntryMouse, 0, 2, 0}));
  EXPECT_TRUE(MouseEventEntries(104).empty());
  EXPECT_TRUE(MouseEventEntries(401).empty());
  EXPECT_TRUE(MouseEventEntries(3).empty());
  EXPECT_EQ(RowAfterMouseEvent(-1, 101), 0);
  EXPECT_EQ(RowAfterMouseEvent(0, 103), 3);
}

TEST(MacroEditing, DeletingAndRetiming) {
  TMACROKEYINFO macro = MacroOf(3);
  macro.MacroList[1] = DelayEntry(20);
  EXPECT_FALSE(DeleteEntry(macro, 3));
  EXPECT_FALSE(SetDelayFromText(macro, 0, "100")) << "a key row has no delay";
  EXPECT_FALSE(SetDelayFromText(macro, 1, ""));
  EXPECT_FALSE(SetDelayFromText(macro, 1, "1x"));
  EXPECT_TRUE(SetDelayFromText(macro, 1, "99999999999999999999"));
  EXPECT_TRUE(Same(macro.MacroList[1], DelayEntry(65535)));
  EXPECT_TRUE(SetDelayFromText(macro, 1, "0"));
  EXPECT_TRUE(Same(macro.MacroList[1], DelayEntry(10)));
  EXPECT_TRUE(DeleteEntry(macro, 0));
  EXPECT_EQ(macro.MacroListCount, 2);
  EXPECT_TRUE(Same(macro.MacroList[0], DelayEntry(10)));
  EXPECT_TRUE(Same(macro.MacroList[2], TMACROENTRY{})) << "the freed slot is cleared";
}

TEST(MacroEditing, TheDelayEditorsTypingRule) {
  std::string text;
  for (char digit : std::string("123456")) text = DelayTextAfterDigit(text, 0, 0, digit);
  EXPECT_EQ(text, "6");
  EXPECT_EQ(DelayTextAfterDigit("1234", 0, 4, '9'), "12349") << "below five characters the selection is ignored";
  EXPECT_EQ(DelayTextAfterDigit("12345", 0, 5, '7'), "7");
  EXPECT_EQ(DelayTextAfterDigit("12345", 1, 2, '0'), "1045");
  EXPECT_EQ(DelayTextAfterDigit("12345", 4, 9, '0'), "12340") << "a selection past the end ends there";
  EXPECT_EQ(DelayTextAfterDigit("12345", 3, 0, '8'), "8");
}

}  // namespace
}  // namespace q9
