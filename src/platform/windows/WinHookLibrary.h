#pragma once
// The hook library uiHook.dll loaded at run time with LoadLibraryW, and the key state of the
// calling thread from GetKeyState.

#include <windows.h>

#include <string>

#include "platform/HookLibrary.h"
#include "platform/KeyStateSource.h"

namespace q9 {

class WinHookLibrary : public HookLibrary {
 public:
  /// `file` (UTF-8) is found by the standard search for libraries (the program's folder first)
  /// unless it names a path.
  explicit WinHookLibrary(std::string file = "uiHook.dll");
  ~WinHookLibrary() override;
  WinHookLibrary(const WinHookLibrary&) = delete;
  WinHookLibrary& operator=(const WinHookLibrary&) = delete;

  const char* FileName() const override { return file_.c_str(); }
  LoadResult Load() override;
  void Unload() override;
  void EnableKeyboardHook(HookCallback callback, void* context) override;
  void DisableKeyboardHook() override;
  void EnableMouseHook(HookCallback callback, void* context) override;
  void DisableMouseHook() override;

 private:
  using EnableFunction = void(WINAPI*)(HookCallback, void*, int);
  using DisableFunction = void(WINAPI*)();

  std::string file_;
  HMODULE module_ = nullptr;
  EnableFunction enableKeyboard_ = nullptr;
  DisableFunction disableKeyboard_ = nullptr;
  EnableFunction enableMouse_ = nullptr;
  DisableFunction disableMouse_ = nullptr;
};

/// GetKeyState: the keys as the calling thread's input has seen them.
class WinKeyStateSource : public KeyStateSource {
 public:
  bool IsKeyDown(std::int32_t vk) const override;
};

}  // namespace q9
