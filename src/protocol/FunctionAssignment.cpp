#include "protocol/FunctionAssignment.h"

#include <algorithm>
#include <set>

#include "input/uiKeyCode.h"
#include "macro/uiMacroClassUnit.h"
#include "model/ButtonFunctionTable.h"

namespace q9 {

namespace {

constexpr Word kAlt = 1, kCtrl = 2, kWin = 8;

TCOMBOKEYINFO Shortcut(Word modifier, Word key) { return TCOMBOKEYINFO{key, 0, 0, 0, modifier}; }

void SetFunction(TBUTTONFUNCINFO& record, int menuID, int functionIndex, Byte functionType) {
  record.nMenuID = menuID;
  record.nFunctionIndex = static_cast<Word>(functionIndex);
  record.nFunctionType = functionType;
  StoreDeviceCode(record);
}

bool InRange(int value, int first, int last) { return value >= first && value <= last; }

}  // namespace

const std::array<TCOMBOKEYINFO, 8>& BasicKeyList() {
  static const std::array<TCOMBOKEYINFO, 8> list = {Shortcut(kCtrl, 'X'), Shortcut(kCtrl, 'C'), Shortcut(kCtrl, 'V'),
                                                    Shortcut(kCtrl, 'A'), Shortcut(kCtrl, 'F'), Shortcut(kCtrl, 'N'),
                                                    Shortcut(kCtrl, 'P'), Shortcut(kCtrl, 'S')};
  return list;
}

const std::array<TCOMBOKEYINFO, 6>& AdvancedKeyList() {
  static const std::array<TCOMBOKEYINFO, 6> list = {Shortcut(kAlt, 9),   Shortcut(kAlt, 115), Shortcut(kWin, 'E'),
                                                    Shortcut(kWin, 'R'), Shortcut(kWin, 'D'), Shortcut(kWin, 'L')};
  return list;
}

const std::array<THID_CODE_INFO, 8>& MediaKeyList() {
  static const std::array<THID_CODE_INFO, 8> list = [] {
    const int keys[8] = {179, 178, 177, 176, 175, 174, 173, 181};
    std::array<THID_CODE_INFO, 8> rows{};
    auto stored = [](std::int32_t code) { return static_cast<Word>(code == 65535 ? 0 : code); };
    for (int i = 0; i < 8; ++i) rows[i] = THID_CODE_INFO{stored(VKToHIDCode(keys[i], 1)), stored(VKToHIDCode(0, 0)), 0};
    return rows;
  }();
  return list;
}

void StoreDeviceCode(TBUTTONFUNCINFO& record) {
  record.nDeviceCode = DeviceCodeOfFunctionIndex(record.nFunctionIndex);
}

bool AssignMenuFunction(TBUTTONFUNCINFO& record, int menuID) {
  if (InRange(menuID, 1, 5)) {
    SetFunction(record, menuID, FunctionIndexOfMenuID(menuID), kFunctionMouseButton);
  } else if (InRange(menuID, 801, 808)) {
    record.ComboKeyInfo = BasicKeyList()[menuID - 801];
    SetFunction(record, menuID, 7 + menuID - 801, kFunctionCombo);
  } else if (InRange(menuID, 901, 906)) {
    record.ComboKeyInfo = AdvancedKeyList()[menuID - 901];
    SetFunction(record, menuID, 15 + menuID - 901, kFunctionCombo);
  } else if (InRange(menuID, 1001, 1007)) {
    const THID_CODE_INFO& media = MediaKeyList()[menuID - 1001];
    record.MediaKeyInfo = THID_CODE_INFO{media.nKeyValue1, media.nKeyValue2, 0};
    SetFunction(record, menuID, 21 + menuID - 1001, kFunctionMedia);
  } else if (InRange(menuID, 13, 16)) {
    SetFunction(record, menuID, 30 + menuID - 13, kFunctionSensitivityOrMode);
  } else if (menuID == kMenuDisable) {
    record.MediaKeyInfo = THID_CODE_INFO{0, 0, 0};
    SetFunction(record, kMenuDisable, 34, kFunctionMedia);
  } else {
    return false;
  }
  return true;
}

void AssignSingleKey(TBUTTONFUNCINFO& record, const TSINGLEKEYINFO& key) {
  record.SingleKeyInfo = key;
  SetFunction(record, kMenuSingleKey, 5, kFunctionSingleKey);
}

void AssignComboKey(TBUTTONFUNCINFO& record, const TCOMBOKEYINFO& combo) {
  record.ComboKeyInfo = combo;
  SetFunction(record, kMenuComboKey, 6, kFunctionCombo);
}

void AssignFireKey(TBUTTONFUNCINFO& record, const TFIREKEYINFO& fire) {
  record.FireKeyInfo = fire;
  SetFunction(record, kMenuFireKey, 29, kFunctionFireKey);
}

bool AssignMacro(TMouseButtonConfigInfoEasyShiftEx& group, int slot, const TMACROKEYINFOLIST& library, int macroIndex) {
  if (slot < 0 || slot >= kButtonsPerGroup || macroIndex < 0 || macroIndex >= library.nMacroInfoCount ||
      macroIndex >= kMacrosPerList)
    return false;
  const TBUTTONFUNCINFO kept = group.ButtonFuncInfo[slot];
  TBUTTONFUNCINFO& record = group.ButtonFuncInfo[slot];
  record.MacroKeyInfo = library.MacroInfos[macroIndex];
  record.MacroKeyInfo.nMacroIndex = static_cast<Word>(macroIndex);
  SetFunction(record, kMenuFirstMacro + macroIndex, kMacroFunctionIndex, kFunctionMacro);
  std::set<int> macros;
  for (int s = 0; s < 10; ++s)
    if (group.ButtonFuncInfo[s].nFunctionType == kFunctionMacro) macros.insert(group.ButtonFuncInfo[s].MacroKeyInfo.nMacroIndex);
  if (static_cast<int>(macros.size()) > kMaxMacrosPerGroup) {
    record = kept;
    return false;
  }
  return true;
}

void AssignNoMacro(TBUTTONFUNCINFO& record) {
  record.MediaKeyInfo = THID_CODE_INFO{0, 0, 0};
  SetFunction(record, 0, 34, kFunctionMedia);
}

void RelinkMacroSlots(TMouseButtonConfigInfoEasyShiftEx& group, int slotCount, const TMACROKEYINFOLIST& library) {
  const TuiMacroClass macros = TuiMacroClass::CtlCreate(library);
  for (int slot = 0; slot < std::min(slotCount, kButtonsPerGroup); ++slot) {
    TBUTTONFUNCINFO& record = group.ButtonFuncInfo[slot];
    if (record.nFunctionIndex != kMacroFunctionIndex) continue;
    const int index = macros.IndexOfMacroName(MacroName(record.MacroKeyInfo));
    if (index < 0) {
      AssignNoMacro(record);
      continue;
    }
    record.MacroKeyInfo = library.MacroInfos[index];
    record.MacroKeyInfo.nMacroIndex = static_cast<Word>(index);
    record.nMenuID = kMenuFirstMacro + index;
  }
}

}  // namespace q9
