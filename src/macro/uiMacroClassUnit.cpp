#include "macro/uiMacroClassUnit.h"

#include <algorithm>

#include "model/WideText.h"

namespace q9 {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// The part of a name that szMacroName can hold: a zero would end the stored name anyway, and a
// pair cut in half would leave a lone surrogate in the record.
std::u16string_view StorableName(std::u16string_view name) {
  name = name.substr(0, name.find(u'\0'));
  if (name.size() <= kMacroNameMaxUnits) return name;
  name = name.substr(0, kMacroNameMaxUnits);
  if (IsHighSurrogate(name.back())) name.remove_suffix(1);
  return name;
}

}  // namespace

int MacroDelayMs(const TMACROENTRY& entry) { return entry.nValueLo + 256 * entry.nValueHi; }

std::u16string MacroName(const TMACROKEYINFO& macro) { return WideFieldText(macro.szMacroName, kMacroNameLength); }

TuiMacroClass TuiMacroClass::CtlCreate(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
  TuiMacroClass result;
  const int count = std::min<int>(AMacroKeyInfoList.nMacroInfoCount, kMacrosPerList);
  result.FMacroKeyInfoList.assign(AMacroKeyInfoList.MacroInfos, AMacroKeyInfoList.MacroInfos + count);
  if (count > 0) result.macroListIndex_ = 0;
  return result;
}

void TuiMacroClass::GetMacroKeyInfoList(TMACROKEYINFOLIST& AMacroKeyInfoList) const {
  const int count = std::min(GetMacroListCount(), kMacrosPerList);
  std::copy_n(FMacroKeyInfoList.begin(), count, AMacroKeyInfoList.MacroInfos);
  AMacroKeyInfoList.nMacroInfoCount = static_cast<Word>(count);
}

int TuiMacroClass::IndexOfMacroName(std::u16string_view AMacroName) const {
  const auto found = std::find_if(FMacroKeyInfoList.begin(), FMacroKeyInfoList.end(),
                                  [&](const TMACROKEYINFO& macro) { return MacroName(macro) == AMacroName; });
  return found == FMacroKeyInfoList.end() ? -1 : static_cast<int>(found - FMacroKeyInfoList.begin());
}

void TuiMacroClass::CreateNewMacro(std::u16string_view AMacroName) {
  const int position = GetMacroListCount();
  TMACROKEYINFO macro{};
  macro.MacroListCount = 0;
  macro.nMacroIndex = static_cast<Word>(position);
  SetWideField(macro.szMacroName, kMacroNameLength, StorableName(AMacroName));
  FMacroKeyInfoList.push_back(macro);
  macroListIndex_ = position;
}

void TuiMacroClass::DeleteMacro(std::u16string_view AMacroName) {
  const int position = IndexOfMacroName(AMacroName);
  if (position >= 0) FMacroKeyInfoList.erase(FMacroKeyInfoList.begin() + position);
  Renumber();
  // The current position is used as an index into the list: it must not point past its end.
  macroListIndex_ = std::min(macroListIndex_, GetMacroListCount() - 1);
}

void TuiMacroClass::Renumber() {
  for (std::size_t i = 0; i < FMacroKeyInfoList.size(); ++i) FMacroKeyInfoList[i].nMacroIndex = static_cast<Word>(i);
}

}  // namespace q9
