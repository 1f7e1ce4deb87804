#pragma once
// TTextMacroName: the name editor that opens below the last row of the macro list for a new macro.
// Releasing Enter commits the name; leaving the box commits it too, unless the text is exactly one
// blank (a blank name is only taken by Enter). Escape closes the box without a new macro.

#include <QLineEdit>

namespace q9 {

class TTextMacroName final : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr int kWidth = 224;
  static constexpr int kHeight = 25;
  /// Where the closed editor waits, inside the list.
  static constexpr int kRestingTop = 150;

  explicit TTextMacroName(QWidget* parent);

 signals:
  void Committed();
  void Abandoned();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace q9
