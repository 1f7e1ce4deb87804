#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/uiHook.h"
#include "input/uiKeyCode.h"
#include "platform/fake/FakeHookLibrary.h"

namespace q9 {
namespace {

constexpr std::uint32_t kA = 65, kB = 66, kC = 67, kEnter = 13, kLeftCtrl = 162, kRightShift = 161;

struct Message {
  std::string text, caption;
};

class HookTest : public ::testing::Test {
 protected:
  FakeHookLibrary library;
  std::vector<Message> messages;
  HookErrorReporter Reporter() {
    return [this](const std::string& text, const std::string& caption) { messages.push_back({text, caption}); };
  }
};

bool SameItem(const TMACROKEYHOOK& item, std::uint16_t type, std::uint16_t state, std::uint16_t value,
              std::uint16_t extended = 0) {
  return item.nKeyType == type && item.nKeyState == state && item.nKeyValue == value &&
         item.nKeyValueExtended == extended;
}

TEST_F(HookTest, MissingLibraryIsReportedOnceAndRecordingDoesNothing) {
  library.loadResult = HookLibrary::LoadResult::kNotFound;
  TuiHook hook(library, library, Reporter());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "uiHook.dll can not be found!");
  EXPECT_EQ(messages[0].caption, "Error");
  EXPECT_FALSE(hook.DllLoaded());
  int fired = 0;
  hook.OnRecordKeyboardMacroKey = [&](auto...) { ++fired; };
  hook.RecordKeyboardMacroKey();
  EXPECT_FALSE(library.Press(kA));
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(library.keyboardCallback, nullptr);
}

TEST_F(HookTest, LibraryWithoutAllExportsFailsSilentlyAndEachInstanceLoadsAgain) {
  library.loadResult = HookLibrary::LoadResult::kMissingExports;
  { TuiHook hook(library, library, Reporter()); EXPECT_FALSE(hook.DllLoaded()); }
  EXPECT_TRUE(messages.empty());
  library.loadResult = HookLibrary::LoadResult::kLoaded;
  {
    TuiHook hook(library, library, Reporter());
    EXPECT_TRUE(hook.DllLoaded());
    hook.RecordKeyboardSingleKey();
    EXPECT_NE(library.keyboardCallback, nullptr);
  }
  // Destroying the instance releases the library and no callback into it is left behind.
  EXPECT_FALSE(library.loaded);
  EXPECT_EQ(library.keyboardCallback, nullptr);
  EXPECT_EQ(library.loads, 2);
}

TEST_F(HookTest, SingleKeyReportsEveryPressAndReleaseAndBlocksOnlyWhenTheHandlerAsks) {
  TuiHook hook(library, library, Reporter());
  std::vector<std::string> seen;
  hook.OnRecordKeyboardSingleKey = [&](std::int32_t key, std::uint32_t, std::int32_t state, std::int32_t extended,
                                       const std::string& text, bool& blocked) {
    seen.push_back(std::to_string(key) + "/" + std::to_string(state) + "/" + std::to_string(extended) + " " + text);
    blocked = key == static_cast<std::int32_t>(kEnter);
  };
  hook.RecordKeyboardSingleKey();
  EXPECT_FALSE(library.Press(kA));
  EXPECT_TRUE(library.Press(kEnter, true));
  EXPECT_TRUE(library.Release(kEnter, true));
  EXPECT_FALSE(library.Press(163, true));
  EXPECT_EQ(seen, (std::vector<std::string>{"65/1/0 A", "13/1/1 ENTER", "13/0/1 ENTER", "163/1/1 R CTRL"}));
  hook.StopRecordKeyboardSingleKey();
  library.Press(kB);
  EXPECT_EQ(seen.size(), 4u);
}

class ComboTest : public HookTest {
 protected:
  void SetUp() override {
    hook.OnRecordKeyboardComboKey = [&](std::int32_t k1, std::int32_t, std::int32_t k2, std::int32_t,
                                        std::int32_t modifier, const std::string& text) {
      combos.push_back({k1, k2, modifier, text});
    };
    hook.RecordKeyboardComboKey();
  }
  struct Combo {
    std::int32_t key1, key2, modifier;
    std::string text;
    bool operator==(const Combo&) const = default;
  };
  TuiHook hook{library, library, Reporter()};
  std::vector<Combo> combos;
};

TEST_F(ComboTest, ModifiersPassThroughAndShapeTheText) {
  EXPECT_FALSE(library.Press(kLeftCtrl));
  library.Advance(300);
  EXPECT_FALSE(library.Press(kRightShift, true));
  library.Advance(300);
  EXPECT_TRUE(library.Press(kA));
  EXPECT_FALSE(library.Release(kA));
  EXPECT_FALSE(library.Release(kLeftCtrl));
  ASSERT_EQ(combos.size(), 1u);
  EXPECT_EQ(combos[0], (Combo{65, 0, kModifierCtrl | kModifierShift, "Ctrl+Shift+A"}));
  EXPECT_EQ(hook.ComboKeyInfo().nModifier, kModifierCtrl | kModifierShift);
}

TEST_F(ComboTest, TwoKeysWithinTheWindowFormOneCombinationAndLaterKeysStartOver) {
  library.Press(kA);
  library.Advance(100);
  library.Press(kB);  // exactly 100 ms: still the same combination
  library.Advance(20);
  library.Press(kC);  // a third key starts again
  library.Advance(150);
  library.Press(kA);  // too late to join C
  ASSERT_EQ(combos.size(), 4u);
  EXPECT_EQ(combos[1], (Combo{65, 66, 0, "A+B"}));
  EXPECT_EQ(combos[2], (Combo{67, 0, 0, "C"}));
  EXPECT_EQ(combos[3], (Combo{65, 0, 0, "A"}));
}

TEST_F(ComboTest, ARepeatedFirstKeyStaysAlone) {
  library.Press(kA);
  library.Advance(30);
  library.Press(kA);
  ASSERT_EQ(combos.size(), 2u);
  EXPECT_EQ(combos[1], (Combo{65, 0, 0, "A"}));
  EXPECT_EQ(hook.ComboKeyInfo().nKeyValue2, 0);
}

class MacroTest : public HookTest {
 protected:
  void SetUp() override {
    hook.OnRecordKeyboardMacroKey = [&](std::int32_t type, std::int32_t key, std::int32_t, std::int32_t,
                                        std::uint32_t, const std::string& text, const std::string& state,
                                        const MacroKeyList& list) {
      texts.push_back(std::to_string(type) + ":" + std::to_string(key) + " " + text + " " + state);
      listSizes.push_back(list.size());
    };
    hook.RecordKeyboardMacroKey();
  }
  TuiHook hook{library, library, Reporter()};
  std::vector<std::string> texts;
  std::vector<std::size_t> listSizes;
};

TEST_F(MacroTest, DelaysBetweenTenAndTwoThousandMillisecondsExclusiveAreRecorded) {
  EXPECT_TRUE(library.Press(kA));  // first event: no delay
  for (const std::uint32_t gap : {10u, 11u, 1999u, 2000u}) {
    library.Advance(gap);
    EXPECT_TRUE(library.Key(kA, gap % 2 == 0));
  }
  const MacroKeyList& items = hook.RecordedMacroKeys();
  ASSERT_EQ(items.size(), 7u);
  EXPECT_TRUE(SameItem(items[0], kRecordedKey, 1, 65));
  EXPECT_TRUE(SameItem(items[1], kRecordedKey, 1, 65));
  EXPECT_TRUE(SameItem(items[2], kRecordedDelay, 0, 11));
  EXPECT_TRUE(SameItem(items[3], kRecordedKey, 0, 65));
  EXPECT_TRUE(SameItem(items[4], kRecordedDelay, 0, 1999));
  EXPECT_TRUE(SameItem(items[5], kRecordedKey, 0, 65));
  EXPECT_TRUE(SameItem(items[6], kRecordedKey, 1, 65));
  EXPECT_EQ(texts[2], "0:11 11 ms");
  EXPECT_EQ(texts[3], "1:65 A Up");
  EXPECT_EQ(listSizes.back(), 7u);
}

TEST_F(MacroTest, ADelayEqualToTheKeyCodeDoesNotHideTheKeyAndStopHandsOverTheList) {
  library.Press(kA, true);
  library.Advance(65);
  library.Release(kA, true);
  MacroKeyList handedOver;
  hook.OnStopRecordKeyboardMacroKey = [&](const MacroKeyList& list) { handedOver = list; };
  hook.StopRecordKeyboardMacroKey();
  ASSERT_EQ(handedOver.size(), 3u);
  EXPECT_TRUE(SameItem(handedOver[1], kRecordedDelay, 0, 65));
  EXPECT_TRUE(SameItem(handedOver[2], kRecordedKey, 0, 65, 1));
  EXPECT_TRUE(hook.RecordedMacroKeys().empty());
  EXPECT_FALSE(library.Press(kB));
}

class MacroExTest : public HookTest {
 protected:
  void SetUp() override {
    hook.OnRecordKeyboardMacroKeyEx = [&](std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t,
                                          std::uint32_t total, const std::string&, const std::string&,
                                          const MacroKeyList&) { totals.push_back(total); };
    hook.RecordKeyboardMacroKeyEx();
  }
  TuiHook hook{library, library, Reporter()};
  std::vector<std::uint32_t> totals;
};

TEST_F(MacroExTest, AHeldKeyIsOnePressAndTheDelayCountsFromTheFirstPress) {
  library.Press(kA);
  for (int repeat = 0; repeat < 5; ++repeat) {
    library.Advance(30);
    EXPECT_TRUE(library.Press(kA));
  }
  library.Advance(50);
  library.Release(kA);
  const MacroKeyList& items = hook.RecordedMacroKeys();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(SameItem(items[0], kRecordedKey, 1, 65));
  EXPECT_TRUE(SameItem(items[1], kRecordedDelay, 0, 200));
  EXPECT_TRUE(SameItem(items[2], kRecordedKey, 0, 65));
  EXPECT_EQ(totals, (std::vector<std::uint32_t>{0, 200}));
}

TEST_F(MacroExTest, LongDelaysAreCappedAndRecordingStopsAfterFiveHundredItems) {
  library.Press(kA);
  library.Advance(70000);
  library.Release(kA);
  EXPECT_TRUE(SameItem(hook.RecordedMacroKeys()[1], kRecordedDelay, 0, 65535));
  while (hook.RecordedMacroKeys().size() <= kMacroExItemLimit) {
    library.Advance(20);
    library.Press(kB);
    library.Advance(20);
    library.Release(kB);
  }
  const std::size_t full = hook.RecordedMacroKeys().size();
  library.Advance(20);
  EXPECT_FALSE(library.Press(kC));
  EXPECT_EQ(hook.RecordedMacroKeys().size(), full);
}

class MouseTest : public HookTest {
 protected:
  TuiHook hook{library, library, Reporter()};
};

TEST_F(MouseTest, WheelDirectionAndXButtonsMapInBothMouseCallbacks) {
  std::vector<int> watched;
  hook.OnHookMouseAllButton = [&](TMouseButtons button, std::int32_t, std::int16_t, bool&) { watched.push_back(button); };
  hook.StartHookMouse();
  library.Mouse(kMouseWheel, 0, 0, 120);
  library.Mouse(kMouseWheel, 0, 0, 240);
  library.Mouse(kMouseWheel, 0, 0, -120);
  library.Mouse(kXButtonDown, 0, 0, 2);
  library.Mouse(kLeftButtonDown, 0, 0, 0, true);  // injected: ignored
  EXPECT_EQ(watched, (std::vector<int>{WHEELUP, WHEELUP, WHEELDOWN, XCLICK5}));

  std::vector<std::string> recorded;
  hook.OnRecordMouseMacroKey = [&](std::int32_t type, TMouseButtons, std::int32_t, std::int16_t, std::int16_t,
                                   std::uint32_t, const std::string& text, const std::string& state,
                                   const MouseMacroKeyList&) {
    recorded.push_back(std::to_string(type) + " " + text + " " + state);
  };
  hook.RecordMouseMacro();
  EXPECT_FALSE(library.Mouse(kMouseWheel, 5, 6, 120));
  library.Advance(40);
  EXPECT_FALSE(library.Mouse(kXButtonUp, 5, 6, 1));
  EXPECT_EQ(recorded, (std::vector<std::string>{"1 Wheel up(Mouse) Down", "0 40 ms", "1 Backward(Mouse)  Up"}));
}

TEST_F(MouseTest, MovesGiveTimingItemsAndALongPauseIsCappedNotWrapped) {
  MouseMacroKeyList handedOver;
  hook.OnRecordMouseMacroKey = [](auto...) {};
  hook.OnStopRecordMouseMacroKey = [&](const MouseMacroKeyList& list) { handedOver = list; };
  hook.RecordMouseMacro();
  library.Mouse(kMouseMove, 1, 2);
  library.Advance(70000);
  library.Mouse(kMouseMove, 100000, -3);
  library.Advance(25);
  library.Mouse(kLeftButtonUp, 4, 4);
  hook.StopRecordMouseMacro();
  ASSERT_EQ(handedOver.size(), 3u);
  EXPECT_EQ(handedOver[0].nKeyType, kRecordedDelay);
  EXPECT_EQ(handedOver[0].TimeValue, 65535);
  EXPECT_EQ(handedOver[0].X, 32767);
  EXPECT_EQ(handedOver[1].TimeValue, 25);
  EXPECT_EQ(handedOver[2].MouseButton, LCLICK);
  EXPECT_EQ(handedOver[2].nKeyState, 0);
  EXPECT_EQ(hook.RecordedMouseMacroKeys().size(), 3u);  // stopping keeps the items
}

TEST_F(MouseTest, WatchedMouseActionsFollowTheListOrder) {
  std::vector<int> fired;
  hook.OnHookMouseButton = [&](TMouseButtons button, std::int32_t, bool& blocked) {
    fired.push_back(button);
    blocked = true;
  };
  hook.AddMouseHookObject({RCLICK, 1u << (kLeftButtonDown - kMouseMove), LCLICK, HOOK_DOWN});
  hook.AddMouseHookObject({MCLICK, 1u << (kRightButtonDown - kMouseMove), LCLICK, HOOK_DOWN});
  hook.StartHookMouse();
  EXPECT_FALSE(library.Mouse(kLeftButtonDown));  // first entry applies and is its own function
  EXPECT_TRUE(library.Mouse(kRightButtonDown));
  EXPECT_FALSE(library.Mouse(kRightButtonUp));  // no entry watches this message
  EXPECT_EQ(fired, (std::vector<int>{RCLICK}));
}

TEST_F(HookTest, WatchedKeysMatchByCodeAndExtendedFlagUpToTheEndMarker) {
  TuiHook hook(library, library, Reporter());
  std::vector<int> fired;
  int all = 0;
  hook.OnHookKeyboardAllKey = [&](auto...) { ++all; };
  hook.OnHookKeyboardKey = [&](std::int32_t key, std::int32_t, std::int32_t, bool&, std::uint32_t) {
    fired.push_back(key);
  };
  hook.AddKeyboardHookObject({static_cast<std::int32_t>(kA), 0, 0, 1});
  hook.AddKeyboardHookObject({0, 30, 1, 0});
  hook.AddKeyboardHookObject({-1, 0, 0, 0});
  hook.AddKeyboardHookObject({static_cast<std::int32_t>(kB), 0, 0, 1});
  hook.StartHookKeyboard();
  EXPECT_TRUE(library.Press(kA));
  EXPECT_FALSE(library.Press(kA, true));  // wrong extended flag
  EXPECT_FALSE(library.Key(kC, true, true, 30));  // by scan code, not blocking
  EXPECT_FALSE(library.Press(kB));  // after the end marker
  EXPECT_FALSE(library.Key(kA, true, false, 0, 1));  // not an ordinary event
  EXPECT_EQ(fired, (std::vector<int>{65, 67}));
  EXPECT_EQ(all, 4);
}

}  // namespace
}  // namespace q9
