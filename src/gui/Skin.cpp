#include "gui/Skin.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtEndian>
#include <array>
#include <cmath>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <tuple>
#include <utility>

#include "gui/SkinPalette.h"

namespace q9::skin {

namespace {

// Only the close button turns red; every other colour is the shared palette's.
const QColor kDanger{0xe0, 0x4f, 0x4f};

QColor WithAlpha(QColor colour, int alpha) {
  colour.setAlpha(alpha);
  return colour;
}

QString Rgba(const QColor& colour) {
  return QStringLiteral("rgba(%1, %2, %3, %4)")
      .arg(colour.red())
      .arg(colour.green())
      .arg(colour.blue())
      .arg(colour.alpha());
}

void InstallFontSubstitutions() {
  // Qt skips names already in a substitution list, so repeating this is harmless.
  QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                             {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("Noto Sans CJK TC")});
  QFont::insertSubstitutions(QStringLiteral(u"楷体_GB2312"),
                             {QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC"),
                              QStringLiteral("Noto Sans CJK SC")});
  QFont::insertSubstitutions(QStringLiteral(u"黑体"),
                             {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
}

QPalette DarkPalette() {
  QPalette palette;
  palette.setColor(QPalette::Window, kPanel);
  palette.setColor(QPalette::WindowText, kText);
  palette.setColor(QPalette::Base, kWindowBackground);
  palette.setColor(QPalette::AlternateBase, kPanel);
  palette.setColor(QPalette::Button, kPanelRaised);
  palette.setColor(QPalette::ButtonText, kText);
  palette.setColor(QPalette::Text, kText);
  palette.setColor(QPalette::BrightText, kAccent);
  palette.setColor(QPalette::Highlight, kAccentDark);
  palette.setColor(QPalette::HighlightedText, kText);
  palette.setColor(QPalette::ToolTipBase, kPanel);
  palette.setColor(QPalette::ToolTipText, kText);
  palette.setColor(QPalette::PlaceholderText, kTextMuted);
  palette.setColor(QPalette::Link, kAccent);
  palette.setColor(QPalette::LinkVisited, kAccentDark);
  palette.setColor(QPalette::Light, kHover);
  palette.setColor(QPalette::Midlight, kPanelRaised);
  palette.setColor(QPalette::Mid, kBorder);
  palette.setColor(QPalette::Dark, kWindowBackground);
  palette.setColor(QPalette::Shadow, Qt::black);
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, kTextMuted);
  }
  palette.setColor(QPalette::Disabled, QPalette::Button, kPanel);
  return palette;
}

// Fusion, with check boxes, radio buttons, combo and spin boxes drawn in the skin's colours: their
// marks and arrows could come from a style sheet only as image files.
class SkinStyle final : public QProxyStyle {
 public:
  SkinStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    switch (metric) {
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
      case PM_ExclusiveIndicatorWidth:
      case PM_ExclusiveIndicatorHeight:
        return 16;
      default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    switch (element) {
      case PE_IndicatorCheckBox:
        DrawCheckBox(*option, *painter);
        return;
      case PE_IndicatorRadioButton:
        DrawRadioButton(*option, *painter);
        return;
      case PE_IndicatorArrowUp:
      case PE_IndicatorArrowDown:
      case PE_IndicatorArrowLeft:
      case PE_IndicatorArrowRight:
      case PE_IndicatorSpinUp:
      case PE_IndicatorSpinDown:
        DrawChevron(element, *option, *painter);
        return;
      default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
  }

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option); combo && control == CC_ComboBox) {
      DrawField(*option, *painter, !combo->editable);
      DrawArrow(combo->state & State_On ? PE_IndicatorArrowUp : PE_IndicatorArrowDown, *option,
                subControlRect(control, option, SC_ComboBoxArrow, widget), true, *painter);
      return;
    }
    if (const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option); spin && control == CC_SpinBox) {
      DrawField(*option, *painter, false);
      DrawSpinButton(*spin, subControlRect(control, option, SC_SpinBoxUp, widget), SC_SpinBoxUp,
                     spin->stepEnabled & QAbstractSpinBox::StepUpEnabled, *painter);
      DrawSpinButton(*spin, subControlRect(control, option, SC_SpinBoxDown, widget), SC_SpinBoxDown,
                     spin->stepEnabled & QAbstractSpinBox::StepDownEnabled, *painter);
      return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
  }

 private:
  static bool Enabled(const QStyleOption& option) { return option.state & State_Enabled; }
  static bool Hovered(const QStyleOption& option) { return Enabled(option) && (option.state & State_MouseOver); }

  static QRectF IndicatorBox(const QStyleOption& option) {
    const qreal side = qMin(option.rect.width(), option.rect.height());
    QRectF box(0, 0, side, side);
    box.moveCenter(QRectF(option.rect).center());
    return box.adjusted(0.5, 0.5, -0.5, -0.5);
  }

  static void DrawCheckBox(const QStyleOption& option, QPainter& painter) {
    const QRectF box = IndicatorBox(option);
    const bool on = option.state & (State_On | State_NoChange);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor border = Hovered(option) ? kAccent : kBorder;
    QBrush fill = kWindowBackground;
    if (on) {
      QLinearGradient gradient(box.topLeft(), box.bottomLeft());
      gradient.setColorAt(0, kAccent.lighter(110));
      gradient.setColorAt(1, kAccentDark);
      fill = gradient;
      border = kAccentDark;
    }
    if (!Enabled(option)) {
      fill = on ? QBrush(kBorder) : QBrush(kPanel);
      border = kBorder;
    }
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 3, 3);
    const QColor mark = Enabled(option) ? kTextOnAccent : kTextMuted;
    painter.setPen(QPen(mark, box.width() / 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const auto at = [&box](qreal x, qreal y) {
      return QPointF(box.left() + x * box.width(), box.top() + y * box.height());
    };
    if (option.state & State_NoChange) {
      painter.drawLine(at(0.28, 0.5), at(0.72, 0.5));
    } else if (option.state & State_On) {
      painter.drawPolyline(std::array{at(0.24, 0.52), at(0.43, 0.7), at(0.77, 0.32)}.data(), 3);
    }
    painter.restore();
  }

  static void DrawRadioButton(const QStyleOption& option, QPainter& painter) {
    const QRectF box = IndicatorBox(option);
    const bool on = option.state & State_On;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ring = on ? kAccent : (Hovered(option) ? kAccent : kBorder);
    if (!Enabled(option)) ring = kBorder;
    painter.setPen(QPen(ring, on ? 1.5 : 1));
    painter.setBrush(Enabled(option) ? kWindowBackground : kPanel);
    painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (on) {
      const QPointF centre = box.center();
      const qreal radius = box.width() * 0.24;
      if (Enabled(option)) {
        QRadialGradient halo(centre, radius * 2.2);
        halo.setColorAt(0, WithAlpha(kAccent, 110));
        halo.setColorAt(1, WithAlpha(kAccent, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(halo);
        painter.drawEllipse(centre, radius * 2.2, radius * 2.2);
      }
      painter.setPen(Qt::NoPen);
      painter.setBrush(Enabled(option) ? kAccent : kTextMuted);
      painter.drawEllipse(centre, radius, radius);
    }
    painter.restore();
  }

  // The frame of a combo or spin box: raised like a button when it only offers choices, sunken like
  // a text field when it can be typed into.
  static void DrawField(const QStyleOption& option, QPainter& painter, bool raised) {
    const QRectF frame = QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool active = option.state & (State_On | State_HasFocus);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QBrush fill = kWindowBackground;
    if (!Enabled(option)) {
      fill = kPanel;
    } else if (raised) {
      QLinearGradient gradient(frame.topLeft(), frame.bottomLeft());
      gradient.setColorAt(0, Hovered(option) ? kPanelRaised.lighter(118) : kHover);
      gradient.setColorAt(1, Hovered(option) ? kHover : kPanelRaised);
      fill = gradient;
    }
    QColor border = kBorder;
    if (Enabled(option) && active) {
      border = kAccent;
    } else if (Hovered(option)) {
      border = raised ? kAccentDark : kHover;
    }
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 4, 4);
    painter.restore();
  }

  static void DrawSpinButton(const QStyleOptionSpinBox& spin, const QRect& area, SubControl part, bool enabled,
                             QPainter& painter) {
    if (area.isEmpty()) return;
    const bool pressed = enabled && (spin.activeSubControls & part) && (spin.state & State_Sunken);
    const bool hovered = enabled && (spin.activeSubControls & part) && (spin.state & State_MouseOver);
    painter.save();
    if (pressed || hovered) {
      painter.fillRect(area.adjusted(0, 1, -1, part == SC_SpinBoxDown ? -1 : 0),
                       pressed ? kAccentDark : kHover);
    }
    painter.setPen(kBorder);
    painter.drawLine(area.topLeft(), area.bottomLeft());
    if (part == SC_SpinBoxDown) painter.drawLine(area.topLeft(), area.topRight() - QPoint(1, 0));
    painter.restore();
    DrawArrow(part == SC_SpinBoxUp ? PE_IndicatorArrowUp : PE_IndicatorArrowDown, spin, area,
              enabled && (spin.state & State_Enabled), painter);
  }

  static void DrawArrow(PrimitiveElement element, const QStyleOption& option, const QRect& area, bool enabled,
                        QPainter& painter) {
    QStyleOption arrow(option);
    arrow.rect = area;
    if (!enabled) arrow.state &= ~State_Enabled;
    arrow.state &= ~State_MouseOver;
    DrawChevron(element, arrow, painter);
  }

  static void DrawChevron(PrimitiveElement element, const QStyleOption& option, QPainter& painter) {
    const QRectF area = option.rect;
    const qreal half = qBound<qreal>(2.5, qMin(area.width(), area.height()) * 0.22, 4.5);
    const QPointF c = area.center();
    std::array<QPointF, 3> points;
    switch (element) {
      case PE_IndicatorArrowUp:
      case PE_IndicatorSpinUp:
        points = {QPointF(c.x() - half, c.y() + half / 2), QPointF(c.x(), c.y() - half / 2),
                  QPointF(c.x() + half, c.y() + half / 2)};
        break;
      case PE_IndicatorArrowLeft:
        points = {QPointF(c.x() + half / 2, c.y() - half), QPointF(c.x() - half / 2, c.y()),
                  QPointF(c.x() + half / 2, c.y() + half)};
        break;
      case PE_IndicatorArrowRight:
        points = {QPointF(c.x() - half / 2, c.y() - half), QPointF(c.x() + half / 2, c.y()),
                  QPointF(c.x() - half / 2, c.y() + half)};
        break;
      default:
        points = {QPointF(c.x() - half, c.y() - half / 2), QPointF(c.x(), c.y() + half / 2),
                  QPointF(c.x() + half, c.y() - half / 2)};
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = !Enabled(option) ? kBorder : (Hovered(option) ? kAccent : kText);
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    painter.restore();
  }
};

// Each `@name` stands for a colour; longer names come first so that no name eats a longer one.
QString Colourise(QString sheet) {
  const std::array<std::pair<const char*, QString>, 18> names{{
      {"@accentDark", kAccentDark.name()},
      {"@accentBright", kAccent.lighter(130).name()},
      {"@accentSoft", Rgba(WithAlpha(kAccent, 46))},
      {"@accentFaint", Rgba(WithAlpha(kAccent, 20))},
      {"@accentLight", kAccent.lighter(115).name()},
      {"@accent", kAccent.name()},
      {"@onAccent", kTextOnAccent.name()},
      {"@window", kWindowBackground.name()},
      {"@raisedLight", kPanelRaised.lighter(118).name()},
      {"@raised", kPanelRaised.name()},
      {"@panelGlass", Rgba(WithAlpha(kPanel, 215))},
      {"@panel", kPanel.name()},
      {"@hover", kHover.name()},
      {"@border", kBorder.name()},
      {"@muted", kTextMuted.name()},
      {"@text", kText.name()},
      {"@dangerDark", kDanger.darker(135).name()},
      {"@danger", kDanger.name()},
  }};
  for (const auto& [name, colour] : names) sheet.replace(QLatin1String(name), colour);
  return sheet;
}

constexpr const char* kSheet = R"sheet(
QWidget { color: @text; }
QWidget:disabled { color: @muted; }
#TqvGMConfigMain, #TFrmDialog, #TopBar, #TabControlMain { background: transparent; }

/* Title bar */
#LabelVersion { color: @muted; font-weight: bold; }
#LabelProductName { color: @accent; font-size: 21pt; font-weight: bold; }
#BSBTNMIN, #BSBTNCLOSE, #BSBTNOPTIONS {
  background: transparent; border: 1px solid transparent; border-radius: 4px;
  padding: 0px; min-width: 0px; min-height: 0px;
}
#BSBTNMIN:hover, #BSBTNOPTIONS:hover { background: @hover; border-color: @border; }
#BSBTNMIN:pressed, #BSBTNOPTIONS:pressed { background: @accentDark; }
#BSBTNCLOSE:hover { background: @danger; border-color: @danger; }
#BSBTNCLOSE:pressed { background: @dangerDark; }

QProgressBar {
  background: @window; border: 1px solid @border; border-radius: 3px;
  color: @text; text-align: center;
}
QProgressBar::chunk {
  border-radius: 2px;
  background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0, stop: 0 @accentDark, stop: 1 @accent);
}
#ProgressBarTime { border: none; border-radius: 2px; background: @window; color: transparent; }

/* Page tabs: the checked tab is the page on show */
QPushButton[q9role="tab"] {
  color: @muted; font-weight: bold; padding: 0px 12px;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @raised, stop: 1 @panel);
  border: 1px solid @border; border-bottom: 2px solid @border;
  border-top-left-radius: 6px; border-top-right-radius: 6px;
}
QPushButton[q9role="tab"]:hover {
  color: @text;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @hover, stop: 1 @raised);
}
QPushButton[q9role="tab"]:checked {
  color: @accent;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @accentSoft, stop: 1 @panel);
  border-color: @border; border-bottom: 2px solid @accent;
}

#PageMain, #PageCPI, #PageColor, #PageHelp {
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @panel, stop: 1 @panelGlass);
  border: 1px solid @border; border-radius: 6px;
}
#ProfileBar, #BottomBar {
  background: @panelGlass; border: 1px solid @border; border-radius: 6px;
}

/* Buttons */
QPushButton {
  color: @text; padding: 4px 12px; border: 1px solid @border; border-radius: 4px;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @hover, stop: 1 @raised);
}
QPushButton:hover {
  border-color: @accentDark;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @raisedLight, stop: 1 @hover);
}
QPushButton:pressed { background: @raised; border-color: @accent; }
QPushButton:focus { outline: none; }
QPushButton:default { border-color: @accentDark; }
QPushButton:disabled { color: @muted; background: @panel; border-color: @border; }

QPushButton[q9role="primary"] {
  color: @onAccent; font-weight: bold; border: 1px solid @accentDark;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @accentLight, stop: 1 @accentDark);
}
QPushButton[q9role="primary"]:hover {
  border-color: @accent;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @accentBright, stop: 1 @accent);
}
QPushButton[q9role="primary"]:pressed { background: @accentDark; }
QPushButton[q9role="primary"]:disabled { color: @muted; background: @raised; border-color: @border; }

QPushButton[q9role="profile"], QPushButton[q9role="mode"] { color: @muted; font-weight: bold; }
QPushButton[q9role="profile"]:hover, QPushButton[q9role="mode"]:hover { color: @text; }
QPushButton[q9role="profile"]:checked, QPushButton[q9role="mode"]:checked {
  color: @accent; border: 1px solid @accent;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @accentSoft, stop: 1 @accentFaint);
}

/* Button assignment slots: grey text at rest, black on the lit slot under the pointer */
QPushButton[q9role="slot"] {
  color: #b6b5b5; text-align: left; padding: 0px 6px;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @raised, stop: 1 @panel);
}
QPushButton[q9role="slot"][q9hot="true"] {
  color: #000000; border-color: @accentLight;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @accentLight, stop: 1 @accent);
}
QPushButton[q9role="slot"]:focus { border: 2px solid @accentLight; }

/* Sensitivity levels: a DPI button lit while its level is on, dark and pressed while it is off */
QPushButton[q9role="dpi"] { font-weight: bold; padding: 0px; }
QPushButton[q9style="BUTTONDPI"] {
  color: @accent; border: 1px solid @accent;
  background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 @accentSoft, stop: 1 @accentFaint);
}
QPushButton[q9style="BUTTONDPI2"] { color: @muted; background: @window; border-color: @border; }
QPushButton[q9role="dpi"]:focus { border: 2px solid @accentLight; }
QLabel[q9role="value"] { color: @accent; font-weight: bold; }
QLabel[q9role="value"]:disabled { color: @muted; }
QSlider:focus { border: 1px dotted @accentDark; }

/* Texts */
QLabel { background: transparent; }
QLabel[q9role="heading"] { color: @accent; font-weight: bold; }
QLabel[q9role="muted"], #LabelTipsContent { color: @muted; }
QLabel[q9role="link"] { color: @accent; text-decoration: underline; }
QLabel[q9role="link"]:hover { color: @accentLight; }

QCheckBox, QRadioButton { spacing: 6px; background: transparent; }
QCheckBox:hover, QRadioButton:hover { color: @accentLight; }
QCheckBox:disabled, QRadioButton:disabled { color: @muted; }

/* Sliders: the filled part runs from the minimum to the handle */
QSlider { background: transparent; }
QSlider::groove:horizontal { height: 4px; border-radius: 2px; background: @window; }
QSlider::groove:vertical { width: 4px; border-radius: 2px; background: @window; }
QSlider::sub-page:horizontal, QSlider::add-page:vertical {
  border-radius: 2px; border: 1px solid @accentDark;
  background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 @accentDark, stop: 1 @accent);
}
QSlider::add-page:horizontal, QSlider::sub-page:vertical {
  border-radius: 2px; border: 1px solid @border; background: @window;
}
QSlider::handle {
  width: 12px; height: 12px; border-radius: 8px; border: 2px solid @accent;
  background: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.6, fx: 0.35, fy: 0.35,
                              stop: 0 #ffffff, stop: 1 @text);
}
QSlider::handle:horizontal { margin: -6px 0px; }
QSlider::handle:vertical { margin: 0px -6px; }
QSlider::handle:hover { border-color: @accentLight; background: #ffffff; }
QSlider::handle:disabled { border-color: @border; background: @muted; }
QSlider::sub-page:horizontal:disabled, QSlider::add-page:vertical:disabled {
  border-color: @border; background: @hover;
}

/* The system mouse settings: each slider in its own dark glass panel */
QFrame[q9role="sliderPanel"] { background: rgba(0, 0, 0, 125); border: 1px solid @border; border-radius: 6px; }
QFrame[q9role="sliderPanel"] QLabel { border: none; }

/* Fields; combo and spin boxes are drawn by the style, which can paint their arrows */
QLineEdit, QTextEdit, QPlainTextEdit {
  background: @window; border: 1px solid @border; border-radius: 4px;
  padding: 3px 6px; selection-background-color: @accentDark; selection-color: @text;
}
QTextEdit, QPlainTextEdit { padding: 2px; }
QLineEdit:hover { border-color: @hover; }
QLineEdit:focus, QTextEdit:focus, QPlainTextEdit:focus { border-color: @accent; }
QLineEdit:disabled { background: @panel; color: @muted; }
QComboBox QAbstractItemView {
  background: @panel; color: @text; border: 1px solid @accentDark; outline: 0px; padding: 2px;
  selection-background-color: @accentSoft; selection-color: @accent;
}
QComboBox QAbstractItemView::item { min-height: 22px; padding: 0px 6px; }
QComboBox QAbstractItemView::item:selected { background: @accentSoft; color: @accent; }

/* Lists and tables */
QListView, QTreeView, QTableView {
  background: @window; alternate-background-color: @panel; border: 1px solid @border;
  border-radius: 4px; gridline-color: @border; outline: 0px;
  selection-background-color: @accentSoft; selection-color: @text;
}
QListView::item, QTreeView::item { padding: 3px 4px; border: none; }
QListView::item:hover, QTreeView::item:hover, QTableView::item:hover { background: @hover; }
QListView::item:selected, QTreeView::item:selected, QTableView::item:selected {
  background: @accentSoft; color: @text;
}
QHeaderView { background: @panel; border: none; }
QHeaderView::section {
  color: @muted; font-weight: bold; padding: 4px 6px; background: @raised;
  border: none; border-right: 1px solid @border; border-bottom: 1px solid @border;
}
QHeaderView::section:vertical:checked { color: @accent; }
QTableCornerButton::section { background: @raised; border: none; border-bottom: 1px solid @border; }

QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }
QScrollBar:horizontal { background: transparent; height: 10px; margin: 2px; }
QScrollBar::handle { background: @border; border-radius: 3px; }
QScrollBar::handle:vertical { min-height: 24px; }
QScrollBar::handle:horizontal { min-width: 24px; }
QScrollBar::handle:hover { background: @muted; }
QScrollBar::handle:pressed { background: @accentDark; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }

QToolTip {
  color: @text; background: @panel; border: 1px solid @accentDark; padding: 4px 6px;
}

QGroupBox {
  border: 1px solid @border; border-radius: 6px; margin-top: 14px; padding: 10px 8px 8px 8px;
  background: @panelGlass;
}
QGroupBox::title {
  subcontrol-origin: margin; subcontrol-position: top left; left: 10px; padding: 0px 4px;
  color: @accent; font-weight: bold;
}

QDialog { background: @panel; }
)sheet";

// An icon drawn at the size it is asked for: no size is drawn before something shows it, and
// nothing is kept but the drawing itself. An icon may also have drawings made ahead (on another
// thread, while the window was built); one of the asked side is used where it lands pixel for pixel.
class DrawnIconEngine final : public QIconEngine {
 public:
  using Draw = std::function<void(QPainter&, qreal side, QIcon::Mode)>;
  using Prepared = std::function<std::optional<QImage>(int side)>;
  explicit DrawnIconEngine(Draw draw, Prepared prepared = {}) : draw_(std::move(draw)), prepared_(std::move(prepared)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const int side = std::min(rect.width(), rect.height());
    const QPoint corner(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
    const bool plain = painter->transform().type() <= QTransform::TxTranslate && painter->device() &&
                       painter->device()->devicePixelRatio() == 1;
    if (const std::optional<QImage> image = plain ? PreparedAt(side, mode) : std::nullopt) {
      painter->drawImage(corner, *image);
      return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(corner);
    draw_(*painter, side, mode);
    painter->restore();
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    if (size.width() == size.height())
      if (const std::optional<QImage> image = PreparedAt(size.width(), mode)) return QPixmap::fromImage(*image);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(), size), mode, state);
    return pixmap;
  }
  QIconEngine* clone() const override { return new DrawnIconEngine(draw_, prepared_); }
  QString key() const override { return QStringLiteral("q9drawn"); }

 private:
  // Drawings made ahead are of the normal look only.
  std::optional<QImage> PreparedAt(int side, QIcon::Mode mode) const {
    if (!prepared_ || mode != QIcon::Normal) return std::nullopt;
    return prepared_(side);
  }

  Draw draw_;
  Prepared prepared_;
};

// The title bar icons: light when enabled, dim when disabled.
QIcon DrawnIcon(const std::function<void(QPainter&, qreal side, const QColor&)>& draw) {
  return QIcon(new DrawnIconEngine([draw](QPainter& painter, qreal side, QIcon::Mode mode) {
    draw(painter, side, mode == QIcon::Disabled ? kTextMuted : kText);
  }));
}

QIcon StrokedIcon(const std::function<QPainterPath(qreal side)>& shape) {
  return DrawnIcon([shape](QPainter& painter, qreal side, const QColor& colour) {
    painter.setPen(QPen(colour, qMax<qreal>(1.5, side / 12), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shape(side));
  });
}

QPainterPath GearPath(qreal side) {
  const QPointF centre(side / 2, side / 2);
  const qreal outer = side * 0.40;
  const qreal root = side * 0.30;
  const int teeth = 8;
  QPainterPath gear;
  for (int i = 0; i < teeth * 4; ++i) {
    // Four corners per tooth, evenly spaced: root, tip, tip, root.
    const qreal angle = (i * 360.0 / (teeth * 4) - 90 + 360.0 / (teeth * 8)) * std::numbers::pi / 180.0;
    const qreal radius = (i % 4 == 1 || i % 4 == 2) ? outer : root;
    const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    if (i == 0) {
      gear.moveTo(point);
    } else {
      gear.lineTo(point);
    }
  }
  gear.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(centre, side * 0.13, side * 0.13);
  return gear.subtracted(hole);
}

}  // namespace

void ApplySkin(QApplication& app) {
  InstallFontSubstitutions();
  app.setStyle(new SkinStyle);
  app.setPalette(DarkPalette());
  app.setFont(WindowFont());
  app.setWindowIcon(ProgramIcon());
  app.setStyleSheet(StyleSheet());
}

QString StyleSheet() { return Colourise(QString::fromUtf8(kSheet)); }

QFont WindowFont(int pointSize, bool bold) {
  InstallFontSubstitutions();
  QFont font(QStringLiteral("Tahoma"));
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("Noto Sans CJK TC")});
  font.setPointSize(pointSize);
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QPixmap WarningIcon(const QSize& size) {
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);

  const qreal w = size.width();
  const qreal h = size.height();
  const qreal round = qMin(w, h) * 0.14;  // pen width that rounds the corners
  const QRectF box(round / 2 + 1, round / 2 + 1, w - round - 2, h - round - 2);
  QPainterPath triangle;
  triangle.moveTo(box.center().x(), box.top());
  triangle.lineTo(box.right(), box.bottom());
  triangle.lineTo(box.left(), box.bottom());
  triangle.closeSubpath();

  painter.setPen(QPen(WithAlpha(kWarning, 60), round + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(triangle);
  QLinearGradient body(0, box.top(), 0, box.bottom());
  body.setColorAt(0, kWarning.lighter(120));
  body.setColorAt(1, kWarning.darker(115));
  painter.setPen(QPen(QBrush(body), round, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(body);
  painter.drawPath(triangle);

  // The exclamation mark: a tapering bar and a dot, in the window's darkest colour.
  const qreal cx = box.center().x();
  const qreal top = box.top() + box.height() * 0.30;
  const qreal bottom = box.top() + box.height() * 0.68;
  const qreal bar = w * 0.055;
  QPainterPath mark;
  mark.moveTo(cx - bar, top);
  mark.lineTo(cx + bar, top);
  mark.lineTo(cx + bar * 0.6, bottom);
  mark.lineTo(cx - bar * 0.6, bottom);
  mark.closeSubpath();
  painter.setPen(QPen(kWindowBackground, bar * 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(kWindowBackground);
  painter.drawPath(mark);
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(cx, box.top() + box.height() * 0.83), bar * 1.05, bar * 1.05);
  return pixmap;
}

QIcon MinimiseIcon() {
  return StrokedIcon([](qreal side) {
    QPainterPath bar;
    bar.moveTo(side * 0.3, side * 0.62);
    bar.lineTo(side * 0.7, side * 0.62);
    return bar;
  });
}

QIcon CloseIcon() {
  return StrokedIcon([](qreal side) {
    QPainterPath cross;
    cross.moveTo(side * 0.32, side * 0.32);
    cross.lineTo(side * 0.68, side * 0.68);
    cross.moveTo(side * 0.68, side * 0.32);
    cross.lineTo(side * 0.32, side * 0.68);
    return cross;
  });
}

QIcon OptionsIcon() {
  return DrawnIcon([](QPainter& painter, qreal side, const QColor& colour) {
    // Drawn at 80 % so that the teeth keep clear of the button's edge.
    painter.translate(side * 0.1, side * 0.1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(GearPath(side * 0.8));
  });
}

QString ProgramIconSvg() {
  return QString::fromUtf8(R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <defs>
    <linearGradient id="badge" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#2d333d"/>
      <stop offset="1" stop-color="#121418"/>
    </linearGradient>
    <radialGradient id="glow" cx="128" cy="134" r="112" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#3ddc84" stop-opacity="0.38"/>
      <stop offset="1" stop-color="#3ddc84" stop-opacity="0"/>
    </radialGradient>
    <linearGradient id="shell" x1="0" y1="0" x2="1" y2="1">
      <stop offset="0" stop-color="#3a414d"/>
      <stop offset="1" stop-color="#1b1e24"/>
    </linearGradient>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="52" fill="url(#badge)" stroke="#333944" stroke-width="4"/>
  <rect x="8" y="8" width="240" height="240" rx="52" fill="url(#glow)"/>
  <path d="M128 36 C166 36 182 62 184 100 L188 164 C190 202 162 222 128 222 C94 222 66 202 68 164 L72 100 C74 62 90 36 128 36 Z" fill="url(#shell)" stroke="#3ddc84" stroke-width="8" stroke-linejoin="round"/>
  <path d="M128 40 L128 118" fill="none" stroke="#121418" stroke-width="6"/>
  <path d="M72 112 Q128 134 184 112" fill="none" stroke="#121418" stroke-width="6"/>
  <rect x="117" y="62" width="22" height="40" rx="11" fill="#3ddc84" stroke="#121418" stroke-width="4"/>
  <path d="M104 160 L128 180 L152 160" fill="none" stroke="#3ddc84" stroke-width="9" stroke-linecap="round" stroke-linejoin="round"/>
  <path d="M110 188 L128 202 L146 188" fill="none" stroke="#238a52" stroke-width="7" stroke-linecap="round" stroke-linejoin="round"/>
</svg>
)svg");
}

namespace {

// The drawing of ProgramIconSvg() on a 256 x 256 canvas, painted directly: the program needs no
// SVG library to show its own emblem.
QPainterPath ShellPath() {
  QPainterPath shell(QPointF(128, 36));
  shell.cubicTo(166, 36, 182, 62, 184, 100);
  shell.lineTo(188, 164);
  shell.cubicTo(190, 202, 162, 222, 128, 222);
  shell.cubicTo(94, 222, 66, 202, 68, 164);
  shell.lineTo(72, 100);
  shell.cubicTo(74, 62, 90, 36, 128, 36);
  shell.closeSubpath();
  return shell;
}

QGradient BoundingBoxGradient(qreal x2, qreal y2, const QColor& from, const QColor& to) {
  QLinearGradient gradient(0, 0, x2, y2);
  gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
  gradient.setColorAt(0, from);
  gradient.setColorAt(1, to);
  return gradient;
}

void StrokeOpenPath(QPainter& painter, const QPainterPath& path, const QColor& colour, qreal width, bool round) {
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(colour, width, Qt::SolidLine, round ? Qt::RoundCap : Qt::FlatCap,
                      round ? Qt::RoundJoin : Qt::MiterJoin));
  painter.drawPath(path);
}

QPainterPath Polyline(std::initializer_list<QPointF> points) {
  QPainterPath path(*points.begin());
  for (auto point = points.begin() + 1; point != points.end(); ++point) path.lineTo(*point);
  return path;
}

void PaintEmblem(QPainter& painter) {
  const QColor green(0x3d, 0xdc, 0x84);
  const QColor ink(0x12, 0x14, 0x18);
  const QRectF badge(8, 8, 240, 240);
  painter.setPen(QPen(QColor(0x33, 0x39, 0x44), 4));
  painter.setBrush(BoundingBoxGradient(0, 1, QColor(0x2d, 0x33, 0x3d), ink));
  painter.drawRoundedRect(badge, 52, 52);
  QRadialGradient glow(128, 134, 112);
  glow.setColorAt(0, WithAlpha(green, qRound(0.38 * 255)));
  glow.setColorAt(1, WithAlpha(green, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawRoundedRect(badge, 52, 52);

  painter.setPen(QPen(green, 8, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  painter.setBrush(BoundingBoxGradient(1, 1, QColor(0x3a, 0x41, 0x4d), QColor(0x1b, 0x1e, 0x24)));
  painter.drawPath(ShellPath());
  StrokeOpenPath(painter, Polyline({{128, 40}, {128, 118}}), ink, 6, false);
  QPainterPath wheelLine(QPointF(72, 112));
  wheelLine.quadTo(128, 134, 184, 112);
  StrokeOpenPath(painter, wheelLine, ink, 6, false);
  painter.setPen(QPen(ink, 4));
  painter.setBrush(green);
  painter.drawRoundedRect(QRectF(117, 62, 22, 40), 11, 11);
  StrokeOpenPath(painter, Polyline({{104, 160}, {128, 180}, {152, 160}}), green, 9, true);
  StrokeOpenPath(painter, Polyline({{110, 188}, {128, 202}, {146, 188}}), QColor(0x23, 0x8a, 0x52), 7, true);
}

}  // namespace

namespace {

void PaintEmblemAt(QPainter& painter, qreal side) {
  painter.scale(side / 256, side / 256);
  PaintEmblem(painter);
}

// The sizes the window system asks of a window icon, and the emblem's size in the top bar.
constexpr std::array<int, 5> kPreparedIconSides{16, 32, 36, 64, 128};

QImage DrawnEmblem(int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintEmblemAt(painter, side);
  return image;
}

QImage DrawnBackground(QSize size, qreal ratio) {
  QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  QPainter painter(&image);
  PaintWindowBackground(painter, QRect(QPoint(), size));
  return image;
}

// Artwork drawn ahead on another thread: painting on a QImage needs no GUI thread, and neither
// the emblem nor the background holds text.
class PreparedArtwork {
 public:
  static PreparedArtwork& Instance() {
    static PreparedArtwork artwork;
    return artwork;
  }

  void Start(QSize size, qreal ratio) {
    const std::lock_guard lock(mutex_);
    if (started_) return;
    started_ = true;
    size_ = size;
    ratio_ = ratio;
    background_ = std::async(std::launch::async, DrawnBackground, size, ratio).share();
    // The first font a widget asks for reads the system's whole font list, under the font
    // database's own lock: asked here, it is read while the GUI thread loads the settings.
    fonts_ = std::async(std::launch::async, [] { QFontDatabase::families(); });
    emblems_ = std::async(std::launch::async, [] {
                 std::map<int, QImage> emblems;
                 for (const int side : kPreparedIconSides) emblems.emplace(side, DrawnEmblem(side));
                 return emblems;
               }).share();
  }

  // Lets every drawing started end: the font database must not be read after the application ends.
  void Wait() {
    const std::lock_guard lock(mutex_);
    if (background_.valid()) background_.wait();
    if (emblems_.valid()) emblems_.wait();
    if (fonts_.valid()) fonts_.wait();
  }

  // The background is handed out once: kept, it would double the window's pixels in memory.
  std::optional<QImage> TakeBackground(QSize size, qreal ratio) {
    std::shared_future<QImage> background;
    {
      const std::lock_guard lock(mutex_);
      if (!background_.valid() || size != size_ || ratio != ratio_) return std::nullopt;
      background = std::exchange(background_, {});
    }
    return background.get();
  }

  std::optional<QImage> Emblem(int side) {
    std::shared_future<std::map<int, QImage>> emblems;
    {
      const std::lock_guard lock(mutex_);
      if (!started_) return std::nullopt;
      emblems = emblems_;
    }
    const auto& drawn = emblems.get();
    const auto found = drawn.find(side);
    if (found == drawn.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::mutex mutex_;
  bool started_ = false;
  QSize size_;
  qreal ratio_ = 1;
  std::shared_future<QImage> background_;
  std::shared_future<std::map<int, QImage>> emblems_;
  std::future<void> fonts_;
};

}  // namespace

// The emblem: a square size drawn ahead is handed out as it is, every other one drawn when asked.
QIcon ProgramIcon() {
  return QIcon(new DrawnIconEngine([](QPainter& painter, qreal side, QIcon::Mode) { PaintEmblemAt(painter, side); },
                                   [](int side) { return PreparedArtwork::Instance().Emblem(side); }));
}

ArtworkPreparation::ArtworkPreparation(QSize windowSize, qreal devicePixelRatio) {
  PreparedArtwork::Instance().Start(windowSize, devicePixelRatio);
}

ArtworkPreparation::~ArtworkPreparation() { PreparedArtwork::Instance().Wait(); }

std::optional<QImage> TakePreparedWindowBackground(QSize size, qreal devicePixelRatio) {
  return PreparedArtwork::Instance().TakeBackground(size, devicePixelRatio);
}

void PaintWindowBackground(QPainter& painter, const QRect& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF r = rect;

  QLinearGradient base(r.topLeft(), r.bottomLeft());
  base.setColorAt(0, kPanel);
  base.setColorAt(0.4, kWindowBackground);
  base.setColorAt(1, kWindowBackground.darker(118));
  painter.fillRect(r, base);

  // A green glow spilling in from the top left corner, and a fainter one at the bottom right.
  QRadialGradient glow(r.left() + r.width() * 0.15, r.top(), qMax(r.width(), r.height()) * 0.55);
  glow.setColorAt(0, WithAlpha(kAccent, 30));
  glow.setColorAt(1, WithAlpha(kAccent, 0));
  painter.fillRect(r, glow);
  QRadialGradient low(r.right(), r.bottom(), qMax(r.width(), r.height()) * 0.45);
  low.setColorAt(0, WithAlpha(kAccentDark, 18));
  low.setColorAt(1, WithAlpha(kAccentDark, 0));
  painter.fillRect(r, low);

  // Fine diagonal hatching, fading out from the top right corner. Each line lies across the fade,
  // so it has one colour: a plain pen draws it many times faster than a gradient one. At 45
  // degrees a one-pixel line is a clean run of pixels without antialiasing, which costs most.
  const qreal reach = qMin(r.width(), r.height()) * 0.45;
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (qreal offset = 6; offset < reach * 2; offset += 6) {
    painter.setPen(QPen(WithAlpha(kText, qRound(14 * (1 - offset / (reach * 2)))), 1));
    painter.drawLine(QPointF(r.right() - offset, r.top()), QPointF(r.right(), r.top() + offset));
  }
  painter.setRenderHint(QPainter::Antialiasing);

  // Frame: a dark outer line with a faint highlight inside it.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kBorder, 1));
  painter.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
  painter.setPen(QPen(WithAlpha(kText, 12), 1));
  painter.drawRect(r.adjusted(1.5, 1.5, -1.5, -1.5));

  // Accent line along the top edge, brightest in the middle.
  QLinearGradient line(r.topLeft(), r.topRight());
  line.setColorAt(0, WithAlpha(kAccent, 0));
  line.setColorAt(0.5, kAccent);
  line.setColorAt(1, WithAlpha(kAccent, 0));
  painter.setPen(QPen(QBrush(line), 2));
  painter.drawLine(QPointF(r.left() + r.width() * 0.08, r.top() + 1), QPointF(r.right() - r.width() * 0.08, r.top() + 1));

  // Corner brackets.
  const qreal arm = qMin(r.width(), r.height()) * 0.06 + 6;
  const qreal inset = 5;
  painter.setPen(QPen(WithAlpha(kAccent, 170), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  const QRectF corners = r.adjusted(inset, inset, -inset, -inset);
  for (const auto& [corner, dx, dy] :
       {std::tuple{corners.topLeft(), 1, 1}, std::tuple{corners.topRight(), -1, 1},
        std::tuple{corners.bottomLeft(), 1, -1}, std::tuple{corners.bottomRight(), -1, -1}}) {
    const std::array<QPointF, 3> bracket{corner + QPointF(0, dy * arm), corner, corner + QPointF(dx * arm, 0)};
    painter.drawPolyline(bracket.data(), 3);
  }
  painter.restore();
}

namespace {

constexpr qsizetype kDirectorySize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr qsizetype kMaxCursorFileSize = 1 << 20;

quint16 Word(const QByteArray& bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 Dword(const QByteArray& bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

}  // namespace

std::optional<QCursor> LoadCursorFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCursorFileSize) return std::nullopt;
  // Reading up to the limit would reserve the whole limit for a file of a few kilobytes.
  QByteArray bytes = file.read(file.size() + 1);
  if (bytes.size() > kMaxCursorFileSize || bytes.size() < kDirectorySize + kEntrySize) return std::nullopt;

  // Directory: reserved 0, type 2 (cursor), image count; then one 16-byte entry per image, whose
  // "planes" and "bit count" words hold the hotspot.
  if (Word(bytes, 0) != 0 || Word(bytes, 2) != 2) return std::nullopt;
  const quint16 count = Word(bytes, 4);
  if (count == 0) return std::nullopt;
  const qint64 entries = kDirectorySize + qint64{count} * kEntrySize;
  const int hotX = Word(bytes, kDirectorySize + 4);
  const int hotY = Word(bytes, kDirectorySize + 6);
  const qint64 imageSize = Dword(bytes, kDirectorySize + 8);
  const qint64 imageOffset = Dword(bytes, kDirectorySize + 12);
  if (entries > bytes.size() || imageOffset < entries || imageSize == 0 || imageOffset + imageSize > bytes.size()) {
    return std::nullopt;
  }

  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "cur");
  const QImage image = reader.read();
  if (image.isNull() || hotX >= image.width() || hotY >= image.height()) return std::nullopt;
  return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

}  // namespace q9::skin
