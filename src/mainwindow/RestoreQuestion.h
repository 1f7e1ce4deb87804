#pragma once
// TRestoreQuestion: the question before a profile is reset to its factory settings, drawn inside
// the main window at its top bar rather than as a window of its own. While it shows, every other
// part of the window is disabled; Yes is the default (Enter), Escape answers No.

#include <QWidget>
#include <functional>
#include <vector>

#include "lang/uiLanguage.h"

class QLabel;
class QPushButton;

namespace q9 {

class TRestoreQuestion final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 430;
  static constexpr int kHeight = 200;

  /// `window` is the main window: the question lies over it, its other children are disabled meanwhile.
  TRestoreQuestion(TuiLanguage& language, QWidget* window);

  /// Shows the question with the top edge at `top`; `answered` runs once with true for Yes.
  /// A question already showing is answered No first.
  void Ask(int top, std::function<void(bool yes)> answered);
  bool Showing() const { return isVisible(); }
  void Answer(bool yes);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Translate();
  void DisableTheRest();
  void EnableTheRest();

  TuiLanguage& language_;
  QLabel* title_ = nullptr;
  QLabel* text_ = nullptr;
  QPushButton* yes_ = nullptr;
  QPushButton* no_ = nullptr;
  std::function<void(bool)> answered_;
  std::vector<QWidget*> disabled_;  ///< what the question disabled, enabled again on the answer
};

}  // namespace q9
