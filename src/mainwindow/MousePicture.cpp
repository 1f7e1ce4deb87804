#include "mainwindow/MousePicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

#include "gui/SkinPalette.h"

namespace q9 {

namespace {

constexpr qreal kMiddle = 112;  // the mouse's centre line
constexpr qreal kBadgeRadius = 9.5;

// Number centres, button 1..8 at index 0..7.
constexpr std::array<QPointF, 8> kNumberCentres{{
    {72, 82},    // 1 left button
    {152, 82},   // 2 right button
    {kMiddle, 58},   // 3 wheel
    {15, 166},   // 4 front side button
    {15, 214},   // 5 rear side button
    {kMiddle, 170},  // 6 the lit button
    {kMiddle, 104},  // 7 behind the wheel
    {kMiddle, 128},  // 8 behind button 7
}};

QPainterPath BodyOutline() {
  QPainterPath body;
  body.moveTo(kMiddle, 14);
  body.cubicTo(kMiddle + 52, 14, kMiddle + 66, 62, kMiddle + 68, 124);
  body.cubicTo(kMiddle + 72, 196, kMiddle + 76, 258, kMiddle + 50, 290);
  body.cubicTo(kMiddle + 30, 312, kMiddle - 30, 312, kMiddle - 50, 290);
  body.cubicTo(kMiddle - 76, 258, kMiddle - 72, 196, kMiddle - 68, 124);
  body.cubicTo(kMiddle - 66, 62, kMiddle - 52, 14, kMiddle, 14);
  return body;
}

void DrawBody(QPainter& painter) {
  const QPainterPath body = BodyOutline();
  QLinearGradient shell(0, 14, 0, 310);
  shell.setColorAt(0, skin::kPanelRaised.lighter(125));
  shell.setColorAt(1, skin::kPanel);
  painter.setPen(QPen(skin::kBorder.lighter(150), 1.6));
  painter.setBrush(shell);
  painter.drawPath(body);

  // The seam between the two main buttons and the palm rest, and the one between the buttons.
  painter.setPen(QPen(skin::kWindowBackground, 2));
  painter.setBrush(Qt::NoBrush);
  QPainterPath seam;
  seam.moveTo(kMiddle - 68, 140);
  seam.quadTo(kMiddle, 156, kMiddle + 68, 140);
  painter.drawPath(seam);
  painter.drawLine(QPointF(kMiddle, 15), QPointF(kMiddle, 40));
}

void DrawSmallButton(QPainter& painter, const QRectF& rect) {
  painter.setPen(QPen(skin::kBorder.lighter(160), 1.2));
  painter.setBrush(skin::kWindowBackground);
  painter.drawRoundedRect(rect, 4, 4);
}

void DrawButtons(QPainter& painter) {
  DrawSmallButton(painter, QRectF(kMiddle - 11, 38, 22, 42));   // wheel
  painter.setPen(QPen(skin::kBorder.lighter(200), 1));
  for (qreal y = 44; y < 78; y += 5) painter.drawLine(QPointF(kMiddle - 7, y), QPointF(kMiddle + 7, y));
  DrawSmallButton(painter, QRectF(kMiddle - 12, 94, 24, 20));   // 7
  DrawSmallButton(painter, QRectF(kMiddle - 12, 118, 24, 20));  // 8
  // 4 and 5 sit on the left flank.
  DrawSmallButton(painter, QRectF(kMiddle - 74, 148, 10, 36));
  DrawSmallButton(painter, QRectF(kMiddle - 74, 196, 10, 36));
  painter.setPen(QPen(skin::kBorder.lighter(160), 1));
  painter.drawLine(QPointF(kMiddle - 74, 166), QPointF(24, 166));
  painter.drawLine(QPointF(kMiddle - 74, 214), QPointF(24, 214));

  // The lit button glows in the product's green.
  const QPointF lit = kNumberCentres[5];
  QRadialGradient glow(lit, 26);
  QColor light = skin::kAccent;
  light.setAlpha(120);
  glow.setColorAt(0, light);
  glow.setColorAt(1, Qt::transparent);
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawEllipse(lit, 26, 26);
  painter.setPen(QPen(skin::kAccent, 1.5));
  painter.setBrush(skin::kWindowBackground);
  painter.drawEllipse(lit, 13, 13);
}

void DrawNumber(QPainter& painter, int button, bool highlighted) {
  const QPointF centre = kNumberCentres[static_cast<std::size_t>(button - 1)];
  painter.setPen(QPen(highlighted ? skin::kText : skin::kAccent, 1.2));
  painter.setBrush(highlighted ? skin::kAccent : skin::kAccentDark);
  painter.drawEllipse(centre, kBadgeRadius, kBadgeRadius);
  painter.setPen(highlighted ? skin::kTextOnAccent : skin::kText);
  const QRectF box(centre.x() - kBadgeRadius, centre.y() - kBadgeRadius, 2 * kBadgeRadius, 2 * kBadgeRadius);
  painter.drawText(box, Qt::AlignCenter, QString::number(button));
}

}  // namespace

TMousePicture::TMousePicture(QWidget* parent) : QWidget(parent) {
  setObjectName("vgmgImageMouseLayout");
  setFixedSize(kSize);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QPointF TMousePicture::NumberCentre(int button) {
  return button >= 1 && button <= 8 ? kNumberCentres[static_cast<std::size_t>(button - 1)] : QPointF();
}

void TMousePicture::SetHighlighted(int button) {
  if (button == highlighted_) return;
  highlighted_ = button;
  update();
}

void TMousePicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // Drawn on a 200 x 316 plan, scaled into the widget.
  painter.scale(width() / 200.0, height() / 316.0);
  DrawBody(painter);
  DrawButtons(painter);
  QFont bold = font();
  bold.setBold(true);
  bold.setPixelSize(11);
  painter.setFont(bold);
  for (int button = 1; button <= 8; ++button) DrawNumber(painter, button, button == highlighted_);
}

}  // namespace q9
