#pragma once
// TuiMacroClass: a button group's macro list held as copies, so that buttons can find their macro
// by name again after the macro editor has deleted or reordered macros. Positions are not stable
// across deletions; names are.
//
// Names compare exactly (case-sensitive, whole string). A stored name is read up to its
// terminating zero or kMacroNameLength units.

#include <string>
#include <string_view>
#include <vector>

#include "model/ProfileRecords.h"

namespace q9 {

/// Units of a macro name that szMacroName keeps beside its terminating zero.
inline constexpr int kMacroNameMaxUnits = kMacroNameLength - 1;

/// Milliseconds of a delay entry: nValueLo + 256 * nValueHi.
int MacroDelayMs(const TMACROENTRY& entry);

/// The name stored in a macro record.
std::u16string MacroName(const TMACROKEYINFO& macro);

class TuiMacroClass {
 public:
  /// An empty list with no current position.
  TuiMacroClass() = default;
  /// Copies MacroInfos[0 .. nMacroInfoCount-1] in order, at most kMacrosPerList of them; the
  /// current position is 0 when a macro was taken.
  static TuiMacroClass CtlCreate(const TMACROKEYINFOLIST& AMacroKeyInfoList);

  /// Number of macros held.
  int GetMacroListCount() const { return static_cast<int>(FMacroKeyInfoList.size()); }
  /// Copies the macros to slots 0.. and sets nMacroInfoCount to the number written; slots past
  /// them are left as they were. At most kMacrosPerList macros fit: any further are not written.
  void GetMacroKeyInfoList(TMACROKEYINFOLIST& AMacroKeyInfoList) const;

  /// True when a macro of exactly that name is held.
  bool MacroExists(std::u16string_view AMacroName) const { return IndexOfMacroName(AMacroName) >= 0; }
  /// Position of the first macro of exactly that name; -1 when none.
  int IndexOfMacroName(std::u16string_view AMacroName) const;

  /// Appends an all-zero macro numbered with its position and makes it current. The name is taken
  /// up to its first zero unit and cut to kMacroNameMaxUnits units (never inside a surrogate
  /// pair); lookups then find the stored, cut name. Duplicate names and counts are not checked.
  void CreateNewMacro(std::u16string_view AMacroName);
  /// Removes the first macro of that name (nothing when none) and renumbers the rest by position.
  /// A current position left past the end moves to the last macro (-1 when none is left).
  void DeleteMacro(std::u16string_view AMacroName);

  /// The current position; -1 when none.
  int FMacroListIndex() const { return macroListIndex_; }
  /// The macros in list order.
  const std::vector<TMACROKEYINFO>& Macros() const { return FMacroKeyInfoList; }

 private:
  void Renumber();

  std::vector<TMACROKEYINFO> FMacroKeyInfoList;
  int macroListIndex_ = -1;
};

}  // namespace q9
