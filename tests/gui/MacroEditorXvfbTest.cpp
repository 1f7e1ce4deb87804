// The Macro Manager on a virtual X server through the real libuiHook.so: keys typed by xdotool into
// the focused editor are recorded as a press, the delay between, and a release. With
// Q9_SCREENSHOT_DIR set it also saves the editor with that recording, in English and in Chinese.

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

#include "gui/Skin.h"
#include "lang/uiLanguage.h"
#include "macro/macrofrm.h"
#include "macro/uiMacroClassUnit.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/posix/PosixHookLibrary.h"

using namespace q9;

namespace {

TMACROKEYINFOLIST ListOf(std::initializer_list<const char16_t*> names) {
  TuiMacroClass macros;
  for (const char16_t* name : names) macros.CreateNewMacro(name);
  TMACROKEYINFOLIST list{};
  macros.GetMacroKeyInfoList(list);
  return list;
}

void SaveScreenshotIfAsked(QWidget& form, const QString& name) {
  const QString folder = qEnvironmentVariable("Q9_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QVERIFY2(form.grab().save(folder + "/" + name + ".png"), qPrintable(name));
}

}  // namespace

class MacroEditorXvfbTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server (run under xvfb-run)");
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) QFAIL("xdotool is not installed");
    skin::ApplySkin(*qApp);
  }

  void realKeysAreRecordedAsPressDelayRelease() {
    PosixHookLibrary library(Q9_HOOK_LIBRARY);
    FakeSystemLocale locale;
    TuiLanguage language(locale, Q9_SOURCE_DATA);
    QStringList errors;
    const HookServices services{library, library, [&](const std::string& text, const std::string&) {
                                  errors << QString::fromStdString(text);
                                }};
    TFrmMacro form(services, language, nullptr);
    form.FMacroKeyInfoList = ListOf({u"Reload", u"Sprint jump", u"Combo 1"});
    form.FCurrentMacro = 1;
    form.LoadMacros();
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join("; ")));
    QVERIFY(form.uiHook1().DllLoaded());

    // A new macro starts with Add Delay off; the user turns it on.
    QTest::keyClick(form.findChild<QCheckBox*>("BtnAutoDelay"), Qt::Key_Space);
    QVERIFY(form.findChild<QCheckBox*>("BtnAutoDelay")->isChecked());
    auto* record = form.findChild<QPushButton*>("BtnMacroRecord");
    QTest::mouseClick(record, Qt::LeftButton);
    QVERIFY(form.Recording());
    // The X server stamps each event; the hook's delay is the difference of those stamps.
    QProcess xdotool;
    xdotool.start("xdotool", {"keydown", "a", "sleep", "0.3", "keyup", "a"});
    QVERIFY(xdotool.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(xdotool.state() == QProcess::NotRunning, 5000);
    QCOMPARE(xdotool.exitCode(), 0);
    auto* rows = form.findChild<QListWidget*>("ListBoxMacroKey");
    QTRY_COMPARE_WITH_TIMEOUT(rows->count(), 3, 5000);

    QTest::mouseClick(record, Qt::LeftButton);
    QVERIFY(!form.Recording());

    const TMACROKEYINFO& macro = form.Macros().at(1);
    QCOMPARE(EntryCount(macro), 3);
    QCOMPARE(macro.MacroList[0].nEntryType, Word{kMacroEntryKey});
    QCOMPARE(macro.MacroList[0].nEntryState, Word{1});
    QCOMPARE(macro.MacroList[0].nValueLo, Byte{65});
    QCOMPARE(macro.MacroList[0].nValueHi, Byte{0});
    QCOMPARE(macro.MacroList[1].nEntryType, Word{kMacroEntryDelay});
    const int delay = MacroDelayMs(macro.MacroList[1]);
    QVERIFY2(delay >= 250 && delay <= 600, qPrintable(QString::number(delay)));
    QCOMPARE(macro.MacroList[2].nEntryType, Word{kMacroEntryKey});
    QCOMPARE(macro.MacroList[2].nEntryState, Word{0});
    QCOMPARE(macro.MacroList[2].nValueLo, Byte{65});
    QCOMPARE(rows->item(0)->text(), QStringLiteral(" [ A ] Down"));
    QCOMPARE(rows->item(2)->text(), QStringLiteral(" [ A ] Up"));

    // After the stop nothing more is recorded.
    QProcess later;
    later.start("xdotool", {"key", "b"});
    QVERIFY(later.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 5000);
    QTest::qWait(100);
    QCOMPARE(EntryCount(form.Macros().at(1)), 3);
    QCOMPARE(rows->count(), 3);

    rows->setCurrentRow(1);
    SaveScreenshotIfAsked(form, "macro-editor-en");
    language.SetLang("0804");
    QTest::qWait(50);
    SaveScreenshotIfAsked(form, "macro-editor-zh-CN");
    form.done(TFrmMacro::kResultCancel);
  }
};

QTEST_MAIN(MacroEditorXvfbTest)
#include "MacroEditorXvfbTest.moc"
