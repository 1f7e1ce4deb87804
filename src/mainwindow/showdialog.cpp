#include "mainwindow/showdialog.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include "gui/FramelessWindow.h"
#include "gui/Skin.h"
#include "gui/SkinPalette.h"

namespace q9 {

std::function<void(QWidget* dialog)> MessageDialogCreated;

namespace {

constexpr int kTitlePoints = 21;
constexpr int kTitleMinPoints = 12;
constexpr int kTextPoints = 16;
constexpr int kTextMinPoints = 8;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(geometry);
  button->setFont(skin::WindowFont(10));
  return button;
}

}  // namespace

TFrmDialog::TFrmDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("TFrmDialog"));
  setFixedSize(430, 232);
  setModal(true);

  title_ = new QLabel(QStringLiteral("Warning!"), this);
  title_->setObjectName(QStringLiteral("LabelTitle"));
  title_->setGeometry(33, 30, 358, 33);
  title_->setFont(skin::WindowFont(kTitlePoints, true));
  title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  title_->setTextFormat(Qt::PlainText);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("vgmgImage2"));
  icon->setGeometry(37, 80, 48, 45);
  icon->setPixmap(skin::WarningIcon(icon->size()));

  text_ = new QLabel(QStringLiteral("Please connect your mouse device before apply new settings!"), this);
  text_->setObjectName(QStringLiteral("LabelText"));
  text_->setGeometry(95, 80, 308, 82);
  text_->setFont(skin::WindowFont(kTextPoints));
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);

  ok_ = MakeButton(this, "BtnOK", QStringLiteral("OK"), QRect(139, 170, 90, 30));
  ok_->setProperty("q9role", QStringLiteral("primary"));
  ok_->setDefault(true);
  cancel_ = MakeButton(this, "BSBTNCANCEL", QStringLiteral("Cancel"), QRect(235, 170, 90, 30));
  cancel_->setProperty("q9role", QStringLiteral("action"));
  auto* close = MakeButton(this, "BtnClose", QString(), QRect(380, 5, 23, 22));
  close->setIcon(skin::CloseIcon());
  close->hide();

  connect(ok_, &QPushButton::clicked, this, [this] { done(kResultOK); });
  connect(cancel_, &QPushButton::clicked, this, [this] { done(kResultCancel); });
  connect(close, &QPushButton::clicked, this, [this] { done(kResultOK); });

  FitFonts();
  if (MessageDialogCreated) MessageDialogCreated(this);
}

void TFrmDialog::SetMessage(const QString& title, const QString& text) {
  setWindowTitle(title);
  title_->setText(title);
  text_->setText(text);
  FitFonts();
}

void TFrmDialog::reject() { done(kResultCancel); }

void TFrmDialog::FitFonts() {
  QFont titleFont = title_->font();
  for (int points = kTitlePoints; points >= kTitleMinPoints; --points) {
    titleFont.setPointSize(points);
    if (QFontMetrics(titleFont).horizontalAdvance(title_->text()) <= title_->width()) break;
  }
  title_->setFont(titleFont);

  QFont textFont = text_->font();
  for (int points = kTextPoints; points >= kTextMinPoints; --points) {
    textFont.setPointSize(points);
    text_->setFont(textFont);
    if (text_->heightForWidth(text_->width()) <= text_->height()) break;
  }
}

void TFrmDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  skin::PaintWindowBackground(painter, rect());
  // A rule under the title, fading out to the right.
  QLinearGradient rule(33, 0, 397, 0);
  rule.setColorAt(0, skin::kBorder.lighter(130));
  rule.setColorAt(1, QColor(skin::kBorder.red(), skin::kBorder.green(), skin::kBorder.blue(), 0));
  painter.fillRect(QRect(33, 67, 364, 1), rule);
}

void TFrmDialog::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    // The creation hook may have given the labels another font (a language's own), so fit again.
    FitFonts();
    CentreOnOwnerWindow(*this);
  }
  QDialog::showEvent(event);
}

void TFrmDialog::mousePressEvent(QMouseEvent* event) {
  if (!drag_.Press(*this, *event)) QDialog::mousePressEvent(event);
}

void TFrmDialog::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_.Move(*this, *event)) QDialog::mouseMoveEvent(event);
}

void TFrmDialog::mouseReleaseEvent(QMouseEvent* event) {
  drag_.Release();
  QDialog::mouseReleaseEvent(event);
}

int ShowMessageDialog(const QString& title, const QString& text, int /*kind*/, QWidget* parent) {
  if (!parent) parent = QApplication::activeWindow();
  // Held by a guard: the owner window may be destroyed while the dialog runs, taking it along.
  QPointer<TFrmDialog> dialog = new TFrmDialog(parent);
  dialog->FCreateByOther = true;
  dialog->SetMessage(title, text);
  const int result = dialog->exec();
  delete dialog.data();
  return result == TFrmDialog::kResultOK ? TFrmDialog::kResultOK : TFrmDialog::kResultCancel;
}

}  // namespace q9
