// libFuzzer harness for the input hook: any sequence of key and mouse events (codes, flags, time
// steps, positions) fed to each recorder runs without a crash, and the recorded lists keep their
// rules: keyboard delays strictly between 10 and 2000 ms, the macro Ex list bounded, mouse items
// holding only the buttons the hook produces.
//
// Input: a recorder number, then 6-byte events: kind (even = key, odd = mouse), code, flags, time
// step (two bytes, little-endian), position/data byte. A key event whose kind has bit 1 set comes
// as the hook library of X11 sees it: code = X11 key code, the data byte picks a key symbol around
// the keypad's navigation symbols; it goes through the X11 key table first, whose every answer must
// be a key the key tables name.

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "input/X11KeyTable.h"
#include "input/uiHook.h"
#include "input/uiKeyCode.h"
#include "platform/fake/FakeHookLibrary.h"

namespace {

void Feed(q9::FakeHookLibrary& library, const std::uint8_t* data, std::size_t size) {
  for (std::size_t at = 0; at + 6 <= size; at += 6) {
    const std::uint8_t* event = data + at;
    library.Advance(static_cast<std::uint32_t>(event[3] | (event[4] << 8)) * ((event[2] & 0x40) != 0 ? 64u : 1u));
    if ((event[0] & 3) == 2) {
      const std::optional<q9::VirtualKey> key = q9::VirtualKeyFromX11Keycode(event[1], 0xff90u + (event[5] & 0x1F));
      if (!key) continue;
      if (key->vk == 0 || q9::VKToKeyName(key->vk, key->extended ? 1 : 0).empty()) std::abort();
      library.Key(key->vk, (event[2] & 0x80) == 0, key->extended, event[1]);
    } else if ((event[0] & 1) == 0) {
      library.Key(event[1], (event[2] & 0x80) == 0, (event[2] & 1) != 0, event[5], event[0] >> 7);
    } else {
      library.Mouse(512u + (event[1] & 0x0F), static_cast<std::int8_t>(event[5]) * 1000,
                    static_cast<std::int8_t>(event[5]), static_cast<std::int16_t>(static_cast<std::int8_t>(event[5]) * 8),
                    (event[2] & 1) != 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  q9::FakeHookLibrary library;
  q9::TuiHook hook(library, library, {});
  bool badDelay = false;
  hook.OnRecordKeyboardSingleKey = [](auto, auto, auto, auto, const std::string&, bool& blocked) { blocked = !blocked; };
  hook.OnRecordKeyboardComboKey = [](auto...) {};
  hook.OnRecordKeyboardMacroKey = [&](std::int32_t type, std::int32_t value, auto, auto, auto, auto&, auto&, auto&) {
    if (type == 0 && (value <= 10 || value >= 2000)) badDelay = true;
  };
  hook.OnRecordKeyboardMacroKeyEx = [](auto...) {};
  hook.OnRecordMouseMacroKey = [](auto...) {};
  hook.OnHookKeyboardAllKey = [](auto, auto, auto, bool& blocked, auto) { blocked = true; };
  hook.OnHookKeyboardKey = [](auto...) {};
  hook.OnHookMouseAllButton = [](auto...) {};
  hook.OnHookMouseButton = [](auto...) {};
  hook.OnHookMouseMove = [](auto...) {};
  hook.AddKeyboardHookObject({65, 30, 0, 1});
  hook.AddMouseHookObject({q9::MCLICK, 0xFFFF, q9::LCLICK, q9::HOOK_DOWN});
  switch (data[0] % 7) {
    case 0: hook.RecordKeyboardSingleKey(); break;
    case 1: hook.RecordKeyboardComboKey(); break;
    case 2: hook.RecordKeyboardMacroKey(); break;
    case 3: hook.RecordKeyboardMacroKeyEx(); break;
    case 4: hook.RecordMouseMacro(); break;
    case 5: hook.StartHookKeyboard(); break;
    default: hook.StartHookMouse(); break;
  }
  Feed(library, data + 1, size - 1);
  // The macro Ex recorder stops once past its limit; the last event adds at most a delay and a key.
  const bool macroEx = data[0] % 7 == 3;
  if (badDelay || (macroEx && hook.RecordedMacroKeys().size() > q9::kMacroExItemLimit + 2)) std::abort();
  for (const q9::TMOUSEMACROKEY& item : hook.RecordedMouseMacroKeys()) {
    if (item.MouseButton > q9::WHEELDOWN) std::abort();
  }
  return 0;
}
