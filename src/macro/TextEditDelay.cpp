#include "macro/TextEditDelay.h"

#include <QKeyEvent>

#include "macro/MacroEditing.h"

namespace q9 {

TTextEditDelay::TTextEditDelay(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("TextEditDelay"));
  resize(kWidth, kHeight);
  setFrame(false);
  hide();
  setEnabled(false);
}

void TTextEditDelay::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Commit();
      event->accept();  // not the dialog's default button
      return;
    case Qt::Key_Escape:
      emit Abandoned();
      event->accept();
      return;
    case Qt::Key_Backspace:
      QLineEdit::keyPressEvent(event);
      return;
    default:
      break;
  }
  const QString typed = event->text();
  if (typed.isEmpty() || !typed.at(0).isPrint()) {
    // Keys without a character (arrows, Home, Tab, Delete) move and edit as usual.
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();
  const QChar character = typed.at(0);
  if (character < QLatin1Char('0') || character > QLatin1Char('9')) return;
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  setText(QString::fromStdString(
      DelayTextAfterDigit(text().toStdString(), start, length, static_cast<char>(character.unicode()))));
  end(false);
}

void TTextEditDelay::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (isVisible()) Commit();
}

void TTextEditDelay::Commit() {
  if (!text().isEmpty()) emit Committed(text());
}

}  // namespace q9
