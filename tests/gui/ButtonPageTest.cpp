// The button assignment page inside the window: captions, hints and names of the slots in two
// languages, the menu from the keyboard, the macro warning and the button groups.

#include <QAccessible>
#include <QKeyEvent>
#include <QPushButton>
#include <QtTest>

#include "DialogAnswerer.h"
#include "WindowTestBench.h"
#include "gui/uiMenuExPopup.h"
#include "mainwindow/ButtonPage.h"
#include "model/WideText.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

class ButtonPageTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init() {
    SetUpBench();
    window_ = &OpenWindow(0);
  }
  void cleanup() { TearDownBench(); }

  void slotsShowTheirFunctionAndNameItForAScreenReader();
  void keyNamesStayUntranslatedOnTheSlots();
  void theMenuOpensAndChoosesFromTheKeyboard();
  void aSixthMacroIsRefusedWithTheWarning();
  void buttonGroupsKeepTheirFunctionsApart();

 private:
  TButtonPage& Page() { return window_->ButtonPage(); }
  TBUTTONFUNCINFO& Slot(int slot) { return dm_->FCurrentButtonConfigInfo.ButtonFuncInfo[slot]; }
  void AddMacro(const std::u16string& name) {
    TMACROKEYINFOLIST& list = dm_->FCurrentButtonMacroSetInfo;
    TMACROKEYINFO& macro = list.MacroInfos[list.nMacroInfoCount];
    macro = TMACROKEYINFO{};
    SetWideField(macro.szMacroName, kMacroNameLength, name);
    macro.nMacroIndex = list.nMacroInfoCount++;
  }
  TqvGMConfigMain* window_ = nullptr;
};

void ButtonPageTest::slotsShowTheirFunctionAndNameItForAScreenReader() {
  AssignComboKey(Slot(2), {65, 0, 0, 0, 6});
  Slot(3).nMenuID = 0;
  Slot(3).nFunctionIndex = 3;
  Slot(4).nMenuID = 0;
  Slot(4).nFunctionIndex = 40;
  AssignMenuFunction(Slot(5), 801);
  Page().RefreshButtonCaptions();
  QPushButton* combo = Page().SlotButton(2);
  QCOMPARE(combo->text(), QStringLiteral("Combo Key..."));
  QCOMPARE(combo->toolTip(), QStringLiteral("Ctrl+Shift+A"));
  QCOMPARE(QAccessible::queryAccessibleInterface(combo)->text(QAccessible::Name),
           QStringLiteral("Button 3: Combo Key Ctrl+Shift+A"));
  QCOMPARE(Page().SlotButton(3)->text(), QStringLiteral("Backward"));
  QCOMPARE(Page().SlotButton(4)->text(), QString());
  QCOMPARE(Page().SlotButton(5)->text(), QStringLiteral("Cut"));
  QCOMPARE(Page().SlotButton(5)->toolTip(), QString());
  QVERIFY(Page().SlotButton(8)->isHidden());
  QCOMPARE(Page().SlotButton(9), nullptr);
}

void ButtonPageTest::keyNamesStayUntranslatedOnTheSlots() {
  AssignSingleKey(Slot(0), {2, 0});  // "Mouse Right Click" is also a text of the translation table
  window_->uiLanguage1().SetLang("0804");
  QPushButton* slot = Page().SlotButton(0);
  QCOMPARE(slot->text(), QStringLiteral("单键..."));
  QCOMPARE(slot->toolTip(), QStringLiteral("Mouse Right Click"));
  QCOMPARE(slot->accessibleName(), QStringLiteral("按键 1：单键 Mouse Right Click"));
  window_->uiLanguage1().SetLang("0409");
  QCOMPARE(slot->text(), QStringLiteral("Single Key..."));
}

void ButtonPageTest::theMenuOpensAndChoosesFromTheKeyboard() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
  window_->SetSettingsModified(false);
  QPushButton* slot = Page().SlotButton(1);
  slot->setFocus();
  QTest::keyClick(slot, Qt::Key_Space);
  const QList<QWidget*> lists = window_->findChildren<QWidget*>("uiMenuBox");
  QWidget* open = nullptr;
  for (QWidget* list : lists)
    if (list->isVisible()) open = list;
  QVERIFY(open);
  QTest::keyClick(open, Qt::Key_D);  // the first item starting with D: "DPI Switch"
  QTest::keyClick(open, Qt::Key_Return);
  QTRY_COMPARE(Slot(1).nMenuID, 13);
  QCOMPARE(Slot(1).nDeviceCode, 8);
  QCOMPARE(slot->text(), QStringLiteral("DPI Switch"));
  QVERIFY(window_->SettingsModified());
  QCOMPARE(dm_->FCurrentProfileInfo.MouseButtonConfigInfoSet[0].ButtonFuncInfo[1].nMenuID, 13);
}

void ButtonPageTest::aSixthMacroIsRefusedWithTheWarning() {
  for (char16_t c = u'A'; c <= u'F'; ++c) AddMacro(std::u16string(u"M") + c);
  Page().RebuildMacroMenu();
  QCOMPARE(window_->uiMenuEx1().Items[10].SubItems.Count(), 7);
  for (int slot = 0; slot < 5; ++slot) {
    Page().BtnSet1Click(Page().SlotButton(slot), QPoint(0, 0));
    window_->ButtonPage().uiMenuEx1ItemsClick(kMenuFirstMacro + slot);
  }
  window_->ButtonPage().uiMenuEx1ItemsClick(kMenuFirstMacro + 4);  // slot 4 again: still five
  QCOMPARE(Page().SlotButton(4)->text(), QStringLiteral("5.Macro<ME>"));
  const TBUTTONFUNCINFO kept = Slot(5);
  Page().BtnSet1Click(Page().SlotButton(5), QPoint(0, 0));
  test::DialogAnswerer answerer({"BtnOK"});
  window_->ButtonPage().uiMenuEx1ItemsClick(kMenuFirstMacro + 5);
  QCOMPARE(answerer.texts, QStringList{"You can assign macro function to buttons shall not exceed 5!"});
  QCOMPARE(std::memcmp(&Slot(5), &kept, sizeof kept), 0);
}

void ButtonPageTest::buttonGroupsKeepTheirFunctionsApart() {
  window_->SetSettingsModified(false);
  Page().SelectButtonGroup(1);
  QVERIFY(Page().GroupButton(1)->isChecked());
  QVERIFY(!Page().GroupButton(0)->isChecked());
  QVERIFY(!window_->SettingsModified());
  Page().BtnSet1Click(Page().SlotButton(0), QPoint(0, 0));
  Page().uiMenuEx1ItemsClick(17);
  QCOMPARE(Page().SlotButton(0)->text(), QStringLiteral("Disable"));
  Page().SelectButtonGroup(0);
  QCOMPARE(Page().SlotButton(0)->text(), QStringLiteral("Click"));
  QCOMPARE(dm_->FCurrentButtonConfigInfo.ButtonFuncInfo[0].nFunctionIndex, 0);
  Page().SelectButtonGroup(1);
  QCOMPARE(Page().SlotButton(0)->text(), QStringLiteral("Disable"));
}

}  // namespace q9

QTEST_MAIN(q9::ButtonPageTest)
#include "ButtonPageTest.moc"
