#include "mainwindow/ButtonAssignment.h"

#include <algorithm>
#include <array>

#include "input/uiKeyCode.h"
#include "macro/uiMacroClassUnit.h"
#include "model/ButtonFunctionTable.h"
#include "model/WideText.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

namespace {

constexpr std::array<const char*, 17> kTopLevelCaptions{
    "Click",         "Right Click", "Middle Button",         "Backward",   "Forward", "Single Key...",
    "Combo Key...",  "Basic",       "Advanced",              "Media",      "Macro Keys...",
    "Fire Key(Multi-Click)",        "DPI Switch",            "DPI+",       "DPI-",    "Mode Switch",
    "Disable"};
constexpr int kFirstMacroItem = kMenuFirstMacro;
constexpr int kLastMacroItem = kMenuMacroManager + 98;

bool InRange(std::int64_t value, std::int64_t first, std::int64_t last) { return value >= first && value <= last; }

// Item `position` (1-based) of a list; nullptr when there is none.
const TuiMenuItemEx* ItemAt(const TuiMenuItemsEx& list, std::int64_t position) {
  return position >= 1 && position <= list.Count() ? &list[static_cast<int>(position) - 1] : nullptr;
}

std::string Replaced(std::string text, const std::string& mark, const std::string& value) {
  const std::size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), value);
  return text;
}

}  // namespace

void BuildAssignmentMenu(TuiMenuEx& menu) {
  menu.Items.Clear();
  for (const char* caption : kTopLevelCaptions) menu.Items.Add(caption);
  // The sub-items follow the function table: item k holds the rows whose menu IDs are k x 100 + j.
  for (const ButtonFunction& row : ButtonFunctionTable)
    if (row.menuID > 100)
      menu.Items[row.menuID / 100 - 1].SubItems.Add(std::string(row.caption));
  menu.Items[kMenuMacroKeys - 1].SubItems.Add("Macro Manager...");

  menu.UseCustomMenuParams = true;
  TMenuParams& look = menu.Parameters;
  look.FontFamily = "黑体";
  look.FontSize = 13;
  look.FontBold = false;
  look.ItemHeight = 25;
  look.ItemWidth = 150;
  look.MenuShowSelectedCheckMark = true;
  look.Colours = MenuColours{0xFA1F1F1F, 0xB4FFFFFF, 0xFA858585, 0xFFAA2200, 0xFFDEDEDE};
}

void RebuildMacroMenu(TuiMenuEx& menu, const TMACROKEYINFOLIST& macros, const TranslateFunction& translate) {
  if (menu.Items.Count() < kMenuMacroKeys) return;
  TuiMenuItemsEx& items = menu.Items[kMenuMacroKeys - 1].SubItems;
  items.Clear();
  items.Add(translate("Macro Manager..."));
  const TuiMacroClass library = TuiMacroClass::CtlCreate(macros);
  int number = 0;
  for (const TMACROKEYINFO& macro : library.Macros())
    items.Add(std::to_string(++number) + "." + translate("Macro") + "<" + Utf8FromUtf16(MacroName(macro)) + ">");
}

std::string MenuCaptionOfID(const TuiMenuEx& menu, std::int64_t id) {
  const TuiMenuItemEx* item = nullptr;
  if (InRange(id, 1, 99)) {
    item = ItemAt(menu.Items, id);
  } else if (InRange(id, 100, 9999)) {
    if (const TuiMenuItemEx* parent = ItemAt(menu.Items, id / 100)) item = ItemAt(parent->SubItems, id % 100);
  } else if (InRange(id, 10000, 999999)) {
    if (const TuiMenuItemEx* top = ItemAt(menu.Items, id / 10000))
      if (const TuiMenuItemEx* middle = ItemAt(top->SubItems, (id % 10000) / 100)) item = ItemAt(middle->SubItems, id % 100);
  }
  return item ? item->Caption : std::string();
}

int ShownMenuID(const TBUTTONFUNCINFO& record) {
  return record.nMenuID != 0 ? record.nMenuID : MenuIDOfFunctionIndex(record.nFunctionIndex);
}

std::string ButtonHint(const TBUTTONFUNCINFO& record, const TranslateFunction& translate) {
  switch (record.nFunctionIndex) {
    case 5: return VKToKeyName(record.SingleKeyInfo.nKeyValue1, record.SingleKeyInfo.nKey1Extended);
    case 6: return ComboKeyText(record.ComboKeyInfo);
    case kMacroFunctionIndex: return Utf8FromUtf16(MacroName(record.MacroKeyInfo));
    case 29:
      return Replaced(Replaced(translate(kFireKeyHint), "%1", std::to_string(record.FireKeyInfo.nLoopCount)), "%2",
                      std::to_string(record.FireKeyInfo.DelyValue));
    default: return {};
  }
}

int ShownSlotCount(const TMouseSettingInfoEasyShiftEx& settings) { return std::clamp<int>(settings.ButtonCount, 0, 10); }

AssignResult ButtonAssignment::AssignFunction(int slot, int menuID, const AssignmentDialogs& dialogs) {
  if (slot < 0 || slot >= kButtonsPerGroup) return {};
  TBUTTONFUNCINFO record = Slot(slot);
  switch (menuID) {
    case kMenuSingleKey: {
      TSINGLEKEYINFO key = record.SingleKeyInfo;
      if (!dialogs.singleKey || !dialogs.singleKey(key)) return {};
      AssignSingleKey(record, key);
      return Store(slot, record);
    }
    case kMenuComboKey: {
      TCOMBOKEYINFO combo = record.ComboKeyInfo;
      if (!dialogs.comboKey || !dialogs.comboKey(combo)) return {};
      AssignComboKey(record, combo);
      return Store(slot, record);
    }
    case kMenuFireKey: {
      TFIREKEYINFO fire = record.FireKeyInfo;
      if (!dialogs.fireKey || !dialogs.fireKey(fire)) return {};
      AssignFireKey(record, fire);
      return Store(slot, record);
    }
    case kMenuMacroManager: return RunMacroManager(slot, dialogs);
    default: break;
  }
  if (InRange(menuID, kFirstMacroItem, kLastMacroItem)) return AssignMacroItem(slot, menuID % 100 - 2, dialogs);
  if (!AssignMenuFunction(record, menuID)) return {};
  return Store(slot, record);
}

AssignResult ButtonAssignment::Store(int slot, const TBUTTONFUNCINFO& record) {
  Slot(slot) = record;
  StoreDeviceCode(Slot(slot));
  dm_.SaveBackToCurrentProfileInfo();
  return {AssignOutcome::kAssigned, false};
}

AssignResult ButtonAssignment::AssignMacroItem(int slot, int macroIndex, const AssignmentDialogs& dialogs) {
  if (macroIndex < 0 || macroIndex >= dm_.FCurrentButtonMacroSetInfo.nMacroInfoCount) return {};
  if (!AssignMacro(dm_.FCurrentButtonConfigInfo, slot, dm_.FCurrentButtonMacroSetInfo, macroIndex)) {
    if (dialogs.macroLimitWarning) dialogs.macroLimitWarning();
    return {AssignOutcome::kRefused, false};
  }
  FCurrentMacro = macroIndex;
  dm_.SaveBackToCurrentProfileInfo();
  return {AssignOutcome::kAssigned, false};
}

// The editor may have renamed, deleted or reordered macros. Every slot takes its macro again by
// name before the chosen macro is given to this slot, so the limit counts the macros as they are
// now; and the links are mended also when the chosen macro is refused.
AssignResult ButtonAssignment::RunMacroManager(int slot, const AssignmentDialogs& dialogs) {
  const TuiMacroClass before = TuiMacroClass::CtlCreate(dm_.FCurrentButtonMacroSetInfo);
  FCurrentMacro = before.IndexOfMacroName(MacroName(Slot(slot).MacroKeyInfo));
  if (!dialogs.macroManager || !dialogs.macroManager(FCurrentMacro)) return {};

  TMouseButtonConfigInfoEasyShiftEx& group = dm_.FCurrentButtonConfigInfo;
  const TMACROKEYINFOLIST& library = dm_.FCurrentButtonMacroSetInfo;
  RelinkMacroSlots(group, std::max(ShownSlotCount(dm_.FCurrentMouseSettingInfo), slot + 1), library);
  AssignResult result{AssignOutcome::kAssigned, true};
  if (FCurrentMacro < 0 || FCurrentMacro >= library.nMacroInfoCount) {
    FCurrentMacro = -1;
    AssignNoMacro(Slot(slot));
  } else if (!AssignMacro(group, slot, library, FCurrentMacro)) {
    if (dialogs.macroLimitWarning) dialogs.macroLimitWarning();
    result.outcome = AssignOutcome::kRefused;
  }
  dm_.SaveBackToCurrentProfileInfo();
  return result;
}

}  // namespace q9
