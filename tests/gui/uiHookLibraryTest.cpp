// The input hook through the real libuiHook.so: key events sent to a window come back as the
// virtual keys of the recorders, and a swallowed event never reaches the widget.
#include <dlfcn.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest>
#include <string>
#include <vector>

#include "input/uiHook.h"
#include "platform/Backends.h"
#include "platform/posix/PosixHookLibrary.h"

namespace q9 {
namespace {

class KeyCountingWidget : public QWidget {
 public:
  int keys = 0;
  int wheels = 0;

 protected:
  void keyPressEvent(QKeyEvent*) override { ++keys; }
  void keyReleaseEvent(QKeyEvent*) override { ++keys; }
  void wheelEvent(QWheelEvent*) override { ++wheels; }
};

void SendKey(QWidget& widget, bool pressed, quint32 x11Keycode, quint64 time, bool autoRepeat = false,
             quint32 keysym = 0) {
  QKeyEvent event(pressed ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, x11Keycode,
                  keysym, 0, QString(), autoRepeat);
  event.setTimestamp(time);
  QApplication::sendEvent(widget.windowHandle(), &event);
}

void ShowWidget(QWidget& widget) {
  widget.show();
  QVERIFY(QTest::qWaitForWindowExposed(&widget));
}

}  // namespace

class HookLibraryTest : public QObject {
  Q_OBJECT

 private slots:
  void missingOrIncompleteLibrariesAreTold() {
    PosixHookLibrary missing("/nonexistent/libuiHook.so");
    QCOMPARE(missing.Load(), HookLibrary::LoadResult::kNotFound);
    std::vector<std::string> messages;
    TuiHook hook(missing, missing, [&](const std::string& text, const std::string&) { messages.push_back(text); });
    QCOMPARE(messages, std::vector<std::string>{"/nonexistent/libuiHook.so can not be found!"});
    PosixHookLibrary withoutExports("libm.so.6");
    QCOMPARE(withoutExports.Load(), HookLibrary::LoadResult::kMissingExports);
    QVERIFY(!withoutExports.IsKeyDown(65));
  }

  void aBrokenFileIsToldAsMissingAndAHalfLibraryIsReleasedSilently() {
    QTemporaryDir folder;
    const std::string broken = folder.filePath("libuiHook.so").toStdString();
    {
      QFile file(QString::fromStdString(broken));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("\x7f" "ELF but nothing after it");
    }
    PosixHookLibrary brokenLibrary(broken);
    std::vector<std::string> texts;
    std::vector<std::string> captions;
    const auto report = [&](const std::string& text, const std::string& caption) {
      texts.push_back(text);
      captions.push_back(caption);
    };
    {
      TuiHook hook(brokenLibrary, brokenLibrary, report);
      QVERIFY(!hook.DllLoaded());
      hook.RecordKeyboardSingleKey();
      hook.StopRecordKeyboardSingleKey();
    }
    QCOMPARE(texts, std::vector<std::string>{broken + " can not be found!"});
    QCOMPARE(captions, std::vector<std::string>{"Error"});

    PosixHookLibrary partial(Q9_PARTIAL_HOOK_LIBRARY);
    TuiHook hook(partial, partial, report);
    QVERIFY(!hook.DllLoaded());
    QCOMPARE(texts.size(), std::size_t{1});
    QCOMPARE(dlopen(Q9_PARTIAL_HOOK_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr);  // released again
    hook.RecordKeyboardSingleKey();  // nothing of the half library is called
  }

  void singleKeyGetsTheVirtualKeyAndASwallowedKeyNeverArrives() {
    PosixHookLibrary library(Q9_HOOK_LIBRARY);
    KeyCountingWidget widget;
    ShowWidget(widget);
    TuiHook hook(library, library, {});
    QVERIFY(hook.DllLoaded());
    std::vector<std::string> seen;
    hook.OnRecordKeyboardSingleKey = [&](std::int32_t key, std::uint32_t, std::int32_t state, std::int32_t extended,
                                         const std::string& text, bool& blocked) {
      seen.push_back(std::to_string(key) + "/" + std::to_string(state) + "/" + std::to_string(extended) + " " + text);
      blocked = key == 163;
    };
    hook.RecordKeyboardSingleKey();
    SendKey(widget, true, 105, 10);  // right Ctrl
    SendKey(widget, true, 104, 20);  // keypad Enter
    SendKey(widget, false, 38, 30, true);  // an auto-repeat release of A: dropped
    QCOMPARE(seen, (std::vector<std::string>{"163/1/1 R CTRL", "13/1/1 ENTER"}));
    QCOMPARE(widget.keys, 2);  // Enter and the dropped release reach the widget, right Ctrl does not
    QVERIFY(library.IsKeyDown(163));
    hook.StopRecordKeyboardSingleKey();
    SendKey(widget, true, 38, 40);
    QCOMPARE(seen.size(), std::size_t{2});
  }

  void theKeypadWithoutNumLockGivesTheNavigationKeys() {
    PosixHookLibrary library(Q9_HOOK_LIBRARY);
    KeyCountingWidget widget;
    ShowWidget(widget);
    TuiHook hook(library, library, {});
    std::vector<std::string> seen;
    hook.OnRecordKeyboardSingleKey = [&](std::int32_t key, std::uint32_t, std::int32_t, std::int32_t extended,
                                         const std::string& text, bool&) {
      seen.push_back(std::to_string(key) + "/" + std::to_string(extended) + " " + text);
    };
    hook.RecordKeyboardSingleKey();
    SendKey(widget, true, 79, 10, false, 0xff95);  // keypad 7 as KP_Home
    SendKey(widget, false, 79, 20, false, 0xff95);
    SendKey(widget, true, 79, 30, false, 0xffb7);  // keypad 7 as KP_7
    SendKey(widget, false, 79, 40, false, 0xffb7);
    QCOMPARE(seen, (std::vector<std::string>{"36/0 HOME", "36/0 HOME", "103/0 NUMPAD 7", "103/0 NUMPAD 7"}));
    QVERIFY(!library.IsKeyDown(36));
    hook.StopRecordKeyboardSingleKey();
  }

  // Real key events of an X server (run under Xvfb with the xcb platform): the key symbols the
  // server gives reach the library, so the keypad without Num Lock is told from the navigation keys.
  void realKeysOfTheXServer() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) QSKIP("needs an X server (xcb platform)");
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) QSKIP("needs xdotool");
    PosixHookLibrary library(Q9_HOOK_LIBRARY);
    KeyCountingWidget widget;
    ShowWidget(widget);
    const QString window = QString::number(widget.winId());
    QCOMPARE(QProcess::execute(xdotool, {"windowfocus", "--sync", window}), 0);
    QTRY_VERIFY(widget.isActiveWindow());
    TuiHook hook(library, library, {});
    std::vector<std::string> presses;
    hook.OnRecordKeyboardSingleKey = [&](std::int32_t key, std::uint32_t, std::int32_t state, std::int32_t extended,
                                         const std::string& text, bool&) {
      if (state == kKeyPressed) presses.push_back(std::to_string(key) + "/" + std::to_string(extended) + " " + text);
    };
    hook.RecordKeyboardSingleKey();
    QCOMPARE(QProcess::execute(xdotool, {"key", "--clearmodifiers", "KP_Home", "Home", "KP_Enter"}), 0);
    QTRY_VERIFY(presses.size() >= 3);
    QTest::qWait(100);
    std::string all;
    for (const std::string& press : presses) all += press + "; ";
    QVERIFY2(presses == (std::vector<std::string>{"36/0 HOME", "36/1 HOME", "13/1 ENTER"}), all.c_str());
    hook.StopRecordKeyboardSingleKey();
  }

  // The program's backend finds the library by name (this program's run path is the library's
  // folder, as q9config's is) and reads the held keys from it.
  void theBackendsKeyStateIsTheLibrarysOwn() {
    const HookBackend backend = MakeHookBackend();
    QCOMPARE(std::string(backend.library->FileName()), std::string("libuiHook.so"));
    QVERIFY(!backend.keyState->IsKeyDown(162));  // not loaded yet: nothing is held
    KeyCountingWidget widget;
    ShowWidget(widget);
    TuiHook hook(*backend.library, *backend.keyState, {});
    QVERIFY(hook.DllLoaded());
    SendKey(widget, true, 37, 10);  // left Ctrl
    QVERIFY(backend.keyState->IsKeyDown(162));
    SendKey(widget, false, 37, 20);
    QVERIFY(!backend.keyState->IsKeyDown(162));
  }

  void comboKeySeesTheHeldModifiers() {
    PosixHookLibrary library(Q9_HOOK_LIBRARY);
    KeyCountingWidget widget;
    ShowWidget(widget);
    TuiHook hook(library, library, {});
    std::string text;
    hook.OnRecordKeyboardComboKey = [&](auto, auto, auto, auto, auto, const std::string& combo) { text = combo; };
    hook.RecordKeyboardComboKey();
    SendKey(widget, true, 37, 1000);  // left Ctrl
    SendKey(widget, true, 50, 1100);  // left Shift
    SendKey(widget, true, 38, 1200);  // A
    QCOMPARE(text, std::string("Ctrl+Shift+A"));
    QCOMPARE(widget.keys, 2);  // the modifiers pass, A is swallowed
    for (const quint32 code : {38u, 50u, 37u}) SendKey(widget, false, code, 1300);
    QVERIFY(!library.IsKeyDown(162));
  }

  void macroRecordsTheKeysTheDelayAndTheWheel() {
    PosixHookLibrary library(Q9_HOOK_LIBRARY);
    KeyCountingWidget widget;
    ShowWidget(widget);
    TuiHook hook(library, library, {});
    hook.OnRecordKeyboardMacroKey = [](auto...) {};
    MacroKeyList recorded;
    hook.OnStopRecordKeyboardMacroKey = [&](const MacroKeyList& list) { recorded = list; };
    hook.RecordKeyboardMacroKey();
    SendKey(widget, true, 38, 5000);
    SendKey(widget, false, 38, 5150);
    hook.StopRecordKeyboardMacroKey();
    QCOMPARE(recorded.size(), std::size_t{3});
    QCOMPARE(recorded[0].nKeyValue, 65);
    QCOMPARE(recorded[1].nKeyType, kRecordedDelay);
    QCOMPARE(recorded[1].nKeyValue, 150);
    QCOMPARE(recorded[2].nKeyState, 0);
    QCOMPARE(widget.keys, 0);

    std::vector<int> buttons;
    hook.OnHookMouseAllButton = [&](TMouseButtons button, std::int32_t, std::int16_t, bool& blocked) {
      buttons.push_back(button);
      blocked = true;
    };
    hook.StartHookMouse();
    QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget.windowHandle(), &wheel);
    QCOMPARE(buttons, std::vector<int>{WHEELDOWN});
    QCOMPARE(widget.wheels, 0);
    hook.StopHookMouse();
  }
};

}  // namespace q9

QTEST_MAIN(q9::HookLibraryTest)
#include "uiHookLibraryTest.moc"
