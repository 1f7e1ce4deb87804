// The key assignment dialogs on an X server (run under xvfb-run) through the real libuiHook.so, with
// real key events from xdotool: what the user types into a dialog comes back from its entry function.
// With Q9_SCREENSHOT_DIR set it also saves each dialog as <dialog>-<language>.png there, in the
// language of Q9_SCREENSHOT_LANG ("en" or "0804").

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "dialogs/FireKeyfrm.h"
#include "dialogs/SingleKeyfrm.h"
#include "dialogs/combofrm.h"
#include "gui/Skin.h"
#include "lang/uiLanguage.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/posix/PosixHookLibrary.h"

using namespace q9;

namespace {

constexpr int kOK = TKeyDialogFrame::kResultOK;

/// Types `keys` (xdotool key names, "ctrl+shift+a") into the window that has the input focus.
bool Type(const QStringList& keys) {
  return QProcess::execute(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys) == 0;
}

/// Gives the dialog the input focus of the X server; there is no window manager to do it.
bool Focus(QDialog& dialog) {
  if (!QTest::qWaitForWindowExposed(&dialog)) return false;
  dialog.activateWindow();
  QProcess::execute(QStringLiteral("xdotool"),
                    {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(dialog.winId())});
  return QTest::qWaitForWindowActive(&dialog);
}

QString ScreenshotLanguage() {
  const QString language = qEnvironmentVariable("Q9_SCREENSHOT_LANG", QStringLiteral("en"));
  return language == QLatin1String("0804") ? QStringLiteral("zh-CN") : QStringLiteral("en");
}

void SaveScreenshotIfAsked(QWidget& dialog, const char* name) {
  const QString folder = qEnvironmentVariable("Q9_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  const QString file = folder + "/" + QLatin1String(name) + "-" + ScreenshotLanguage() + ".png";
  QVERIFY2(dialog.grab().save(file), qPrintable(file));
}

}  // namespace

class KeyDialogsXvfbTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server (run under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
    skin::ApplySkin(*qApp);
    language_ = std::make_unique<TuiLanguage>(locale_, Q9_SOURCE_DATA);
    if (ScreenshotLanguage() == QLatin1String("zh-CN")) language_->SetLang("0804");
  }

  void singleKeyCapturesTheKeysTyped_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("vk");
    QTest::addColumn<int>("extended");
    QTest::newRow("A") << "a" << "A" << 65 << 0;
    QTest::newRow("right Ctrl") << "Control_R" << "R CTRL" << 163 << 1;
    QTest::newRow("keypad Enter") << "KP_Enter" << "ENTER" << 13 << 1;
    QTest::newRow("Enter") << "Return" << "ENTER" << 13 << 0;
    QTest::newRow("left Shift") << "Shift_L" << "L SHIFT" << 160 << 0;
  }
  void singleKeyCapturesTheKeysTyped() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(int, vk);
    QFETCH(int, extended);
    TSINGLEKEYINFO record{0, 0};
    QString shown;
    const int result = WithDialog([&] { return ShowSingleKeyDialog(record, Services(), *language_, nullptr); },
                                  [&](QDialog& dialog) {
                                    QVERIFY(Focus(dialog));
                                    QVERIFY(Type({key}));
                                    auto* box = dialog.findChild<QLineEdit*>("TextSingle");
                                    QTRY_COMPARE(box->text(), text);
                                    shown = box->text();
                                    if (key == QLatin1String("Control_R")) SaveScreenshotIfAsked(dialog, "single-key");
                                    QTest::mouseClick(dialog.findChild<QPushButton*>("BTNOK"), Qt::LeftButton);
                                  });
    QCOMPARE(shown, text);
    QCOMPARE(result, kOK);
    QCOMPARE(int{record.nKeyValue1}, vk);
    QCOMPARE(int{record.nKey1Extended}, extended);
  }

  void singleKeyAnswersCtrlEnterFromTheKeyboard() {
    TSINGLEKEYINFO record{0, 0};
    const int result = WithDialog([&] { return ShowSingleKeyDialog(record, Services(), *language_, nullptr); },
                                  [&](QDialog& dialog) {
                                    QVERIFY(Focus(dialog));
                                    QVERIFY(Type({"F5", "ctrl+Return"}));
                                    QTRY_VERIFY(!dialog.isVisible());
                                  });
    QCOMPARE(result, kOK);
    QCOMPARE(int{record.nKeyValue1}, 116);  // F5: the chord is not taken
  }

  void comboCapturesCtrlShiftA() {
    TCOMBOKEYINFO combo{};
    QString shown;
    const int result = WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                                  [&](QDialog& dialog) {
                                    QVERIFY(Focus(dialog));
                                    QVERIFY(Type({"ctrl+shift+a"}));
                                    auto* box = dialog.findChild<QLineEdit*>("TextCombo");
                                    QTRY_COMPARE(box->text(), QString("Ctrl+Shift+A"));
                                    shown = box->text();
                                    SaveScreenshotIfAsked(dialog, "combo-key");
                                    // Answered from the keyboard: the chord leaves Ctrl+Shift+A.
                                    QTest::qWait(150);
                                    QVERIFY(Type({"ctrl+Return"}));
                                    QTRY_VERIFY(!dialog.isVisible());
                                  });
    QCOMPARE(shown, QString("Ctrl+Shift+A"));
    QCOMPARE(result, kOK);
    QCOMPARE(combo.nKeyValue1, 65);
    QCOMPARE(combo.nKeyValue2, 0);
    QCOMPARE(combo.nModifier, kModifierCtrlShift);
  }

  void fireKeyTakesTypedNumbers() {
    TFIREKEYINFO fire{5, 100};
    const int result = WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                                  [&](QDialog& dialog) {
                                    QVERIFY(Focus(dialog));
                                    // The delay box has the focus: 250 ms, Tab, 8 clicks, Enter.
                                    QVERIFY(Type({"ctrl+a", "2", "5", "0", "Tab", "ctrl+a", "8"}));
                                    QTRY_COMPARE(dialog.findChild<QSpinBox*>("NBTIMES")->value(), 8);
                                    SaveScreenshotIfAsked(dialog, "fire-key");
                                    QVERIFY(Type({"Return"}));
                                    QTRY_VERIFY(!dialog.isVisible());
                                  });
    QCOMPARE(result, kOK);
    QCOMPARE(fire.DelyValue, 250);
    QCOMPARE(fire.nLoopCount, 8);
  }

 private:
  static constexpr Word kModifierCtrlShift = 2 | 4;

  int WithDialog(const std::function<int()>& open, const std::function<void(QDialog&)>& act) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      ran = true;
      act(*dialog);
      if (dialog && dialog->isVisible()) dialog->reject();
    });
    const int result = open();
    return ran ? result : -1;
  }
  HookServices Services() {
    return {library_, library_, [](const std::string& text, const std::string&) { qFatal("%s", text.c_str()); }};
  }

  PosixHookLibrary library_{Q9_HOOK_LIBRARY};
  FakeSystemLocale locale_;
  std::unique_ptr<TuiLanguage> language_;
};

QTEST_MAIN(KeyDialogsXvfbTest)
#include "KeyDialogsXvfbTest.moc"
