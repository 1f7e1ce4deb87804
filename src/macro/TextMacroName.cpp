#include "macro/TextMacroName.h"

#include <QKeyEvent>

#include "macro/uiMacroClassUnit.h"

namespace q9 {

namespace {
bool IsEnter(const QKeyEvent* event) { return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter; }
}  // namespace

TTextMacroName::TTextMacroName(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("TextMacroName"));
  // A name longer than the record holds cannot be typed, so no name is cut behind the user's back.
  setMaxLength(kMacroNameMaxUnits);
  setGeometry(0, kRestingTop, kWidth, kHeight);
  hide();
  setEnabled(false);
}

void TTextMacroName::keyPressEvent(QKeyEvent* event) {
  if (IsEnter(event)) {
    event->accept();  // the release commits; the press must not reach the dialog's buttons
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    emit Abandoned();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TTextMacroName::keyReleaseEvent(QKeyEvent* event) {
  if (IsEnter(event) && !event->isAutoRepeat()) {
    event->accept();
    emit Committed();
    return;
  }
  QLineEdit::keyReleaseEvent(event);
}

void TTextMacroName::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (isVisible() && text() != QLatin1String(" ")) emit Committed();
}

}  // namespace q9
