#pragma once
// TuiHook: captures keyboard and mouse input through the hook library while a recording dialog is
// open, turns each event into a recorded item with its display text and hands it to the dialog
// through its On... callbacks. Each recorder decides per event whether the event is swallowed.
//
// All callbacks run on the GUI thread, inside the hook library's call. One instance is alive at a
// time (the recording dialogs are modal); the library is shared by the process, so destroying an
// instance releases it and the next instance loads it again.
//
// Every recorder hands its items over inside the library's call, on the GUI thread, so nothing is
// queued for later: there is no deferred queue and no delivery thread behind the component.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/HookLibrary.h"
#include "platform/KeyStateSource.h"

namespace q9 {

enum TMouseButtons : std::uint8_t {
  BUTTON_NONE = 0,
  LCLICK = 1,
  RCLICK = 2,
  MCLICK = 3,
  XCLICK4 = 4,
  XCLICK5 = 5,
  WHEELUP = 6,
  WHEELDOWN = 7,
  BUTTONX1 = 8,  // the last three are never produced by the hook
  BUTTONX2 = 9,
  BUTTONX3 = 10,
};

/// The text of a mouse action in recorded lists ("Mouse Click", "Wheel up(Mouse)", ...); "" for
/// BUTTON_NONE and the buttons the hook never produces.
std::string MouseButtonName(TMouseButtons button);

/// The combination the combo recorder is capturing.
struct TCOMBOKEY {
  std::uint16_t nKeyValue1;
  std::uint16_t nKeyValue1Extended;
  std::uint16_t nKeyValue2;
  std::uint16_t nKeyValue2Extended;
  std::uint16_t nModifier;  // ModifierFlag bits
};

/// Kinds of recorded items.
enum RecordedItemType : std::uint16_t { kRecordedDelay = 0, kRecordedKey = 1 };
/// Key states of recorded items and of the callbacks' AState.
inline constexpr std::int32_t kKeyReleased = 0;
inline constexpr std::int32_t kKeyPressed = 1;

/// One recorded keyboard item: a delay (nKeyValue = milliseconds) or a key press or release.
struct TMACROKEYHOOK {
  std::uint16_t nKeyType;  // RecordedItemType
  std::uint16_t nKeyState;  // kKeyPressed or kKeyReleased
  std::uint16_t nKeyValue;  // virtual-key code, or the delay in milliseconds
  std::uint16_t nKeyValueExtended;  // 0 or 1
};

/// One recorded mouse item: a timing (TimeValue = milliseconds since the previous mouse event) or a
/// button press or release.
struct TMOUSEMACROKEY {
  std::uint16_t nKeyType;  // RecordedItemType
  std::uint16_t nKeyState;
  TMouseButtons MouseButton;
  std::int16_t X;
  std::int16_t Y;
  std::uint16_t TimeValue;
};

/// A key to watch while StartHookKeyboard is on. KeyboardVKKey -1 ends the watch list.
struct TKeyBoardHookDetail {
  std::int32_t KeyboardVKKey;
  std::int32_t KeyboardSCANKey;
  std::int32_t KeyExtended;
  std::int32_t block;  // 1 swallows the key
};

enum MouseStateToHook : std::uint8_t { HOOK_DOWN = 1, HOOK_UP = 2 };

/// A mouse action to watch while StartHookMouse is on.
struct TMouseHookDetail {
  TMouseButtons MouseButton;
  std::uint16_t MouseStateSet;  // bit n stands for the mouse message 512 + n
  TMouseButtons ModifiedFunction;
  std::uint8_t MouseStateToHook;  // HOOK_DOWN | HOOK_UP
};

/// Items recorded from one recording; the position in the list is the item's number.
using MacroKeyList = std::vector<TMACROKEYHOOK>;
using MouseMacroKeyList = std::vector<TMOUSEMACROKEY>;

/// Gaps between two recorded keyboard events that become a delay item lie strictly between these.
inline constexpr std::uint32_t kShortestRecordedDelayMs = 10;
inline constexpr std::uint32_t kLongestRecordedDelayMs = 2000;
/// Two keys pressed within this many milliseconds form one two-key combination.
inline constexpr std::uint32_t kComboKeyWindowMs = 100;
/// The macro Ex recorder stops recording once its list holds more items than this.
inline constexpr std::size_t kMacroExItemLimit = 500;
/// Longest delay an item can hold.
inline constexpr std::uint32_t kLongestDelayItemMs = 65535;

/// Shows an error to the user: text and caption of an error message box.
using HookErrorReporter = std::function<void(const std::string& text, const std::string& caption)>;

class TuiHook {
 public:
  /// Loads the hook library. When it cannot be found `showError` is told
  /// "<file> can not be found!" with caption "Error"; a library without all its entry points is
  /// released without a message. Either way the instance works, but no events arrive.
  TuiHook(HookLibrary& library, const KeyStateSource& keyState, HookErrorReporter showError);
  /// Releases the hook library (the owning dialog has stopped its hooks before).
  ~TuiHook();
  TuiHook(const TuiHook&) = delete;
  TuiHook& operator=(const TuiHook&) = delete;

  bool DllLoaded() const { return FDLLLoaded; }

  // Recorders. Each Record... replaces whichever keyboard (or mouse) recorder ran before.
  void RecordKeyboardSingleKey();
  void StopRecordKeyboardSingleKey();
  void RecordKeyboardComboKey();
  void StopRecordKeyboardComboKey();
  void RecordKeyboardMacroKey();
  /// Fires OnStopRecordKeyboardMacroKey with the items recorded, then empties the list.
  void StopRecordKeyboardMacroKey();
  void RecordKeyboardMacroKeyEx();
  void StopRecordKeyboardMacroKeyEx();
  void RecordMouseMacro();
  /// Fires OnStopRecordMouseMacroKey with the items recorded; the list keeps them.
  void StopRecordMouseMacro();

  // Watching keys and mouse actions.
  void StartHookKeyboard();
  void StopHookKeyboard();
  void StartHookMouse();
  void StopHookMouse();
  void AddKeyboardHookObject(const TKeyBoardHookDetail& detail);
  void RemoveAllKeyboardHookObject();
  void AddMouseHookObject(const TMouseHookDetail& detail);
  void RemoveAllMouseHookObject();

  const MacroKeyList& RecordedMacroKeys() const { return FMacroKeyList; }
  const MouseMacroKeyList& RecordedMouseMacroKeys() const { return FMouseMacroKeyList; }
  const TCOMBOKEY& ComboKeyInfo() const { return FComboKeyInfo; }

  // Events. AState is kKeyPressed or kKeyReleased, extended values 0 or 1, Time the event's
  // millisecond tick count. ABlocked starts as the event's block byte; setting it swallows the event.
  std::function<void(std::int32_t Key, std::uint32_t ScanKey, std::int32_t AState, std::int32_t AKeyExtended,
                     const std::string& SingleKeyString, bool& ABlocked)>
      OnRecordKeyboardSingleKey;
  std::function<void(std::int32_t Key1, std::int32_t Key1Extended, std::int32_t Key2, std::int32_t Key2Extended,
                     std::int32_t Modifier, const std::string& ComboKeyString)>
      OnRecordKeyboardComboKey;
  std::function<void(std::int32_t MacroType, std::int32_t Key1, std::int32_t AState, std::int32_t Extended,
                     std::uint32_t Time, const std::string& MacroKeyString, const std::string& MacroKeyStateString,
                     const MacroKeyList& KeyList)>
      OnRecordKeyboardMacroKey;
  std::function<void(std::int32_t MacroType, std::int32_t Key1, std::int32_t AState, std::int32_t Extended,
                     std::uint32_t Time, std::uint32_t TotalTime, const std::string& MacroKeyString,
                     const std::string& MacroKeyStateString, const MacroKeyList& KeyList)>
      OnRecordKeyboardMacroKeyEx;
  std::function<void(std::int32_t MacroType, TMouseButtons AButton, std::int32_t AState, std::int16_t X,
                     std::int16_t Y, std::uint32_t Time, const std::string& MacroKeyString,
                     const std::string& MacroKeyStateString, const MouseMacroKeyList& MouseRecordList)>
      OnRecordMouseMacroKey;
  std::function<void(const MacroKeyList& KeyoboardRecordList)> OnStopRecordKeyboardMacroKey;
  std::function<void(const MouseMacroKeyList& MouseRecordList)> OnStopRecordMouseMacroKey;
  std::function<void(std::int32_t Key, std::int32_t AState, std::int32_t AKeyExtended, bool& ABlocked,
                     std::uint32_t AScanKey)>
      OnHookKeyboardKey;
  std::function<void(std::int32_t Key, std::int32_t AState, std::int32_t AKeyExtended, bool& ABlocked,
                     std::uint32_t AScanKey)>
      OnHookKeyboardAllKey;
  std::function<void(TMouseButtons AuiButton, std::int32_t AState, bool& ABlocked)> OnHookMouseButton;
  std::function<void(TMouseButtons AuiButton, std::int32_t AState, std::int16_t AExValue, bool& ABlocked)>
      OnHookMouseAllButton;
  std::function<void(std::int32_t X, std::int32_t Y, std::uint32_t Time)> OnHookMouseMove;

 private:
  using KeyboardProc = void (TuiHook::*)(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block);
  using MouseProc = void (TuiHook::*)(std::uint32_t message, const TMSLLHOOKSTRUCT& event, std::uint8_t& block);

  void StartKeyboard(KeyboardProc proc);
  void StopKeyboard();
  void StartMouse(MouseProc proc);
  void StopMouse();
  static void KeyboardCallback(void* context, std::int32_t code, std::uint32_t message, std::uint8_t* block,
                               const void* record);
  static void MouseCallback(void* context, std::int32_t code, std::uint32_t message, std::uint8_t* block,
                            const void* record);

  void SingleKeyHookProc(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block);
  void ComboKeyHookProc(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block);
  void MacroKeyHookProc(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block);
  void MacroKeyExHookProc(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block);
  void KeyboardHookProc(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block);
  void MouseHookProc(std::uint32_t message, const TMSLLHOOKSTRUCT& event, std::uint8_t& block);
  void MouseMacroHookProc(std::uint32_t message, const TMSLLHOOKSTRUCT& event, std::uint8_t& block);

  std::string ComboModifierText();
  void AppendMacroKeyItem(const TKBDLLHOOKSTRUCT& event);

  HookLibrary& library_;
  const KeyStateSource& keyState_;
  bool FDLLLoaded = false;
  KeyboardProc keyboardProc_ = nullptr;
  MouseProc mouseProc_ = nullptr;

  TCOMBOKEY FComboKeyInfo{};
  std::string FComboKeyString;
  MacroKeyList FMacroKeyList;
  MouseMacroKeyList FMouseMacroKeyList;
  std::vector<TKeyBoardHookDetail> FKeyboardHookObjectList;
  std::vector<TMouseHookDetail> FMouseHookObjectList;
  std::uint32_t FLastTimeKeyboardMacro = 0;
  std::uint32_t FLastTimeKeyboardCombo = 0;
  std::uint32_t FLastTimeMouseMacro = 0;
  std::uint32_t FTotalMacroTime = 0;
  std::optional<TKBDLLHOOKSTRUCT> FLastMacroKey;
  std::array<std::uint8_t, 256> FAllKeyState{};
};

}  // namespace q9
