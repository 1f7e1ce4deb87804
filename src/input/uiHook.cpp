#include "input/uiHook.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "input/uiKeyCode.h"

namespace q9 {
namespace {

constexpr std::int32_t kLeftWin = 91;
constexpr std::int32_t kRightWin = 92;
constexpr std::int32_t kLeftShift = 160;
constexpr std::int32_t kRightShift = 161;
constexpr std::int32_t kLeftCtrl = 162;
constexpr std::int32_t kRightCtrl = 163;
constexpr std::int32_t kLeftAlt = 164;
constexpr std::int32_t kRightAlt = 165;

bool IsModifierKey(std::uint32_t vk) {
  return vk == kLeftWin || vk == kRightWin || (vk >= kLeftShift && vk <= kRightAlt);
}

std::int32_t PressedOf(const TKBDLLHOOKSTRUCT& event) {
  return (event.flags & kKeyFlagReleased) != 0 ? kKeyReleased : kKeyPressed;
}

std::int32_t ExtendedOf(const TKBDLLHOOKSTRUCT& event) { return (event.flags & kKeyFlagExtended) != 0 ? 1 : 0; }

std::string StateText(std::int32_t pressed) { return pressed == kKeyPressed ? "Down" : "Up"; }

std::int16_t WheelDelta(const TMSLLHOOKSTRUCT& event) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(event.mouseData >> 16));
}

std::uint16_t XButtonNumber(const TMSLLHOOKSTRUCT& event) { return static_cast<std::uint16_t>(event.mouseData >> 16); }

TMouseButtons ButtonOf(std::uint32_t message, const TMSLLHOOKSTRUCT& event) {
  switch (message) {
    case kLeftButtonDown:
    case kLeftButtonUp:
      return LCLICK;
    case kRightButtonDown:
    case kRightButtonUp:
      return RCLICK;
    case kMiddleButtonDown:
    case kMiddleButtonUp:
      return MCLICK;
    case kXButtonDown:
    case kXButtonUp:
      if (XButtonNumber(event) == 1) return XCLICK4;
      if (XButtonNumber(event) == 2) return XCLICK5;
      return BUTTON_NONE;
    case kMouseWheel:
      if (WheelDelta(event) > 0) return WHEELUP;
      if (WheelDelta(event) < 0) return WHEELDOWN;
      return BUTTON_NONE;
    default:
      return BUTTON_NONE;
  }
}

std::int32_t PressedOf(std::uint32_t message) {
  const bool released =
      message == kLeftButtonUp || message == kRightButtonUp || message == kMiddleButtonUp || message == kXButtonUp;
  return released ? kKeyReleased : kKeyPressed;
}

bool IsInjected(const TMSLLHOOKSTRUCT& event) { return (event.flags & kMouseFlagInjected) != 0; }

/// The mouse position as a recorded item holds it; positions beyond the 16-bit range are clamped.
std::int16_t Coordinate(std::int32_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(value, INT16_MIN, INT16_MAX));
}

}  // namespace

std::string MouseButtonName(TMouseButtons button) {
  switch (button) {
    case LCLICK:
      return "Mouse Click";
    case RCLICK:
      return "Mouse Right Click";
    case MCLICK:
      return "Mouse Middle Click";
    case XCLICK4:
      return "Backward(Mouse) ";
    case XCLICK5:
      return "Forward(Mouse)";
    case WHEELUP:
      return "Wheel up(Mouse)";
    case WHEELDOWN:
      return "Wheel Down(Mouse)";
    default:
      return "";
  }
}

TuiHook::TuiHook(HookLibrary& library, const KeyStateSource& keyState, HookErrorReporter showError)
    : library_(library), keyState_(keyState) {
  const HookLibrary::LoadResult result = library_.Load();
  FDLLLoaded = result == HookLibrary::LoadResult::kLoaded;
  if (result == HookLibrary::LoadResult::kNotFound && showError) {
    showError(std::string(library_.FileName()) + " can not be found!", "Error");
  }
}

TuiHook::~TuiHook() {
  if (FDLLLoaded) {
    // The library would otherwise keep calling back into a destroyed instance.
    library_.DisableKeyboardHook();
    library_.DisableMouseHook();
  }
  library_.Unload();
}

void TuiHook::StartKeyboard(KeyboardProc proc) {
  if (!FDLLLoaded) return;
  library_.DisableKeyboardHook();
  keyboardProc_ = proc;
  library_.EnableKeyboardHook(&TuiHook::KeyboardCallback, this);
}

void TuiHook::StopKeyboard() {
  if (!FDLLLoaded) return;
  library_.DisableKeyboardHook();
  keyboardProc_ = nullptr;
}

void TuiHook::StartMouse(MouseProc proc) {
  if (!FDLLLoaded) return;
  library_.DisableMouseHook();
  mouseProc_ = proc;
  library_.EnableMouseHook(&TuiHook::MouseCallback, this);
}

void TuiHook::StopMouse() {
  if (!FDLLLoaded) return;
  library_.DisableMouseHook();
  mouseProc_ = nullptr;
}

void TuiHook::KeyboardCallback(void* context, std::int32_t code, std::uint32_t, std::uint8_t* block,
                               const void* record) {
  auto* hook = static_cast<TuiHook*>(context);
  if (hook == nullptr || block == nullptr || record == nullptr || hook->keyboardProc_ == nullptr) return;
  (hook->*(hook->keyboardProc_))(code, *static_cast<const TKBDLLHOOKSTRUCT*>(record), *block);
}

void TuiHook::MouseCallback(void* context, std::int32_t, std::uint32_t message, std::uint8_t* block,
                            const void* record) {
  auto* hook = static_cast<TuiHook*>(context);
  if (hook == nullptr || block == nullptr || record == nullptr || hook->mouseProc_ == nullptr) return;
  (hook->*(hook->mouseProc_))(message, *static_cast<const TMSLLHOOKSTRUCT*>(record), *block);
}

void TuiHook::RecordKeyboardSingleKey() { StartKeyboard(&TuiHook::SingleKeyHookProc); }

void TuiHook::StopRecordKeyboardSingleKey() { StopKeyboard(); }

void TuiHook::RecordKeyboardComboKey() {
  StartKeyboard(&TuiHook::ComboKeyHookProc);
  FLastTimeKeyboardCombo = 0;
}

void TuiHook::StopRecordKeyboardComboKey() {
  StopKeyboard();
  FLastTimeKeyboardCombo = 0;
}

void TuiHook::RecordKeyboardMacroKey() {
  FMacroKeyList.clear();
  FLastTimeKeyboardMacro = 0;
  StartKeyboard(&TuiHook::MacroKeyHookProc);
}

void TuiHook::StopRecordKeyboardMacroKey() {
  StopKeyboard();
  if (OnStopRecordKeyboardMacroKey) OnStopRecordKeyboardMacroKey(FMacroKeyList);
  FMacroKeyList.clear();
}

void TuiHook::RecordKeyboardMacroKeyEx() {
  FLastMacroKey.reset();
  FTotalMacroTime = 0;
  FAllKeyState.fill(0);
  FMacroKeyList.clear();
  StartKeyboard(&TuiHook::MacroKeyExHookProc);
}

void TuiHook::StopRecordKeyboardMacroKeyEx() { StopRecordKeyboardMacroKey(); }

void TuiHook::RecordMouseMacro() {
  FMouseMacroKeyList.clear();
  StartMouse(&TuiHook::MouseMacroHookProc);
  FLastTimeMouseMacro = 0;
}

void TuiHook::StopRecordMouseMacro() {
  StopMouse();
  if (OnStopRecordMouseMacroKey) OnStopRecordMouseMacroKey(FMouseMacroKeyList);
}

void TuiHook::StartHookKeyboard() { StartKeyboard(&TuiHook::KeyboardHookProc); }

void TuiHook::StopHookKeyboard() { StopKeyboard(); }

void TuiHook::StartHookMouse() { StartMouse(&TuiHook::MouseHookProc); }

void TuiHook::StopHookMouse() { StopMouse(); }

void TuiHook::AddKeyboardHookObject(const TKeyBoardHookDetail& detail) { FKeyboardHookObjectList.push_back(detail); }

void TuiHook::RemoveAllKeyboardHookObject() { FKeyboardHookObjectList.clear(); }

void TuiHook::AddMouseHookObject(const TMouseHookDetail& detail) { FMouseHookObjectList.push_back(detail); }

void TuiHook::RemoveAllMouseHookObject() { FMouseHookObjectList.clear(); }

void TuiHook::SingleKeyHookProc(std::int32_t, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block) {
  if (!OnRecordKeyboardSingleKey) return;
  const std::int32_t extended = ExtendedOf(event);
  bool blocked = block != 0;
  OnRecordKeyboardSingleKey(static_cast<std::int32_t>(event.vkCode), event.scanCode, PressedOf(event), extended,
                            VKToKeyName(static_cast<std::int32_t>(event.vkCode), extended), blocked);
  block = blocked ? 1 : 0;
}

std::string TuiHook::ComboModifierText() {
  std::string text;
  FComboKeyInfo.nModifier = 0;
  if (keyState_.IsKeyDown(kLeftCtrl) || keyState_.IsKeyDown(kRightCtrl)) {
    FComboKeyInfo.nModifier |= kModifierCtrl;
    text += "Ctrl+";
  }
  if (keyState_.IsKeyDown(kLeftAlt) || keyState_.IsKeyDown(kRightAlt)) {
    FComboKeyInfo.nModifier |= kModifierAlt;
    text += "Alt+";
  }
  if (keyState_.IsKeyDown(kLeftWin) || keyState_.IsKeyDown(kRightWin)) {
    FComboKeyInfo.nModifier |= kModifierWin;
    text += "Win+";
  }
  if (keyState_.IsKeyDown(kLeftShift) || keyState_.IsKeyDown(kRightShift)) {
    FComboKeyInfo.nModifier |= kModifierShift;
    text += "Shift+";
  }
  return text;
}

void TuiHook::ComboKeyHookProc(std::int32_t, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block) {
  if (!OnRecordKeyboardComboKey || PressedOf(event) == kKeyReleased || IsModifierKey(event.vkCode)) return;
  if (FComboKeyInfo.nKeyValue1 != 0 && FComboKeyInfo.nKeyValue2 != 0) {
    FComboKeyInfo.nKeyValue1 = FComboKeyInfo.nKeyValue1Extended = 0;
    FComboKeyInfo.nKeyValue2 = FComboKeyInfo.nKeyValue2Extended = 0;
  }
  FComboKeyString = ComboModifierText();

  const auto key = static_cast<std::uint16_t>(event.vkCode);
  const auto extended = static_cast<std::uint16_t>(ExtendedOf(event));
  const std::int64_t gap = std::llabs(static_cast<std::int64_t>(event.time) - FLastTimeKeyboardCombo);
  if (gap <= kComboKeyWindowMs && FComboKeyInfo.nKeyValue1 == 0) {
    FComboKeyInfo.nKeyValue1 = key;
    FComboKeyInfo.nKeyValue1Extended = extended;
  } else if (gap <= kComboKeyWindowMs && FComboKeyInfo.nKeyValue2 == 0) {
    if (FComboKeyInfo.nKeyValue1 == key) {
      FComboKeyInfo.nKeyValue1Extended = extended;  // a repeat of key 1
    } else {
      FComboKeyInfo.nKeyValue2 = key;
      FComboKeyInfo.nKeyValue2Extended = extended;
    }
  } else if (gap > kComboKeyWindowMs) {
    FComboKeyInfo.nKeyValue1 = key;
    FComboKeyInfo.nKeyValue1Extended = extended;
    FComboKeyInfo.nKeyValue2 = FComboKeyInfo.nKeyValue2Extended = 0;
  }
  FLastTimeKeyboardCombo = event.time;

  std::string keys = VKToKeyName(FComboKeyInfo.nKeyValue1, FComboKeyInfo.nKeyValue1Extended);
  if (FComboKeyInfo.nKeyValue2 != 0) keys += "+" + VKToKeyName(FComboKeyInfo.nKeyValue2, FComboKeyInfo.nKeyValue2Extended);
  if (FComboKeyInfo.nKeyValue1 != 0 && !keys.empty()) {
    FComboKeyString += keys;
    OnRecordKeyboardComboKey(FComboKeyInfo.nKeyValue1, FComboKeyInfo.nKeyValue1Extended, FComboKeyInfo.nKeyValue2,
                             FComboKeyInfo.nKeyValue2Extended, FComboKeyInfo.nModifier, FComboKeyString);
  }
  block = 1;
}

void TuiHook::AppendMacroKeyItem(const TKBDLLHOOKSTRUCT& event) {
  FMacroKeyList.push_back({kRecordedKey, static_cast<std::uint16_t>(PressedOf(event)),
                           static_cast<std::uint16_t>(event.vkCode), static_cast<std::uint16_t>(ExtendedOf(event))});
}

void TuiHook::MacroKeyHookProc(std::int32_t, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block) {
  if (!OnRecordKeyboardMacroKey) return;
  if (FLastTimeKeyboardMacro != 0) {
    const std::int64_t gap = static_cast<std::int64_t>(event.time) - FLastTimeKeyboardMacro;
    if (gap > kShortestRecordedDelayMs && gap < kLongestRecordedDelayMs) {
      const auto delay = static_cast<std::uint16_t>(gap);
      FMacroKeyList.push_back({kRecordedDelay, 0, delay, 0});
      OnRecordKeyboardMacroKey(0, delay, 0, 0, event.time, std::to_string(delay), "ms", FMacroKeyList);
    }
  }
  FLastTimeKeyboardMacro = event.time;

  const std::int32_t pressed = PressedOf(event);
  const std::int32_t extended = ExtendedOf(event);
  AppendMacroKeyItem(event);
  OnRecordKeyboardMacroKey(1, static_cast<std::int32_t>(event.vkCode), pressed, extended, event.time,
                           VKToKeyName(static_cast<std::int32_t>(event.vkCode), extended), StateText(pressed),
                           FMacroKeyList);
  block = 1;
}

void TuiHook::MacroKeyExHookProc(std::int32_t, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block) {
  if (!OnRecordKeyboardMacroKeyEx || FMacroKeyList.size() > kMacroExItemLimit) return;
  const std::int32_t pressed = PressedOf(event);
  const std::size_t vk = event.vkCode & 0xFF;
  bool delayDue = false;
  if (!FLastMacroKey) {
    FLastMacroKey = event;
    FTotalMacroTime = 0;
  } else {
    FTotalMacroTime = event.time - FLastMacroKey->time;
    const bool repeatsLast = event.vkCode == FLastMacroKey->vkCode &&
                             (event.flags & (kKeyFlagExtended | kKeyFlagReleased)) ==
                                 (FLastMacroKey->flags & (kKeyFlagExtended | kKeyFlagReleased));
    if (!(repeatsLast && pressed == kKeyPressed)) {
      FLastMacroKey = event;
      if (pressed == kKeyReleased) FAllKeyState[vk] = 0;
      delayDue = true;
    }
  }
  if (delayDue && FTotalMacroTime != 0) {
    const auto delay = static_cast<std::uint16_t>(std::min(FTotalMacroTime, kLongestDelayItemMs));
    FMacroKeyList.push_back({kRecordedDelay, 0, delay, 0});
  }
  if (FAllKeyState[vk] == 0) {
    if (pressed == kKeyPressed) FAllKeyState[vk] = 1;
    const std::int32_t extended = ExtendedOf(event);
    AppendMacroKeyItem(event);
    OnRecordKeyboardMacroKeyEx(1, static_cast<std::int32_t>(event.vkCode), pressed, extended, event.time,
                               FTotalMacroTime, VKToKeyName(static_cast<std::int32_t>(event.vkCode), extended),
                               StateText(pressed), FMacroKeyList);
  }
  block = 1;
}

void TuiHook::KeyboardHookProc(std::int32_t code, const TKBDLLHOOKSTRUCT& event, std::uint8_t& block) {
  if (code != 0) return;
  const auto vk = static_cast<std::int32_t>(event.vkCode);
  const std::int32_t pressed = PressedOf(event);
  const std::int32_t extended = ExtendedOf(event);
  if (OnHookKeyboardAllKey) {
    bool blocked = block != 0;
    OnHookKeyboardAllKey(vk, pressed, extended, blocked, event.scanCode);
    block = blocked ? 1 : 0;
  }
  if (!OnHookKeyboardKey) return;
  for (const TKeyBoardHookDetail& watched : FKeyboardHookObjectList) {
    if (watched.KeyboardVKKey == -1) break;
    const bool sameKey = (watched.KeyboardVKKey != 0 && watched.KeyboardVKKey == vk) ||
                         (watched.KeyboardSCANKey != 0 &&
                          static_cast<std::uint32_t>(watched.KeyboardSCANKey) == event.scanCode);
    if (!sameKey || watched.KeyExtended != extended) continue;
    if (watched.block == 1) block = 1;
    bool blocked = block != 0;
    OnHookKeyboardKey(vk, pressed, extended, blocked, event.scanCode);
    block = blocked ? 1 : 0;
    return;
  }
}

void TuiHook::MouseHookProc(std::uint32_t message, const TMSLLHOOKSTRUCT& event, std::uint8_t& block) {
  if (message == kMouseMove) {
    if (OnHookMouseMove && !IsInjected(event)) OnHookMouseMove(event.x, event.y, event.time);
    return;
  }
  if (IsInjected(event)) return;
  const TMouseButtons button = ButtonOf(message, event);
  const std::int32_t pressed = PressedOf(message);
  std::int16_t exValue = 0;
  if (message == kMouseWheel) exValue = WheelDelta(event);
  if (message == kXButtonDown || message == kXButtonUp) exValue = static_cast<std::int16_t>(XButtonNumber(event));
  if (OnHookMouseAllButton) {
    bool blocked = block != 0;
    OnHookMouseAllButton(button, pressed, exValue, blocked);
    block = blocked ? 1 : 0;
  }
  if (!OnHookMouseButton || message < kMouseMove || message > kMouseMove + 15) return;
  const auto messageBit = static_cast<std::uint16_t>(1u << (message - kMouseMove));
  for (const TMouseHookDetail& watched : FMouseHookObjectList) {
    if ((watched.MouseStateSet & messageBit) == 0 || watched.MouseButton < button) continue;
    if (watched.ModifiedFunction == button) return;
    bool blocked = block != 0;
    OnHookMouseButton(button, pressed, blocked);
    block = blocked ? 1 : 0;
    return;
  }
}

void TuiHook::MouseMacroHookProc(std::uint32_t message, const TMSLLHOOKSTRUCT& event, std::uint8_t&) {
  if (!OnRecordMouseMacroKey || IsInjected(event)) return;
  const std::int16_t x = Coordinate(event.x);
  const std::int16_t y = Coordinate(event.y);
  if (FLastTimeMouseMacro == 0) {
    FLastTimeMouseMacro = event.time;
  } else if (event.time < FLastTimeMouseMacro) {
    FLastTimeMouseMacro = event.time;
    return;
  } else {
    // An item holds at most 65535 ms; a longer pause is kept as the longest one, not wrapped round.
    const auto gap = static_cast<std::uint16_t>(std::min(event.time - FLastTimeMouseMacro, kLongestDelayItemMs));
    FLastTimeMouseMacro = event.time;
    FMouseMacroKeyList.push_back({kRecordedDelay, 0, BUTTON_NONE, x, y, gap});
    OnRecordMouseMacroKey(0, BUTTON_NONE, 0, x, y, event.time, std::to_string(gap), "ms", FMouseMacroKeyList);
  }
  const TMouseButtons button = ButtonOf(message, event);
  if (button == BUTTON_NONE) return;
  const std::int32_t pressed = PressedOf(message);
  FMouseMacroKeyList.push_back({kRecordedKey, static_cast<std::uint16_t>(pressed), button, x, y, 0});
  OnRecordMouseMacroKey(1, button, pressed, x, y, event.time, MouseButtonName(button), StateText(pressed),
                        FMouseMacroKeyList);
}

}  // namespace q9
