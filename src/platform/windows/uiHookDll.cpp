// uiHook.dll: the hook library of Windows. Low-level keyboard and mouse hooks (WH_KEYBOARD_LL,
// WH_MOUSE_LL) hand every system-wide event, as the program's own event record, to the callback
// that enabled the hook, and swallow the event (return 1 instead of passing it on) when the
// callback sets the block byte.
//
// The system calls a low-level hook on the thread that installed it, from that thread's message
// loop: the thread that calls Enable... must pump messages, and it is the thread the callbacks run
// on. The hooks are installed by the first Enable... and removed by Disable... (or when the library
// is unloaded); an Enable... while hooked only replaces the callback.

#include <windows.h>

#include <cstdint>

#include "platform/HookLibrary.h"

namespace {

struct Hook {
  HHOOK handle = nullptr;
  q9::HookCallback callback = nullptr;
  void* context = nullptr;
};

HINSTANCE libraryModule = nullptr;
Hook keyboard;
Hook mouse;

// The event records of the system carry a pointer-sized extra word; the program's records keep its
// low 32 bits.
q9::TKBDLLHOOKSTRUCT KeyRecord(const KBDLLHOOKSTRUCT& event) {
  return {event.vkCode, event.scanCode, event.flags, event.time, static_cast<std::uint32_t>(event.dwExtraInfo)};
}

q9::TMSLLHOOKSTRUCT MouseRecord(const MSLLHOOKSTRUCT& event) {
  return {event.pt.x, event.pt.y, event.mouseData, event.flags, event.time,
          static_cast<std::uint32_t>(event.dwExtraInfo)};
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM message, LPARAM record) {
  // A callback may disable the hook while it runs: it is read once.
  const q9::HookCallback callback = keyboard.callback;
  if (code == HC_ACTION && callback != nullptr) {
    const q9::TKBDLLHOOKSTRUCT event = KeyRecord(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(record));
    std::uint8_t block = 0;
    callback(keyboard.context, code, 0, &block, &event);
    if (block != 0) return 1;
  }
  return CallNextHookEx(nullptr, code, message, record);
}

LRESULT CALLBACK MouseProc(int code, WPARAM message, LPARAM record) {
  const q9::HookCallback callback = mouse.callback;
  if (code == HC_ACTION && callback != nullptr) {
    const q9::TMSLLHOOKSTRUCT event = MouseRecord(*reinterpret_cast<const MSLLHOOKSTRUCT*>(record));
    std::uint8_t block = 0;
    callback(mouse.context, code, static_cast<std::uint32_t>(message), &block, &event);
    if (block != 0) return 1;
  }
  return CallNextHookEx(nullptr, code, message, record);
}

void Enable(Hook& hook, int kind, HOOKPROC proc, q9::HookCallback callback, void* context) {
  hook.callback = callback;
  hook.context = context;
  if (hook.handle == nullptr) hook.handle = SetWindowsHookExW(kind, proc, libraryModule, 0);
}

void Disable(Hook& hook) {
  hook.callback = nullptr;
  hook.context = nullptr;
  if (hook.handle != nullptr) UnhookWindowsHookEx(hook.handle);
  hook.handle = nullptr;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    libraryModule = module;
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    // Hooks left behind would call into a library that is gone.
    Disable(keyboard);
    Disable(mouse);
  }
  return TRUE;
}

void WINAPI EnableKeyboardHook(q9::HookCallback callback, void* context, int) {
  Enable(keyboard, WH_KEYBOARD_LL, KeyboardProc, callback, context);
}

void WINAPI DisableKeyboardHook() { Disable(keyboard); }

void WINAPI EnableMouseHook(q9::HookCallback callback, void* context, int) {
  Enable(mouse, WH_MOUSE_LL, MouseProc, callback, context);
}

void WINAPI DisableMouseHook() { Disable(mouse); }
}
