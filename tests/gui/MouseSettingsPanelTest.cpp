// The system mouse settings on the "MAIN SETTING" page, in the real window on fakes and the
// simulated mouse: the four sliders, what goes to the system at once and what waits for an apply,
// the double-click test picture, keyboard and names.

#include <QAccessible>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QSequentialAnimationGroup>
#include <QSlider>
#include <QtTest>

#include "AccessibilityWalk.h"
#include "WindowTestBench.h"
#include "gui/Skin.h"
#include "mainwindow/MainConfig.h"
#include "mainwindow/MouseSettingsPanel.h"

using namespace q9;
using Call = FakeSystemMouseSettings::Call;

namespace {


/// A left press on the picture at a given event time (a double-click's second press included).
void PressAt(QWidget* picture, std::uint64_t timestamp, QEvent::Type type = QEvent::MouseButtonPress) {
  const QPointF centre = QPointF(picture->rect().center());
  QMouseEvent press(type, centre, picture->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  press.setTimestamp(timestamp);
  QCoreApplication::sendEvent(picture, &press);
}

}  // namespace

class MouseSettingsPanelTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init() {
    SetUpBench();
    mouseSettings_.Clear();
  }
  void cleanup() { TearDownBench(); }

  void theDoubleClickSliderRunsBackwardsAndSetsTheTimeAtOnce();
  void accelerationLevelsSendTheirParametersOnApply();
  void theScrollSliderRoundsToTheNearestLine();
  void aProfileSwitchSetsTheDoubleClickTimeButNotThePointerSpeed();
  void aStoredValueOutOfRangeIsShownAtTheEndAndKept();
  void withoutSystemSettingsTheSlidersStillStore();
  void onlyADoubleClickWithinTheCurrentTimeSpinsThePicture();
  void theSpinGoesRoundAndBackAndEndsUpright();
  void theTestAreaIsCentredOnItsFirstPaintOnly();
  void thePanelFillsTheRightHandColumn();
  void theKeyboardMovesTheSlidersInPageOrder();
  void everySliderIsNamedInTheCurrentLanguage();

 private:
  TMouseSettingInfoEasyShiftEx& Settings() { return dm_->FCurrentMouseSettingInfo; }
  TMouseSettingInfoEasyShiftEx Stored(int profile) {
    TMouseProfileInfoEasyShiftEx stored{};
    dm_->ReadProfileInfo(stored, profile);
    return stored.MouseSettingInfo;
  }
  template <typename Edit>
  void EditProfile(int profile, Edit edit) {
    TMouseProfileInfoEasyShiftEx stored{};
    dm_->ReadProfileInfo(stored, profile);
    edit(stored.MouseSettingInfo);
    dm_->SaveBackToProfileInfo(stored, profile);
  }
  std::vector<int> Values(Call::Kind kind) const {
    std::vector<int> values;
    for (const Call& call : mouseSettings_.CallsOf(kind)) values.push_back(call.value);
    return values;
  }
  /// The acceleration parameters the apply's worker sent, once it has.
  AccelerationParameters WaitForAcceleration() {
    if (!QTest::qWaitFor([this] { return !mouseSettings_.CallsOf(Call::Acceleration).empty(); }, 3000)) return {-1, -1, -1};
    if (!QTest::qWaitFor([this] { return !mouseSettings_.CallsOf(Call::WheelScrollLines).empty(); }, 1000))
      return {-2, -2, -2};
    return mouseSettings_.CallsOf(Call::Acceleration).back().parameters;
  }
};

void MouseSettingsPanelTest::theDoubleClickSliderRunsBackwardsAndSetsTheTimeAtOnce() {
  TqvGMConfigMain& window = OpenWindow(0);
  auto* slider = Find<QSlider>("TrackMouseDBClick");
  QCOMPARE(slider->minimum(), 200);
  QCOMPARE(slider->maximum(), 900);
  QCOMPARE(slider->value(), 1100 - int(Settings().DoubleClickSpeed));
  QVERIFY(!window.SettingsModified());
  QVERIFY(!window.MouseParamsChanged());
  mouseSettings_.Clear();

  slider->setValue(slider->maximum());
  QCOMPARE(Settings().DoubleClickSpeed, Word{200});
  QCOMPARE(Stored(dm_->FProfileIndex).DoubleClickSpeed, Word{200});
  QCOMPARE(Values(Call::DoubleClickTime), std::vector<int>{200});
  QVERIFY(window.SettingsModified());
  QVERIFY(window.MouseParamsChanged());

  slider->setValue(slider->minimum());
  QCOMPARE(Settings().DoubleClickSpeed, Word{900});
  QCOMPARE(Values(Call::DoubleClickTime), (std::vector<int>{200, 900}));

  // A drag between two steps lands on the nearer one.
  slider->setValue(612);
  QCOMPARE(slider->value(), 600);
  QCOMPARE(Settings().DoubleClickSpeed, Word{500});
  QCOMPARE(Values(Call::DoubleClickTime).back(), 500);
  QVERIFY2(mouseSettings_.CallsOf(Call::PointerSpeed).empty(), "the pointer waits for an apply");
}

void MouseSettingsPanelTest::accelerationLevelsSendTheirParametersOnApply() {
  TqvGMConfigMain& window = OpenWindow(0);
  auto* slider = Find<QSlider>("TrackAccele");
  QCOMPARE(slider->maximum(), 3);
  for (const auto& [level, expected] : {std::pair{2, AccelerationParameters{4, 6, 2}},
                                        std::pair{3, AccelerationParameters{4, 0, 1}}}) {
    mouseSettings_.Clear();
    slider->setValue(level);
    QCOMPARE(Settings().PointerAcceleration, Word(level));
    QCOMPARE(window.State().MouseParams.Acceleration, level);
    QVERIFY(window.MouseParamsChanged());
    QVERIFY2(mouseSettings_.Calls().empty(), "nothing goes to the system before the apply");
    QVERIFY(window.BSBTNAPPLYClick());
    QCOMPARE(WaitForAcceleration(), expected);
    QCOMPARE(Values(Call::PointerSpeed), std::vector<int>{int(Settings().PointerSpeed)});
    QCOMPARE(Values(Call::WheelScrollLines), std::vector<int>{int(Settings().VWheelSpeed)});
    QVERIFY(!window.MouseParamsChanged());
  }
  QCOMPARE(Stored(dm_->FProfileIndex).PointerAcceleration, Word{3});
}

void MouseSettingsPanelTest::theScrollSliderRoundsToTheNearestLine() {
  TqvGMConfigMain& window = OpenWindow(0);
  auto* slider = Find<QSlider>("TrackScrollSpeed");
  const int perLine = TMouseSettingsPanel::kScrollPositionsPerLine;
  QCOMPARE(slider->minimum(), 1 * perLine);
  QCOMPARE(slider->maximum(), 10 * perLine);

  // Dragged to 3.4 lines: 3 stored; 3.5 is nearer 4.
  slider->setSliderDown(true);
  slider->setSliderPosition(34);
  QCOMPARE(Settings().VWheelSpeed, Word{3});
  QCOMPARE(window.State().MouseParams.WheelScrollLines, 3);
  QVERIFY(window.MouseParamsChanged());
  slider->setSliderPosition(35);
  QCOMPARE(Settings().VWheelSpeed, Word{4});
  slider->setSliderPosition(96);
  QCOMPARE(Settings().VWheelSpeed, Word{10});
  slider->setSliderPosition(14);
  QCOMPARE(Settings().VWheelSpeed, Word{1});
  // Let go, the handle settles on the line it stored.
  slider->setSliderDown(false);
  QCOMPARE(slider->value(), 10);
  QCOMPARE(Stored(dm_->FProfileIndex).VWheelSpeed, Word{1});
  QCOMPARE(TMouseSettingsPanel::WheelLinesAt(34), 3);
  QCOMPARE(TMouseSettingsPanel::WheelLinesAt(35), 4);
}

void MouseSettingsPanelTest::aProfileSwitchSetsTheDoubleClickTimeButNotThePointerSpeed() {
  EditProfile(2, [](TMouseSettingInfoEasyShiftEx& settings) {
    settings.DoubleClickSpeed = 300;
    settings.PointerSpeed = 15;
    settings.VWheelSpeed = 6;
  });
  TqvGMConfigMain& window = OpenWindow(0);
  window.SelectProfile(0);
  QVERIFY(Settings().PointerSpeed != 15);
  mouseSettings_.Clear();

  window.SelectProfile(2);
  QCOMPARE(Values(Call::DoubleClickTime), std::vector<int>{300});
  QCOMPARE(Find<QSlider>("TrackMouseDBClick")->value(), 800);
  QCOMPARE(Find<QSlider>("TrackPointSpeed")->value(), 15);
  QCOMPARE(Find<QSlider>("TrackScrollSpeed")->value(), 60);
  QVERIFY(!window.MouseParamsChanged());
  QVERIFY(!window.SettingsModified());

  // An apply without a moved slider leaves the pointer alone.
  QVERIFY(window.BSBTNAPPLYClick());
  QTest::qWait(100);
  QVERIFY(mouseSettings_.CallsOf(Call::PointerSpeed).empty());

  // Any slider moved: the next apply brings the whole block of the profile now shown.
  Find<QSlider>("TrackAccele")->setValue(1);
  QVERIFY(window.BSBTNAPPLYClick());
  QCOMPARE(WaitForAcceleration(), (AccelerationParameters{7, 0, 1}));
  QCOMPARE(Values(Call::PointerSpeed), std::vector<int>{15});
  QCOMPARE(Values(Call::WheelScrollLines), std::vector<int>{6});
}

void MouseSettingsPanelTest::aStoredValueOutOfRangeIsShownAtTheEndAndKept() {
  EditProfile(1, [](TMouseSettingInfoEasyShiftEx& settings) {
    settings.PointerSpeed = 0;
    settings.PointerAcceleration = 7;
    settings.VWheelSpeed = 40;
    settings.DoubleClickSpeed = 1000;
  });
  TqvGMConfigMain& window = OpenWindow(0);
  mouseSettings_.Clear();
  window.SelectProfile(1);
  QCOMPARE(Find<QSlider>("TrackPointSpeed")->value(), 1);
  QCOMPARE(Find<QSlider>("TrackAccele")->value(), 3);
  QCOMPARE(Find<QSlider>("TrackScrollSpeed")->value(), 100);
  QCOMPARE(Find<QSlider>("TrackMouseDBClick")->value(), 200);  // 900 ms, the nearest end
  // The system gets the time the slider shows, never a damaged one.
  QCOMPARE(Values(Call::DoubleClickTime), std::vector<int>{900});
  QCOMPARE(Settings().PointerSpeed, Word{0});
  QCOMPARE(Settings().PointerAcceleration, Word{7});
  QCOMPARE(Settings().VWheelSpeed, Word{40});
  QCOMPARE(Settings().DoubleClickSpeed, Word{1000});
  QCOMPARE(Stored(1).DoubleClickSpeed, Word{1000});
  QVERIFY(!window.SettingsModified());
  QVERIFY(!window.MouseParamsChanged());

  // Moving one slider replaces only its own value.
  Find<QSlider>("TrackPointSpeed")->setValue(4);
  QCOMPARE(Settings().PointerSpeed, Word{4});
  QCOMPARE(Settings().PointerAcceleration, Word{7});
  QCOMPARE(Settings().DoubleClickSpeed, Word{1000});
  QCOMPARE(Stored(1).VWheelSpeed, Word{40});
  QCOMPARE(window.State().MouseParams.PointerSpeed, 4);
  QCOMPARE(window.State().MouseParams.Acceleration, 7);
}

void MouseSettingsPanelTest::withoutSystemSettingsTheSlidersStillStore() {
  TqvGMConfigMain& window = OpenWindow(0);
  PointerSettingsBlock block{10, 3, 0};
  int told = 0;
  TMouseSettingsPanel panel({*dm_, window.uiLanguage1(), block, nullptr, [&] { ++told; }}, nullptr);
  panel.SetMouseParam();
  mouseSettings_.Clear();
  auto* slider = panel.findChild<QSlider*>("TrackMouseDBClick");
  slider->setValue(700);
  QCOMPARE(Settings().DoubleClickSpeed, Word{400});
  QCOMPARE(panel.DoubleClickTime(), 400);
  panel.findChild<QSlider*>("TrackPointSpeed")->setValue(18);
  QCOMPARE(block.PointerSpeed, 18);
  QCOMPARE(told, 2);
  QVERIFY(mouseSettings_.Calls().empty());
}

void MouseSettingsPanelTest::onlyADoubleClickWithinTheCurrentTimeSpinsThePicture() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  auto* picture = Find<TDoubleClickTestImage>("ImageTest");
  auto* panel = Find<TMouseSettingsPanel>("MouseSettingsPanel");
  QAbstractAnimation& spin = panel->DBClickFloatAnimation();
  QCOMPARE(panel->DoubleClickTime(), int(Settings().DoubleClickSpeed));
  QCOMPARE(panel->DoubleClickTime(), 550);

  PressAt(picture, 1000);
  QCOMPARE(spin.state(), QAbstractAnimation::Stopped);  // one press is no double-click
  PressAt(picture, 1400, QEvent::MouseButtonDblClick);
  QCOMPARE(spin.state(), QAbstractAnimation::Running);
  spin.stop();

  // Slower than 550 ms: two single clicks, whatever the toolkit made of them.
  PressAt(picture, 5000);
  PressAt(picture, 5600, QEvent::MouseButtonDblClick);
  QCOMPARE(spin.state(), QAbstractAnimation::Stopped);

  // The time follows the slider: at 200 ms a pair 300 ms apart is too slow, 150 ms is quick enough.
  Find<QSlider>("TrackMouseDBClick")->setValue(900);
  QCOMPARE(panel->DoubleClickTime(), 200);
  PressAt(picture, 9000);
  PressAt(picture, 9300);
  QCOMPARE(spin.state(), QAbstractAnimation::Stopped);
  PressAt(picture, 9450);
  QCOMPARE(spin.state(), QAbstractAnimation::Running);
  spin.stop();
  // The press that completed a double-click does not start the next pair.
  PressAt(picture, 9500);
  QCOMPARE(spin.state(), QAbstractAnimation::Stopped);
}

void MouseSettingsPanelTest::theSpinGoesRoundAndBackAndEndsUpright() {
  TqvGMConfigMain& window = OpenWindow(0);
  auto* picture = Find<TDoubleClickTestImage>("ImageTest");
  auto* panel = Find<TMouseSettingsPanel>("MouseSettingsPanel");
  auto& spin = static_cast<QSequentialAnimationGroup&>(panel->DBClickFloatAnimation());
  QCOMPARE(spin.animationCount(), 2);
  for (int i = 0; i < 2; ++i) {
    auto* turn = qobject_cast<QPropertyAnimation*>(spin.animationAt(i));
    QVERIFY(turn);
    QCOMPARE(turn->targetObject(), picture);
    QCOMPARE(turn->propertyName(), QByteArray("rotation"));
    QCOMPARE(turn->duration(), 1200);
    QCOMPARE(turn->easingCurve().type(), QEasingCurve::InOutBounce);
  }
  panel->ImageTestDblClick();
  QCOMPARE(spin.state(), QAbstractAnimation::Running);
  spin.setCurrentTime(1200);
  QCOMPARE(picture->Rotation(), 360.0);
  spin.setCurrentTime(1800);
  QVERIFY(picture->Rotation() > 0 && picture->Rotation() < 360);
  spin.setCurrentTime(2400);
  QCOMPARE(spin.state(), QAbstractAnimation::Stopped);
  QCOMPARE(picture->Rotation(), 0.0);

  // Whatever angle it was stopped at, its end puts the picture upright.
  picture->SetRotation(123);
  panel->DBClickFloatAnimationFinish();
  QCOMPARE(picture->Rotation(), 0.0);
  QVERIFY2(!window.SettingsModified(), "trying the double-click changes no setting");
}

void MouseSettingsPanelTest::theTestAreaIsCentredOnItsFirstPaintOnly() {
  TqvGMConfigMain& window = OpenWindow(0);
  auto* area = Find<QScrollArea>("ListBoxMouseTest");
  QCOMPARE(area->size(), QSize(68, 63));
  QCOMPARE(area->widget()->size(), QSize(102, 172));
  QCOMPARE(area->verticalScrollBar()->value(), 0);  // nothing is centred before the first paint
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTRY_COMPARE(area->verticalScrollBar()->value(), (172 - 63) / 2);
  QCOMPARE(area->horizontalScrollBar()->value(), (102 - 68) / 2);

  area->verticalScrollBar()->setValue(0);
  area->viewport()->repaint();
  QCoreApplication::processEvents();
  QCOMPARE(area->verticalScrollBar()->value(), 0);
}

void MouseSettingsPanelTest::thePanelFillsTheRightHandColumn() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.setStyleSheet(skin::StyleSheet());  // the program's own look, which sizes the handles
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* page = Find<QWidget>("PageMain");
  auto* panel = Find<TMouseSettingsPanel>("MouseSettingsPanel");
  QCOMPARE(panel->parentWidget(), page);
  QCOMPARE(panel->geometry().right(), page->width() - 1);
  QVERIFY(panel->x() >= page->width() / 2);
  for (QSlider* slider : panel->findChildren<QSlider*>()) {
    QVERIFY2(slider->isVisible(), qPrintable(slider->objectName()));
    QVERIFY2(panel->rect().contains(QRect(slider->mapTo(panel, QPoint(0, 0)), slider->size())),
             qPrintable(slider->objectName()));
  }
  // The marks stand under the handle's places, in order, inside the panel.
  QList<QLabel*> marks;
  for (const char* text : {"None", "Low", "Middle", "High"})
    for (QLabel* label : panel->findChildren<QLabel*>())
      if (label->text() == QLatin1String(text)) marks << label;
  QCOMPARE(marks.size(), 4);
  auto* accele = Find<QSlider>("TrackAccele");
  for (int i = 1; i < marks.size(); ++i)
    QVERIFY(marks[i]->mapTo(panel, QPoint()).x() >= marks[i - 1]->mapTo(panel, QPoint()).x() + marks[i - 1]->width());
  // "Low" and "Middle" are centred under their handle places: a third and two thirds along.
  for (int level : {1, 2}) {
    const int centre = accele->mapFromGlobal(marks[level]->mapToGlobal(marks[level]->rect().center())).x();
    const int expected = accele->width() * level / 3;
    QVERIFY2(std::abs(centre - expected) <= 12, qPrintable(QStringLiteral("%1 at %2, not %3").arg(level).arg(centre).arg(expected)));
  }
}

void MouseSettingsPanelTest::theKeyboardMovesTheSlidersInPageOrder() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* accele = Find<QSlider>("TrackAccele");
  auto* speed = Find<QSlider>("TrackPointSpeed");
  auto* scroll = Find<QSlider>("TrackScrollSpeed");
  auto* doubleClick = Find<QSlider>("TrackMouseDBClick");
  QCOMPARE(accele->nextInFocusChain(), speed);
  QCOMPARE(speed->nextInFocusChain(), scroll);
  QCOMPARE(scroll->nextInFocusChain(), doubleClick);

  accele->setFocus();
  QTest::keyClick(accele, Qt::Key_Right);
  QCOMPARE(Settings().PointerAcceleration, Word{1});
  QTest::keyClick(speed, Qt::Key_Left);
  QCOMPARE(Settings().PointerSpeed, Word{9});
  QTest::keyClick(scroll, Qt::Key_Right);
  QCOMPARE(Settings().VWheelSpeed, Word{4});  // one key, one line
  mouseSettings_.Clear();
  QTest::keyClick(doubleClick, Qt::Key_Right);
  QCOMPARE(Settings().DoubleClickSpeed, Word{500});  // one key, 50 ms quicker
  QCOMPARE(Values(Call::DoubleClickTime), std::vector<int>{500});
  QVERIFY(window.MouseParamsChanged());
}

void MouseSettingsPanelTest::everySliderIsNamedInTheCurrentLanguage() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* panel = Find<TMouseSettingsPanel>("MouseSettingsPanel");
  test::AccessibilityWalk walk = test::WalkAccessibility(panel);
  QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
  int sliders = 0;
  for (QSlider* slider : panel->findChildren<QSlider*>()) sliders += slider->isVisible();
  QCOMPARE(sliders, 4);
  QCOMPARE(Find<QSlider>("TrackAccele")->accessibleName(), QString("Acceleration"));
  QCOMPARE(Find<QSlider>("TrackPointSpeed")->accessibleName(), QString("Pointer Speed"));
  QCOMPARE(Find<QSlider>("TrackScrollSpeed")->accessibleName(), QString("Scroll Speed"));
  QCOMPARE(Find<QSlider>("TrackMouseDBClick")->accessibleName(), QString("Double-Click Speed"));
  Find<QSlider>("TrackAccele")->setValue(2);
  QCOMPARE(Find<QSlider>("TrackAccele")->accessibleDescription(), QString("Middle"));
  QCOMPARE(Find<QSlider>("TrackMouseDBClick")->accessibleDescription(),
           QStringLiteral("%1 ms").arg(Settings().DoubleClickSpeed));

  window.uiLanguage1().SetLang("0804");
  QCOMPARE(Find<QSlider>("TrackAccele")->accessibleName(), QString::fromUtf8("加速度"));
  QCOMPARE(Find<QSlider>("TrackMouseDBClick")->accessibleName(), QString::fromUtf8("双击速度"));
  QCOMPARE(Find<QSlider>("TrackAccele")->accessibleDescription(), QString::fromUtf8("中"));
  QCOMPARE(Find<TDoubleClickTestImage>("ImageTest")->accessibleName(), QString::fromUtf8("在此双击进行测试"));
  bool markTranslated = false;
  for (QLabel* label : panel->findChildren<QLabel*>()) markTranslated |= label->text() == QString::fromUtf8("无");
  QVERIFY(markTranslated);
  walk = test::WalkAccessibility(panel);
  QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
}

QTEST_MAIN(MouseSettingsPanelTest)
#include "MouseSettingsPanelTest.moc"
