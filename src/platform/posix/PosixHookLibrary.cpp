#include "platform/posix/PosixHookLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace q9 {
namespace {

template <typename Function>
Function Entry(void* handle, const char* name) {
  return reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

PosixHookLibrary::PosixHookLibrary(std::string file) : file_(std::move(file)) {}

PosixHookLibrary::~PosixHookLibrary() { Unload(); }

HookLibrary::LoadResult PosixHookLibrary::Load() {
  if (handle_ != nullptr) return LoadResult::kLoaded;
  void* handle = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return LoadResult::kNotFound;
  enableKeyboard_ = Entry<EnableFunction>(handle, "EnableKeyboardHook");
  disableKeyboard_ = Entry<DisableFunction>(handle, "DisableKeyboardHook");
  enableMouse_ = Entry<EnableFunction>(handle, "EnableMouseHook");
  disableMouse_ = Entry<DisableFunction>(handle, "DisableMouseHook");
  keyDown_ = Entry<KeyDownFunction>(handle, "IsHookKeyDown");
  if (enableKeyboard_ == nullptr || disableKeyboard_ == nullptr || enableMouse_ == nullptr ||
      disableMouse_ == nullptr || keyDown_ == nullptr) {
    handle_ = handle;
    Unload();
    return LoadResult::kMissingExports;
  }
  handle_ = handle;
  return LoadResult::kLoaded;
}

void PosixHookLibrary::Unload() {
  if (handle_ == nullptr) return;
  // A library left hooked would call back into whoever enabled it after it is gone.
  if (disableKeyboard_ != nullptr) disableKeyboard_();
  if (disableMouse_ != nullptr) disableMouse_();
  dlclose(handle_);
  handle_ = nullptr;
  enableKeyboard_ = enableMouse_ = nullptr;
  disableKeyboard_ = disableMouse_ = nullptr;
  keyDown_ = nullptr;
}

void PosixHookLibrary::EnableKeyboardHook(HookCallback callback, void* context) {
  if (enableKeyboard_ != nullptr) enableKeyboard_(callback, context, 0);
}

void PosixHookLibrary::DisableKeyboardHook() {
  if (disableKeyboard_ != nullptr) disableKeyboard_();
}

void PosixHookLibrary::EnableMouseHook(HookCallback callback, void* context) {
  if (enableMouse_ != nullptr) enableMouse_(callback, context, 0);
}

void PosixHookLibrary::DisableMouseHook() {
  if (disableMouse_ != nullptr) disableMouse_();
}

bool PosixHookLibrary::IsKeyDown(std::int32_t vk) const { return keyDown_ != nullptr && keyDown_(vk) != 0; }

}  // namespace q9
