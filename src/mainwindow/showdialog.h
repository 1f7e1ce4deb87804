#pragma once
// The program's own message box: a title, a text, OK and Cancel, drawn in the skinned look.

#include <QDialog>
#include <QPoint>
#include <functional>

#include "gui/FramelessWindow.h"

class QLabel;
class QPushButton;

namespace q9 {

/// The title of the window's warnings, and the text of a save that failed (translation keys).
inline constexpr const char* kWarningTitle = "Warning!";
inline constexpr const char* kSettingsNotSaved = "The settings could not be saved.";

/// Called with every message dialog as soon as its widgets exist, before the title and text are
/// set. The main window registers the dialog with the language component here, which translates
/// the fixed English button texts "OK" and "Cancel".
extern std::function<void(QWidget* dialog)> MessageDialogCreated;

/// A frameless modal dialog of 430 x 232 pixels, centred on its parent's window (or on the screen
/// without one). Object names: LabelTitle, vgmgImage2 (the icon), LabelText, BtnOK, BSBTNCANCEL
/// and BtnClose (hidden). Dragging anywhere outside the buttons moves it.
class TFrmDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kResultOK = 1;
  static constexpr int kResultCancel = 2;

  explicit TFrmDialog(QWidget* parent = nullptr);

  /// Shows `title` and `text` as plain text. A text too long for its 308 x 82 area at the normal
  /// size is set in a smaller size, down to a floor; it is never scrolled.
  void SetMessage(const QString& title, const QString& text);

  /// Set by ShowMessageDialog, which owns the dialogs it makes.
  bool FCreateByOther = false;

  /// Escape and closing the window both answer Cancel.
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void FitFonts();

  QLabel* title_ = nullptr;
  QLabel* text_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  WindowDrag drag_;
};

/// Shows a modal message with OK and Cancel; 1 for OK, 2 for Cancel and for any other way of closing.
/// Title and text arrive translated. `kind` has no effect. Without `parent` the dialog belongs to
/// the active window.
int ShowMessageDialog(const QString& title, const QString& text, int kind = 0, QWidget* parent = nullptr);

}  // namespace q9
