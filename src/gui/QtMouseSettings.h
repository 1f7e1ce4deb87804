#pragma once
// The program's own pointer settings in Qt: the double-click interval and the wheel scroll lines
// of QGuiApplication::styleHints(), which every widget of the program reads. Qt keeps no pointer
// speed or acceleration; those calls do nothing. Create it on the GUI thread: calls from other
// threads are queued to it and run there (or not at all once the object is gone).

#include <QObject>
#include <functional>

#include "platform/SystemMouseSettings.h"

namespace q9 {

class QtMouseSettings : public SystemMouseSettings {
 public:
  QtMouseSettings();

  void SetAcceleration(const AccelerationParameters&) override {}
  void SetPointerSpeed(int) override {}
  void SetWheelScrollLines(int lines) override;
  void SetDoubleClickTime(int milliseconds) override;

 private:
  void OnGuiThread(std::function<void()> change);

  QObject guiThread_;  // lives on the creating thread; queued changes are dropped with it
};

}  // namespace q9
