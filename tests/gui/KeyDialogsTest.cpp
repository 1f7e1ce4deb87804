// The key assignment dialogs on the fake hook library: what each entry function hands back on OK and
// on Cancel, the keys and combinations recorded and their texts, the Ctrl chords that answer a
// recording dialog from the keyboard, the fire key's limits, the missing library, accessible names
// and translation, and the background image the controls sit on with the skin stream bound to it.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

#include "AccessibilityWalk.h"
#include "ShippedTranslations.h"
#include "dialogs/FireKeyfrm.h"
#include "dialogs/SingleKeyfrm.h"
#include "dialogs/combofrm.h"
#include "gui/Skin.h"
#include "gui/SkinWidgets.h"
#include "input/uiKeyCode.h"
#include "lang/uiLanguage.h"
#include "platform/fake/FakeHookLibrary.h"
#include "platform/fake/FakeSystemLocale.h"

using namespace q9;

namespace {

constexpr int kOK = TKeyDialogFrame::kResultOK;
constexpr int kCancel = TKeyDialogFrame::kResultCancel;
constexpr std::uint32_t kLeftCtrl = 162;
constexpr std::uint32_t kRightCtrl = 163;
constexpr std::uint32_t kLeftAlt = 164;
constexpr std::uint32_t kLeftShift = 160;
constexpr std::uint32_t kReturn = 13;
constexpr std::uint32_t kEscape = 27;

template <class T>
T* Find(QWidget* root, const char* name) {
  T* widget = root->findChild<T*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget %s", name);
  return widget;
}

QString Text(QWidget* dialog, const char* box) { return Find<QLineEdit>(dialog, box)->text(); }
/// A caption as a control's name: without its closing colon (also the full-width one).
QString WithoutColon(QString caption) {
  if (caption.endsWith(':') || caption.endsWith(QChar(0xFF1A))) caption.chop(1);
  return caption;
}
void Click(QWidget* dialog, const char* button) { QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton); }

}  // namespace

class KeyDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();

  void singleKeyTakesTheLastKeyPressedOrReleased();
  void singleKeyCancelAndCloseLeaveTheRecord();
  void singleKeyOpenedOnAKeyShowsItsNameAndOnNothingAnEmptyBox();
  void ctrlChordsAnswerTheSingleKeyDialogAndKeepTheKeyBeforeThem();
  void aRecordingDialogTakesNoKeyForItself();
  void comboShowsTheStoredCombinationThenTheRecordedOne();
  void comboCancelAndTheCtrlChords();
  void fireKeyShowsTheRecordAndCancelLeavesIt();
  void fireKeyValuesOutsideTheLimitsCannotBeEntered();
  void fireKeyRecordOutsideTheLimitsComesBackAsShown();
  void withoutTheHookLibraryEachDialogTellsOnceAndStillWorks();
  void closingStopsTheRecorderAndReleasesTheLibrary();
  void everyControlHasANameInEnglishAndChinese();
  void anOwnerDestroyedWhileTheDialogIsOpenEndsItWithCancel();
  void aDialogOpensCentredOnItsOwnerAndIsMovedByDragging();
  void everyDialogSitsOnItsBackgroundImageWithItsSkinStream();

 private:
  /// Runs `act` on the modal dialog once `open` has shown it, and `open`'s result comes back.
  int WithDialog(const std::function<int()>& open, const std::function<void(QDialog&)>& act);
  HookServices Services() {
    return {hook_, hook_, [this](const std::string& text, const std::string& caption) {
              errors_.push_back(text + " | " + caption);
            }};
  }

  FakeHookLibrary hook_;
  FakeSystemLocale locale_;
  std::unique_ptr<TuiLanguage> language_;
  std::vector<std::string> errors_;
};

void KeyDialogsTest::init() {
  hook_ = FakeHookLibrary();
  errors_.clear();
  language_ = std::make_unique<TuiLanguage>(locale_, Q9_SOURCE_DATA);
}

int KeyDialogsTest::WithDialog(const std::function<int()>& open, const std::function<void(QDialog&)>& act) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    ran = true;
    act(*dialog);
    // A check that failed inside `act` must not leave the modal dialog open; an answer given
    // from the hook arrives a moment later.
    if (dialog && dialog->isVisible()) QTest::qWait(20);
    if (dialog && dialog->isVisible()) dialog->reject();
  });
  const int result = open();
  if (!ran) qWarning("the dialog did not open");
  return ran ? result : -1;
}

void KeyDialogsTest::singleKeyTakesTheLastKeyPressedOrReleased() {
  TSINGLEKEYINFO key{0, 0};
  const int result = WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                                [&](QDialog& dialog) {
                                  // The keys are not swallowed: they reach the window with the focus.
                                  QVERIFY(!hook_.Press('A'));
                                  QCOMPARE(Text(&dialog, "TextSingle"), QString("A"));
                                  QVERIFY(!hook_.Release('A'));
                                  QVERIFY(!hook_.Press(kRightCtrl, true));
                                  QCOMPARE(Text(&dialog, "TextSingle"), QString("R CTRL"));
                                  hook_.Release(kRightCtrl, true);
                                  hook_.Press(kReturn, true);  // keypad Enter
                                  QCOMPARE(Text(&dialog, "TextSingle"), QString("ENTER"));
                                  hook_.Release(kReturn, true);
                                  QCOMPARE(key.nKeyValue1, 0);  // nothing reaches the caller before OK
                                  Click(&dialog, "BTNOK");
                                });
  QCOMPARE(result, kOK);
  QCOMPARE(key.nKeyValue1, 13);
  QCOMPARE(key.nKey1Extended, 1);

  // A modifier is a key like any other; the release of A alone leaves A.
  const std::vector<std::pair<std::function<void()>, TSINGLEKEYINFO>> cases{
      {[this] { hook_.Press(kLeftShift), hook_.Release(kLeftShift); }, {kLeftShift, 0}},
      {[this] { hook_.Press(kRightCtrl, true); }, {kRightCtrl, 1}},
      {[this] { hook_.Release('A'); }, {'A', 0}},
  };
  for (const auto& [keys, expected] : cases) {
    TSINGLEKEYINFO captured{'Z', 0};
    QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(captured, Services(), *language_, nullptr); },
                        [&](QDialog& dialog) {
                          keys();
                          Click(&dialog, "BTNOK");
                        }),
             kOK);
    QCOMPARE(captured.nKeyValue1, expected.nKeyValue1);
    QCOMPARE(captured.nKey1Extended, expected.nKey1Extended);
  }
}

void KeyDialogsTest::singleKeyCancelAndCloseLeaveTheRecord() {
  for (const char* button : {"BTNCANCEL", "BtnClose"}) {
    TSINGLEKEYINFO key{'B', 0};
    const int result = WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                                  [&](QDialog& dialog) {
                                    hook_.Press('A');
                                    QCOMPARE(Text(&dialog, "TextSingle"), QString("A"));
                                    Click(&dialog, button);
                                  });
    QCOMPARE(result, kCancel);
    QCOMPARE(key.nKeyValue1, 'B');
    QCOMPARE(key.nKey1Extended, 0);
  }
}

void KeyDialogsTest::singleKeyOpenedOnAKeyShowsItsNameAndOnNothingAnEmptyBox() {
  const std::vector<std::pair<TSINGLEKEYINFO, QString>> cases{
      {{0, 0}, ""}, {{33, 1}, "PAGE UP"}, {{163, 1}, "R CTRL"}, {{'A', 1}, "UNDEFINED_041"}};
  for (const auto& [stored, text] : cases) {
    TSINGLEKEYINFO key = stored;
    QString shown = "(not open)";
    QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                        [&](QDialog& dialog) {
                          shown = Text(&dialog, "TextSingle");
                          Click(&dialog, "BTNOK");
                        }),
             kOK);
    QCOMPARE(shown, text);
    // OK without a key pressed hands back the record it was opened on.
    QCOMPARE(key.nKeyValue1, stored.nKeyValue1);
    QCOMPARE(key.nKey1Extended, stored.nKey1Extended);
  }
}

void KeyDialogsTest::ctrlChordsAnswerTheSingleKeyDialogAndKeepTheKeyBeforeThem() {
  // A, then Ctrl+Enter: OK with A; the Enter press is swallowed, the later releases change nothing.
  TSINGLEKEYINFO key{0, 0};
  bool enterSwallowed = false;
  QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press('A');
                        hook_.Release('A');
                        hook_.Press(kRightCtrl, true);
                        QCOMPARE(Text(&dialog, "TextSingle"), QString("R CTRL"));
                        enterSwallowed = hook_.Press(kReturn);
                        QCOMPARE(Text(&dialog, "TextSingle"), QString("A"));
                        hook_.Release(kReturn);
                        hook_.Release(kRightCtrl, true);
                        QTRY_VERIFY(!dialog.isVisible());
                      }),
           kOK);
  QVERIFY(enterSwallowed);
  QCOMPARE(key.nKeyValue1, 'A');

  // Ctrl itself and Enter itself can be taken: press it, then the chord.
  for (const std::uint32_t wanted : {kLeftCtrl, kReturn}) {
    TSINGLEKEYINFO captured{0, 0};
    QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(captured, Services(), *language_, nullptr); },
                        [&](QDialog& dialog) {
                          hook_.Press(wanted);
                          hook_.Release(wanted);
                          QVERIFY(dialog.isVisible());  // Enter without Ctrl is a key to record
                          hook_.Press(kLeftCtrl);
                          hook_.Press(kReturn);
                          QTRY_VERIFY(!dialog.isVisible());
                        }),
             kOK);
    QCOMPARE(captured.nKeyValue1, wanted);
  }

  // Ctrl+Esc answers Cancel and hands nothing back; a held Ctrl repeating does not move the
  // record the chord keeps.
  key = {'Q', 0};
  QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press('A');
                        hook_.Press(kLeftCtrl);
                        hook_.Press(kLeftCtrl);
                        QVERIFY(hook_.Press(kEscape));
                        QCOMPARE(Text(&dialog, "TextSingle"), QString("A"));
                        QTRY_VERIFY(!dialog.isVisible());
                      }),
           kCancel);
  QCOMPARE(key.nKeyValue1, 'Q');
}

void KeyDialogsTest::aRecordingDialogTakesNoKeyForItself() {
  TSINGLEKEYINFO key{'A', 0};
  QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        QWidget* box = Find<QLineEdit>(&dialog, "TextSingle");
                        // Escape, Enter and Tab reach the dialog as keys to record, not as commands.
                        QTest::keyClick(&dialog, Qt::Key_Escape);
                        QTest::keyClick(&dialog, Qt::Key_Return);
                        QVERIFY(dialog.isVisible());
                        QTest::keyClick(box, Qt::Key_Tab);
                        QCOMPARE(dialog.focusWidget(), box);
                        for (const char* button : {"BTNOK", "BTNCANCEL", "BtnClose"})
                          QCOMPARE(Find<QPushButton>(&dialog, button)->focusPolicy(), Qt::NoFocus);
                        Click(&dialog, "BTNCANCEL");
                      }),
           kCancel);
}

void KeyDialogsTest::comboShowsTheStoredCombinationThenTheRecordedOne() {
  TCOMBOKEYINFO combo{'A', 0, 0, 0, kModifierCtrl | kModifierAlt};
  QString opened;
  const int result = WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                                [&](QDialog& dialog) {
                                  opened = Text(&dialog, "TextCombo");
                                  QVERIFY(!hook_.Press(kLeftCtrl));  // modifiers pass and are not taken
                                  QCOMPARE(Text(&dialog, "TextCombo"), opened);
                                  hook_.Advance(200);
                                  QVERIFY(hook_.Press('A'));  // other keys are swallowed
                                  QCOMPARE(Text(&dialog, "TextCombo"), QString("Ctrl+A"));
                                  hook_.Release('A');
                                  hook_.Release(kLeftCtrl);
                                  QCOMPARE(Text(&dialog, "TextCombo"), QString("Ctrl+A"));
                                  Click(&dialog, "BTNOK");
                                });
  QCOMPARE(opened, QString("Alt+Ctrl+A"));
  QCOMPARE(result, kOK);
  QCOMPARE(combo.nKeyValue1, 'A');
  QCOMPARE(combo.nKey1Extended, 0);
  QCOMPARE(combo.nKeyValue2, 0);
  QCOMPARE(combo.nModifier, kModifierCtrl);

  // Ctrl, Shift and A, then two keys within 100 ms; the recorder's text orders Ctrl before Shift.
  combo = {};
  QCOMPARE(WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        QCOMPARE(Text(&dialog, "TextCombo"), QString());
                        hook_.Press(kLeftShift);
                        hook_.Press(kRightCtrl, true);
                        hook_.Press('A');
                        QCOMPARE(Text(&dialog, "TextCombo"), QString("Ctrl+Shift+A"));
                        hook_.Release('A');
                        hook_.Release(kRightCtrl, true);
                        hook_.Release(kLeftShift);
                        hook_.Advance(500);
                        hook_.Press(33, true);
                        hook_.Advance(50);
                        hook_.Press(kReturn, true);
                        QCOMPARE(Text(&dialog, "TextCombo"), QString("PAGE UP+ENTER"));
                        Click(&dialog, "BTNOK");
                      }),
           kOK);
  QCOMPARE(combo.nKeyValue1, 33);
  QCOMPARE(combo.nKey1Extended, 1);
  QCOMPARE(combo.nKeyValue2, 13);
  QCOMPARE(combo.nKey2Extended, 1);
  QCOMPARE(combo.nModifier, 0);
}

void KeyDialogsTest::comboCancelAndTheCtrlChords() {
  const TCOMBOKEYINFO stored{'B', 0, 'C', 0, kModifierShift};
  TCOMBOKEYINFO combo = stored;
  QCOMPARE(WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press('A');
                        Click(&dialog, "BTNCANCEL");
                      }),
           kCancel);
  QCOMPARE(combo.nKeyValue1, stored.nKeyValue1);
  QCOMPARE(combo.nKeyValue2, stored.nKeyValue2);
  QCOMPARE(combo.nModifier, stored.nModifier);

  // Alt+A, then Ctrl+Enter: OK with Alt+A, the Enter swallowed.
  QCOMPARE(WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press(kLeftAlt);
                        hook_.Press('A');
                        hook_.Release('A');
                        hook_.Release(kLeftAlt);
                        hook_.Advance(300);
                        hook_.Press(kLeftCtrl);
                        QVERIFY(hook_.Press(kReturn));
                        QCOMPARE(Text(&dialog, "TextCombo"), QString("Alt+A"));
                        QTRY_VERIFY(!dialog.isVisible());
                      }),
           kOK);
  QCOMPARE(combo.nKeyValue1, 'A');
  QCOMPARE(combo.nKeyValue2, 0);
  QCOMPARE(combo.nModifier, kModifierAlt);

  // Ctrl+Shift+Enter is a combination to record, not the chord; Ctrl+Esc answers Cancel.
  QCOMPARE(WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press(kLeftCtrl);
                        hook_.Press(kLeftShift);
                        hook_.Press(kReturn);
                        QCOMPARE(Text(&dialog, "TextCombo"), QString("Ctrl+Shift+ENTER"));
                        QVERIFY(dialog.isVisible());
                        hook_.Release(kLeftShift);
                        hook_.Advance(300);
                        hook_.Press(kEscape);
                        QTRY_VERIFY(!dialog.isVisible());
                      }),
           kCancel);
  QCOMPARE(combo.nKeyValue1, 'A');
  QCOMPARE(combo.nModifier, kModifierAlt);
}

void KeyDialogsTest::fireKeyShowsTheRecordAndCancelLeavesIt() {
  TFIREKEYINFO fire{5, 100};
  int shownDelay = 0;
  int shownTimes = 0;
  QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        shownDelay = Find<QSpinBox>(&dialog, "NBDELAY")->value();
                        shownTimes = Find<QSpinBox>(&dialog, "NBTIMES")->value();
                        Find<QSpinBox>(&dialog, "NBDELAY")->setValue(900);
                        Find<QSpinBox>(&dialog, "NBTIMES")->setValue(12);
                        Click(&dialog, "BTNCANCEL");
                      }),
           kCancel);
  QCOMPARE(shownDelay, 100);
  QCOMPARE(shownTimes, 5);
  QCOMPARE(fire.DelyValue, 100);
  QCOMPARE(fire.nLoopCount, 5);

  // Escape is Cancel here (nothing is recorded); Enter is OK.
  QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        Find<QSpinBox>(&dialog, "NBTIMES")->setValue(12);
                        QTest::keyClick(&dialog, Qt::Key_Escape);
                      }),
           kCancel);
  QCOMPARE(fire.nLoopCount, 5);
  QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        Find<QSpinBox>(&dialog, "NBTIMES")->setValue(12);
                        QTest::keyClick(&dialog, Qt::Key_Return);
                      }),
           kOK);
  QCOMPARE(fire.nLoopCount, 12);
  QCOMPARE(fire.DelyValue, 100);
}

void KeyDialogsTest::fireKeyValuesOutsideTheLimitsCannotBeEntered() {
  TFIREKEYINFO fire{2, 60};
  QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        auto* delay = Find<QSpinBox>(&dialog, "NBDELAY");
                        auto* times = Find<QSpinBox>(&dialog, "NBTIMES");
                        QCOMPARE(delay->buttonSymbols(), QAbstractSpinBox::NoButtons);
                        // Typed by hand: the fourth digit of 6000 is refused, 600 stays.
                        delay->setFocus();
                        delay->selectAll();
                        QTest::keyClicks(delay, "6000");
                        QCOMPARE(delay->text(), QString("600"));
                        // 40 clicks: the 0 is refused, 4 stays.
                        QTest::keyClick(&dialog, Qt::Key_Tab);
                        QCOMPARE(dialog.focusWidget(), times);
                        times->selectAll();
                        QTest::keyClicks(times, "40");
                        QCOMPARE(times->text(), QString("4"));
                        Click(&dialog, "BTNOK");
                      }),
           kOK);
  QCOMPARE(fire.DelyValue, 600);
  QCOMPARE(fire.nLoopCount, 4);

  // Below the range: 5 ms is no value yet and falls back to the last valid delay.
  QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        auto* delay = Find<QSpinBox>(&dialog, "NBDELAY");
                        delay->setFocus();
                        delay->selectAll();
                        QTest::keyClicks(delay, "5");
                        QTest::keyClick(&dialog, Qt::Key_Tab);
                        QCOMPARE(delay->value(), 600);
                        Click(&dialog, "BTNOK");
                      }),
           kOK);
  QCOMPARE(fire.DelyValue, 600);
}

void KeyDialogsTest::fireKeyRecordOutsideTheLimitsComesBackAsShown() {
  // A record made elsewhere may hold anything; OK hands back what the boxes showed.
  const std::vector<std::pair<TFIREKEYINFO, TFIREKEYINFO>> cases{
      {{40, 9000}, {30, 5000}}, {{0, 0}, {1, 10}}, {{30, 5000}, {30, 5000}}, {{1, 10}, {1, 10}}};
  for (const auto& [stored, expected] : cases) {
    TFIREKEYINFO fire = stored;
    QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                        [&](QDialog& dialog) {
                          QCOMPARE(Find<QSpinBox>(&dialog, "NBTIMES")->value(), int{expected.nLoopCount});
                          Click(&dialog, "BTNOK");
                        }),
             kOK);
    QCOMPARE(fire.nLoopCount, expected.nLoopCount);
    QCOMPARE(fire.DelyValue, expected.DelyValue);
  }
}

void KeyDialogsTest::withoutTheHookLibraryEachDialogTellsOnceAndStillWorks() {
  hook_.loadResult = HookLibrary::LoadResult::kNotFound;
  TSINGLEKEYINFO key{'B', 0};
  QCOMPARE(WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press('A');
                        QCOMPARE(Text(&dialog, "TextSingle"), QString("B"));
                        QVERIFY(Find<QLabel>(&dialog, "LabelHint")->text().isEmpty());
                        // An ordinary dialog for the keyboard now: Enter answers OK.
                        QCOMPARE(Find<QPushButton>(&dialog, "BTNOK")->focusPolicy(), Qt::StrongFocus);
                        QTest::keyClick(&dialog, Qt::Key_Return);
                      }),
           kOK);
  QCOMPARE(key.nKeyValue1, 'B');

  TCOMBOKEYINFO combo{'C', 0, 0, 0, kModifierCtrl};
  QCOMPARE(WithDialog([&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) {
                        hook_.Press(kLeftCtrl);
                        hook_.Press('A');
                        QCOMPARE(Text(&dialog, "TextCombo"), QString("Ctrl+C"));
                        QTest::keyClick(&dialog, Qt::Key_Escape);
                      }),
           kCancel);
  TFIREKEYINFO fire{3, 50};
  QCOMPARE(WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                      [&](QDialog& dialog) { Click(&dialog, "BTNOK"); }),
           kOK);
  QCOMPARE(errors_, std::vector<std::string>(3, "uiHook.dll can not be found! | Error"));
  QCOMPARE(combo.nKeyValue1, 'C');
  QCOMPARE(fire.nLoopCount, 3);
}

void KeyDialogsTest::closingStopsTheRecorderAndReleasesTheLibrary() {
  TSINGLEKEYINFO key{};
  bool recording = false;
  WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
             [&](QDialog& dialog) {
               recording = hook_.keyboardCallback != nullptr;
               Click(&dialog, "BTNOK");
             });
  QVERIFY(recording);
  QVERIFY(hook_.keyboardCallback == nullptr);
  QCOMPARE(hook_.unloads, 1);
  // A key after the dialog is gone reaches nobody and changes nothing.
  QVERIFY(!hook_.Press('A'));
  QCOMPARE(key.nKeyValue1, 0);

  // The fire key dialog records nothing, even if a recorder was left on by someone else.
  hook_ = FakeHookLibrary();
  TFIREKEYINFO fire{2, 60};
  WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
             [&](QDialog& dialog) {
               QVERIFY(hook_.keyboardCallback == nullptr);
               Click(&dialog, "BTNCANCEL");
             });
  QCOMPARE(hook_.loads, 1);
  QCOMPARE(hook_.unloads, 1);
}

void KeyDialogsTest::everyControlHasANameInEnglishAndChinese() {
  for (const std::string language : {"en", "0804"}) {
    language_->SetLang(language);
    const auto tr = [&](const char* text) {
      return QString::fromStdString(language == "en" ? std::string(text) : test::Translated(language, text));
    };
    std::vector<std::pair<std::function<int()>, QStringList>> dialogs;
    TSINGLEKEYINFO key{};
    TCOMBOKEYINFO combo{};
    TFIREKEYINFO fire{2, 60};
    dialogs.push_back({[&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
                       {tr("Close"), tr("Captured key"), tr("OK"), tr("Cancel")}});
    dialogs.push_back({[&] { return ShowComboKeyDialog(combo, Services(), *language_, nullptr); },
                       {tr("Close"), tr("Key combination"), tr("OK"), tr("Cancel")}});
    dialogs.push_back({[&] { return ShowFireKeyDialog(fire, Services(), *language_, nullptr); },
                       {WithoutColon(tr("Delay(ms):")), WithoutColon(tr("Times:")), tr("OK"), tr("Cancel")}});
    for (const auto& [open, names] : dialogs) {
      WithDialog(open, [&](QDialog& dialog) {
        const test::AccessibilityWalk walk = test::WalkAccessibility(&dialog);
        QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
        QCOMPARE(walk.names, names);
        // The prompt is never cut off: it fits its area in every language.
        auto* prompt = Find<QLabel>(&dialog, "Label1");
        QVERIFY(!prompt->text().isEmpty());
        QVERIFY2(prompt->heightForWidth(prompt->width()) <= prompt->height(), qPrintable(prompt->text()));
        if (language != "en") {
          QVERIFY(Find<QLabel>(&dialog, "Label1")->text() != QString::fromStdString(language_->Original(
                                                                   Find<QLabel>(&dialog, "Label1")->text().toStdString())));
          QVERIFY(!walk.names.contains("OK"));
        }
        Click(&dialog, "BTNCANCEL");
      });
    }
  }
  // The prompts and the chord hint are the shipped translations.
  language_->SetLang("0804");
  TSINGLEKEYINFO key{};
  WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, nullptr); },
             [&](QDialog& dialog) {
               QCOMPARE(Find<QLabel>(&dialog, "Label1")->text().toStdString(),
                        test::Translated("0804", "Please enter a single key, it can be any key on the keyboard."));
               QCOMPARE(Find<QLabel>(&dialog, "LabelHint")->text().toStdString(),
                        test::Translated("0804", kChordHint));
               QCOMPARE(dialog.accessibleDescription().toStdString(), test::Translated("0804", kChordHint));
               Click(&dialog, "BTNCANCEL");
             });
}

void KeyDialogsTest::anOwnerDestroyedWhileTheDialogIsOpenEndsItWithCancel() {
  auto* owner = new QWidget;
  owner->show();
  TSINGLEKEYINFO key{'B', 0};
  const int result = WithDialog([&] { return ShowSingleKeyDialog(key, Services(), *language_, owner); },
                                [&](QDialog&) {
                                  hook_.Press('A');
                                  delete owner;  // takes the dialog along
                                });
  QCOMPARE(result, kCancel);
  QCOMPARE(key.nKeyValue1, 'B');
  // Nothing listens any more; a key goes by without reaching the dialog that is gone.
  QVERIFY(hook_.keyboardCallback == nullptr);
  QVERIFY(!hook_.Press('C'));
}

void KeyDialogsTest::aDialogOpensCentredOnItsOwnerAndIsMovedByDragging() {
  QWidget owner;
  owner.setGeometry(100, 80, 800, 600);
  owner.show();
  QVERIFY(QTest::qWaitForWindowExposed(&owner));
  TFIREKEYINFO fire{2, 60};
  QPoint centre;
  QPoint dragged;
  QPoint before;
  WithDialog([&] { return ShowFireKeyDialog(fire, Services(), *language_, &owner); },
             [&](QDialog& dialog) {
               centre = dialog.frameGeometry().center();
               before = dialog.pos();
               // Pressed on the background below the prompt, moved by (30, 20).
               const QPoint grip(10, 200);
               QMouseEvent press(QEvent::MouseButtonPress, grip, dialog.mapToGlobal(grip), Qt::LeftButton,
                                 Qt::LeftButton, Qt::NoModifier);
               QApplication::sendEvent(&dialog, &press);
               const QPoint to = grip + QPoint(30, 20);
               QMouseEvent move(QEvent::MouseMove, to, dialog.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                                Qt::NoModifier);
               QApplication::sendEvent(&dialog, &move);
               QMouseEvent release(QEvent::MouseButtonRelease, to, dialog.mapToGlobal(to), Qt::LeftButton,
                                   Qt::NoButton, Qt::NoModifier);
               QApplication::sendEvent(&dialog, &release);
               dragged = dialog.pos();
               Click(&dialog, "BTNCANCEL");
             });
  QVERIFY2((centre - owner.frameGeometry().center()).manhattanLength() <= 2, "not centred on the owner");
  QCOMPARE(dragged - before, QPoint(30, 20));
}

void KeyDialogsTest::everyDialogSitsOnItsBackgroundImageWithItsSkinStream() {
  TFrmSingleKey single(Services(), *language_, nullptr);
  TFrmCombo combo(Services(), *language_, nullptr);
  TFrmFireKey fire(Services(), *language_, nullptr);
  for (TKeyDialogFrame* dialog : std::initializer_list<TKeyDialogFrame*>{&single, &combo, &fire}) {
    const QString name = dialog->objectName();
    auto* background = dialog->findChild<TBackgroundImage*>(QStringLiteral("ImageCombo"), Qt::FindDirectChildrenOnly);
    QVERIFY2(background && background == dialog->ImageCombo, qPrintable(name));
    QCOMPARE(background->geometry(), dialog->rect());
    QCOMPARE(dialog->UIStream1.BoundComponent(), background);
    QVERIFY(dialog->UIStream1.ActiveUI());
    const QList<QWidget*> direct = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QVERIFY2(direct == QList<QWidget*>{background}, qPrintable(name));
    for (const char* control : {"Label1", "BTNOK", "BTNCANCEL"})
      QCOMPARE(Find<QWidget>(dialog, control)->parentWidget(), background);

    // Without an image the background is the window background the dialogs always had.
    QImage painted(dialog->size(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    background->render(&painted, QPoint(), QRegion(), QWidget::RenderFlags());
    QImage expected(dialog->size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
      QPainter painter(&expected);
      painter.setRenderHint(QPainter::Antialiasing);
      skin::PaintWindowBackground(painter, QRect(QPoint(), dialog->size()));
    }
    QVERIFY2(painted == expected, qPrintable(name));
  }

  // A designer's bitmap-state button on the background takes its images from the dialog's skins;
  // the dialog's own buttons stay as they are.
  QImage skin(single.size(), QImage::Format_ARGB32);
  for (int y = 0; y < skin.height(); ++y)
    for (int x = 0; x < skin.width(); ++x) skin.setPixel(x, y, qRgba(x & 0xFF, y & 0xFF, x >> 8, 0xFF));
  auto* skinned = new TBitmapStateButton(single.ImageCombo);
  skinned->setGeometry(300, 10, 40, 24);
  single.UIStream1.SetBitmap(skin);
  single.UIStream1.SetActiveUI(false);
  QCOMPARE(skinned->StateImage(TButtonState::Normal), skin.copy(300, 10, 40, 24));
  QVERIFY(Find<QPushButton>(&single, "BTNOK")->icon().isNull());

  // The dialog is still dragged by its background.
  fire.show();
  QVERIFY(QTest::qWaitForWindowExposed(&fire));
  const QPoint before = fire.pos();
  const QPoint grip(10, 200);
  QMouseEvent press(QEvent::MouseButtonPress, grip, fire.mapToGlobal(grip), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(fire.ImageCombo, &press);
  const QPoint to = grip + QPoint(25, 15);
  QMouseEvent move(QEvent::MouseMove, to, fire.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(fire.ImageCombo, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, to, fire.mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(fire.ImageCombo, &release);
  QCOMPARE(fire.pos() - before, QPoint(25, 15));
  fire.reject();
}

QTEST_MAIN(KeyDialogsTest)
#include "KeyDialogsTest.moc"
