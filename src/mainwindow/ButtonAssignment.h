#pragma once
// The rules of the button assignment page, without the window: the assignment menu's items, what
// choosing an item does to the slot's record in the working button group (through the dialogs the
// page supplies), the macro links of the slots after the macro manager, the caption and hint each
// slot shows. The page turns these into widgets; this unit uses no toolkit.

#include <cstdint>
#include <functional>
#include <string>

#include "app/DataModule.h"
#include "components/uiMenuEx.h"

namespace q9 {

/// What an assignment may ask the user. Each answers true for OK; a dialog that is missing counts as
/// cancelled.
struct AssignmentDialogs {
  std::function<bool(TSINGLEKEYINFO&)> singleKey;
  std::function<bool(TCOMBOKEYINFO&)> comboKey;
  std::function<bool(TFIREKEYINFO&)> fireKey;
  /// The macro manager over the working group and library; in: the slot's macro or -1, out: the
  /// macro chosen or -1.
  std::function<bool(int& currentMacro)> macroManager;
  /// Told when a macro was refused because the group would use more than five different macros.
  std::function<void()> macroLimitWarning;
};

enum class AssignOutcome {
  kAssigned,   ///< the slot has the new function
  kUnchanged,  ///< a dialog was not answered with OK, or the ID assigns nothing
  kRefused,    ///< the macro limit: the slot kept its function
};

struct AssignResult {
  AssignOutcome outcome = AssignOutcome::kUnchanged;
  /// The macro library or the slots' macro links changed: the macro sub-menu and every caption
  /// are to be shown again.
  bool macrosChanged = false;
};

using TranslateFunction = std::function<std::string(const std::string&)>;

/// Fills the assignment menu: its seventeen items, the "Basic", "Advanced" and "Media" sub-items,
/// "Macro Manager..." under "Macro Keys...", and the menu's look.
void BuildAssignmentMenu(TuiMenuEx& menu);
/// Rebuilds the sub-items of "Macro Keys...": "Macro Manager..." and then one "k.Macro<name>" per
/// macro of the library, with IDs 1101, 1102, ...
void RebuildMacroMenu(TuiMenuEx& menu, const TMACROKEYINFOLIST& macros, const TranslateFunction& translate);
/// The caption of the item an ID names by position: 1..99 a top-level item, 100..9999 sub-item
/// ID mod 100 of item ID div 100, 10000..999999 a third-level item; "" for any other ID and for a
/// position with no item.
std::string MenuCaptionOfID(const TuiMenuEx& menu, std::int64_t id);

/// The menu ID a slot shows: its nMenuID, or the table's for its function index when that is 0.
int ShownMenuID(const TBUTTONFUNCINFO& record);
/// What a slot's hint tells beyond its caption: the key of a single key, the combination of a
/// combo key (Ctrl+Shift+A), the clicks and delay of a fire key, the name of a macro; "" for every
/// other function. Key and macro names are never translated; `translate` gives the fire key's text.
std::string ButtonHint(const TBUTTONFUNCINFO& record, const TranslateFunction& translate);
/// The fire key hint before translation; %1 the clicks, %2 the delay in ms.
inline constexpr const char* kFireKeyHint = "%1 clicks, %2 ms apart";
/// The slots the page shows: the current settings' ButtonCount, at most ten.
int ShownSlotCount(const TMouseSettingInfoEasyShiftEx& settings);

/// The page's assignments on the data module's working copy of the current button group. Every
/// change is written back into the current profile in memory.
class ButtonAssignment {
 public:
  explicit ButtonAssignment(TDM& dm) : dm_(dm) {}

  /// Gives slot 0..15 the function of a menu item, asking through `dialogs` where the item needs it.
  AssignResult AssignFunction(int slot, int menuID, const AssignmentDialogs& dialogs);

  /// The macro handled last; 0 after start-up.
  int FCurrentMacro = 0;

 private:
  AssignResult AssignMacroItem(int slot, int macroIndex, const AssignmentDialogs& dialogs);
  AssignResult RunMacroManager(int slot, const AssignmentDialogs& dialogs);
  AssignResult Store(int slot, const TBUTTONFUNCINFO& record);
  TBUTTONFUNCINFO& Slot(int slot) { return dm_.FCurrentButtonConfigInfo.ButtonFuncInfo[slot]; }

  TDM& dm_;
};

}  // namespace q9
