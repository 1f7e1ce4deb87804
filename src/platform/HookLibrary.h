#pragma once
// The hook library: delivers every keyboard and mouse event to one callback before the event goes
// on, and swallows it when the callback sets the block byte. Loaded at run time; one library is
// shared by the whole process.
//
// Contract: after EnableKeyboardHook / EnableMouseHook the library calls the callback once for
// every event, on the thread that enabled the hook, passing the context back; a new Enable...
// replaces the previous callback; after Disable... no further calls arrive. Enable and Disable do
// nothing while the library is not loaded.

#include <cstdint>

namespace q9 {

/// A low-level keyboard event.
struct TKBDLLHOOKSTRUCT {
  std::uint32_t vkCode;
  std::uint32_t scanCode;
  std::uint32_t flags;  // kKeyFlagExtended, kKeyFlagReleased
  std::uint32_t time;  // millisecond tick count
  std::uint32_t dwExtraInfo;
};
static_assert(sizeof(TKBDLLHOOKSTRUCT) == 20);

inline constexpr std::uint32_t kKeyFlagExtended = 0x01;
inline constexpr std::uint32_t kKeyFlagReleased = 0x80;

/// A low-level mouse event.
struct TMSLLHOOKSTRUCT {
  std::int32_t x;
  std::int32_t y;
  std::uint32_t mouseData;  // high word: signed wheel delta, or the X-button number 1 or 2
  std::uint32_t flags;  // kMouseFlagInjected
  std::uint32_t time;  // millisecond tick count
  std::uint32_t dwExtraInfo;
};
static_assert(sizeof(TMSLLHOOKSTRUCT) == 24);

inline constexpr std::uint32_t kMouseFlagInjected = 0x01;

/// Mouse messages of TMSLLHOOKSTRUCT events.
enum MouseMessage : std::uint32_t {
  kMouseMove = 512,
  kLeftButtonDown = 513,
  kLeftButtonUp = 514,
  kRightButtonDown = 516,
  kRightButtonUp = 517,
  kMiddleButtonDown = 519,
  kMiddleButtonUp = 520,
  kMouseWheel = 522,
  kXButtonDown = 523,
  kXButtonUp = 524,
};

/// The callback the library calls: code 0 is an ordinary event; message is the mouse message (0 for
/// keys); block points to the byte that swallows the event when set to 1; record points to a
/// TKBDLLHOOKSTRUCT for the keyboard hook, a TMSLLHOOKSTRUCT for the mouse hook.
using HookCallback = void (*)(void* context, std::int32_t code, std::uint32_t message, std::uint8_t* block,
                              const void* record);

class HookLibrary {
 public:
  enum class LoadResult {
    kLoaded,  // loaded now or before
    kNotFound,  // the library file could not be loaded
    kMissingExports,  // loaded, but an entry point is missing; already released again
  };

  virtual ~HookLibrary() = default;
  /// The file loaded, as named in messages ("uiHook.dll", "libuiHook.so").
  virtual const char* FileName() const = 0;
  /// Loads the library and its four entry points; succeeds at once when already loaded.
  virtual LoadResult Load() = 0;
  /// Releases the library for every user in the process and forgets its entry points.
  virtual void Unload() = 0;
  virtual void EnableKeyboardHook(HookCallback callback, void* context) = 0;
  virtual void DisableKeyboardHook() = 0;
  virtual void EnableMouseHook(HookCallback callback, void* context) = 0;
  virtual void DisableMouseHook() = 0;
};

}  // namespace q9
