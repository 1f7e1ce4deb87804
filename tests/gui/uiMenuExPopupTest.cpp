#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <utility>

#include "gui/uiMenuExPopup.h"

namespace q9 {
namespace {

struct Click {
  std::string name;
  std::uint32_t id;
};

// The assignment menu's shape: item 8 holds 801..803.
void Fill(TuiMenuEx& menu) {
  for (const char* caption : {"Left Click", "Right Click", "Middle Click", "Forward", "Backward", "Double Click",
                              "Fire Key", "Macro Keys...", "Disable"})
    menu.Items.Add(caption);
  for (const char* caption : {"Macro Manager...", "1.Macro<Jump>", "2.Macro<Reload>"}) menu.Items[7].SubItems.Add(caption);
}

QPoint Centre(const TuiMenuExPopup::ItemView& item) { return item.rect.center(); }

}  // namespace

class MenuPopupTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<TuiMenuEx> menu_;
  std::unique_ptr<TuiMenuExPopup> popup_;
  std::vector<Click> clicks_;

  void Make(TuiMenuExPopup::Translate translate = {}) {
    popup_ = std::make_unique<TuiMenuExPopup>(*menu_, window_.get(), std::move(translate));
  }
  QWidget* List(int level) const { return popup_->OpenLists().value(level); }
  TuiMenuExPopup::ItemView Item(int level, int index) const {
    return popup_->Items(List(level)).at(static_cast<std::size_t>(index));
  }
  QRect GlobalRect(int level, int index) const {
    const QRect rect = Item(level, index).rect;
    return {List(level)->mapToGlobal(rect.topLeft()), rect.size()};
  }
  // Moves the pointer the way the window system does, so the event reaches the topmost popup. Qt
  // drops a move to where it saw the pointer last, so the pointer steps in from beside the target;
  // a window system loses moves over a list it has not mapped yet, so the steps repeat.
  [[nodiscard]] bool Hover(int level, int index) {
    if (!QTest::qWaitForWindowExposed(List(level))) return false;
    const QPoint local = Centre(Item(level, index));
    for (int attempt = 0; attempt < 20; ++attempt) {
      QTest::mouseMove(List(level), local + QPoint(1, 1));
      QTest::mouseMove(List(level), local);
      if (QTest::qWaitFor([&] { return Item(level, index).hovered; }, 200)) return true;
    }
    return false;
  }

  [[nodiscard]] bool OpenMacroList() {
    return Hover(0, 7) && QTest::qWaitFor([this] { return popup_->OpenLists().size() == 2; });
  }

 private slots:
  void init() {
    window_ = std::make_unique<QWidget>();
    menu_ = std::make_unique<TuiMenuEx>();
    Fill(*menu_);
    clicks_.clear();
    menu_->OnItemsClick = [this](const std::string& name, std::uint32_t id, const void*, int) {
      clicks_.push_back({name, id});
    };
    Make();
  }

  void cleanup() {
    popup_.reset();
    menu_.reset();
    window_.reset();
  }

  void clickOnSubItemClosesTreeAndFiresOnce() {
    popup_->ShowMainMenu(QPoint(40, 30));
    menu_->Items.ItemIndex = 4;
    QVERIFY(OpenMacroList());
    QWidget* top = List(0);
    QWidget* sub = List(1);
    QVERIFY(Hover(1, 1));
    QVERIFY2(Item(0, 7).hovered, "the item whose list is open stays lit");
    QTest::mousePress(sub, Qt::LeftButton, {}, Centre(Item(1, 1)));
    QVERIFY(Item(1, 1).pressed);
    QTest::mouseRelease(sub, Qt::LeftButton, {}, Centre(Item(1, 1)));
    QVERIFY(popup_->OpenLists().isEmpty());
    QVERIFY(!top->isVisible() && !sub->isVisible());
    QCOMPARE(clicks_.size(), 1u);
    QCOMPARE(clicks_[0].name, std::string("Item2"));
    QCOMPARE(clicks_[0].id, 802u);
    QCOMPARE(menu_->Items.ItemIndex, -1);
    QCOMPARE(menu_->Items[7].SubItems.ItemIndex, 1);
  }

  void onlyAPressAndReleaseOnOneLeafClicks() {
    popup_->ShowMainMenu(QPoint(40, 30));
    QWidget* top = List(0);
    QTest::mouseRelease(top, Qt::LeftButton, {}, Centre(Item(0, 0)));
    // A release without a press in the menu (the end of the click that opened it) leaves it open.
    QCOMPARE(popup_->OpenLists().size(), 1);
    QTest::mousePress(top, Qt::LeftButton, {}, Centre(Item(0, 7)));
    QTest::mouseRelease(top, Qt::LeftButton, {}, Centre(Item(0, 7)));
    QVERIFY(clicks_.empty());
    QVERIFY2(!popup_->OpenLists().isEmpty(), "an item with a sub-list assigns nothing");
    QTest::mousePress(top, Qt::RightButton, {}, Centre(Item(0, 1)));
    QTest::mouseRelease(top, Qt::RightButton, {}, Centre(Item(0, 1)));
    QVERIFY(clicks_.empty());
    QTest::mousePress(top, Qt::LeftButton, {}, Centre(Item(0, 0)));
    QTest::mouseRelease(top, Qt::LeftButton, {}, Centre(Item(0, 1)));
    QVERIFY(clicks_.empty());
    QVERIFY(popup_->OpenLists().isEmpty());
  }

  void eventsOutsideTheTopmostListReachTheListUnderThePointer() {
    popup_->ShowMainMenu(QPoint(40, 30));
    QVERIFY(OpenMacroList());
    QWidget* sub = List(1);
    const QPoint onFirst = sub->mapFromGlobal(GlobalRect(0, 0).center());
    QTest::mousePress(sub, Qt::LeftButton, {}, onFirst);
    QVERIFY(Item(0, 0).pressed);
    QTest::mouseRelease(sub, Qt::LeftButton, {}, onFirst);
    QCOMPARE(clicks_.size(), 1u);
    QCOMPARE(clicks_[0].id, 1u);

    popup_->ShowMainMenu(QPoint(40, 30));
    QVERIFY(OpenMacroList());
    QTest::mousePress(List(1), Qt::LeftButton, {}, List(1)->mapFromGlobal(QPoint(700, 580)));
    QVERIFY(popup_->OpenLists().isEmpty());
    QCOMPARE(clicks_.size(), 1u);
  }

  void selectedIdIsShownSelectedAndCheckedInItsSubList() {
    menu_->Items[0].Checked = true;
    popup_->ShowMainMenu(803, QPoint(40, 30));
    QCOMPARE(SelectedIndex(0), -1);
    QVERIFY(Item(0, 0).checkMark);
    QVERIFY(!Item(0, 1).checkMark);
    QVERIFY(Item(0, 7).arrow && !Item(0, 8).arrow);
    QVERIFY(OpenMacroList());
    QVERIFY(Item(1, 2).selected && Item(1, 2).checkMark);
    QVERIFY(!Item(1, 0).selected && !Item(1, 0).checkMark);

    QTest::mousePress(List(0), Qt::LeftButton, {}, Centre(Item(0, 7)));
    QVERIFY(Item(0, 7).pressed && !Item(0, 7).selected);

    popup_->CloseLists();
    menu_->Parameters.MenuShowSelectedCheckMark = false;
    popup_->ShowMainMenu(QPoint(40, 30));
    QVERIFY(OpenMacroList());
    QVERIFY2(Item(1, 2).selected && !Item(1, 2).checkMark, "the selected ID stays without an ID");
  }

  void hoverOpensOneSubListAtATime() {
    menu_->Items[3].SubItems.Add("Back");
    popup_->ShowMainMenu(QPoint(40, 30));
    QVERIFY(OpenMacroList());
    QWidget* macroList = List(1);
    QVERIFY(Hover(0, 3));
    QTRY_COMPARE(popup_->OpenLists().size(), 2);
    QVERIFY(List(1) != macroList && !macroList->isVisible());
    QVERIFY(!Item(0, 7).hovered);
    QVERIFY(Hover(0, 0));
    QTRY_COMPARE(popup_->OpenLists().size(), 1);
    QVERIFY(OpenMacroList());
    // A list is built once and reused.
    QCOMPARE(List(1), macroList);
  }

  void keysMoveTheSelection() {
    popup_->ShowMainMenu(QPoint(40, 30));
    QWidget* top = List(0);
    const std::pair<Qt::Key, int> moves[] = {{Qt::Key_End, 8},  {Qt::Key_Right, 8}, {Qt::Key_Home, 0},
                                             {Qt::Key_Up, 0},   {Qt::Key_Down, 1},  {Qt::Key_Down, 2},
                                             {Qt::Key_Left, 1}};
    for (const auto& [key, expected] : moves) {
      QTest::keyClick(top, key);
      QCOMPARE(SelectedIndex(0), expected);
    }
    const std::pair<const char*, int> typed[] = {{"d", 5}, {"z", 5}, {"m", 2}};
    for (const auto& [text, expected] : typed) {
      QTest::keyClicks(top, text);
      QCOMPARE(SelectedIndex(0), expected);
    }
    QCOMPARE(menu_->Items.ItemIndex, 2);
    QTest::keyClick(top, Qt::Key_Return);
    QCOMPARE(clicks_.size(), 1u);
    QCOMPARE(clicks_[0].id, 3u);
    QVERIFY(popup_->OpenLists().isEmpty());
  }

  void enterOpensASubListAndEscapeClosesOneLevel() {
    popup_->ShowMainMenu(QPoint(40, 30));
    QTest::keyClick(List(0), Qt::Key_End);
    QTest::keyClick(List(0), Qt::Key_Up);
    // An item with a sub-list is never shown selected.
    QCOMPARE(SelectedIndex(0), -1);
    QVERIFY(Item(0, 7).hovered);
    QTest::keyClick(List(0), Qt::Key_Enter);
    QCOMPARE(popup_->OpenLists().size(), 2);
    QTest::keyClick(List(1), Qt::Key_Escape);
    QCOMPARE(popup_->OpenLists().size(), 1);
    QTest::keyClick(List(0), Qt::Key_Escape);
    QVERIFY(popup_->OpenLists().isEmpty());
    QVERIFY(clicks_.empty());
  }

  void customItemHeightIsAtLeastTwenty() {
    menu_->UseCustomMenuParams = true;
    menu_->Parameters.ItemHeight = 10;
    menu_->Parameters.MarginLeft = 6;
    menu_->Parameters.MarginTop = 4;
    menu_->Parameters.MarginBottom = 4;
    menu_->Items[1].ItemHeight = 33;
    popup_->ShowMainMenu(QPoint(40, 30));
    QCOMPARE(Item(0, 0).rect.height(), 20);
    QCOMPARE(Item(0, 1).rect.height(), 33);
    QCOMPARE(Item(0, 2).rect.top(), Item(0, 1).rect.bottom() + 1);
    QCOMPARE(Item(0, 0).rect.left(), 6);
    QCOMPARE(Item(0, 0).rect.right(), List(0)->width() - 1);
    QCOMPARE(List(0)->height(), 8 * 20 + 33 + 5 + 8);
    QVERIFY(Item(0, 0).rect.top() >= 4);
  }

  void longListsScrollToTheSelection() {
    for (int i = 0; i < 20; ++i) menu_->Items.Add("Extra");
    popup_->ShowMainMenu(QPoint(0, 0));
    const int screenHeight = List(0)->screen()->geometry().height();
    QCOMPARE(List(0)->height(), screenHeight);
    QTest::keyClick(List(0), Qt::Key_End);
    const QRect last = popup_->Items(List(0)).back().rect;
    QVERIFY(last.top() >= 0 && last.bottom() < screenHeight);
    QVERIFY(Item(0, 0).rect.bottom() < 0);
  }

  void subListOpensBesideItsItemAndMovesAtTheRightEdge() {
    popup_->ShowMainMenu(QPoint(40, 30));
    QCOMPARE(List(0)->pos(), QPoint(40, 30));
    QVERIFY(List(0)->windowFlags().testFlag(Qt::Popup));
    QVERIFY(OpenMacroList());
    QCOMPARE(List(1)->objectName(), QString("uiMenuBox"));
    QCOMPARE(List(1)->property("level").toInt(), 1);
    QCOMPARE(List(1)->x(), List(0)->geometry().right() + 1);
    QCOMPARE(GlobalRect(1, 0).top(), GlobalRect(0, 7).top());

    const QRect screen = List(0)->screen()->geometry();
    const int width = List(0)->width();
    popup_->ShowMainMenu(QPoint(screen.right() + 1 - width - 20, 20));
    const QRect top = List(0)->geometry();
    QCOMPARE(top.right(), screen.right() - 20);
    QVERIFY(OpenMacroList());
    // Moved left by the item's width.
    QCOMPARE(List(1)->x(), top.left());
    QCOMPARE(GlobalRect(1, 0).top(), GlobalRect(0, 7).top() + 20);

    popup_->ShowMainMenu(QPoint(screen.right() - 5, screen.bottom() - 5));
    QVERIFY2(screen.contains(List(0)->geometry()), "the top list flips to stay on the screen");
  }

  void captionsAreTranslatedAndMeasuredInTheListFont() {
    Make([](const std::string& caption) {
      if (caption == "Macro Keys...") return QString("Makrotasten und Kombinationen");
      return caption == "Disable" ? QString("Aus") : QString::fromStdString(caption);
    });
    popup_->ShowMainMenu(QPoint(40, 30));
    QCOMPARE(Item(0, 7).text, QString("Makrotasten und Kombinationen"));
    const QFont font = popup_->ListFont(List(0));
    QCOMPARE(font.families().value(0), QString("楷体_GB2312"));
    QVERIFY(font.bold());
    QCOMPARE(List(0)->width(), QFontMetrics(font).horizontalAdvance("Makrotasten und Kombinationen") + 100);
    QTest::keyClicks(List(0), "a");
    QVERIFY2(Item(0, 8).selected, "keys match the text shown");
  }

  void listsOfRemovedItemsAreDropped() {
    popup_->ShowMainMenu(QPoint(40, 30));
    QVERIFY(OpenMacroList());
    menu_->Items.Delete(7);
    popup_->ShowMainMenu(QPoint(40, 30));
    QCOMPARE(window_->findChildren<QWidget*>("uiMenuBox").size(), 1);
  }

 private:
  int SelectedIndex(int level) const {
    const auto items = popup_->Items(List(level));
    const auto it = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.selected; });
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }
};

}  // namespace q9

QTEST_MAIN(q9::MenuPopupTest)
#include "uiMenuExPopupTest.moc"
