#pragma once
// TTextEditDelay: the delay editor laid over a delay row of the macro editor's event list. It takes
// digits only and at most five of them: a digit typed into a full box replaces the selected part, or
// the whole text when all or none of it is selected. Backspace edits as usual; Enter or leaving the
// box commits a text that is not empty; Escape closes it without a change.

#include <QLineEdit>

namespace q9 {

class TTextEditDelay final : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr int kWidth = 168;
  static constexpr int kHeight = 19;

  explicit TTextEditDelay(QWidget* parent);

 signals:
  /// The user asked to keep `text` (never empty).
  void Committed(const QString& text);
  /// Escape: the box closes and the delay stays as it was.
  void Abandoned();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Commit();
};

}  // namespace q9
