#pragma once
// The report-rate radios of the bottom bar. The rate is the same in every profile.

#include <QWidget>
#include <array>
#include <functional>

#include "app/DataModule.h"
#include "lang/uiLanguage.h"

class QButtonGroup;
class QLabel;
class QRadioButton;

namespace q9 {

struct ReportRateServices {
  TDM& DM;
  TuiLanguage& language;
  /// Told after a rate was stored: the apply has a rate to send and the settings changed.
  std::function<void()> reportRateChanged;
};

class TReportRateOptions : public QWidget {
  Q_OBJECT

 public:
  static constexpr std::array<int, 5> kRates{125, 250, 333, 500, 1000};

  /// Places itself inside `label`, after the label's own text.
  TReportRateOptions(ReportRateServices services, QLabel* label);

  /// The "SetReport" refresh: checks the radio of the stored rate, none for a rate the mouse lacks.
  void RefreshReportRate();
  /// A click on the radio with tag 0..4.
  void REPORTRATE250Click(int tag);

 private:
  void FitIntoLabel();

  ReportRateServices services_;
  QLabel* label_;
  QButtonGroup* group_;
};

}  // namespace q9
