#pragma once
// The macro editor's changes to one macro record, without the window: turning a recording into
// entries, merging it before or after a row, inserting delays and mouse events, deleting and
// retiming entries, and the delay editor's typing rule. Every change keeps MacroListCount within
// 0..kMacroStepCount and reports how many entries fell off the end, so the window can warn first.

#include <cstdint>
#include <string>
#include <vector>

#include "input/uiHook.h"
#include "model/ProfileRecords.h"

namespace q9 {

/// Shortest and longest delay an entry of the editor holds.
inline constexpr int kShortestMacroDelayMs = 10;
inline constexpr int kLongestMacroDelayMs = 65535;
/// The most macros the editor lets a list hold.
inline constexpr int kEditorMacroLimit = 20;
/// The highest loop count the editor offers.
inline constexpr int kEditorLoopLimit = 10;

/// How a recording goes into the selected macro.
enum class RecordMode : int { kReplace = 0, kBefore = 1, kAfter = 2 };

/// The Mouse Event menu's actions (item ID mod 100).
enum class MouseAction : int { kDown = 1, kUp = 2, kClick = 3 };

/// The entries in use, 0..kMacroStepCount however the record's count was stored.
int EntryCount(const TMACROKEYINFO& macro);

TMACROENTRY KeyEntry(int vk, bool extended, bool pressed);
TMACROENTRY MouseEntry(int buttonValue, bool pressed);
/// A delay entry; the value is clamped to kShortestMacroDelayMs..kLongestMacroDelayMs.
TMACROENTRY DelayEntry(int ms);

/// What a recording gives: the recorded macro, and how many of its entries did not fit.
struct ConvertedRecording {
  TMACROKEYINFO macro{};
  int dropped = 0;
};

/// The recording as a macro: `base` with its entries replaced by the recorded keys (a key item equal
/// in code, extended flag and state to the previous kept key is an auto-repeat and is dropped) and,
/// with `autoDelay`, the recorded delays (at least kShortestMacroDelayMs). nAutoAddDelay follows
/// `autoDelay`; nLoopCount is loopBox - 1 for a box of 1 or more with `loop` on, the box itself
/// below 1, and 0 with `loop` off. Entries past kMacroStepCount are counted as dropped.
ConvertedRecording ConvertRecording(const TMACROKEYINFO& base, const MacroKeyList& items, bool autoDelay, bool loop,
                                    int loopBox);

/// What a merge gives: the macro to store, and how many entries fell off its end.
struct MergedMacro {
  TMACROKEYINFO macro{};
  int dropped = 0;
};

/// Puts a converted recording into `old`: kReplace takes the recording whole; kBefore / kAfter
/// insert its entries before / after entry `anchor` and keep every other field of `old`. Nothing
/// changes when the anchor is negative or the recording holds no entries.
MergedMacro MergeRecording(const TMACROKEYINFO& old, const TMACROKEYINFO& recorded, RecordMode mode, int anchor);

/// Inserts `entries` at `position` (clamped to 0..count), moving later entries down; entries pushed
/// past the last slot are lost. Returns how many entries were lost (inserted or old).
int InsertEntries(TMACROKEYINFO& macro, int position, const std::vector<TMACROENTRY>& entries);
/// How many entries inserting `added` entries would lose.
int EntriesLostByInserting(const TMACROKEYINFO& macro, int added);

/// Whether Insert Delay acts on row `row`: row 0 always, a later row unless it or the row after it
/// is a delay; never without a row.
bool CanInsertDelayAfter(const TMACROKEYINFO& macro, int row);
/// The entries the Mouse Event menu inserts for menu item `itemId` (101..303); empty for any other.
std::vector<TMACROENTRY> MouseEventEntries(int itemId);
/// The row the Mouse Event menu selects after inserting after `row`.
int RowAfterMouseEvent(int row, int itemId);

/// Removes entry `row`; false when there is none.
bool DeleteEntry(TMACROKEYINFO& macro, int row);
/// Gives delay entry `row` the delay in `text` (decimal; above kLongestMacroDelayMs it is that, below
/// kShortestMacroDelayMs that). False, changing nothing, when the row is no delay or the text no number.
bool SetDelayFromText(TMACROKEYINFO& macro, int row, const std::string& text);

/// The delay editor's text after typing `digit`: appended while the text holds fewer than 5
/// characters; otherwise it replaces the selection when part of the text is selected, and the
/// whole text when all or none of it is. `selectionStart` and `selectionLength` are in characters.
std::string DelayTextAfterDigit(const std::string& text, int selectionStart, int selectionLength, char digit);

}  // namespace q9
