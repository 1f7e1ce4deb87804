// The Macro Manager on the fake hook library: naming, selecting and deleting macros, recording into
// them (replace, before, after), loops, delays, mouse events, the 20-macro and 60-entry limits, the
// copy-in / copy-out contract, the keyboard and the accessibility of every control, and a recorded
// macro that reaches the mouse and is read back from its memory.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "AccessibilityWalk.h"
#include "MemoryDecode.h"
#include "ShippedTranslations.h"
#include "SimulatedMouse.h"
#include "device/uiSTDCommand.h"
#include "gui/Skin.h"
#include "gui/uiMenuExPopup.h"
#include "lang/uiLanguage.h"
#include "macro/TextEditDelay.h"
#include "macro/TextMacroName.h"
#include "macro/macrofrm.h"
#include "macro/uiMacroClassUnit.h"
#include "mainwindow/showdialog.h"
#include "model/FactoryDefaults.h"
#include "platform/fake/FakeHookLibrary.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/ManualScheduler.h"
#include "protocol/ApplySequence.h"
#include "protocol/DeviceImage.h"
#include "protocol/FunctionAssignment.h"

using namespace q9;

namespace {

constexpr int kA = 65;
constexpr int kB = 66;
constexpr int kC = 67;

TMACROKEYINFO Macro(const char16_t* name, std::vector<TMACROENTRY> entries = {}, Word autoDelay = 1, Word loop = 0) {
  TuiMacroClass maker;
  maker.CreateNewMacro(name);
  TMACROKEYINFO macro = maker.Macros().front();
  for (std::size_t i = 0; i < entries.size(); ++i) macro.MacroList[i] = entries[i];
  macro.MacroListCount = static_cast<Integer>(entries.size());
  macro.nAutoAddDelay = autoDelay;
  macro.nLoopCount = loop;
  return macro;
}

TMACROKEYINFOLIST List(std::vector<TMACROKEYINFO> macros) {
  TMACROKEYINFOLIST list{};
  for (std::size_t i = 0; i < macros.size(); ++i) {
    list.MacroInfos[i] = macros[i];
    list.MacroInfos[i].nMacroIndex = static_cast<Word>(i);
  }
  list.nMacroInfoCount = static_cast<Word>(macros.size());
  return list;
}

/// Key entries A, B, C, ... one press each: easy to tell apart by value.
std::vector<TMACROENTRY> Presses(int count) {
  std::vector<TMACROENTRY> entries;
  for (int i = 0; i < count; ++i) entries.push_back(KeyEntry(kA + i % 26, false, true));
  return entries;
}

/// An entry as "type/state/lo/hi", so a failing comparison shows which entry differs.
QString Text(const TMACROENTRY& e) {
  return QStringLiteral("%1/%2/%3/%4").arg(e.nEntryType).arg(e.nEntryState).arg(e.nValueLo).arg(e.nValueHi);
}

QStringList Texts(const std::vector<TMACROENTRY>& entries) {
  QStringList texts;
  for (const TMACROENTRY& e : entries) texts << Text(e);
  return texts;
}

QStringList Texts(const TMACROKEYINFO& macro) {
  return Texts(std::vector<TMACROENTRY>(macro.MacroList, macro.MacroList + EntryCount(macro)));
}

QString Key(int vk, bool pressed) { return Text(KeyEntry(vk, false, pressed)); }
QString Delay(int ms) { return Text(DelayEntry(ms)); }

/// Answers the next message dialogs with `button` ("BtnOK" or "BSBTNCANCEL"), keeping their texts.
class MessageAnswerer : public QObject {
 public:
  explicit MessageAnswerer(const char* button) : button_(button) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* dialog = qobject_cast<TFrmDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      texts << dialog->findChild<QLabel*>("LabelText")->text();
      QTest::mouseClick(dialog->findChild<QPushButton*>(button_), Qt::LeftButton);
    });
    timer_.start(5);
  }
  QStringList texts;

 private:
  const char* button_;
  QTimer timer_;
};

}  // namespace

class MacroEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!qEnvironmentVariable("Q9_SCREENSHOT_DIR").isEmpty()) skin::ApplySkin(*qApp);
  }
  void init() {
    hook_ = std::make_unique<FakeHookLibrary>();
    language_ = std::make_unique<TuiLanguage>(locale_, Q9_SOURCE_DATA);
    errors_.clear();
  }
  void cleanup() {
    form_.reset();
    language_.reset();
  }

  void aRecordedKeyWithAndWithoutAddDelay();
  void aHeldKeyShowsOnePressAndStoresEveryDelay();
  void aDelayOf300IsStoredAsItsTwoBytes();
  void recordBeforeAndAfterInsertAroundTheSelectedRow();
  void recordBeforeWithoutASelectedRowFallsBack();
  void thePauseKeyStopsTheRecordingAndIsNotRecorded();
  void theLoopBoxStoresItsValueAndARecordingOneLess();
  void insertDelayFollowsTheDelayRowRules();
  void mouseEventsGoAfterTheSelectedRow();
  void theMouseEventMenuWorksFromTheKeyboard();
  void theDelayEditorTakesDigitsOnly();
  void theDelayEditorRetimesTheRowItWasOpenedOn();
  void namesFromTheNameEditor();
  void aSingleBlankNameNeedsEnter();
  void deletingTheSelectedMacroDeletesThatOne();
  void twentyMacrosAreTheMostTheEditorMakes();
  void aFullMacroAsksBeforeDroppingEntries();
  void aRecordingThatOverflowsAsksAtTheStop();
  void theEntryCountFollowsTheRecording();
  void okCopiesOutAndCancelChangesNothing();
  void aStoredPositionOutsideTheListSelectsNothing();
  void withoutTheHookLibraryTheEditorStillOpens();
  void everyControlHasANameAndTheKeyboardReachesIt();
  void chineseTextsComeFromTheShippedLanguageFile();
  void aRecordedMacroReachesTheMouseWithTheSameSteps();

 private:
  TFrmMacro& Open(const TMACROKEYINFOLIST& list, int current) {
    // The old editor goes first: its hook releases the library every hook shares.
    form_.reset();
    services_ = std::make_unique<HookServices>(HookServices{
        *hook_, *hook_, [this](const std::string& text, const std::string& caption) { errors_ << QString::fromStdString(caption + ": " + text); }});
    form_ = std::make_unique<TFrmMacro>(*services_, *language_, nullptr);
    form_->FMacroKeyInfoList = list;
    form_->FCurrentMacro = current;
    form_->LoadMacros();
    form_->show();
    form_->activateWindow();
    if (!QTest::qWaitForWindowActive(form_.get())) qFatal("the editor did not show");
    return *form_;
  }
  template <class T>
  T* Find(const char* name) {
    T* widget = form_->findChild<T*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
  QListWidget* Rows() { return Find<QListWidget>("ListBoxMacroKey"); }
  QListWidget* MacroRows() { return Find<QListWidget>("ListBoxMacroList"); }
  QStringList RowTexts() {
    QStringList texts;
    for (int i = 0; i < Rows()->count(); ++i) texts << Rows()->item(i)->text();
    return texts;
  }
  const TMACROKEYINFO& Selected() { return form_->Macros().at(static_cast<std::size_t>(MacroRows()->currentRow())); }
  /// Presses and releases `vk`, `gap` ms apart, after `before` ms.
  void Tap(int vk, std::uint32_t before, std::uint32_t gap) {
    hook_->Advance(before);
    hook_->Press(vk);
    hook_->Advance(gap);
    hook_->Release(vk);
  }
  void Record(const std::function<void()>& keys, const char* start = "BtnMacroRecord") {
    Click(start);
    if (!form_->Recording()) qFatal("%s did not start a recording", start);
    keys();
    Click("BtnMacroRecord");
  }

  FakeSystemLocale locale_;
  std::unique_ptr<FakeHookLibrary> hook_;
  std::unique_ptr<TuiLanguage> language_;
  std::unique_ptr<HookServices> services_;
  std::unique_ptr<TFrmMacro> form_;
  QStringList errors_;
};

void MacroEditorTest::aRecordedKeyWithAndWithoutAddDelay() {
  Open(List({Macro(u"Jump")}), 0);
  Record([&] {
    hook_->Advance(500);
    QVERIFY2(hook_->Press(kA), "the recorder swallows what it records");
    hook_->Advance(150);
    QVERIFY(hook_->Release(kA));
  });
  QCOMPARE(Texts(Selected()), (QStringList{Key(kA, true), Delay(150), Key(kA, false)}));
  QCOMPARE(Selected().nAutoAddDelay, Word{1});
  QCOMPARE(RowTexts(), (QStringList{" [ A ] Down", "[ 150 ] ms", " [ A ] Up"}));
  QCOMPARE(Rows()->item(1)->data(Qt::UserRole + 1).toString(), QStringLiteral("Delay"));
  QCOMPARE(Find<QPushButton>("BtnMacroRecord")->text(), QStringLiteral("Start Record"));

  Find<QCheckBox>("BtnAutoDelay")->setChecked(false);
  Record([&] { Tap(kA, 500, 150); });
  QCOMPARE(Texts(Selected()), (QStringList{Key(kA, true), Key(kA, false)}));
  QCOMPARE(Selected().nAutoAddDelay, Word{0});
  QVERIFY(!Find<QCheckBox>("BtnAutoDelay")->isChecked());
  QVERIFY2(!hook_->Press(kA), "after the stop keys pass again");
}

void MacroEditorTest::aHeldKeyShowsOnePressAndStoresEveryDelay() {
  Open(List({Macro(u"Hold")}), 0);
  Click("BtnMacroRecord");
  hook_->Press(kA);
  for (int repeat = 0; repeat < 3; ++repeat) {
    hook_->Advance(30);
    hook_->Press(kA);
  }
  hook_->Advance(30);
  hook_->Release(kA);
  // Live: one press, the delays between the repeats, the release.
  QCOMPARE(RowTexts(), (QStringList{" [ A ] Down", "[ 30 ] ms", "[ 30 ] ms", "[ 30 ] ms", "[ 30 ] ms", " [ A ] Up"}));
  Click("BtnMacroRecord");
  QCOMPARE(Texts(Selected()),
           (QStringList{Key(kA, true), Delay(30), Delay(30), Delay(30), Delay(30), Key(kA, false)}));
  QCOMPARE(Rows()->count(), EntryCount(Selected()));
}

void MacroEditorTest::aDelayOf300IsStoredAsItsTwoBytes() {
  Open(List({Macro(u"Slow")}), 0);
  Record([&] { Tap(kB, 100, 300); });
  const TMACROENTRY delay = Selected().MacroList[1];
  QCOMPARE(delay.nEntryType, Word{kMacroEntryDelay});
  QCOMPARE(delay.nValueLo, Byte{0x2C});
  QCOMPARE(delay.nValueHi, Byte{0x01});
  QCOMPARE(Rows()->item(1)->text(), QStringLiteral("[ 300 ] ms"));
  // Gaps of 10 ms or less leave no delay.
  Record([&] { Tap(kB, 100, 10); });
  QCOMPARE(Texts(Selected()), (QStringList{Key(kB, true), Key(kB, false)}));
}

void MacroEditorTest::recordBeforeAndAfterInsertAroundTheSelectedRow() {
  const std::vector<TMACROENTRY> five = Presses(5);  // A B C D E
  const auto recordXY = [&] {
    hook_->Advance(1);
    hook_->Press('X');
    hook_->Advance(5);
    hook_->Press('Y');
  };
  Open(List({Macro(u"Five", five)}), 0);
  Rows()->setCurrentRow(2);
  Record(recordXY, "BtnRecordbefore");
  QCOMPARE(Texts(Selected()), (QStringList{Text(five[0]), Text(five[1]), Key('X', true), Key('Y', true),
                                           Text(five[2]), Text(five[3]), Text(five[4])}));
  QVERIFY(!Find<QPushButton>("BtnRecordbefore")->isChecked());

  Open(List({Macro(u"Five", five)}), 0);
  Rows()->setCurrentRow(2);
  Click("BtnRecordafter");
  recordXY();
  // The live rows go where the entries will.
  QCOMPARE(Rows()->item(3)->text(), QStringLiteral(" [ X ] Down"));
  QCOMPARE(Rows()->item(4)->text(), QStringLiteral(" [ Y ] Down"));
  Click("BtnMacroRecord");
  QCOMPARE(Texts(Selected()), (QStringList{Text(five[0]), Text(five[1]), Text(five[2]), Key('X', true),
                                           Key('Y', true), Text(five[3]), Text(five[4])}));
  QCOMPARE(Selected().nAutoAddDelay, Word{1});  // the flag stays the old macro's

  // An empty recording changes nothing.
  Rows()->setCurrentRow(0);
  Record([] {}, "BtnRecordafter");
  QCOMPARE(EntryCount(Selected()), 7);
}

void MacroEditorTest::recordBeforeWithoutASelectedRowFallsBack() {
  Open(List({Macro(u"Empty")}), 0);
  Click("BtnRecordbefore");
  QVERIFY(!form_->Recording());
  QVERIFY(!Find<QPushButton>("BtnRecordbefore")->isChecked());
  QVERIFY(!Find<QPushButton>("BtnMacroRecord")->isChecked());
  QVERIFY(!hook_->Press(kA));
}

void MacroEditorTest::thePauseKeyStopsTheRecordingAndIsNotRecorded() {
  Open(List({Macro(u"Keys")}), 0);
  Click("BtnMacroRecord");
  QVERIFY(!Find<QPushButton>("BSBTNOK")->isEnabled());
  QVERIFY(!MacroRows()->isEnabled());
  Tap(kC, 50, 80);
  hook_->Advance(700);
  QVERIFY(hook_->Press(TFrmMacro::kStopRecordKey));
  QTRY_VERIFY(!form_->Recording());
  QCOMPARE(Texts(Selected()), (QStringList{Key(kC, true), Delay(80), Key(kC, false)}));
  QVERIFY(Find<QPushButton>("BSBTNOK")->isEnabled());
  QVERIFY(!Find<QPushButton>("BtnMacroRecord")->isChecked());
  QVERIFY2(!hook_->Release(TFrmMacro::kStopRecordKey), "the release passes: the recorder is off");
}

void MacroEditorTest::theLoopBoxStoresItsValueAndARecordingOneLess() {
  Open(List({Macro(u"Loop"), Macro(u"Other")}), 0);
  auto* box = Find<QSpinBox>("BoxMacroLoop");
  QVERIFY(!box->isEnabled());
  Find<QCheckBox>("BtnMacroLoop")->setChecked(true);
  QVERIFY(box->isEnabled());
  box->setValue(3);
  QCOMPARE(Selected().nLoopCount, Word{3});
  Record([&] { Tap(kA, 100, 50); });
  QCOMPARE(Selected().nLoopCount, Word{2});
  MacroRows()->setCurrentRow(1);
  QCOMPARE(box->value(), 0);
  QVERIFY(!box->isEnabled());
  MacroRows()->setCurrentRow(0);
  QCOMPARE(box->value(), 2);
  QVERIFY(Find<QCheckBox>("BtnMacroLoop")->isChecked());
  // Loop off: a recording stores no loop.
  Find<QCheckBox>("BtnMacroLoop")->setChecked(false);
  Record([&] { Tap(kA, 100, 50); });
  QCOMPARE(Selected().nLoopCount, Word{0});
}

void MacroEditorTest::insertDelayFollowsTheDelayRowRules() {
  const TMACROENTRY d = DelayEntry(40);
  const TMACROENTRY a = KeyEntry(kA, false, true);
  Open(List({Macro(u"Mixed", {d, a, a, d, a}, 0)}), 0);
  Rows()->setCurrentRow(4);
  Click("BtnInsertDelay");
  QCOMPARE(Texts(Selected()), (QStringList{Text(d), Text(a), Text(a), Text(d), Text(a), Delay(10)}));
  QCOMPARE(Selected().nAutoAddDelay, Word{1});
  QCOMPARE(Rows()->currentRow(), 5);
  // On a delay row, or before one, nothing is inserted...
  for (int row : {3, 2, 5}) {
    Rows()->setCurrentRow(row);
    Click("BtnInsertDelay");
    QCOMPARE(EntryCount(Selected()), 6);
  }
  // ... except on row 0.
  Rows()->setCurrentRow(0);
  Click("BtnInsertDelay");
  QCOMPARE(Texts(Selected()).mid(0, 3), (QStringList{Text(d), Delay(10), Text(a)}));
}

void MacroEditorTest::mouseEventsGoAfterTheSelectedRow() {
  Open(List({Macro(u"Clicks", Presses(2), 0)}), 0);
  Rows()->setCurrentRow(0);
  form_->MouseEventChosen(103);  // Left Click
  QCOMPARE(Texts(Selected()), (QStringList{Key(kA, true), Text(MouseEntry(1, true)), Delay(10),
                                           Text(MouseEntry(1, false)), Key(kB, true)}));
  QCOMPARE(Rows()->currentRow(), 3);
  QCOMPARE(Selected().nAutoAddDelay, Word{1});
  QCOMPARE(Rows()->item(1)->text(), QStringLiteral(" [ Mouse Left Click ] Down"));
  QCOMPARE(Rows()->item(1)->data(Qt::UserRole + 1).toString(), QStringLiteral("Mouse"));

  Rows()->setCurrentRow(4);
  form_->MouseEventChosen(302);  // Middle Up
  QCOMPARE(Texts(Selected()).last(), Text(MouseEntry(4, false)));
  QCOMPARE(Rows()->currentRow(), 5);
  // Without a selected row the entries go first.
  Rows()->clearSelection();
  form_->MouseEventChosen(201);  // Right Down
  QCOMPARE(Texts(Selected()).first(), Text(MouseEntry(2, true)));
  QCOMPARE(Rows()->currentRow(), 0);
}

void MacroEditorTest::theMouseEventMenuWorksFromTheKeyboard() {
  Open(List({Macro(u"Keys", Presses(1))}), 0);
  Rows()->setCurrentRow(0);
  QPushButton* button = Find<QPushButton>("BtnMouseEvent");
  button->setFocus(Qt::TabFocusReason);
  QTest::keyClick(button, Qt::Key_Space);
  TuiMenuExPopup& popup = form_->uiMenuEx1Popup();
  QTRY_COMPARE(popup.OpenLists().size(), 1);
  QCOMPARE(popup.Items(popup.OpenLists()[0]).at(1).text, QStringLiteral("Right Button"));
  QTest::keyClick(popup.OpenLists()[0], Qt::Key_Down);
  QTest::keyClick(popup.OpenLists()[0], Qt::Key_Down);  // Right Button
  QTest::keyClick(popup.OpenLists()[0], Qt::Key_Return);
  QTRY_COMPARE(popup.OpenLists().size(), 2);
  QCOMPARE(popup.Items(popup.OpenLists()[1]).at(2).text, QStringLiteral("Right  Click"));
  for (int i = 0; i < 3; ++i) QTest::keyClick(popup.OpenLists()[1], Qt::Key_Down);
  QTest::keyClick(popup.OpenLists()[1], Qt::Key_Return);
  QTRY_COMPARE(EntryCount(Selected()), 4);
  QCOMPARE(Texts(Selected()).mid(1), (QStringList{Text(MouseEntry(2, true)), Delay(10), Text(MouseEntry(2, false))}));
  QVERIFY(popup.OpenLists().isEmpty());
}

void MacroEditorTest::theDelayEditorTakesDigitsOnly() {
  Open(List({Macro(u"Wait", {KeyEntry(kA, false, true), DelayEntry(150)})}), 0);
  Rows()->setCurrentRow(0);
  Click("BtnEditDelay");
  auto* editor = Find<TTextEditDelay>("TextEditDelay");
  QVERIFY2(!editor->isVisible(), "a key row has no delay to edit");
  Rows()->setCurrentRow(1);
  Click("BtnEditDelay");
  QVERIFY(editor->isVisible());
  QCOMPARE(editor->text(), QStringLiteral("150"));
  QTRY_VERIFY(editor->hasFocus());
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClicks(editor, "1a2-3 456");
  QCOMPARE(editor->text(), QStringLiteral("6"));  // five digits fill it, the sixth starts again
  QTest::keyClicks(editor, "9999");
  QCOMPARE(editor->text(), QStringLiteral("69999"));
  QTest::keyClick(editor, Qt::Key_Return);
  QVERIFY(!editor->isVisible());
  QCOMPARE(MacroDelayMs(Selected().MacroList[1]), 65535);
  QCOMPARE(Rows()->item(1)->text(), QStringLiteral("[ 65535 ] ms"));
  QCOMPARE(Rows()->currentRow(), 0);  // the anchor row, 0 before any Record before/after

  // In a full box, a digit replaces the selected part only.
  Rows()->setCurrentRow(1);
  Click("BtnEditDelay");
  editor->setSelection(1, 2);
  QTest::keyClick(editor, Qt::Key_0);
  QCOMPARE(editor->text(), QStringLiteral("6035"));
  QTest::keyClick(editor, Qt::Key_Escape);
  QCOMPARE(MacroDelayMs(Selected().MacroList[1]), 65535);  // Escape keeps the delay
}

void MacroEditorTest::theDelayEditorRetimesTheRowItWasOpenedOn() {
  Open(List({Macro(u"Wait", {KeyEntry(kA, false, true), DelayEntry(150), KeyEntry(kA, false, false)})}), 0);
  Rows()->setCurrentRow(1);
  Click("BtnEditDelay");
  auto* editor = Find<TTextEditDelay>("TextEditDelay");
  QTRY_VERIFY(editor->hasFocus());
  QTest::keyClicks(editor, "0");
  // The user picks another row, which takes the focus from the editor: it commits to its own row.
  Rows()->setCurrentRow(2);
  Rows()->setFocus(Qt::MouseFocusReason);
  QTRY_VERIFY(!editor->isVisible());
  QCOMPARE(Texts(Selected()), (QStringList{Key(kA, true), Delay(1500), Key(kA, false)}));
}

void MacroEditorTest::namesFromTheNameEditor() {
  Open(List({}), -1);
  QVERIFY(!Find<QWidget>("PanelMaroEdit")->isEnabled());
  QVERIFY(!Find<QPushButton>("BSBTNDELETE")->isEnabled());
  auto* editor = Find<TTextMacroName>("TextMacroName");
  Click("BSBTNNEW");
  QVERIFY(editor->isVisible());
  QTRY_VERIFY(editor->hasFocus());
  QTest::keyClicks(editor, "Jump");
  QTest::keyClick(editor, Qt::Key_Return);
  QVERIFY(!editor->isVisible());
  QCOMPARE(form_->Macros().size(), std::size_t{1});
  QCOMPARE(MacroName(Selected()), std::u16string(u"Jump"));
  QCOMPARE(form_->FCurrentMacro, 0);
  QVERIFY(Find<QWidget>("PanelMaroEdit")->isEnabled());

  Click("BSBTNNEW");
  QCOMPARE(editor->y(), 19);  // below the last row
  QTest::keyClicks(editor, "Run");
  QTest::keyClick(editor, Qt::Key_Return);
  // The same name again selects the macro that has it.
  MacroRows()->setCurrentRow(1);
  Click("BSBTNNEW");
  QTest::keyClicks(editor, "Jump");
  QTest::keyClick(editor, Qt::Key_Return);
  QCOMPARE(form_->Macros().size(), std::size_t{2});
  QCOMPARE(MacroRows()->currentRow(), 0);
  // A name that differs in case is another macro.
  Click("BSBTNNEW");
  QTest::keyClicks(editor, "jump");
  QTest::keyClick(editor, Qt::Key_Return);
  QCOMPARE(form_->Macros().size(), std::size_t{3});
  QCOMPARE(MacroRows()->currentRow(), 2);
  QCOMPARE(Selected().nMacroIndex, Word{2});
  // Escape closes the editor without a macro; a name longer than the record holds cannot be typed.
  Click("BSBTNNEW");
  QTest::keyClicks(editor, QString(60, QLatin1Char('n')));
  QCOMPARE(static_cast<int>(editor->text().size()), kMacroNameMaxUnits);
  QTest::keyClick(editor, Qt::Key_Escape);
  QVERIFY(!editor->isVisible());
  QCOMPARE(form_->Macros().size(), std::size_t{3});
}

void MacroEditorTest::aSingleBlankNameNeedsEnter() {
  Open(List({Macro(u"One")}), 0);
  auto* editor = Find<TTextMacroName>("TextMacroName");
  Click("BSBTNNEW");
  QTRY_VERIFY(editor->hasFocus());
  QTest::keyClick(editor, Qt::Key_Space);
  Rows()->setFocus(Qt::MouseFocusReason);
  QVERIFY2(editor->isVisible(), "a single blank stays open when the focus leaves");
  QCOMPARE(form_->Macros().size(), std::size_t{1});
  // With the editor open NEW only focuses it.
  Click("BSBTNNEW");
  QTRY_VERIFY(editor->hasFocus());
  QTest::keyClick(editor, Qt::Key_Return);
  QCOMPARE(form_->Macros().size(), std::size_t{2});
  QCOMPARE(MacroName(form_->Macros()[1]), std::u16string(u" "));
  // Any other name is taken when the focus leaves.
  Click("BSBTNNEW");
  QTRY_VERIFY(editor->hasFocus());
  QTest::keyClicks(editor, "Left");
  Rows()->setFocus(Qt::MouseFocusReason);
  QTRY_COMPARE(form_->Macros().size(), std::size_t{3});
}

void MacroEditorTest::deletingTheSelectedMacroDeletesThatOne() {
  Open(List({Macro(u"abc", Presses(1)), Macro(u"ABC", Presses(2)), Macro(u"x")}), 1);
  QCOMPARE(EntryCount(Selected()), 2);
  Click("BSBTNDELETE");
  QCOMPARE(form_->Macros().size(), std::size_t{2});
  QCOMPARE(MacroName(form_->Macros()[0]), std::u16string(u"abc"));
  QCOMPARE(MacroName(form_->Macros()[1]), std::u16string(u"x"));
  QCOMPARE(form_->FCurrentMacro, 1);  // the last macro is selected
  QCOMPARE(MacroRows()->currentRow(), 1);
  MacroRows()->setCurrentRow(0);
  Click("BSBTNDELETE");
  Click("BSBTNDELETE");
  QCOMPARE(form_->Macros().size(), std::size_t{0});
  QCOMPARE(form_->FCurrentMacro, -1);
  QVERIFY(!Find<QPushButton>("BSBTNDELETE")->isEnabled());
  QCOMPARE(Rows()->count(), 0);
  form_->SaveMacros();
  QCOMPARE(form_->FMacroKeyInfoList.nMacroInfoCount, Word{0});
}

void MacroEditorTest::twentyMacrosAreTheMostTheEditorMakes() {
  std::vector<TMACROKEYINFO> macros;
  std::vector<std::u16string> names;
  for (int i = 0; i < 19; ++i) names.push_back(u"M" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
  for (const auto& name : names) macros.push_back(Macro(name.c_str()));
  Open(List(macros), 0);
  auto* editor = Find<TTextMacroName>("TextMacroName");
  Click("BSBTNNEW");
  // Past 14 rows the editor lies on the last row's bottom edge.
  QCOMPARE(editor->geometry().bottom(), MacroRows()->visualItemRect(MacroRows()->item(18)).bottom());
  QTest::keyClicks(editor, "Twenty");
  QTest::keyClick(editor, Qt::Key_Return);
  QCOMPARE(form_->Macros().size(), std::size_t{20});
  MessageAnswerer answerer("BtnOK");
  Click("BSBTNNEW");
  QTRY_COMPARE(answerer.texts, QStringList{"You can create macros shall not exceed 20!"});
  QVERIFY(!editor->isVisible());
  QCOMPARE(form_->Macros().size(), std::size_t{20});
}

void MacroEditorTest::aFullMacroAsksBeforeDroppingEntries() {
  Open(List({Macro(u"Full", Presses(kMacroStepCount), 0)}), 0);
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(), QStringLiteral("Entries: 60/60"));
  Rows()->setCurrentRow(0);
  {
    MessageAnswerer answerer("BSBTNCANCEL");
    Click("BtnInsertDelay");
    QCOMPARE(answerer.texts,
             QStringList{"The macro can hold 60 entries: this drops 1 entries from its end. Go on anyway?"});
  }
  QCOMPARE(Texts(Selected()), Texts(Presses(kMacroStepCount)));  // Cancel keeps every entry
  {
    MessageAnswerer answerer("BtnOK");
    form_->MouseEventChosen(103);
    QCOMPARE(answerer.texts.size(), 1);
  }
  const QStringList entries = Texts(Selected());
  QCOMPARE(entries.size(), kMacroStepCount);
  QCOMPARE(entries.mid(1, 3), (QStringList{Text(MouseEntry(1, true)), Delay(10), Text(MouseEntry(1, false))}));
  QCOMPARE(entries.last(), Texts(Presses(kMacroStepCount)).at(kMacroStepCount - 4));  // three fell off the end
}

void MacroEditorTest::aRecordingThatOverflowsAsksAtTheStop() {
  Open(List({Macro(u"Long", Presses(59))}), 0);
  Rows()->setCurrentRow(10);
  Click("BtnRecordafter");
  hook_->Press(kA);
  hook_->Advance(5);
  hook_->Release(kA);
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(),
           QStringLiteral("Entries: 60/60\n1 entries do not fit and are dropped from the end."));
  {
    MessageAnswerer answerer("BSBTNCANCEL");
    Click("BtnMacroRecord");
    QCOMPARE(answerer.texts.size(), 1);
  }
  QCOMPARE(Texts(Selected()), Texts(Presses(59)));  // Cancel drops the recording
  QCOMPARE(Rows()->count(), 59);  // the rows are the stored entries again
}

void MacroEditorTest::theEntryCountFollowsTheRecording() {
  Open(List({Macro(u"Count", Presses(3))}), 0);
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(), QStringLiteral("Entries: 3/60"));
  Click("BtnMacroRecord");
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(), QStringLiteral("Entries: 0/60"));  // a new recording replaces
  Tap(kA, 100, 100);
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(), QStringLiteral("Entries: 3/60"));
  // More than 60 recorded entries: the count stays at 60 and says what is dropped.
  for (int i = 0; i < 40; ++i) Tap(kB, 100, 100);
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(),
           QStringLiteral("Entries: 60/60\n103 entries do not fit and are dropped from the end."));
  QCOMPARE(Rows()->count(), kMacroStepCount);  // the live list stops at 60 rows
  MessageAnswerer answerer("BtnOK");
  Click("BtnMacroRecord");
  QCOMPARE(answerer.texts.size(), 1);
  QCOMPARE(EntryCount(Selected()), kMacroStepCount);
}

void MacroEditorTest::okCopiesOutAndCancelChangesNothing() {
  TMouseProfileInfoEasyShiftEx profile{};
  TMouseButtonConfigInfoEasyShiftEx buttons{};
  buttons.ButtonFuncInfo[3].nFunctionType = kFunctionMacro;
  const TMACROKEYINFOLIST before = List({Macro(u"Old", Presses(2))});
  TMACROKEYINFOLIST macros = before;
  int current = 0;
  services_ = std::make_unique<HookServices>(HookServices{*hook_, *hook_, {}});
  const auto editAnd = [&](const char* close) {
    QTimer::singleShot(0, [&, close] {
      auto* form = qobject_cast<TFrmMacro*>(QApplication::activeModalWidget());
      if (!form) return;
      form->findChild<QPushButton*>("BSBTNNEW")->click();
      auto* editor = form->findChild<TTextMacroName*>("TextMacroName");
      QTest::keyClicks(editor, "New");
      QTest::keyClick(editor, Qt::Key_Return);
      form->findChild<QPushButton*>("BtnMacroRecord")->click();
      Tap(kC, 100, 100);
      form->findChild<QPushButton*>("BtnMacroRecord")->click();
      QTest::mouseClick(form->findChild<QPushButton*>(close), Qt::LeftButton);
    });
    return ShowMacroDialog(profile, buttons, macros, current, *services_, *language_, nullptr);
  };
  QCOMPARE(editAnd("BSBTNCANCEL"), 2);
  QCOMPARE(QByteArray(reinterpret_cast<const char*>(&macros), sizeof macros),
           QByteArray(reinterpret_cast<const char*>(&before), sizeof before));
  QCOMPARE(current, 0);
  QCOMPARE(editAnd("BtnClose"), 2);
  QCOMPARE(macros.nMacroInfoCount, Word{1});

  QCOMPARE(editAnd("BSBTNOK"), 1);
  QCOMPARE(macros.nMacroInfoCount, Word{2});
  QCOMPARE(current, 1);
  QCOMPARE(MacroName(macros.MacroInfos[1]), std::u16string(u"New"));
  QCOMPARE(macros.MacroInfos[1].nMacroIndex, Word{1});
  // A new macro has its delay flag off, and selecting it shows Add Delay off.
  QCOMPARE(Texts(macros.MacroInfos[1]), (QStringList{Key(kC, true), Key(kC, false)}));
  QCOMPARE(Texts(macros.MacroInfos[0]), Texts(Presses(2)));
  QCOMPARE(buttons.ButtonFuncInfo[3].nFunctionType, Byte{kFunctionMacro});  // the buttons come back as they went
}

void MacroEditorTest::aStoredPositionOutsideTheListSelectsNothing() {
  TMACROKEYINFOLIST list = List({Macro(u"Only", Presses(1))});
  list.MacroInfos[0].MacroListCount = 500;  // damaged: more entries than the record holds
  Open(list, 7);
  QCOMPARE(form_->FCurrentMacro, -1);
  QVERIFY(!Find<QWidget>("PanelMaroEdit")->isEnabled());
  MacroRows()->setCurrentRow(0);
  QCOMPARE(Rows()->count(), kMacroStepCount);  // never more rows than entries the record holds
}

void MacroEditorTest::withoutTheHookLibraryTheEditorStillOpens() {
  hook_->loadResult = HookLibrary::LoadResult::kNotFound;
  Open(List({Macro(u"Dead")}), 0);
  QCOMPARE(errors_, QStringList{"Error: uiHook.dll can not be found!"});
  Click("BtnMacroRecord");
  QVERIFY(!hook_->Press(kA));
  Click("BtnMacroRecord");
  QCOMPARE(EntryCount(Selected()), 0);
  QVERIFY(Find<QPushButton>("BSBTNOK")->isEnabled());
}

void MacroEditorTest::everyControlHasANameAndTheKeyboardReachesIt() {
  Open(List({Macro(u"Keys", Presses(3))}), 0);
  const test::AccessibilityWalk walk = test::WalkAccessibility(form_.get());
  QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
  QVERIFY(walk.interactive >= 16);
  QCOMPARE(MacroRows()->accessibleName(), QStringLiteral("Macro List"));
  QCOMPARE(Find<QPushButton>("BtnClose")->accessibleName(), QStringLiteral("Close Window"));
  QVERIFY(!Find<QPushButton>("BtnMacroRecord")->accessibleDescription().isEmpty());
  // Tab walks every control once, starting in the lists.
  QStringList order;
  QWidget* start = MacroRows();
  start->setFocus(Qt::TabFocusReason);
  QWidget* at = start;
  do {
    order << at->objectName();
    at = at->nextInFocusChain();
    while (at != start && (!at->isVisible() || !at->isEnabled() || !(at->focusPolicy() & Qt::TabFocus)))
      at = at->nextInFocusChain();
  } while (at != start && order.size() < 40);
  for (const char* name : {"ListBoxMacroKey", "BtnMacroRecord", "BtnAutoDelay", "BtnMacroLoop", "BtnRecordbefore",
                           "BtnInsertDelay", "BtnMouseEvent", "BSBTNNEW", "BSBTNOK", "BSBTNCANCEL", "BtnClose"})
    QVERIFY2(order.contains(QLatin1String(name)), name);
  // The event list by arrows; a button by Space.
  Rows()->setFocus(Qt::TabFocusReason);
  Rows()->setCurrentRow(0);
  QTest::keyClick(Rows(), Qt::Key_Down);
  QCOMPARE(Rows()->currentRow(), 1);
  Find<QPushButton>("BtnDelete")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Find<QPushButton>("BtnDelete"), Qt::Key_Space);
  QCOMPARE(Texts(Selected()), (QStringList{Key(kA, true), Key(kC, true)}));
  // Escape closes with Cancel.
  QTest::keyClick(form_.get(), Qt::Key_Escape);
  QCOMPARE(form_->result(), TFrmMacro::kResultCancel);
}

void MacroEditorTest::chineseTextsComeFromTheShippedLanguageFile() {
  Open(List({Macro(u"Keys", {KeyEntry(kA, false, true), DelayEntry(150)})}), 0);
  language_->SetLang("0804");
  const auto zh = [](const char* text) { return QString::fromStdString(test::Translated("0804", text)); };
  QVERIFY(!zh("Start Record").isEmpty());
  QCOMPARE(Find<QPushButton>("BtnMacroRecord")->text(), zh("Start Record"));
  QCOMPARE(Find<QPushButton>("BtnInsertDelay")->text(), zh("Insert Delay"));
  QCOMPARE(Find<QLabel>("LabelTitle")->text(), zh("Macro Manager"));
  QCOMPARE(Rows()->item(0)->text(), " [ A ] " + zh("Down"));
  QCOMPARE(Rows()->item(1)->text(), "[ 150 ] " + zh("ms"));
  QCOMPARE(Find<QLabel>("LabelEntryCount")->text(), zh("Entries: %1/%2").arg(2).arg(60));
  QCOMPARE(MacroRows()->accessibleName(), zh("Macro List"));
  Click("BtnMacroRecord");
  QCOMPARE(Find<QPushButton>("BtnMacroRecord")->text(), zh("Stop Record"));
  Click("BtnMacroRecord");
  language_->SetLang("en");
  QCOMPARE(Find<QPushButton>("BtnMacroRecord")->text(), QStringLiteral("Start Record"));
  QCOMPARE(Find<QPushButton>("BtnInsertDelay")->text(), QStringLiteral("Insert Delay"));
}

void MacroEditorTest::aRecordedMacroReachesTheMouseWithTheSameSteps() {
  Open(List({Macro(u"Combo")}), 0);
  Find<QCheckBox>("BtnMacroLoop")->setChecked(true);
  Find<QSpinBox>("BoxMacroLoop")->setValue(4);
  Record([&] {
    hook_->Advance(100);
    hook_->Press(163, true);  // right Ctrl
    hook_->Advance(250);
    hook_->Press(kA);
    hook_->Advance(40);
    hook_->Release(kA);
    hook_->Advance(40);
    hook_->Release(163, true);
  });
  form_->done(TFrmMacro::kResultOK);

  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  MakeFactoryProfile(*profile, 0);
  profile->MacroKeyInfoListSet[0] = form_->FMacroKeyInfoList;
  QVERIFY(AssignMacro(profile->MouseButtonConfigInfoSet[0], 2, profile->MacroKeyInfoListSet[0], 0));
  SimulatedMouse mouse;
  SimulatedDriverTransport transport(mouse);
  ManualScheduler scheduler;
  TuiSTDCommand channel(transport, scheduler, "/nonexistent/config.ini");
  WriteProfileToLocation(channel, BuildLocationImages(*profile), 0, [](int) {});
  const nlohmann::json decoded = DecodeMemory(mouse.Memory(), mouse.CurrentState());
  const nlohmann::json& button = decoded["locations"][0]["buttonGroups"]["plain"][2];
  QCOMPARE(QString::fromStdString(button["function"].get<std::string>()), QStringLiteral("Macro"));
  using J = nlohmann::json;
  const J expected = J::array({J{{"type", "key"}, {"action", "press"}, {"key", "R CTRL"}, {"hid", 228}},
                               J{{"type", "delay"}, {"ms", 250}},
                               J{{"type", "key"}, {"action", "press"}, {"key", "A"}, {"hid", 4}},
                               J{{"type", "delay"}, {"ms", 40}},
                               J{{"type", "key"}, {"action", "release"}, {"key", "A"}, {"hid", 4}},
                               J{{"type", "delay"}, {"ms", 40}},
                               J{{"type", "key"}, {"action", "release"}, {"key", "R CTRL"}, {"hid", 228}},
                               J{{"type", "loop"}, {"count", 3}}});
  QCOMPARE(QString::fromStdString(button["steps"].dump()), QString::fromStdString(expected.dump()));
}

QTEST_MAIN(MacroEditorTest)
#include "MacroEditorTest.moc"
