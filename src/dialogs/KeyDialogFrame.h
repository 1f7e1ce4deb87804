#pragma once
// The frame the three key assignment dialogs share: a borderless modal dialog in the skinned look,
// centred on its owner's window, owning the TuiHook it records with, and translated by the language
// component for as long as it lives. Its controls sit on one background image, ImageCombo, and its
// skin stream UIStream1 is bound to that image, so a designer can cut skins for bitmap-state
// buttons placed on it.
//
// Keyboard use while a recorder runs: every key the user presses is a key to record, so the dialog
// takes no key for itself (Tab, Enter, Space and Escape are recorded like any other key) and its
// buttons take no focus. Ctrl+Enter answers OK and Ctrl+Esc answers Cancel; the chord itself is not
// recorded (the record stays as it was before it). Without the hook library nothing is recorded and
// the dialog is an ordinary one: Tab moves between the buttons, Enter answers OK, Escape Cancel.

#include <QDialog>
#include <QPoint>
#include <QString>
#include <memory>

#include "gui/FramelessWindow.h"
#include "gui/QtUIStream.h"
#include "gui/SkinWidgets.h"
#include "input/HookServices.h"

class QLabel;
class QPushButton;

namespace q9 {

class TuiLanguage;

/// What the keyboard chord of a key event asks for while a recorder runs.
enum class KeyChord { kNone, kOK, kCancel };
/// Enter (either one) with Ctrl held answers OK, Escape with Ctrl held Cancel.
KeyChord ChordOf(std::int32_t vk, bool ctrlHeld);
/// True for the generic, left and right Ctrl keys.
bool IsCtrlKey(std::int32_t vk);

/// The hint under the capture box, and the dialog's accessible description while recording.
inline constexpr const char* kChordHint = "Ctrl+Enter: OK    Ctrl+Esc: Cancel";

class TKeyDialogFrame : public QDialog {
  Q_OBJECT

 public:
  /// The modal results, as the message dialog gives them.
  static constexpr int kResultOK = 1;
  static constexpr int kResultCancel = 2;

  /// Makes the dialog's TuiHook: a missing hook library is told through `hook.showError` now.
  TKeyDialogFrame(const HookServices& hook, TuiLanguage& language, QWidget* parent, const char* objectName,
                  const QSize& size, bool recordsKeys);
  ~TKeyDialogFrame() override;

  /// Set by the entry functions.
  bool FCreateByOther = false;
  /// The background over the whole dialog; every control of the dialog is its child.
  TBackgroundImage* ImageCombo = nullptr;
  /// Carries the dialog's skins; bound to ImageCombo.
  QtUIStream UIStream1;

  TuiHook& uiHook() { return *uiHook_; }
  /// True while a recorder takes every key (the hook library is loaded and the dialog records).
  bool RecordsKeys() const { return recordsKeys_ && uiHook_->DllLoaded(); }

  /// Stops the recorder, then ends the dialog; any result other than OK is Cancel.
  void done(int result) override;
  void reject() override { done(kResultCancel); }

 protected:
  /// Started once when the dialog is first shown, stopped when it ends.
  virtual void StartRecording() = 0;
  virtual void StopRecording() = 0;
  /// The texts the widget walk does not reach (accessible names), in the current language.
  virtual void TranslateAccessibleTexts() {}

  /// Ends the dialog with `result` once the hook's call that asked for it has returned; events
  /// arriving meanwhile must be ignored (Closing() is true).
  void AnswerFromHook(int result);
  bool Closing() const { return closing_; }

  QString Tr(const char* text) const;
  QLabel* AddLabel(const char* name, const char* text, const QRect& geometry, int points, bool bold);
  QPushButton* AddButton(const char* name, const char* text, const char* role, const QRect& geometry);
  /// The close button at the top right corner; it answers Cancel.
  QPushButton* AddCloseButton();
  /// OK and Cancel, centred at `top`.
  void AddAnswerButtons(const char* okName, const char* cancelName, int top);
  /// Registers the finished widget tree with the language component; call at the end of the
  /// subclass's constructor.
  void FinishSetup();

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  /// The dialog has no frame: dragging it anywhere outside its controls moves it.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

  TuiLanguage& language_;

 private:
  void UpdateAccessibleTexts();
  /// Sets the prompt (Label1) in a smaller size when its text, in the current language and font,
  /// would not fit its area; never smaller than a floor.
  void FitPrompt();

  std::unique_ptr<TuiHook> uiHook_;
  bool recordsKeys_;
  bool recording_ = false;
  bool closing_ = false;
  int languageForm_ = -1;
  WindowDrag drag_;
};

}  // namespace q9
