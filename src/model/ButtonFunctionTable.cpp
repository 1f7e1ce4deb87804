#include "model/ButtonFunctionTable.h"

namespace q9 {

const std::array<ButtonFunction, kButtonFunctionCount> ButtonFunctionTable{{
    {0, 1, 1, "Click"},
    {1, 2, 2, "Right Click"},
    {2, 3, 3, "Middle Button"},
    {3, 4, 4, "Backward"},
    {4, 5, 5, "Forward"},
    {5, 16, 6, "Single Key..."},
    {6, 15, 7, "Combo Key..."},
    {7, 15, 801, "Cut"},
    {8, 15, 802, "Copy"},
    {9, 15, 803, "Paste"},
    {10, 15, 804, "Select All"},
    {11, 15, 805, "Find"},
    {12, 15, 806, "New"},
    {13, 15, 807, "Print"},
    {14, 15, 808, "Save"},
    {15, 15, 901, "Switch Window"},
    {16, 15, 902, "Close Window"},
    {17, 15, 903, "Open Explorer"},
    {18, 15, 904, "Run"},
    {19, 15, 905, "Show Desktop"},
    {20, 15, 906, "Lock PC"},
    {21, 14, 1001, "Play/Pause"},
    {22, 14, 1002, "Stop"},
    {23, 14, 1003, "Previous"},
    {24, 14, 1004, "Next"},
    {25, 14, 1005, "Volume Up"},
    {26, 14, 1006, "Volume Down"},
    {27, 14, 1007, "Mute"},
    {28, 17, 11, "Macro Keys..."},
    {29, 18, 12, "Fire Key(Multi-Click)"},
    {30, 8, 13, "DPI Switch"},
    {31, 10, 14, "DPI+"},
    {32, 9, 15, "DPI-"},
    {33, 19, 16, "Mode Switch"},
    {34, 14, 17, "Disable"},
}};

namespace {
bool IsFunctionIndex(int functionIndex) { return functionIndex >= 0 && functionIndex < kButtonFunctionCount; }
}  // namespace

int FunctionIndexOfMenuID(int menuID) {
  for (const ButtonFunction& row : ButtonFunctionTable)
    if (row.menuID == menuID) return row.functionIndex;
  return menuID;
}

int MenuIDOfFunctionIndex(int functionIndex) {
  return IsFunctionIndex(functionIndex) ? ButtonFunctionTable[functionIndex].menuID : -1;
}

int DeviceCodeOfFunctionIndex(int functionIndex) {
  return IsFunctionIndex(functionIndex) ? ButtonFunctionTable[functionIndex].deviceCode : -1;
}

std::string_view CaptionOfFunctionIndex(int functionIndex) {
  return IsFunctionIndex(functionIndex) ? ButtonFunctionTable[functionIndex].caption : std::string_view();
}

int FunctionIndexOfCaption(std::string_view caption) {
  for (const ButtonFunction& row : ButtonFunctionTable)
    if (row.caption == caption) return row.functionIndex;
  return -1;
}

}  // namespace q9
