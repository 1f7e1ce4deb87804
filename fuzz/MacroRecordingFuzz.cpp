// libFuzzer harness for the macro editor's record changes: key events recorded by the macro
// recorder (through the fake library), converted and merged into a macro before, after or in place
// of its entries, then delays and mouse events inserted and entries deleted. Whatever arrives, the
// macro keeps at most 60 entries, every delay lies within 10..65535 ms, and the entries lost are
// exactly those the count could not take.
//
// Input: mode, anchor, the old macro's length, options, then 4-byte key events: code, flags
// (bit 0 extended, bit 7 released), time step (two bytes, little-endian).

#include <cstdint>
#include <cstdlib>

#include "macro/MacroEditing.h"
#include "platform/fake/FakeHookLibrary.h"

namespace {

void Check(const q9::TMACROKEYINFO& macro) {
  if (macro.MacroListCount < 0 || macro.MacroListCount > q9::kMacroStepCount) std::abort();
  for (int i = 0; i < macro.MacroListCount; ++i) {
    const q9::TMACROENTRY& entry = macro.MacroList[i];
    if (entry.nEntryType != q9::kMacroEntryDelay) continue;
    const int ms = entry.nValueLo + 256 * entry.nValueHi;
    if (ms < q9::kShortestMacroDelayMs || ms > q9::kLongestMacroDelayMs) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  q9::FakeHookLibrary library;
  q9::TuiHook hook(library, library, {});
  q9::MacroKeyList recorded;
  hook.OnRecordKeyboardMacroKey = [](auto...) {};
  hook.OnStopRecordKeyboardMacroKey = [&](const q9::MacroKeyList& items) { recorded = items; };
  hook.RecordKeyboardMacroKey();
  for (std::size_t at = 4; at + 4 <= size; at += 4) {
    const std::uint8_t* event = data + at;
    library.Advance(static_cast<std::uint32_t>(event[2] | (event[3] << 8)));
    library.Key(event[0], (event[1] & 0x80) == 0, (event[1] & 1) != 0);
  }
  hook.StopRecordKeyboardMacroKey();

  q9::TMACROKEYINFO old{};
  old.MacroListCount = data[2] % (q9::kMacroStepCount + 1);
  for (int i = 0; i < old.MacroListCount; ++i) old.MacroList[i] = q9::KeyEntry(65 + i % 26, false, i % 2 == 0);
  const bool autoDelay = (data[3] & 1) != 0;
  const q9::ConvertedRecording converted = q9::ConvertRecording(old, recorded, autoDelay, (data[3] & 2) != 0, data[3] >> 4);
  Check(converted.macro);
  const auto mode = static_cast<q9::RecordMode>(data[0] % 3);
  const int anchor = static_cast<int>(data[1]) - 128;
  q9::MergedMacro merged = q9::MergeRecording(old, converted.macro, mode, anchor);
  Check(merged.macro);
  if (mode != q9::RecordMode::kReplace && anchor >= 0 && converted.macro.MacroListCount > 0 &&
      merged.macro.MacroListCount + merged.dropped != old.MacroListCount + converted.macro.MacroListCount)
    std::abort();

  q9::TMACROKEYINFO& macro = merged.macro;
  const int row = anchor % (q9::kMacroStepCount + 2);
  const int lost = q9::EntriesLostByInserting(macro, 3);
  if (q9::InsertEntries(macro, row + 1, q9::MouseEventEntries(100 * (1 + data[3] % 3) + 3)) != lost) std::abort();
  Check(macro);
  if (q9::CanInsertDelayAfter(macro, row)) q9::InsertEntries(macro, row + 1, {q9::DelayEntry(anchor * 300)});
  q9::SetDelayFromText(macro, row, std::to_string(static_cast<unsigned>(data[1]) * 1000u));
  q9::DeleteEntry(macro, row);
  Check(macro);
  return 0;
}
