#include "gui/QtMouseSettings.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QThread>

namespace q9 {

QtMouseSettings::QtMouseSettings() = default;

void QtMouseSettings::SetWheelScrollLines(int lines) {
  OnGuiThread([lines] { QGuiApplication::styleHints()->setWheelScrollLines(lines); });
}

void QtMouseSettings::SetDoubleClickTime(int milliseconds) {
  OnGuiThread([milliseconds] { QGuiApplication::styleHints()->setMouseDoubleClickInterval(milliseconds); });
}

void QtMouseSettings::OnGuiThread(std::function<void()> change) {
  // The style hints are the application's and tell their readers of a change by signals, which
  // must come from the GUI thread.
  if (QThread::currentThread() == guiThread_.thread())
    change();
  else
    QMetaObject::invokeMethod(&guiThread_, std::move(change), Qt::QueuedConnection);
}

}  // namespace q9
