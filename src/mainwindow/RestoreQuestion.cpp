#include "mainwindow/RestoreQuestion.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "gui/Skin.h"
#include "gui/uiLanguageWidgets.h"

namespace q9 {

namespace {

constexpr const char* kTitle = "Restore to default";
constexpr const char* kText = "If you select \"YES\",all the settings will be restore to default!";

QPushButton* MakeAnswerButton(QWidget* parent, const char* name, const char* role, const QRect& geometry) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setProperty("q9role", QLatin1String(role));
  button->setGeometry(geometry);
  button->setFont(skin::WindowFont(10));
  return button;
}

}  // namespace

TRestoreQuestion::TRestoreQuestion(TuiLanguage& language, QWidget* window) : QWidget(window), language_(language) {
  setObjectName(QStringLiteral("RestoreQuestion"));
  // Its texts are set translated each time it is shown; the window's language walk leaves it alone.
  setProperty(kNoTranslateProperty, true);
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_StyledBackground, false);

  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("LabelRestoreTitle"));
  title_->setGeometry(33, 22, 364, 33);
  title_->setFont(skin::WindowFont(18, true));
  title_->setTextFormat(Qt::PlainText);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("RestoreWarningIcon"));
  icon->setGeometry(37, 70, 48, 45);
  icon->setPixmap(skin::WarningIcon(icon->size()));

  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("LabelRestoreText"));
  text_->setGeometry(95, 70, 308, 70);
  text_->setFont(skin::WindowFont(12));
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  yes_ = MakeAnswerButton(this, "BtnRestoreYes", "primary", QRect(119, 150, 90, 30));
  no_ = MakeAnswerButton(this, "BtnRestoreNo", "action", QRect(221, 150, 90, 30));
  connect(yes_, &QPushButton::clicked, this, [this] { Answer(true); });
  connect(no_, &QPushButton::clicked, this, [this] { Answer(false); });
  setTabOrder(yes_, no_);
  hide();
}

void TRestoreQuestion::Translate() {
  auto tr = [this](const char* text) { return TranslatedText(language_, text); };
  title_->setText(tr(kTitle));
  text_->setText(tr(kText));
  yes_->setText(tr("Yes"));
  no_->setText(tr("No"));
  setAccessibleName(title_->text());
  setAccessibleDescription(text_->text());
}

void TRestoreQuestion::Ask(int top, std::function<void(bool yes)> answered) {
  if (Showing()) Answer(false);
  answered_ = std::move(answered);
  Translate();
  move((parentWidget()->width() - width()) / 2, top);
  DisableTheRest();
  show();
  raise();
  yes_->setFocus(Qt::OtherFocusReason);
}

void TRestoreQuestion::Answer(bool yes) {
  if (!Showing()) return;
  hide();
  EnableTheRest();
  // The handler may ask again; it gets a question that is free for that.
  auto answered = std::move(answered_);
  answered_ = nullptr;
  if (answered) answered(yes);
}

void TRestoreQuestion::DisableTheRest() {
  disabled_.clear();
  for (QWidget* sibling : parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (sibling == this || sibling->isWindow() || !sibling->isEnabled()) continue;
    sibling->setEnabled(false);
    disabled_.push_back(sibling);
  }
}

void TRestoreQuestion::EnableTheRest() {
  for (QWidget* sibling : disabled_) sibling->setEnabled(true);
  disabled_.clear();
}

void TRestoreQuestion::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      Answer(false);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Enter answers with the button that has the focus; Yes has it when the question opens.
      Answer(focusWidget() != no_);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void TRestoreQuestion::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  skin::PaintWindowBackground(painter, rect());
}

}  // namespace q9
