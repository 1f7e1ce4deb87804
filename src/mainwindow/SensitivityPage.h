#pragma once
// The sensitivity page: four CPI levels of the current profile, each switched on or off with its
// DPI button and set with an X and a Y slider over the nine steps of the CPI table.

#include <QWidget>
#include <array>
#include <functional>

#include "app/DataModule.h"
#include "lang/uiLanguage.h"

class QCheckBox;
class QCursor;
class QLabel;
class QPushButton;
class QSlider;

namespace q9 {

struct SensitivityPageServices {
  TDM& DM;
  TuiLanguage& language;
  /// Told after every edit the page stores in the working copy.
  std::function<void()> settingsModified;
};

class TSensitivityPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kLevelCount = 4;
  static constexpr int kColumnWidth = 150;

  TSensitivityPage(SensitivityPageServices services, QWidget* parent);

  /// The "SetCPI" refresh: shows the working copy's four levels.
  void RefreshCpi();
  void SetCursors(const QCursor* hand, const QCursor* slider);

  void TrackCPI1XChange(QSlider* slider);
  void BtnCPI1MouseUp(QPushButton* button);
  void CheckCPI1Change(QCheckBox* box);
  void EnableCpiLevelControls(int level, bool on);
  void RefreshCpiLevel(int level);

 private:
  struct CpiRow {
    QPushButton* button = nullptr;
    QCheckBox* link = nullptr;
    QSlider* x = nullptr;
    QSlider* y = nullptr;
    QLabel* xText = nullptr;
    QLabel* yText = nullptr;
  };

  void BuildLevelColumn(int level);
  void ShowStep(QSlider* slider, QLabel* text, int step);
  void UpdateAccessibleTexts();
  QString Tr(const char* text) const;
  QString StepText(int step) const;
  TMouseSettingInfoEasyShiftEx& Settings() { return services_.DM.FCurrentMouseSettingInfo; }

  SensitivityPageServices services_;
  std::array<CpiRow, kLevelCount> FCpiRows{};
};

}  // namespace q9
