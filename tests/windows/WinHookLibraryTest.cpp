// uiHook.dll and its loader against the real low-level hooks: keys and mouse actions injected with
// SendInput come back through TuiHook's recorders. The system calls the hooks from the message loop
// of the thread that installed them, so every test pumps messages while it injects.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/uiHook.h"
#include "platform/windows/WinHookLibrary.h"
#include "platform/windows/WinText.h"

namespace q9 {
namespace {

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

INPUT KeyInput(WORD vk, bool pressed, bool extended = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (pressed ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

INPUT MouseInput(DWORD flags, DWORD data) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  return input;
}

void Inject(std::vector<INPUT> inputs) {
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
  Pump(300);
}

struct Messages {
  std::vector<std::string> texts;
  std::vector<std::string> captions;
  HookErrorReporter Reporter() {
    return [this](const std::string& text, const std::string& caption) {
      texts.push_back(text);
      captions.push_back(caption);
    };
  }
};

TEST(WinHookLibrary, LoadsByNameFromTheProgramsFolderWithItsFourEntryPoints) {
  WinHookLibrary library;
  EXPECT_STREQ(library.FileName(), "uiHook.dll");
  ASSERT_EQ(library.Load(), HookLibrary::LoadResult::kLoaded);
  EXPECT_EQ(library.Load(), HookLibrary::LoadResult::kLoaded);  // a second load succeeds at once
  const HMODULE module = GetModuleHandleW(L"uiHook.dll");
  ASSERT_NE(module, nullptr);
  for (const char* name : {"EnableKeyboardHook", "DisableKeyboardHook", "EnableMouseHook", "DisableMouseHook"})
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name << " is not exported under its plain name";
  library.Unload();
  EXPECT_EQ(GetModuleHandleW(L"uiHook.dll"), nullptr) << "unloading releases the library";
}

TEST(WinHookLibrary, AMissingLibraryIsToldOnceAndRecordingDoesNothing) {
  WinHookLibrary library("Z:\\nonexistent\\uiHook.dll");
  const WinKeyStateSource keyState;
  Messages messages;
  {
    TuiHook hook(library, keyState, messages.Reporter());
    EXPECT_FALSE(hook.DllLoaded());
    int events = 0;
    hook.OnRecordKeyboardSingleKey = [&](auto...) { ++events; };
    hook.RecordKeyboardSingleKey();
    Inject({KeyInput('A', true), KeyInput('A', false)});
    EXPECT_EQ(events, 0);
    hook.StopRecordKeyboardSingleKey();
  }
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Z:\\nonexistent\\uiHook.dll can not be found!"});
  EXPECT_EQ(messages.captions, std::vector<std::string>{"Error"});
}

TEST(WinHookLibrary, ADamagedFileIsToldAsMissing) {
  wchar_t folder[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring path = std::wstring(folder) + L"q9-damaged-uiHook.dll";
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char bytes[] = "MZ and nothing a loader could use";
  DWORD written = 0;
  WriteFile(file, bytes, sizeof bytes, &written, nullptr);
  CloseHandle(file);

  const std::string utf8Path = NarrowToUtf8(path);
  WinHookLibrary library(utf8Path);
  const WinKeyStateSource keyState;
  Messages messages;
  {
    TuiHook hook(library, keyState, messages.Reporter());
    EXPECT_FALSE(hook.DllLoaded());
  }
  DeleteFileW(path.c_str());
  EXPECT_EQ(messages.texts, std::vector<std::string>{utf8Path + " can not be found!"});
}

TEST(WinHookLibrary, ALibraryWithoutTheEntryPointsIsReleasedWithoutAMessage) {
  // A system library this program does not load otherwise.
  ASSERT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr);
  WinHookLibrary library("msimg32.dll");
  const WinKeyStateSource keyState;
  Messages messages;
  TuiHook hook(library, keyState, messages.Reporter());
  EXPECT_FALSE(hook.DllLoaded());
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr) << "the library is released again";
}

class InjectedInput : public ::testing::Test {
 protected:
  WinHookLibrary library;
  WinKeyStateSource keyState;
  Messages messages;
};

TEST_F(InjectedInput, SingleKeyRecorderSeesLettersAndTheExtendedRightCtrl) {
  TuiHook hook(library, keyState, messages.Reporter());
  ASSERT_TRUE(hook.DllLoaded());
  std::vector<std::string> seen;
  hook.OnRecordKeyboardSingleKey = [&](std::int32_t key, std::uint32_t, std::int32_t state, std::int32_t extended,
                                       const std::string& text, bool& blocked) {
    seen.push_back(std::to_string(key) + "/" + std::to_string(state) + "/" + std::to_string(extended) + " " + text);
    blocked = true;
  };
  hook.RecordKeyboardSingleKey();
  Inject({KeyInput('A', true), KeyInput('A', false), KeyInput(VK_RCONTROL, true, true),
          KeyInput(VK_RCONTROL, false, true)});
  EXPECT_EQ(seen, (std::vector<std::string>{"65/1/0 A", "65/0/0 A", "163/1/1 R CTRL", "163/0/1 R CTRL"}));
  EXPECT_TRUE(messages.texts.empty());

  hook.StopRecordKeyboardSingleKey();
  Inject({KeyInput('B', true), KeyInput('B', false)});
  EXPECT_EQ(seen.size(), 4u) << "no key arrives after the recorder stopped";
}

TEST_F(InjectedInput, MacroRecorderKeepsTheGapBetweenPressAndRelease) {
  TuiHook hook(library, keyState, {});
  hook.OnRecordKeyboardMacroKey = [](auto...) {};
  MacroKeyList recorded;
  hook.OnStopRecordKeyboardMacroKey = [&](const MacroKeyList& list) { recorded = list; };
  hook.RecordKeyboardMacroKey();
  Inject({KeyInput('A', true)});
  Sleep(150);
  Inject({KeyInput('A', false)});
  hook.StopRecordKeyboardMacroKey();
  ASSERT_EQ(recorded.size(), 3u);
  EXPECT_EQ(recorded[0].nKeyType, kRecordedKey);
  EXPECT_EQ(recorded[0].nKeyValue, 'A');
  EXPECT_EQ(recorded[0].nKeyState, kKeyPressed);
  EXPECT_EQ(recorded[1].nKeyType, kRecordedDelay);
  // The gap is the one of the events' own times: at least the pause, less than the recorder's limit.
  EXPECT_GE(recorded[1].nKeyValue, 140);
  EXPECT_LT(recorded[1].nKeyValue, kLongestRecordedDelayMs);
  EXPECT_EQ(recorded[2].nKeyState, kKeyReleased);
}

// A swallowed key never reaches the window that has the focus; one passed on does.
TEST_F(InjectedInput, ASwallowedKeyNeverReachesTheFocusedWindow) {
  static int keyDowns = 0;
  keyDowns = 0;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    if (message == WM_KEYDOWN) ++keyDowns;
    return DefWindowProcW(window, message, w, l);
  };
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"q9HookTestWindow";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(0, L"q9HookTestWindow", L"hook test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  SetFocus(window);
  Pump(300);

  TuiHook hook(library, keyState, {});
  hook.OnRecordKeyboardSingleKey = [](std::int32_t key, auto, auto, auto, auto&, bool& blocked) {
    blocked = key == 'A';
  };
  hook.RecordKeyboardSingleKey();
  Inject({KeyInput('A', true), KeyInput('A', false)});
  EXPECT_EQ(keyDowns, 0);
  Inject({KeyInput('B', true), KeyInput('B', false)});
  EXPECT_EQ(keyDowns, 1);
  hook.StopRecordKeyboardSingleKey();
  DestroyWindow(window);
  UnregisterClassW(L"q9HookTestWindow", windowClass.hInstance);
}

// The mouse hook hands on the system's mouse messages with the X-button number and the wheel delta
// in the high word; the recorders leave out what software injected, as SendInput's events are.
TEST_F(InjectedInput, MouseButtonsArriveMarkedInjectedAndTheRecordersLeaveThemOut) {
  TuiHook hook(library, keyState, {});
  int recorded = 0;
  hook.OnRecordMouseMacroKey = [&](auto...) { ++recorded; };
  hook.RecordMouseMacro();
  Inject({MouseInput(MOUSEEVENTF_XDOWN, XBUTTON2), MouseInput(MOUSEEVENTF_XUP, XBUTTON2)});
  hook.StopRecordMouseMacro();
  EXPECT_EQ(recorded, 0);
  EXPECT_TRUE(hook.RecordedMouseMacroKeys().empty());

  struct Seen {
    std::uint32_t message;
    TMSLLHOOKSTRUCT event;
  };
  std::vector<Seen> seen;
  library.EnableMouseHook(
      [](void* context, std::int32_t code, std::uint32_t message, std::uint8_t*, const void* record) {
        if (code == 0)
          static_cast<std::vector<Seen>*>(context)->push_back({message, *static_cast<const TMSLLHOOKSTRUCT*>(record)});
      },
      &seen);
  Inject({MouseInput(MOUSEEVENTF_XDOWN, XBUTTON2), MouseInput(MOUSEEVENTF_XUP, XBUTTON2),
          MouseInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA))});
  library.DisableMouseHook();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].message, kXButtonDown);
  EXPECT_EQ(seen[1].message, kXButtonUp);
  EXPECT_EQ(seen[0].event.mouseData >> 16, 2u);
  EXPECT_NE(seen[0].event.flags & kMouseFlagInjected, 0u);
  EXPECT_EQ(seen[2].message, kMouseWheel);
  EXPECT_EQ(static_cast<std::int16_t>(seen[2].event.mouseData >> 16), -WHEEL_DELTA);
}

TEST_F(InjectedInput, ComboRecorderReadsTheHeldModifiers) {
  TuiHook hook(library, keyState, {});
  std::string text;
  hook.OnRecordKeyboardComboKey = [&](auto, auto, auto, auto, auto, const std::string& combo) { text = combo; };
  hook.RecordKeyboardComboKey();
  Inject({KeyInput(VK_LCONTROL, true), KeyInput(VK_LSHIFT, true), KeyInput('A', true)});
  Inject({KeyInput('A', false), KeyInput(VK_LSHIFT, false), KeyInput(VK_LCONTROL, false)});
  hook.StopRecordKeyboardComboKey();
  EXPECT_EQ(text, "Ctrl+Shift+A");
}

}  // namespace
}  // namespace q9
