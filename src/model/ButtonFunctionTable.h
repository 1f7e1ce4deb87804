#pragma once
// The 35 functions a button can be given: function index, the mouse's function code, the ID of the
// assignment-menu item that chooses it, and that item's caption.

#include <array>
#include <string_view>

namespace q9 {

struct ButtonFunction {
  int functionIndex;
  int deviceCode;
  int menuID;
  std::string_view caption;
};

inline constexpr int kButtonFunctionCount = 35;

extern const std::array<ButtonFunction, kButtonFunctionCount> ButtonFunctionTable;

/// The function index of the first row with this menu ID; the ID itself when no row has it.
int FunctionIndexOfMenuID(int menuID);
/// The menu ID of a function index 0..34; -1 otherwise.
int MenuIDOfFunctionIndex(int functionIndex);
/// The device code of a function index 0..34; -1 otherwise.
int DeviceCodeOfFunctionIndex(int functionIndex);
/// The caption of a function index 0..34; "" otherwise.
std::string_view CaptionOfFunctionIndex(int functionIndex);
/// The function index of a caption (exact match); -1 when no row has it.
int FunctionIndexOfCaption(std::string_view caption);

}  // namespace q9
