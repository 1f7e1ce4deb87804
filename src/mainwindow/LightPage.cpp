#include "mainwindow/LightPage.h"

#include <QColorDialog>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>

#include "gui/SkinPalette.h"
#include "gui/uiLanguageWidgets.h"
#include "protocol/CommandFrame.h"

#include <QPointer>

namespace q9 {

namespace {

constexpr const char* kSwatchName = "Light colour";
constexpr const char* kChooserCaption = "CUSTOM LIGHT COLOR";

struct SwatchEntry {
  const char* name;
  QRgb argb;
  int column;  // from 1
  int row;     // from 1
};

constexpr std::array<SwatchEntry, TLightPage::kLargeSwatchCount> kLargeSwatches{{
    {"RTC1", 0xFFB90001, 1, 1},
    {"RTC2", 0xFFFF4700, 2, 1},
    {"RTC3", 0xFFF8E801, 3, 1},
    {"RTC4", 0xFF00FF01, 1, 2},
    {"RTC5", 0xFF26A2EA, 2, 2},
    {"RTC6", 0xFF0F0FBD, 3, 2},
    {"RTC7", 0xFFD90A7E, 1, 3},
}};

// The hidden panel, rows from the top; each row runs on from the number it starts with.
struct SmallRow {
  int firstNumber;
  std::array<QRgb, 7> colours;
  int count;
};
constexpr std::array<SmallRow, 5> kSmallRows{{
    {36, {0xFFB90001, 0xFFFE0000, 0xFFFF4700, 0xFEFF6B01, 0xFFFF9D45, 0xFFFFBA58, 0xFFF8E801}, 7},
    {29, {0xFFF6FF4E, 0xFFC9FF4F, 0xFFA6FF4F, 0xFF84FF4E, 0xFF00FF01, 0xFF02B534, 0xFF00A536}, 7},
    {22, {0xFF00CF7B, 0xFF00D09E, 0xFF00CBCF, 0xFF6BE1E3, 0xFF29C5FE, 0xFF26A2EA, 0xFF649EF0}, 7},
    {15, {0xFF2484EA, 0xFF0048FE, 0xFF0E0FFF, 0xFF0F0FBD, 0xFF5907FF, 0xFF790CFF, 0xFFA10CFE}, 7},
    {10, {0xFFAA6CE7, 0xFFB30AD7, 0xFFC90BFF, 0xFFCE0ADA, 0xFFD90A7E, 0, 0}, 5},
}};

struct RadioEntry {
  const char* name;
  const char* caption;
};
constexpr std::array<RadioEntry, 4> kLevelRadios{
    {{"RadioLevelClose", "CLOSE"}, {"RadioLevelLow", "LOW"}, {"RadioLevelMid", "MIDDLE"}, {"RadioLevelHigh", "HIGH"}}};
constexpr std::array<RadioEntry, 4> kSpeedRadios{
    {{"RadioSPClose", " CLOSE"}, {"RadioSPLow", " LOW"}, {"RadioSPMid", " MIDDLE"}, {"RadioSPHigh", " HIGH"}}};

// Page geometry: the picture on the left, the swatches in the middle, the radios on the right.
constexpr QRect kPictureRect{40, 14, 190, 300};
constexpr QPoint kPreviewInPicture{72, 196};  // over the palm light of the drawn mouse
constexpr QSize kPreviewSize{45, 42};
constexpr QPoint kSwatchOrigin{300, 58};
constexpr int kSwatchPitch = 72;
constexpr QPoint kSmallOrigin{290, 40};
constexpr int kSmallPitch = 29;
constexpr int kRightPanelX = 580;

QColor Opaque(const QColor& colour) { return QColor(colour.red(), colour.green(), colour.blue()); }

QLabel* MakeHeading(QWidget* parent, const char* text, QPoint at) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setProperty("q9role", QStringLiteral("heading"));
  label->move(at);
  label->adjustSize();
  return label;
}

/// The mouse seen from above, drawn in code: body, the two main buttons, the wheel, the side grips
/// and the palm light that the preview covers.
class TMousePicture : public QWidget {
 public:
  explicit TMousePicture(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = width();
    const qreal h = height();

    QPainterPath body;
    body.moveTo(w * 0.5, h * 0.02);
    body.cubicTo(w * 0.86, h * 0.02, w * 0.95, h * 0.2, w * 0.93, h * 0.42);
    body.cubicTo(w * 0.91, h * 0.55, w * 0.84, h * 0.6, w * 0.88, h * 0.74);
    body.cubicTo(w * 0.92, h * 0.9, w * 0.75, h * 0.99, w * 0.5, h * 0.99);
    body.cubicTo(w * 0.25, h * 0.99, w * 0.08, h * 0.9, w * 0.12, h * 0.74);
    body.cubicTo(w * 0.16, h * 0.6, w * 0.09, h * 0.55, w * 0.07, h * 0.42);
    body.cubicTo(w * 0.05, h * 0.2, w * 0.14, h * 0.02, w * 0.5, h * 0.02);
    QLinearGradient shell(0, 0, w, 0);
    shell.setColorAt(0.0, QColor(0x1A, 0x1D, 0x21));
    shell.setColorAt(0.5, QColor(0x3A, 0x40, 0x47));
    shell.setColorAt(1.0, QColor(0x1A, 0x1D, 0x21));
    painter.setPen(QPen(QColor(0x5A, 0x62, 0x6B), 2));
    painter.setBrush(shell);
    painter.drawPath(body);

    // Side grips: darker rubber along both flanks.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x12, 0x14, 0x17));
    for (const bool left : {true, false}) {
      QPainterPath grip;
      const qreal x0 = left ? w * 0.09 : w * 0.91;
      const qreal x1 = left ? w * 0.2 : w * 0.8;
      grip.moveTo(x0, h * 0.45);
      grip.cubicTo(x1, h * 0.5, x1, h * 0.68, left ? w * 0.14 : w * 0.86, h * 0.8);
      grip.cubicTo(left ? w * 0.1 : w * 0.9, h * 0.7, left ? w * 0.13 : w * 0.87, h * 0.58, x0, h * 0.45);
      painter.drawPath(grip);
    }

    // The two main buttons, split down the middle, and the seam that ends them.
    QPen seam(QColor(0x0C, 0x0D, 0x0F), 2.5);
    painter.setPen(seam);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(w * 0.5, h * 0.03), QPointF(w * 0.5, h * 0.36));
    QPainterPath buttonEdge;
    buttonEdge.moveTo(w * 0.08, h * 0.4);
    buttonEdge.cubicTo(w * 0.3, h * 0.35, w * 0.7, h * 0.35, w * 0.92, h * 0.4);
    painter.drawPath(buttonEdge);

    // Side buttons on the left flank.
    painter.setPen(QPen(QColor(0x5A, 0x62, 0x6B), 1));
    painter.setBrush(QColor(0x26, 0x2A, 0x2F));
    painter.drawRoundedRect(QRectF(w * 0.03, h * 0.46, w * 0.06, h * 0.07), 3, 3);
    painter.drawRoundedRect(QRectF(w * 0.03, h * 0.545, w * 0.06, h * 0.07), 3, 3);

    // The wheel with its ribs, and the DPI button behind it.
    const QRectF wheel(w * 0.44, h * 0.09, w * 0.12, h * 0.16);
    painter.setPen(QPen(QColor(0x0C, 0x0D, 0x0F), 1.5));
    painter.setBrush(QColor(0x55, 0x5C, 0x64));
    painter.drawRoundedRect(wheel, w * 0.05, w * 0.05);
    painter.setPen(QPen(QColor(0x2A, 0x2E, 0x33), 1));
    for (int rib = 1; rib < 8; ++rib) {
      const qreal y = wheel.top() + wheel.height() * rib / 8.0;
      painter.drawLine(QPointF(wheel.left() + 2, y), QPointF(wheel.right() - 2, y));
    }
    painter.setPen(QPen(QColor(0x0C, 0x0D, 0x0F), 1.5));
    painter.setBrush(QColor(0x2E, 0x33, 0x38));
    painter.drawRoundedRect(QRectF(w * 0.46, h * 0.28, w * 0.08, h * 0.06), 3, 3);

    // The recess of the palm light, under the preview.
    painter.setPen(QPen(QColor(0x0C, 0x0D, 0x0F), 2));
    painter.setBrush(QColor(0x16, 0x18, 0x1B));
    painter.drawRoundedRect(QRectF(kPreviewInPicture, kPreviewSize).adjusted(-4, -4, 4, 4), 10, 10);
  }
};

/// The glow inside the preview's outline, fading towards the middle.
class TInnerGlow : public QWidget {
 public:
  explicit TInnerGlow(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }
  QColor colour{0xFF, 0xD7, 0x00};

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(3, 3, -3, -3);
    QRadialGradient glow(area.center(), std::max(area.width(), area.height()) * 0.6);
    QColor edge = colour;
    edge.setAlpha(200);
    QColor middle = colour;
    middle.setAlpha(0);
    glow.setColorAt(0.0, middle);
    glow.setColorAt(0.55, middle);
    glow.setColorAt(1.0, edge);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawRoundedRect(area, 6, 6);
  }
};

}  // namespace

// ---- Swatch ------------------------------------------------------------------------------------

TLightSwatch::TLightSwatch(QRgb argb, int column, int row, QWidget* parent)
    : QAbstractButton(parent), colour_(QColor::fromRgba(argb)), column_(column), row_(row) {
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

void TLightSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const bool focused = hasFocus();
  const bool over = underMouse() || isDown();
  painter.setPen(QPen(focused ? skin::kAccent : over ? skin::kText : skin::kBorder, focused ? 3 : 1));
  painter.setBrush(colour_);
  const qreal inset = focused ? 1.5 : 0.5;
  painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 4, 4);
}

void TLightSwatch::keyPressEvent(QKeyEvent* event) {
  int dc = 0;
  int dr = 0;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: click(); return;
    case Qt::Key_Left: dc = -1; break;
    case Qt::Key_Right: dc = 1; break;
    case Qt::Key_Up: dr = -1; break;
    case Qt::Key_Down: dr = 1; break;
    default: QAbstractButton::keyPressEvent(event); return;
  }
  if (!parentWidget()) return;
  for (TLightSwatch* other : parentWidget()->findChildren<TLightSwatch*>(Qt::FindDirectChildrenOnly))
    if (other->column_ == column_ + dc && other->row_ == row_ + dr && other->isVisibleTo(parentWidget())) {
      other->setFocus(Qt::TabFocusReason);
      return;
    }
}

// ---- Colour chooser ----------------------------------------------------------------------------

TColourChooser::TColourChooser(QWidget* parent) : QPushButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QPushButton::clicked, this, &TColourChooser::Choose);
}

void TColourChooser::SetColour(const QColor& colour) {
  const QColor opaque = Opaque(colour);
  if (opaque == colour_) return;
  colour_ = opaque;
  update();
  emit ColourChanged();
}

void TColourChooser::Choose() {
  const QColor chosen = QColorDialog::getColor(colour_, this, accessibleName());
  if (chosen.isValid()) SetColour(chosen);
}

void TColourChooser::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(hasFocus() ? skin::kAccent : skin::kBorder, 1));
  painter.setBrush(colour_);
  painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

// ---- Preview -----------------------------------------------------------------------------------

TLightPreview::TLightPreview(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  Glowlight = new QGraphicsDropShadowEffect(this);
  Glowlight->setObjectName("Glowlight");
  Glowlight->setOffset(0, 0);
  Glowlight->setBlurRadius(28);
  Glowlight->setColor(QColor(0x00, 0xDB, 0xFF));
  setGraphicsEffect(Glowlight);
  auto* inner = new TInnerGlow(this);
  inner->setObjectName("InnerGlowLight");
  inner->setGeometry(rect());
}

QColor TLightPreview::GlowColour() const { return Glowlight->color(); }

void TLightPreview::SetOutlineColour(const QColor& colour) {
  outline_ = colour;
  update();
}

void TLightPreview::SetInnerGlowColour(const QColor& colour) {
  innerGlow_ = colour;
  if (auto* inner = findChild<TInnerGlow*>("InnerGlowLight")) {
    inner->colour = colour;
    inner->update();
  }
}

void TLightPreview::SetGlowColour(const QColor& colour) { Glowlight->setColor(colour); }

void TLightPreview::paintEvent(QPaintEvent*) {
  if (auto* inner = findChild<TInnerGlow*>("InnerGlowLight"); inner && inner->size() != size()) inner->resize(size());
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(outline_, 3));
  painter.setBrush(QColor::fromRgba(0x3E000000));
  painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 7, 7);
}

// ---- Page --------------------------------------------------------------------------------------

TLightPage::TLightPage(LightPageServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
  setObjectName("LightPage");
  BuildPicture();
  BuildSwatches();
  BuildSmallSwatches();
  BuildRadios();
  BuildTabOrder();
  ReloadWorkingCopy();

  // Accessible names follow the language. The registration holds `alive`: when the language goes
  // first (the window frees it before its child widgets), the page has nothing to unregister.
  auto alive = std::make_shared<bool>(true);
  FLanguageRegistration = alive;
  const QPointer<TLightPage> guarded(this);
  FLanguageForm = services_.language.RegisterForm([guarded, alive](const TuiLanguage& language) {
    if (guarded) guarded->TranslateAccessibleNames(language);
  });
  TranslateAccessibleNames(services_.language);
}

TLightPage::~TLightPage() {
  if (!FLanguageRegistration.expired()) services_.language.UnregisterForm(FLanguageForm);
}

void TLightPage::BuildPicture() {
  ImageMousePic = new TMousePicture(this);
  ImageMousePic->setObjectName("ImageMousePic");
  ImageMousePic->setGeometry(kPictureRect);
  RoundRect1 = new TLightPreview(this);
  RoundRect1->setObjectName("RoundRect1");
  RoundRect1->setGeometry(QRect(kPictureRect.topLeft() + kPreviewInPicture, kPreviewSize));
  RoundRect1->SetInnerGlowColour(QColor(0xFF, 0xD7, 0x00));
}

void TLightPage::BuildSwatches() {
  MakeHeading(this, "LIGHT COLOR", {kSwatchOrigin.x(), 20});
  for (std::size_t i = 0; i < kLargeSwatches.size(); ++i) {
    const SwatchEntry& entry = kLargeSwatches[i];
    auto* swatch = new TLightSwatch(entry.argb, entry.column, entry.row, this);
    swatch->setObjectName(QString::fromLatin1(entry.name));
    swatch->setGeometry(kSwatchOrigin.x() + (entry.column - 1) * kSwatchPitch,
                        kSwatchOrigin.y() + (entry.row - 1) * kSwatchPitch, 60, 60);
    connect(swatch, &QAbstractButton::clicked, this, [this, swatch] { RTC1Click(swatch); });
    FLargeSwatches[i] = swatch;
  }
  Label11 = new QLabel(QString::fromUtf8(kChooserCaption), this);
  Label11->setObjectName("Label11");
  Label11->move(kSwatchOrigin.x(), 290);
  Label11->hide();
  ComboColorSelect = new TColourChooser(this);
  ComboColorSelect->setObjectName("ComboColorSelect");
  ComboColorSelect->setGeometry(kSwatchOrigin.x() + 150, 286, 60, 22);
  ComboColorSelect->hide();
  connect(ComboColorSelect, &TColourChooser::ColourChanged, this, &TLightPage::ComboColorSelectChange);
}

void TLightPage::BuildSmallSwatches() {
  FSmallSwatchPanel = new QWidget(this);
  FSmallSwatchPanel->setObjectName("PanelSmallSwatches");
  FSmallSwatchPanel->setGeometry(kSmallOrigin.x(), kSmallOrigin.y(), 7 * kSmallPitch, 5 * kSmallPitch);
  std::size_t index = 0;
  for (std::size_t row = 0; row < kSmallRows.size(); ++row) {
    const SmallRow& entry = kSmallRows[row];
    for (int column = 0; column < entry.count; ++column) {
      auto* swatch = new TLightSwatch(entry.colours[static_cast<std::size_t>(column)], column + 1,
                                      static_cast<int>(row) + 1, FSmallSwatchPanel);
      swatch->setObjectName(QStringLiteral("Rectangle%1").arg(entry.firstNumber + column));
      swatch->setGeometry(column * kSmallPitch, static_cast<int>(row) * kSmallPitch, 25, 25);
      connect(swatch, &QAbstractButton::clicked, this, [this, swatch] { Rectangle10Click(swatch); });
      FSmallSwatches[index++] = swatch;
    }
  }
  FSmallSwatchPanel->hide();
}

void TLightPage::BuildRadios() {
  auto build = [this](const std::array<RadioEntry, 4>& entries, std::array<QRadioButton*, 4>& radios, const char* group,
                      int top, void (TLightPage::*handler)(QRadioButton*, bool)) {
    for (std::size_t tag = 0; tag < entries.size(); ++tag) {
      auto* radio = new QRadioButton(QString::fromUtf8(entries[tag].caption), this);
      radio->setObjectName(QString::fromLatin1(entries[tag].name));
      radio->setProperty("tag", static_cast<int>(tag));
      radio->setProperty("group", QString::fromLatin1(group));
      radio->setFocusPolicy(Qt::StrongFocus);
      radio->move(kRightPanelX + 12, top + static_cast<int>(tag) * 30);
      radio->setMinimumWidth(160);
      connect(radio, &QRadioButton::toggled, this, [this, radio, handler](bool checked) { (this->*handler)(radio, checked); });
      radios[tag] = radio;
    }
  };
  MakeHeading(this, "BRIGHTNESS LEVEL", {kRightPanelX, 20});
  build(kLevelRadios, FLevelRadios, "Light", 50, &TLightPage::RadioLevelCloseChange);
  MakeHeading(this, "BREATHING SPEED", {kRightPanelX, 178});
  build(kSpeedRadios, FSpeedRadios, "SPEED", 208, &TLightPage::RadioSPCloseChange);
  // Two groups: the radios of one group exclude each other only, as siblings would all together.
  for (QRadioButton* radio : FLevelRadios) radio->setAutoExclusive(false);
  for (QRadioButton* radio : FSpeedRadios) radio->setAutoExclusive(false);
  auto exclusive = [this](const std::array<QRadioButton*, 4>& radios) {
    for (QRadioButton* radio : radios)
      connect(radio, &QRadioButton::toggled, this, [radio, radios](bool checked) {
        if (!checked) return;
        for (QRadioButton* other : radios)
          if (other != radio) other->setChecked(false);
      });
  };
  exclusive(FLevelRadios);
  exclusive(FSpeedRadios);
}

void TLightPage::BuildTabOrder() {
  QWidget* previous = nullptr;
  auto chain = [&previous](QWidget* next) {
    if (previous) setTabOrder(previous, next);
    previous = next;
  };
  for (TLightSwatch* swatch : FLargeSwatches) chain(swatch);
  for (QRadioButton* radio : FLevelRadios) chain(radio);
  for (QRadioButton* radio : FSpeedRadios) chain(radio);
}

void TLightPage::TranslateAccessibleNames(const TuiLanguage& language) {
  const QString word = TranslatedText(language, kSwatchName);
  auto name = [&word](TLightSwatch* swatch) {
    swatch->setAccessibleName(word + QStringLiteral(" #") +
                              QStringLiteral("%1").arg(swatch->Colour().rgb() & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper());
  };
  for (TLightSwatch* swatch : FLargeSwatches) name(swatch);
  for (TLightSwatch* swatch : FSmallSwatches) name(swatch);
  ComboColorSelect->setAccessibleName(TranslatedText(language, kChooserCaption));
  auto radioNames = [&language](const std::array<RadioEntry, 4>& entries, const std::array<QRadioButton*, 4>& radios) {
    for (std::size_t i = 0; i < radios.size(); ++i)
      radios[i]->setAccessibleName(TranslatedText(language, entries[i].caption).trimmed());
  };
  radioNames(kLevelRadios, FLevelRadios);
  radioNames(kSpeedRadios, FSpeedRadios);
}

// ---- Working copy ------------------------------------------------------------------------------

void TLightPage::ReloadWorkingCopy() {
  const TLEDCONFIG& light = services_.DM.FCurrentMouseSettingInfo.LEDConfig;
  FLightWorkingCopy = {light.R, light.G, light.B, light.BRIGHT_LEVEL, light.BREATH_SPEED};
}

void TLightPage::StoreWorkingCopy() {
  TLEDCONFIG& light = services_.DM.FCurrentMouseSettingInfo.LEDConfig;
  light.R = FLightWorkingCopy[0];
  light.G = FLightWorkingCopy[1];
  light.B = FLightWorkingCopy[2];
  light.BRIGHT_LEVEL = FLightWorkingCopy[3];
  light.BREATH_SPEED = FLightWorkingCopy[4];
  light.BREATH_SECOND = 0;
  services_.DM.SaveBackToCurrentProfileInfo();
  if (services_.settingsModified) services_.settingsModified();
}

// ---- Handlers ----------------------------------------------------------------------------------

void TLightPage::RTC1Click(TLightSwatch* sender) { PickLightColour(sender->Colour()); }

void TLightPage::Rectangle10Click(TLightSwatch* sender) { PickLightColour(sender->Colour()); }

void TLightPage::ShowColour(const QColor& colour) {
  const QColor opaque = Opaque(colour);
  RoundRect1->SetOutlineColour(opaque);
  RoundRect1->SetGlowColour(opaque);
  RoundRect1->SetInnerGlowColour(opaque);
}

// The colour goes to the mouse at once, so the user sees it there before applying.
void TLightPage::TakeColour(const QColor& colour) {
  FLightWorkingCopy[0] = static_cast<std::uint8_t>(colour.red());
  FLightWorkingCopy[1] = static_cast<std::uint8_t>(colour.green());
  FLightWorkingCopy[2] = static_cast<std::uint8_t>(colour.blue());
  const std::array<std::uint8_t, 5> command{
      static_cast<std::uint8_t>(255 - FLightWorkingCopy[0]), static_cast<std::uint8_t>(255 - FLightWorkingCopy[1]),
      static_cast<std::uint8_t>(255 - FLightWorkingCopy[2]), FLightWorkingCopy[3], FLightWorkingCopy[4]};
  SendLightCommand(services_.channel, command);
  StoreWorkingCopy();
}

void TLightPage::PickLightColour(const QColor& colour) {
  const QColor opaque = Opaque(colour);  // a swatch's alpha never counts
  ShowColour(opaque);
  ComboColorSelect->SetColour(opaque);  // runs ComboColorSelectChange when the colour differs
  TakeColour(opaque);
}

void TLightPage::ComboColorSelectChange() {
  const QColor colour = ComboColorSelect->Colour();
  ShowColour(colour);
  TakeColour(colour);
}

void TLightPage::RadioLevelCloseChange(QRadioButton* sender, bool checked) {
  if (!checked) return;
  FLightWorkingCopy[3] = static_cast<std::uint8_t>(sender->property("tag").toInt());
  StoreWorkingCopy();
}

void TLightPage::RadioSPCloseChange(QRadioButton* sender, bool checked) {
  if (!checked) return;
  FLightWorkingCopy[4] = static_cast<std::uint8_t>(sender->property("tag").toInt());
  StoreWorkingCopy();
}

void TLightPage::CheckByTag(const std::array<QRadioButton*, 4>& radios, int tag) {
  for (std::size_t i = 0; i < radios.size(); ++i)
    if (static_cast<int>(i) != tag && radios[i]->isChecked()) {
      const QSignalBlocker quiet(radios[i]);  // becoming unchecked changes nothing anyway
      radios[i]->setChecked(false);
    }
  if (tag >= 0 && tag < static_cast<int>(radios.size())) radios[static_cast<std::size_t>(tag)]->setChecked(true);
}

// The refresh takes the stored light into the working copy first: checking a radio writes the
// working copy back, and a stale one would overwrite settings reloaded behind the page's back.
void TLightPage::SetLED() {
  ReloadWorkingCopy();
  const TLEDCONFIG light = services_.DM.FCurrentMouseSettingInfo.LEDConfig;
  CheckByTag(FLevelRadios, light.BRIGHT_LEVEL);
  CheckByTag(FSpeedRadios, light.BREATH_SPEED);
  const QColor colour(light.R, light.G, light.B);
  RoundRect1->SetOutlineColour(colour);
  {
    const QSignalBlocker detached(ComboColorSelect);
    ComboColorSelect->SetColour(colour);
  }
  RoundRect1->SetGlowColour(colour);
  RoundRect1->SetInnerGlowColour(colour);
}

}  // namespace q9
