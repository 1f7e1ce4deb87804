#pragma once
// The hook library loaded at run time with dlopen. Besides the four hook entry points the library
// exports IsHookKeyDown, the state of the keys as it has seen them, which serves as the key state
// source on this platform (there is no system-wide key state to ask).

#include <string>

#include "platform/HookLibrary.h"
#include "platform/KeyStateSource.h"

namespace q9 {

class PosixHookLibrary : public HookLibrary, public KeyStateSource {
 public:
  /// `file` is found by the dynamic loader's search (LD_LIBRARY_PATH, the program's run path) unless
  /// it holds a '/'.
  explicit PosixHookLibrary(std::string file = "libuiHook.so");
  ~PosixHookLibrary() override;
  PosixHookLibrary(const PosixHookLibrary&) = delete;
  PosixHookLibrary& operator=(const PosixHookLibrary&) = delete;

  const char* FileName() const override { return file_.c_str(); }
  LoadResult Load() override;
  void Unload() override;
  void EnableKeyboardHook(HookCallback callback, void* context) override;
  void DisableKeyboardHook() override;
  void EnableMouseHook(HookCallback callback, void* context) override;
  void DisableMouseHook() override;
  /// False while the library is not loaded.
  bool IsKeyDown(std::int32_t vk) const override;

 private:
  using EnableFunction = void (*)(HookCallback, void*, int);
  using DisableFunction = void (*)();
  using KeyDownFunction = int (*)(int);

  std::string file_;
  void* handle_ = nullptr;
  EnableFunction enableKeyboard_ = nullptr;
  DisableFunction disableKeyboard_ = nullptr;
  EnableFunction enableMouse_ = nullptr;
  DisableFunction disableMouse_ = nullptr;
  KeyDownFunction keyDown_ = nullptr;
};

}  // namespace q9
