#include "macro/MacroEditing.h"

#include <algorithm>
#include <charconv>

namespace q9 {

namespace {

bool IsDelay(const TMACROENTRY& entry) { return entry.nEntryType == kMacroEntryDelay; }

std::vector<TMACROENTRY> Entries(const TMACROKEYINFO& macro) {
  return {macro.MacroList, macro.MacroList + EntryCount(macro)};
}

// Writes `entries` back, the first kMacroStepCount of them; returns how many did not fit.
int StoreEntries(TMACROKEYINFO& macro, const std::vector<TMACROENTRY>& entries) {
  const int kept = std::min<int>(static_cast<int>(entries.size()), kMacroStepCount);
  std::copy_n(entries.begin(), kept, macro.MacroList);
  std::fill(macro.MacroList + kept, macro.MacroList + kMacroStepCount, TMACROENTRY{});
  macro.MacroListCount = kept;
  return static_cast<int>(entries.size()) - kept;
}

bool SameKey(const TMACROKEYHOOK& a, const TMACROKEYHOOK& b) {
  return a.nKeyValue == b.nKeyValue && a.nKeyValueExtended == b.nKeyValueExtended && a.nKeyState == b.nKeyState;
}

}  // namespace

int EntryCount(const TMACROKEYINFO& macro) { return std::clamp<int>(macro.MacroListCount, 0, kMacroStepCount); }

TMACROENTRY KeyEntry(int vk, bool extended, bool pressed) {
  return {kMacroEntryKey, static_cast<Word>(pressed ? 1 : 0), static_cast<Byte>(vk & 0xFF),
          static_cast<Byte>(extended ? 1 : 0)};
}

TMACROENTRY MouseEntry(int buttonValue, bool pressed) {
  return {kMacroEntryMouse, static_cast<Word>(pressed ? 1 : 0), static_cast<Byte>(buttonValue), 0};
}

TMACROENTRY DelayEntry(int ms) {
  const int delay = std::clamp(ms, kShortestMacroDelayMs, kLongestMacroDelayMs);
  return {kMacroEntryDelay, 0, static_cast<Byte>(delay & 0xFF), static_cast<Byte>(delay >> 8)};
}

ConvertedRecording ConvertRecording(const TMACROKEYINFO& base, const MacroKeyList& items, bool autoDelay, bool loop,
                                    int loopBox) {
  ConvertedRecording result;
  result.macro = base;
  result.macro.nLoopCount = static_cast<Word>(!loop ? 0 : loopBox >= 1 ? loopBox - 1 : std::max(loopBox, 0));
  std::vector<TMACROENTRY> entries;
  const TMACROKEYHOOK* previousKey = nullptr;
  for (const TMACROKEYHOOK& item : items) {
    if (item.nKeyType == kRecordedKey) {
      if (previousKey && SameKey(*previousKey, item)) continue;
      entries.push_back(KeyEntry(item.nKeyValue, item.nKeyValueExtended != 0, item.nKeyState != 0));
      previousKey = &item;
    } else if (autoDelay) {
      entries.push_back(DelayEntry(item.nKeyValue));
    }
  }
  result.dropped = StoreEntries(result.macro, entries);
  result.macro.nAutoAddDelay = autoDelay ? 1 : 0;
  return result;
}

MergedMacro MergeRecording(const TMACROKEYINFO& old, const TMACROKEYINFO& recorded, RecordMode mode, int anchor) {
  MergedMacro result;
  if (mode == RecordMode::kReplace) {
    result.macro = recorded;
    return result;
  }
  result.macro = old;
  const std::vector<TMACROENTRY> added = Entries(recorded);
  if (anchor < 0 || added.empty()) return result;
  const int position = mode == RecordMode::kBefore ? anchor : anchor + 1;
  result.dropped = InsertEntries(result.macro, position, added);
  return result;
}

int InsertEntries(TMACROKEYINFO& macro, int position, const std::vector<TMACROENTRY>& entries) {
  std::vector<TMACROENTRY> all = Entries(macro);
  const auto at = all.begin() + std::clamp<int>(position, 0, static_cast<int>(all.size()));
  all.insert(at, entries.begin(), entries.end());
  return StoreEntries(macro, all);
}

int EntriesLostByInserting(const TMACROKEYINFO& macro, int added) {
  return std::max(0, EntryCount(macro) + std::max(added, 0) - kMacroStepCount);
}

bool CanInsertDelayAfter(const TMACROKEYINFO& macro, int row) {
  if (row < 0 || row >= EntryCount(macro)) return false;
  if (row == 0) return true;
  const bool nextIsDelay = row + 1 < EntryCount(macro) && IsDelay(macro.MacroList[row + 1]);
  return !IsDelay(macro.MacroList[row]) && !nextIsDelay;
}

std::vector<TMACROENTRY> MouseEventEntries(int itemId) {
  static constexpr int kButtonValues[] = {0, 1, 2, 4};  // left, right, middle as their virtual keys
  const int button = itemId / 100;
  const int action = itemId % 100;
  if (button < 1 || button > 3) return {};
  const int value = kButtonValues[button];
  switch (static_cast<MouseAction>(action)) {
    case MouseAction::kDown: return {MouseEntry(value, true)};
    case MouseAction::kUp: return {MouseEntry(value, false)};
    case MouseAction::kClick: return {MouseEntry(value, true), DelayEntry(kShortestMacroDelayMs), MouseEntry(value, false)};
  }
  return {};
}

int RowAfterMouseEvent(int row, int itemId) {
  return row + static_cast<int>(MouseEventEntries(itemId).size());
}

bool DeleteEntry(TMACROKEYINFO& macro, int row) {
  std::vector<TMACROENTRY> all = Entries(macro);
  if (row < 0 || row >= static_cast<int>(all.size())) return false;
  all.erase(all.begin() + row);
  StoreEntries(macro, all);
  return true;
}

bool SetDelayFromText(TMACROKEYINFO& macro, int row, const std::string& text) {
  if (row < 0 || row >= EntryCount(macro) || !IsDelay(macro.MacroList[row]) || text.empty()) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  // More digits than an int holds are above the longest delay anyway.
  long long value = kLongestMacroDelayMs;
  if (text.size() <= 9) std::from_chars(text.data(), text.data() + text.size(), value);
  macro.MacroList[row] = DelayEntry(static_cast<int>(std::min<long long>(value, kLongestMacroDelayMs)));
  return true;
}

std::string DelayTextAfterDigit(const std::string& text, int selectionStart, int selectionLength, char digit) {
  const int length = static_cast<int>(text.size());
  if (length < 5) return text + digit;
  const int start = std::clamp(selectionStart, 0, length);
  const int selected = std::clamp(selectionLength, 0, length - start);
  if (selected == 0 || selected == length) return std::string(1, digit);
  std::string result = text;
  result.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(selected), 1, digit);
  return result;
}

}  // namespace q9
