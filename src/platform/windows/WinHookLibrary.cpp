#include "platform/windows/WinHookLibrary.h"

#include <utility>

#include "platform/windows/WinText.h"

namespace q9 {
namespace {

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  // GetProcAddress gives every entry point one generic type; the library's own are named here.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

WinHookLibrary::WinHookLibrary(std::string file) : file_(std::move(file)) {}

WinHookLibrary::~WinHookLibrary() { Unload(); }

HookLibrary::LoadResult WinHookLibrary::Load() {
  if (module_ != nullptr) return LoadResult::kLoaded;
  // A damaged file must not bring up the system's own error box before the program's message.
  DWORD previousMode = 0;
  const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  const HMODULE module = LoadLibraryW(WidenUtf8(file_).c_str());
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  if (module == nullptr) return LoadResult::kNotFound;
  module_ = module;
  enableKeyboard_ = Entry<EnableFunction>(module, "EnableKeyboardHook");
  disableKeyboard_ = Entry<DisableFunction>(module, "DisableKeyboardHook");
  enableMouse_ = Entry<EnableFunction>(module, "EnableMouseHook");
  disableMouse_ = Entry<DisableFunction>(module, "DisableMouseHook");
  if (enableKeyboard_ == nullptr || disableKeyboard_ == nullptr || enableMouse_ == nullptr ||
      disableMouse_ == nullptr) {
    Unload();
    return LoadResult::kMissingExports;
  }
  return LoadResult::kLoaded;
}

void WinHookLibrary::Unload() {
  if (module_ == nullptr) return;
  // A library left hooked would call back into whoever enabled it after it is gone.
  if (disableKeyboard_ != nullptr) disableKeyboard_();
  if (disableMouse_ != nullptr) disableMouse_();
  FreeLibrary(module_);
  module_ = nullptr;
  enableKeyboard_ = enableMouse_ = nullptr;
  disableKeyboard_ = disableMouse_ = nullptr;
}

void WinHookLibrary::EnableKeyboardHook(HookCallback callback, void* context) {
  if (enableKeyboard_ != nullptr) enableKeyboard_(callback, context, 0);
}

void WinHookLibrary::DisableKeyboardHook() {
  if (disableKeyboard_ != nullptr) disableKeyboard_();
}

void WinHookLibrary::EnableMouseHook(HookCallback callback, void* context) {
  if (enableMouse_ != nullptr) enableMouse_(callback, context, 0);
}

void WinHookLibrary::DisableMouseHook() {
  if (disableMouse_ != nullptr) disableMouse_();
}

bool WinKeyStateSource::IsKeyDown(std::int32_t vk) const { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace q9
