#pragma once
// Giving a button a function, as the assignment menu does: each choice sets the function's fields
// of the button record (and only those: the other sub-records keep what they held) and the device
// code from the function table.

#include <array>

#include "model/ProfileRecords.h"

namespace q9 {

/// The prepared shortcuts behind the "Basic" (Ctrl+X, ...) and "Advanced" (Alt+Tab, ...) items.
const std::array<TCOMBOKEYINFO, 8>& BasicKeyList();
const std::array<TCOMBOKEYINFO, 6>& AdvancedKeyList();
/// The media codes behind the "Media" items (the eighth row has no item).
const std::array<THID_CODE_INFO, 8>& MediaKeyList();

/// Menu item IDs of the assignment menu.
inline constexpr int kMenuSingleKey = 6;
inline constexpr int kMenuComboKey = 7;
inline constexpr int kMenuMacroKeys = 11;
inline constexpr int kMenuFireKey = 12;
inline constexpr int kMenuDisable = 17;
inline constexpr int kMenuMacroManager = 1101;
inline constexpr int kMenuFirstMacro = 1102;
inline constexpr int kMaxMacrosPerGroup = 5;
/// The function index every macro item assigns.
inline constexpr int kMacroFunctionIndex = 28;

/// Assigns a function that needs no dialog: mouse buttons (1..5), "Basic" (801..808), "Advanced"
/// (901..906), "Media" (1001..1007), DPI and mode functions (13..16) and "Disable" (17). False, and
/// the record unchanged, for any other ID.
bool AssignMenuFunction(TBUTTONFUNCINFO& record, int menuID);
void AssignSingleKey(TBUTTONFUNCINFO& record, const TSINGLEKEYINFO& key);
void AssignComboKey(TBUTTONFUNCINFO& record, const TCOMBOKEYINFO& combo);
void AssignFireKey(TBUTTONFUNCINFO& record, const TFIREKEYINFO& fire);

/// Gives slot `slot` of a group macro `macroIndex` of the group's library. Refused (false, group
/// unchanged) when the index is not a macro of the library, or when the group's slots 0..9 would
/// then use more than five different macros.
bool AssignMacro(TMouseButtonConfigInfoEasyShiftEx& group, int slot, const TMACROKEYINFOLIST& library, int macroIndex);

/// A macro slot whose macro is gone: "Disable" with no menu item of its own (nMenuID 0), so the
/// slot shows the table's item for the function.
void AssignNoMacro(TBUTTONFUNCINFO& record);
/// After the macro list changed: every slot 0..slotCount-1 playing a macro takes the macro of the
/// same name again (its copy, position and menu item); a slot whose macro is gone becomes
/// AssignNoMacro. Names compare exactly.
void RelinkMacroSlots(TMouseButtonConfigInfoEasyShiftEx& group, int slotCount, const TMACROKEYINFOLIST& library);

/// Sets the device code from the function table for the record's function index.
void StoreDeviceCode(TBUTTONFUNCINFO& record);

}  // namespace q9
