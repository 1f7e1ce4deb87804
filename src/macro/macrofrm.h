#pragma once
// TFrmMacro: the modal "Macro Manager" window. It edits a copy of one button group's macro list:
// creates, selects and deletes macros, records keyboard input into the selected macro through the
// input hook, and inserts delays and mouse-button events, retimes delays and deletes events. Only
// ShowMacroDialog's OK hands the edited list and the selected macro back.
//
// The event list shows every stored entry of the selected macro, one row per entry, delays too when
// the macro's delay flag is off; after a recording it is built again from the stored entries. So a
// row is always the entry its editing commands change.
//
// While a recording runs, the hook swallows every key; the keyboard stops it with the Pause key,
// which is not recorded. The number of stored entries is shown against the 60 a macro holds, and a
// change that would push entries off the end asks first.

#include <QDialog>
#include <QPoint>
#include <array>
#include <memory>
#include <vector>

#include "gui/FramelessWindow.h"
#include "input/HookServices.h"
#include "macro/MacroEditing.h"
#include "model/ProfileRecords.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace q9 {

class TTextEditDelay;
class TTextMacroName;
class TuiLanguage;
class TuiMenuEx;
class TuiMenuExPopup;

class TFrmMacro final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 755;
  static constexpr int kHeight = 520;
  static constexpr int kRowHeight = 19;
  static constexpr int kResultOK = 1;
  static constexpr int kResultCancel = 2;
  /// The key that stops a recording from the keyboard (VK_PAUSE); it is never recorded.
  static constexpr int kStopRecordKey = 19;

  TFrmMacro(const HookServices& hook, TuiLanguage& language, QWidget* parent);
  ~TFrmMacro() override;

  /// Fills the working list from FMacroKeyInfoList and shows it, FCurrentMacro selected.
  void LoadMacros();
  /// Writes the working list into FMacroKeyInfoList, each macro numbered by its position.
  void SaveMacros();

  // The window's commands, as its controls run them.
  void BSBTNNEWClick();
  void BSBTNDELETEClick();
  void InsertDelayClick();
  void EditDelayClick();
  void DeleteClick();
  void MouseEventClick();
  /// Runs the Mouse Event menu's item `itemId` (101..303).
  void MouseEventChosen(int itemId);

  const std::vector<TMACROKEYINFO>& Macros() const { return FList; }
  bool Recording() const { return recording_; }
  TuiHook& uiHook1() { return *hook_; }
  TuiMenuEx& uiMenuEx1() { return *menu_; }
  TuiMenuExPopup& uiMenuEx1Popup() { return *menuPopup_; }

  std::unique_ptr<TMouseProfileInfoEasyShiftEx> FMouseProfileInfo;  ///< handed in, read by nothing here
  std::unique_ptr<TMouseButtonConfigInfoEasyShiftEx> FMouseButtonConfigInfo;  ///< handed back unchanged
  TMACROKEYINFOLIST FMacroKeyInfoList{};
  int FCurrentMacro = -1;
  bool FCreateByOther = false;

  /// Closing also stops a recording that still runs (dropping it) and saves the working list.
  void done(int result) override;
  void reject() override { done(kResultCancel); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void BuildControls();
  void BuildMouseEventMenu();
  void Translate();
  void FillMacroList();
  void MacroSelected(int row);
  void ShowMacroEntries();
  void ShowEntryCount(int count, int dropped);
  TMACROKEYINFO* SelectedMacro();
  int SelectedRow() const;
  void SelectRow(int row);

  void CommitMacroName();
  void AbandonMacroName();
  void CommitDelay(const QString& text);
  void CloseDelayEditor();

  void RecordClicked(bool pressed);
  void RecordAroundClicked(QPushButton* toggle, RecordMode mode, bool pressed);
  void StartRecorder();
  void StopRecord();
  void SetRecordingControls(bool recording);
  void LiveItem(int type, int key, int state, const std::string& text, const MacroKeyList& items);
  void RecordingStopped(const MacroKeyList& items);
  MacroKeyList WithoutStopKey(const MacroKeyList& items) const;
  MergedMacro MergedRecording(const MacroKeyList& items) const;
  /// True when no entry is lost, or when the user lets `lost` entries go.
  bool AcceptLosing(int lost);

  TuiLanguage& language_;
  std::unique_ptr<TuiHook> hook_;
  std::unique_ptr<TuiMenuEx> menu_;
  std::unique_ptr<TuiMenuExPopup> menuPopup_;
  std::vector<TMACROKEYINFO> FList;

  QPushButton* BtnMinimize = nullptr;
  QPushButton* BtnClose = nullptr;
  QListWidget* ListBoxMacroList = nullptr;
  TTextMacroName* TextMacroName = nullptr;
  QListWidget* ListBoxMacroKey = nullptr;
  TTextEditDelay* TextEditDelay = nullptr;
  QWidget* PanelMaroEdit = nullptr;
  QPushButton* BtnMacroRecord = nullptr;
  QCheckBox* BtnAutoDelay = nullptr;
  QCheckBox* BtnMacroLoop = nullptr;
  QSpinBox* BoxMacroLoop = nullptr;
  QPushButton* BtnRecordbefore = nullptr;
  QPushButton* BtnRecordafter = nullptr;
  QPushButton* BtnInsertDelay = nullptr;
  QPushButton* BtnEditDelay = nullptr;
  QPushButton* BtnDelete = nullptr;
  QPushButton* BtnMouseEvent = nullptr;
  QLabel* LabelEntryCount = nullptr;
  QPushButton* BSBTNNEW = nullptr;
  QPushButton* BSBTNDELETE = nullptr;
  QPushButton* BSBTNOK = nullptr;
  QPushButton* BSBTNCANCEL = nullptr;

  // Recording state.
  bool recording_ = false;
  bool stoppedByKey_ = false;
  bool dropRecording_ = false;
  RecordMode recordMode_ = RecordMode::kReplace;
  int anchorRow_ = 0;
  int appendPosition_ = 0;
  int beforePosition_ = 0;
  int afterPosition_ = 0;
  std::array<bool, 256> heldKeys_{};
  std::vector<QWidget*> disabledWhileRecording_;

  int delayRow_ = -1;  ///< the entry the open delay editor retimes
  bool filling_ = false;  ///< the controls are being set from a macro, not by the user
  WindowDrag drag_;
};

/// Opens the Macro Manager on copies of a group's records and shows it modally. On OK the button
/// records and the macro list are copied back and `currentMacro` becomes the selected macro (-1 for
/// none); any other result changes nothing. Returns the modal result (1 OK, 2 Cancel).
int ShowMacroDialog(const TMouseProfileInfoEasyShiftEx& profile, TMouseButtonConfigInfoEasyShiftEx& buttons,
                    TMACROKEYINFOLIST& macros, int& currentMacro, const HookServices& hook, TuiLanguage& language,
                    QWidget* parent);

}  // namespace q9
