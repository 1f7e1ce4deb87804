#include "mainwindow/MouseSettingsPanel.h"

#include <QBoxLayout>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QSequentialAnimationGroup>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cmath>

#include "gui/Skin.h"
#include "gui/SkinPalette.h"
#include "gui/uiLanguageWidgets.h"
#include "mainwindow/SensitivityPage.h"

namespace q9 {

namespace {

constexpr const char* kAccelerationTitle = "Acceleration";
constexpr const char* kPointerSpeedTitle = "Pointer Speed";
constexpr const char* kScrollSpeedTitle = "Scroll Speed";
constexpr const char* kDoubleClickTitle = "Double-Click Speed";
constexpr const char* kTestPictureName = "Double-click here to test";
constexpr std::array<const char*, 4> kAccelerationMarks{"None", "Low", "Middle", "High"};
constexpr int kTestAreaWidth = 68;
constexpr int kTestAreaHeight = 63;

QLabel* MakeLabel(QWidget* parent, const char* text, const char* role) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  if (role) label->setProperty("q9role", QString::fromLatin1(role));
  return label;
}

}  // namespace

// ---- Double-click gate ---------------------------------------------------------------------------

bool DoubleClickGate::Press(std::uint64_t timestamp, int doubleClickTimeMs) {
  if (pending_ && timestamp >= first_ && timestamp - first_ <= static_cast<std::uint64_t>(doubleClickTimeMs)) {
    pending_ = false;
    return true;
  }
  pending_ = true;
  first_ = timestamp;
  return false;
}

// ---- Test picture --------------------------------------------------------------------------------

TDoubleClickTestImage::TDoubleClickTestImage(QWidget* parent) : QWidget(parent) {
  setObjectName("ImageTest");
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_TranslucentBackground);
}

void TDoubleClickTestImage::SetRotation(qreal degrees) {
  if (rotation_ == degrees) return;
  rotation_ = degrees;
  update();
}

void TDoubleClickTestImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnPress) OnPress(event->timestamp());
  event->accept();
}

// The toolkit turns the second press of a pair into this event by its own interval; the gate
// decides by the profile's time, so it is a press like any other here.
void TDoubleClickTestImage::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

// A mouse seen from above, nose up, with the product's emblem in its middle: the part the test
// area shows.
void TDoubleClickTestImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(width() / 2.0, height() / 2.0);
  painter.rotate(rotation_);

  const QRectF bodyRect(-46, -82, 92, 164);
  QPainterPath body;
  body.addRoundedRect(bodyRect, 44, 30);
  QLinearGradient shell(bodyRect.topLeft(), bodyRect.bottomRight());
  shell.setColorAt(0, skin::kHover);
  shell.setColorAt(1, skin::kWindowBackground);
  painter.setPen(QPen(skin::kAccent, 2));
  painter.setBrush(shell);
  painter.drawPath(body);

  painter.setPen(QPen(skin::kBorder, 1.5));
  painter.drawLine(QPointF(0, bodyRect.top() + 1), QPointF(0, -58));

  painter.setPen(QPen(skin::kAccent, 1.5));
  painter.setBrush(skin::kPanelRaised);
  painter.drawRoundedRect(QRectF(-5, -58, 10, 20), 5, 5);

  // The emblem in the middle is what the test area shows of the picture.
  painter.setPen(QPen(skin::kAccentDark, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(0, 0), 24, 24);
  skin::ProgramIcon().paint(&painter, QRect(-16, -16, 32, 32));
}

// ---- Slider scale --------------------------------------------------------------------------------

TSliderScale::TSliderScale(QSlider* slider, const std::vector<std::pair<int, const char*>>& marks, bool translated,
                           QWidget* parent)
    : QWidget(parent), slider_(slider) {
  for (const auto& [value, text] : marks) {
    QLabel* label = MakeLabel(this, text, "muted");
    if (!translated) label->setProperty(kNoTranslateProperty, true);
    values_.push_back(value);
    labels_.push_back(label);
  }
  setFixedHeight(labels_.empty() ? 0 : labels_.front()->sizeHint().height());
  slider_->installEventFilter(this);
}

bool TSliderScale::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  const QEvent::Type type = event->type();
  if (type == QEvent::LayoutRequest || type == QEvent::Move || type == QEvent::Show) PlaceMarks();
  return handled;
}

void TSliderScale::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceMarks();
}

bool TSliderScale::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == slider_ && (type == QEvent::Resize || type == QEvent::Move || type == QEvent::Show)) PlaceMarks();
  return QWidget::eventFilter(watched, event);
}

// Each mark sits under the middle of the handle as it stands at the mark's value; a translated mark
// of another width is placed again when its label asks for a new layout.
void TSliderScale::PlaceMarks() {
  QStyleOptionSlider option;
  option.initFrom(slider_);
  option.orientation = slider_->orientation();
  if (option.orientation == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
  option.minimum = slider_->minimum();
  option.maximum = slider_->maximum();
  option.sliderPosition = slider_->sliderPosition();
  option.sliderValue = slider_->value();
  option.tickPosition = slider_->tickPosition();
  option.tickInterval = slider_->tickInterval();
  option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
  QStyle* style = slider_->style();
  const QRect groove = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider_);
  const int handle = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider_).width();
  // The scale and its slider share a parent; the scale may stand a little left or right of it.
  const int offset = slider_->x() - x();
  int tallest = 0;
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    const int travel = QStyle::sliderPositionFromValue(option.minimum, option.maximum, values_[i],
                                                       std::max(0, groove.width() - handle));
    const int centre = offset + groove.left() + handle / 2 + travel;
    QLabel* label = labels_[i];
    label->adjustSize();
    // A translated mark may be drawn from a fallback font that reaches below the label font's line.
    const QRect drawn = label->fontMetrics().boundingRect(label->text());
    label->resize(label->width(), std::max(label->height(), drawn.height() + 2));
    tallest = std::max(tallest, label->height());
    const int left = std::clamp(centre - label->width() / 2, 0, std::max(0, width() - label->width()));
    label->move(left, 0);
  }
  if (tallest > 0 && tallest != height()) setFixedHeight(tallest);
}

// ---- Panel ---------------------------------------------------------------------------------------

TMouseSettingsPanel::TMouseSettingsPanel(MouseSettingsPanelServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
  setObjectName("MouseSettingsPanel");
  setFixedWidth(kWidth);
  TrackAccele = MakeSlider("TrackAccele", 0, 3, 1, 0);
  TrackPointSpeed = MakeSlider("TrackPointSpeed", 1, 20, 1, 10);
  TrackScrollSpeed = MakeSlider("TrackScrollSpeed", kScrollPositionsPerLine, 10 * kScrollPositionsPerLine,
                                kScrollPositionsPerLine, 3 * kScrollPositionsPerLine);
  TrackMouseDBClick =
      MakeSlider("TrackMouseDBClick", kDoubleClickMinMs, kDoubleClickMaxMs, kDoubleClickStepMs, kDoubleClickMinMs);
  // A drag ends on the line it was rounded to.
  connect(TrackScrollSpeed, &QSlider::sliderReleased, this,
          [this] { TrackScrollSpeed->setValue(WheelLinesAt(TrackScrollSpeed->value()) * kScrollPositionsPerLine); });

  std::vector<std::pair<int, const char*>> accelerationMarks;
  for (std::size_t level = 0; level < kAccelerationMarks.size(); ++level)
    accelerationMarks.emplace_back(static_cast<int>(level), kAccelerationMarks[level]);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 10, 12, 10);
  column->setSpacing(6);
  column->addWidget(BuildSliderPanel("PanelAccele", kAccelerationTitle, TrackAccele,
                                     new TSliderScale(TrackAccele, accelerationMarks, true, this), nullptr));
  column->addWidget(BuildSliderPanel(
      "PanelPointSpeed", kPointerSpeedTitle, TrackPointSpeed,
      new TSliderScale(TrackPointSpeed, {{1, "1"}, {5, "5"}, {10, "10"}, {15, "15"}, {20, "20"}}, false, this),
      nullptr));
  column->addWidget(BuildSliderPanel("PanelScrollSpeed", kScrollSpeedTitle, TrackScrollSpeed,
                                     new TSliderScale(TrackScrollSpeed,
                                                      {{1 * kScrollPositionsPerLine, "1"},
                                                       {3 * kScrollPositionsPerLine, "3"},
                                                       {5 * kScrollPositionsPerLine, "5"},
                                                       {7 * kScrollPositionsPerLine, "7"},
                                                       {10 * kScrollPositionsPerLine, "10"}},
                                                      false, this),
                                     nullptr));
  column->addWidget(BuildSliderPanel(
      "PanelMouseDBClick", kDoubleClickTitle, TrackMouseDBClick,
      new TSliderScale(TrackMouseDBClick, {{kDoubleClickMinMs, "Slow"}, {kDoubleClickMaxMs, "Fast"}}, true, this),
      BuildTestArea()));
  column->addStretch(1);
  BuildAnimation();

  // The Tab order follows the page from top to bottom.
  setTabOrder(TrackAccele, TrackPointSpeed);
  setTabOrder(TrackPointSpeed, TrackScrollSpeed);
  setTabOrder(TrackScrollSpeed, TrackMouseDBClick);
  UpdateAccessibleTexts();
  OnLanguageChanged(services_.language, this, [this] { UpdateAccessibleTexts(); });
}

// The slider starts at `initial` before its changes are handled: the profile is only written by the user.
QSlider* TMouseSettingsPanel::MakeSlider(const char* name, int minimum, int maximum, int step, int initial) {
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName(QString::fromLatin1(name));
  slider->setRange(minimum, maximum);
  slider->setSingleStep(step);
  slider->setPageStep(step);
  slider->setTracking(true);  // the value is reported while the handle is dragged
  slider->setFocusPolicy(Qt::StrongFocus);
  slider->setValue(initial);
  connect(slider, &QSlider::valueChanged, this, [this, slider] { TrackScrollSpeedChange(slider); });
  return slider;
}

// A dark panel with the slider's title, the slider and its scale under it, and what belongs beside
// the slider (the double-click test area) at its right.
QWidget* TMouseSettingsPanel::BuildSliderPanel(const char* panelName, const char* title, QSlider* slider,
                                               TSliderScale* scale, QWidget* beside) {
  auto* panel = new QFrame(this);
  panel->setObjectName(QString::fromLatin1(panelName));
  panel->setProperty("q9role", QStringLiteral("sliderPanel"));
  QLabel* heading = MakeLabel(panel, title, "heading");
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(12, 6, 12, 6);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(4);
  grid->addWidget(heading, 0, 0);
  grid->addWidget(slider, 1, 0);
  grid->addWidget(scale, 2, 0);
  if (beside) grid->addWidget(beside, 0, 1, 3, 1, Qt::AlignVCenter);
  grid->setColumnStretch(0, 1);
  return panel;
}

QWidget* TMouseSettingsPanel::BuildTestArea() {
  ListBoxMouseTest = new QScrollArea(this);
  ListBoxMouseTest->setObjectName("ListBoxMouseTest");
  ListBoxMouseTest->setFixedSize(kTestAreaWidth, kTestAreaHeight);
  ListBoxMouseTest->setFrameShape(QFrame::NoFrame);
  ListBoxMouseTest->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBoxMouseTest->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBoxMouseTest->setFocusPolicy(Qt::NoFocus);
  auto* item = new QWidget;
  item->setObjectName("ListBoxItemTest");
  item->setFixedSize(TDoubleClickTestImage::kWidth, TDoubleClickTestImage::kHeight);
  ImageTest = new TDoubleClickTestImage(item);
  ImageTest->OnPress = [this](std::uint64_t timestamp) {
    if (FGate.Press(timestamp, FDoubleClickTime)) ImageTestDblClick();
  };
  ListBoxMouseTest->setWidget(item);
  // The picture covers the whole view, so its paint is the test area's paint.
  ImageTest->installEventFilter(this);
  return ListBoxMouseTest;
}

// Once round and back: 1.2 s each way, easing in and out with a bounce.
void TMouseSettingsPanel::BuildAnimation() {
  FSpin = new QSequentialAnimationGroup(this);
  FSpin->setObjectName("DBClickFloatAnimation");
  for (const auto& [from, to] : {std::pair{0.0, 360.0}, std::pair{360.0, 0.0}}) {
    auto* turn = new QPropertyAnimation(ImageTest, "rotation", FSpin);
    turn->setStartValue(from);
    turn->setEndValue(to);
    turn->setDuration(kSpinDurationMs);
    turn->setEasingCurve(QEasingCurve::InOutBounce);
    FSpin->addAnimation(turn);
  }
  connect(FSpin, &QAbstractAnimation::finished, this, [this] { DBClickFloatAnimationFinish(); });
}

QAbstractAnimation& TMouseSettingsPanel::DBClickFloatAnimation() { return *FSpin; }

void TMouseSettingsPanel::SetSliderCursor(const QCursor& cursor) {
  for (QSlider* slider : {TrackAccele, TrackPointSpeed, TrackScrollSpeed, TrackMouseDBClick}) slider->setCursor(cursor);
}

QString TMouseSettingsPanel::Tr(const char* text) const {
  return TranslatedText(services_.language, text);
}

// Each slider is named by its title and tells its value the way the page shows it.
void TMouseSettingsPanel::UpdateAccessibleTexts() {
  TrackAccele->setAccessibleName(Tr(kAccelerationTitle));
  TrackPointSpeed->setAccessibleName(Tr(kPointerSpeedTitle));
  TrackScrollSpeed->setAccessibleName(Tr(kScrollSpeedTitle));
  TrackMouseDBClick->setAccessibleName(Tr(kDoubleClickTitle));
  const int level = std::clamp(TrackAccele->value(), 0, static_cast<int>(kAccelerationMarks.size()) - 1);
  TrackAccele->setAccessibleDescription(Tr(kAccelerationMarks[static_cast<std::size_t>(level)]));
  TrackPointSpeed->setAccessibleDescription(QString::number(TrackPointSpeed->value()));
  TrackScrollSpeed->setAccessibleDescription(QString::number(WheelLinesAt(TrackScrollSpeed->value())));
  TrackMouseDBClick->setAccessibleDescription(QStringLiteral("%1 ms").arg(kDoubleClickMirror - TrackMouseDBClick->value()));
  ImageTest->setAccessibleName(Tr(kTestPictureName));
}

int TMouseSettingsPanel::WheelLinesAt(int position) {
  return static_cast<int>(std::lround(static_cast<double>(position) / kScrollPositionsPerLine));
}

// The time the system gets and the test picture answers to is always one the slider can show: a
// damaged profile's 0 or 65535 would otherwise break double-clicking everywhere on the desktop.
void TMouseSettingsPanel::SetDoubleClickTime(int milliseconds) {
  FDoubleClickTime = std::clamp(milliseconds, kDoubleClickMinMs, kDoubleClickMaxMs);
  if (services_.mouseSettings) services_.mouseSettings->SetDoubleClickTime(FDoubleClickTime);
}

void TMouseSettingsPanel::TrackScrollSpeedChange(QSlider* slider) {
  PointerSettingsBlock& block = services_.pointerSettings;
  const int value = slider->value();
  if (slider == TrackScrollSpeed) {
    const int lines = WheelLinesAt(value);
    Settings().VWheelSpeed = static_cast<Word>(lines);
    block.WheelScrollLines = lines;
  } else if (slider == TrackPointSpeed) {
    Settings().PointerSpeed = static_cast<Word>(value);
    block.PointerSpeed = value;
  } else if (slider == TrackMouseDBClick) {
    const int steps = static_cast<int>(std::lround(static_cast<double>(value - kDoubleClickMinMs) / kDoubleClickStepMs));
    const int onStep = kDoubleClickMinMs + steps * kDoubleClickStepMs;
    if (onStep != value) {
      slider->setValue(onStep);  // its own change stores the time
      return;
    }
    Settings().DoubleClickSpeed = static_cast<Word>(kDoubleClickMirror - value);
    SetDoubleClickTime(kDoubleClickMirror - value);
  } else if (slider == TrackAccele) {
    Settings().PointerAcceleration = static_cast<Word>(value);
    block.Acceleration = value;
  } else {
    return;
  }
  services_.DM.SaveBackToCurrentProfileInfo();
  UpdateAccessibleTexts();
  if (services_.mouseParamsChanged) services_.mouseParamsChanged();
}

void TMouseSettingsPanel::SetMouseParam() {
  const TMouseSettingInfoEasyShiftEx& settings = Settings();
  {
    const QSignalBlocker detached(TrackScrollSpeed);
    TrackScrollSpeed->setValue(settings.VWheelSpeed * kScrollPositionsPerLine);
  }
  {
    const QSignalBlocker detached(TrackPointSpeed);
    TrackPointSpeed->setValue(settings.PointerSpeed);
  }
  {
    const QSignalBlocker detached(TrackAccele);
    TrackAccele->setValue(settings.PointerAcceleration);
  }
  SetDoubleClickTime(settings.DoubleClickSpeed);
  {
    const QSignalBlocker detached(TrackMouseDBClick);
    TrackMouseDBClick->setValue(kDoubleClickMirror - settings.DoubleClickSpeed);
  }
  UpdateAccessibleTexts();
}

void TMouseSettingsPanel::ImageTestDblClick() {
  FSpin->stop();
  FSpin->start();
}

void TMouseSettingsPanel::DBClickFloatAnimationFinish() { ImageTest->SetRotation(0); }

bool TMouseSettingsPanel::ListBoxMouseTestPaint() {
  if (!FCenterTestArea) return false;
  FCenterTestArea = false;
  for (QScrollBar* bar : {ListBoxMouseTest->horizontalScrollBar(), ListBoxMouseTest->verticalScrollBar()})
    bar->setValue((bar->minimum() + bar->maximum()) / 2);
  // The paint under way was meant for where the picture stood; it comes again where it stands now.
  QMetaObject::invokeMethod(ImageTest, qOverload<>(&QWidget::update), Qt::QueuedConnection);
  return true;
}

bool TMouseSettingsPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ImageTest && event->type() == QEvent::Paint && ListBoxMouseTestPaint()) return true;
  return QWidget::eventFilter(watched, event);
}

}  // namespace q9
