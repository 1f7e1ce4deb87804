// What the main window hands the recording dialogs: its hook library and key state, and the message
// dialog, in the window's language, when the library cannot be found.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "ShippedTranslations.h"
#include "WindowTestBench.h"
#include "input/uiHook.h"
#include "platform/fake/FakeHookLibrary.h"

using namespace q9;

namespace {

struct ShownMessage {
  QString title;
  QString text;
};

/// Answers the first message dialog that appears with OK and keeps what it showed.
class MessageCatcher : public QObject {
 public:
  MessageCatcher() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* ok = widget->findChild<QPushButton*>("BtnOK");
        if (!widget->isVisible() || ok == nullptr || shown) continue;
        shown = ShownMessage{widget->findChild<QLabel*>("LabelTitle")->text(),
                             widget->findChild<QLabel*>("LabelText")->text()};
        QTest::mouseClick(ok, Qt::LeftButton);
      }
    });
    timer_.start(5);
  }
  std::optional<ShownMessage> shown;

 private:
  QTimer timer_;
};

}  // namespace

class RecordingHookServicesTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

  TqvGMConfigMain& OpenWindowWith(HookLibrary* library, const KeyStateSource* keyState) {
    MainWindowServices services{*dm_,     *scheduler_, *transport_, *messaging_, *shell_, *locale_,
                                folder_->path().toStdString(), notifications_.get(), {}, {}};
    services.pause = [](int) { QCoreApplication::processEvents(); };
    services.terminate = [] {};
    services.hookLibrary = library;
    services.hookKeyState = keyState;
    window_ = std::make_unique<TqvGMConfigMain>(std::move(services));
    return *window_;
  }

 private slots:
  void init() { SetUpBench(); }
  void cleanup() { TearDownBench(); }

  void aMissingLibraryIsToldInTheWindowsLanguageAndTheHookStillWorks() {
    FakeHookLibrary library;
    library.loadResult = HookLibrary::LoadResult::kNotFound;
    TqvGMConfigMain& window = OpenWindowWith(&library, &library);
    window.uiLanguage1().SetLang("0804");
    MessageCatcher catcher;
    const HookServices services = window.RecordingHookServices();
    TuiHook hook(services.library, services.keyState, services.showError);
    QVERIFY(catcher.shown.has_value());
    QCOMPARE(catcher.shown->text, QString::fromStdString(test::Translated("0804", "uiHook.dll can not be found!")));
    QCOMPARE(catcher.shown->title, QString::fromStdString(test::Translated("0804", "Error")));
    QVERIFY(catcher.shown->text != QStringLiteral("uiHook.dll can not be found!"));
    QVERIFY(!hook.DllLoaded());
    hook.RecordKeyboardSingleKey();  // does nothing, and does not fail
  }

  void aLibraryWithoutItsEntryPointsIsNotTold() {
    FakeHookLibrary library;
    library.loadResult = HookLibrary::LoadResult::kMissingExports;
    TqvGMConfigMain& window = OpenWindowWith(&library, &library);
    MessageCatcher catcher;
    const HookServices services = window.RecordingHookServices();
    TuiHook hook(services.library, services.keyState, services.showError);
    QTest::qWait(30);
    QVERIFY(!catcher.shown.has_value());
    QVERIFY(!hook.DllLoaded());
  }

  void theDialogsRecordThroughTheLibraryAndKeyStateTheWindowWasGiven() {
    FakeHookLibrary library;
    TqvGMConfigMain& window = OpenWindowWith(&library, &library);
    const HookServices services = window.RecordingHookServices();
    QCOMPARE(&services.library, static_cast<HookLibrary*>(&library));
    TuiHook hook(services.library, services.keyState, services.showError);
    std::string combo;
    hook.OnRecordKeyboardComboKey = [&](auto, auto, auto, auto, auto, const std::string& text) { combo = text; };
    hook.RecordKeyboardComboKey();
    library.Press(162);  // left Ctrl, held: read through the key state
    library.Advance(200);
    QVERIFY(library.Press('A'));
    QCOMPARE(combo, std::string("Ctrl+A"));
  }

  void withoutALibraryTheWindowUsesThePlatformsOwn() {
    TqvGMConfigMain& window = OpenWindowWith(nullptr, nullptr);
    const HookServices first = window.RecordingHookServices();
    QCOMPARE(std::string(first.library.FileName()), std::string("libuiHook.so"));
    QVERIFY(!first.keyState.IsKeyDown(162));
    // The window keeps one library for all its dialogs.
    QCOMPARE(&window.RecordingHookServices().library, &first.library);
  }
};

QTEST_MAIN(RecordingHookServicesTest)
#include "RecordingHookServicesTest.moc"
