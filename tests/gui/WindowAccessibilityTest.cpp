// Every page of the window as a screen-reader user and a keyboard user meet it: each control a
// user can operate has a name in the current language and can be reached with Tab.

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QRadioButton>
#include <QtTest>

#include "AccessibilityWalk.h"
#include "WindowTestBench.h"

using namespace q9;

namespace {

// Tab enters a group of radio buttons at its checked one; the arrows move within the group.
bool TakesTabFocus(const QWidget* widget) {
  if (widget->focusPolicy() & Qt::TabFocus) return true;
  if (!qobject_cast<const QRadioButton*>(widget)) return false;
  for (const QRadioButton* sibling : widget->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
    if (sibling->isVisible() && (sibling->focusPolicy() & Qt::TabFocus)) return true;
  return false;
}

}  // namespace

class WindowAccessibilityTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init() { SetUpBench(); }
  void cleanup() { TearDownBench(); }

  void everyControlOfEveryPageHasAName();
  void theNamesFollowTheLanguage();
  void everyControlOfEveryPageTakesTabFocus();

 private:
  TqvGMConfigMain& ShownWindow() {
    TqvGMConfigMain& window = OpenWindow(0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qFatal("the window was not shown");
    return window;
  }
};

void WindowAccessibilityTest::everyControlOfEveryPageHasAName() {
  TqvGMConfigMain& window = ShownWindow();
  for (const char* language : {"en", "0804", "0404"}) {
    window.uiLanguage1().SetLang(language);
    for (int page = 0; page < TqvGMConfigMain::kPageCount; ++page) {
      window.SelectPage(page);
      const test::AccessibilityWalk walk = test::WalkAccessibility(&window);
      QVERIFY2(walk.unnamed.isEmpty(),
               qPrintable(QStringLiteral("%1, page %2: %3").arg(language).arg(page).arg(walk.unnamed.join(", "))));
      // The frame alone has the profile, mode and bottom-bar buttons.
      QVERIFY(walk.interactive >= 12);
    }
  }
}

void WindowAccessibilityTest::theNamesFollowTheLanguage() {
  TqvGMConfigMain& window = ShownWindow();
  for (int page = 0; page < TqvGMConfigMain::kPageCount; ++page) {
    window.SelectPage(page);
    window.uiLanguage1().SetLang("en");
    const QStringList english = test::WalkAccessibility(&window).names;
    window.uiLanguage1().SetLang("0804");
    const QStringList chinese = test::WalkAccessibility(&window).names;
    QCOMPARE(chinese.size(), english.size());
    QVERIFY2(english.contains("APPLY") && !chinese.contains("APPLY"), qPrintable(chinese.join(", ")));
    // Names that stay the same in both languages are numbers, colour values and the like.
    int translated = 0;
    for (int i = 0; i < english.size(); ++i) translated += english[i] != chinese[i];
    QVERIFY2(translated * 2 >= english.size(), qPrintable(QStringLiteral("page %1: %2").arg(page).arg(chinese.join(", "))));
  }
}

void WindowAccessibilityTest::everyControlOfEveryPageTakesTabFocus() {
  TqvGMConfigMain& window = ShownWindow();
  for (int page = 0; page < TqvGMConfigMain::kPageCount; ++page) {
    window.SelectPage(page);
    QStringList unreachable;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractSlider*>(widget) ||
                           qobject_cast<QComboBox*>(widget);
      if (!control || !widget->isVisibleTo(&window) || !widget->isEnabled()) continue;
      if (!TakesTabFocus(widget)) unreachable << widget->objectName();
    }
    QVERIFY2(unreachable.isEmpty(), qPrintable(QStringLiteral("page %1: %2").arg(page).arg(unreachable.join(", "))));
  }
}

QTEST_MAIN(WindowAccessibilityTest)
#include "WindowAccessibilityTest.moc"
