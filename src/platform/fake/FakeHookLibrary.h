#pragma once
// A hook library a test drives: it delivers key and mouse events stamped by a manual millisecond
// clock to the enabled callback and reports whether the callback swallowed them. It also serves as
// the key state source, tracking which keys are held from the key events it delivers, as the hook
// library of a platform without a system key state does.

#include <array>
#include <cstdint>

#include "platform/HookLibrary.h"
#include "platform/KeyStateSource.h"

namespace q9 {

class FakeHookLibrary : public HookLibrary, public KeyStateSource {
 public:
  const char* FileName() const override { return "uiHook.dll"; }
  LoadResult Load() override {
    ++loads;
    if (loadResult == LoadResult::kLoaded) loaded = true;
    return loadResult;
  }
  void Unload() override {
    ++unloads;
    loaded = false;
    keyboardCallback = mouseCallback = nullptr;
  }
  void EnableKeyboardHook(HookCallback callback, void* context) override {
    if (!loaded) return;
    keyboardCallback = callback;
    keyboardContext = context;
  }
  void DisableKeyboardHook() override { keyboardCallback = nullptr; }
  void EnableMouseHook(HookCallback callback, void* context) override {
    if (!loaded) return;
    mouseCallback = callback;
    mouseContext = context;
  }
  void DisableMouseHook() override { mouseCallback = nullptr; }

  bool IsKeyDown(std::int32_t vk) const override { return vk >= 0 && vk < 256 && held[static_cast<std::size_t>(vk)]; }

  /// Moves the manual clock on.
  void Advance(std::uint32_t ms) { now += ms; }

  /// Delivers a key event at the current time; true when the callback swallowed it.
  bool Key(std::uint32_t vk, bool pressed, bool extended = false, std::uint32_t scanCode = 0, std::int32_t code = 0) {
    if (vk < 256) held[vk] = pressed;
    const TKBDLLHOOKSTRUCT event{vk, scanCode, (extended ? kKeyFlagExtended : 0u) | (pressed ? 0u : kKeyFlagReleased),
                                 now, 0};
    std::uint8_t block = 0;
    if (keyboardCallback != nullptr) keyboardCallback(keyboardContext, code, 0, &block, &event);
    return block != 0;
  }
  bool Press(std::uint32_t vk, bool extended = false) { return Key(vk, true, extended); }
  bool Release(std::uint32_t vk, bool extended = false) { return Key(vk, false, extended); }

  /// Delivers a mouse message at the current time; data is the high word of the mouse data (wheel
  /// delta or X-button number). True when the callback swallowed it.
  bool Mouse(std::uint32_t message, std::int32_t x = 0, std::int32_t y = 0, std::int16_t data = 0,
             bool injected = false) {
    const TMSLLHOOKSTRUCT event{x, y, static_cast<std::uint32_t>(static_cast<std::uint16_t>(data)) << 16,
                                injected ? kMouseFlagInjected : 0u, now, 0};
    std::uint8_t block = 0;
    if (mouseCallback != nullptr) mouseCallback(mouseContext, 0, message, &block, &event);
    return block != 0;
  }

  LoadResult loadResult = LoadResult::kLoaded;
  bool loaded = false;
  int loads = 0;
  int unloads = 0;
  std::uint32_t now = 1000;
  HookCallback keyboardCallback = nullptr;
  void* keyboardContext = nullptr;
  HookCallback mouseCallback = nullptr;
  void* mouseContext = nullptr;
  std::array<bool, 256> held{};
};

}  // namespace q9
