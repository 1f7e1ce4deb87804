#pragma once
// TMouseSettingsPanel: the system's own mouse settings of the current profile, in the right-hand
// column of the "MAIN SETTING" page. Four sliders (acceleration, pointer speed, wheel scroll lines,
// double-click time) and a test area with a picture the user double-clicks to try the double-click
// time. The double-click time goes to the system at once; the other three wait in the window's
// pointer-settings block for the next apply.

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "app/DataModule.h"
#include "app/PointerSettings.h"
#include "lang/uiLanguage.h"
#include "platform/SystemMouseSettings.h"

class QAbstractAnimation;
class QCursor;
class QLabel;
class QScrollArea;
class QSequentialAnimationGroup;
class QSlider;

namespace q9 {

/// What the panel works with; everything outlives the panel.
struct MouseSettingsPanelServices {
  TDM& DM;
  TuiLanguage& language;
  /// The window's pointer-settings block; the panel keeps it in step with the sliders.
  PointerSettingsBlock& pointerSettings;
  /// Null: the double-click time of the system stays as it is.
  SystemMouseSettings* mouseSettings = nullptr;
  /// Told after every slider change the panel stores (pointer settings and settings modified).
  std::function<void()> mouseParamsChanged;
};

/// Tells a double-click from two single clicks by the time between two presses, against the time
/// the profile sets rather than the one the toolkit happens to use. A third press right after a
/// double-click starts a new pair.
class DoubleClickGate {
 public:
  /// A press at `timestamp` (milliseconds); true when it completes a double-click.
  bool Press(std::uint64_t timestamp, int doubleClickTimeMs);

 private:
  bool pending_ = false;
  std::uint64_t first_ = 0;
};

/// The picture the user double-clicks: drawn, not loaded, and turned by its rotation property.
class TDoubleClickTestImage : public QWidget {
  Q_OBJECT
  Q_PROPERTY(qreal rotation READ Rotation WRITE SetRotation)

 public:
  static constexpr int kWidth = 102;
  static constexpr int kHeight = 172;

  explicit TDoubleClickTestImage(QWidget* parent);
  qreal Rotation() const { return rotation_; }
  void SetRotation(qreal degrees);
  /// Every press with its event time, double-click presses included.
  std::function<void(std::uint64_t timestamp)> OnPress;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  qreal rotation_ = 0;
};

/// Labels under a horizontal slider, each centred under the handle's place for its value.
class TSliderScale : public QWidget {
  Q_OBJECT

 public:
  TSliderScale(QSlider* slider, const std::vector<std::pair<int, const char*>>& marks, bool translated, QWidget* parent);
  const std::vector<QLabel*>& Marks() const { return labels_; }

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceMarks();

  QSlider* slider_;
  std::vector<int> values_;
  std::vector<QLabel*> labels_;
};

class TMouseSettingsPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDoubleClickMinMs = 200;
  static constexpr int kDoubleClickMaxMs = 900;
  /// The double-click slider runs backwards: its value is this minus the time, so that moving it
  /// right makes double-clicking faster.
  static constexpr int kDoubleClickMirror = kDoubleClickMinMs + kDoubleClickMaxMs;
  static constexpr int kDoubleClickStepMs = 50;
  /// The scroll slider moves smoothly: its positions are tenths of a line.
  static constexpr int kScrollPositionsPerLine = 10;
  static constexpr int kSpinDurationMs = 1200;
  static constexpr int kWidth = 396;

  TMouseSettingsPanel(MouseSettingsPanelServices services, QWidget* parent);

  /// The "SetMouseParam" refresh: shows the current profile's values and hands its double-click
  /// time to the system at once; the other three wait for an apply.
  void SetMouseParam();
  /// The next paint of the test area centres its picture (once after start-up).
  void ArmTestAreaCentring() { FCenterTestArea = true; }
  void SetSliderCursor(const QCursor& cursor);

  /// The value change of any of the four sliders.
  void TrackScrollSpeedChange(QSlider* slider);
  void ImageTestDblClick();
  void DBClickFloatAnimationFinish();
  /// True when this paint centred the test area (the paint is then done again).
  bool ListBoxMouseTestPaint();

  /// The wheel scroll lines of a scroll slider position, rounded to the nearest line.
  static int WheelLinesAt(int position);
  /// The double-click time the test picture answers to (the one the slider shows).
  int DoubleClickTime() const { return FDoubleClickTime; }
  QAbstractAnimation& DBClickFloatAnimation();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildSliderPanel(const char* panelName, const char* title, QSlider* slider, TSliderScale* scale,
                            QWidget* beside);
  QSlider* MakeSlider(const char* name, int minimum, int maximum, int step, int initial);
  QWidget* BuildTestArea();
  void BuildAnimation();
  void SetDoubleClickTime(int milliseconds);
  void UpdateAccessibleTexts();
  QString Tr(const char* text) const;
  TMouseSettingInfoEasyShiftEx& Settings() { return services_.DM.FCurrentMouseSettingInfo; }

  MouseSettingsPanelServices services_;
  QSlider* TrackAccele = nullptr;
  QSlider* TrackPointSpeed = nullptr;
  QSlider* TrackScrollSpeed = nullptr;
  QSlider* TrackMouseDBClick = nullptr;
  QScrollArea* ListBoxMouseTest = nullptr;
  TDoubleClickTestImage* ImageTest = nullptr;
  QSequentialAnimationGroup* FSpin = nullptr;
  DoubleClickGate FGate;
  int FDoubleClickTime = kDoubleClickMinMs;
  bool FCenterTestArea = false;
};

}  // namespace q9
