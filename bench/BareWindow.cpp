// The baseline of the start-up benchmark: a Qt window of the configuration window's size and
// nothing in it. With --report-shown it prints "shown" after its first paint, as q9config does;
// other arguments are ignored so that the benchmark starts both programs alike. Built with
// Q9_BENCH_WITH_LABEL it shows one label, to tell what loading a font and drawing text costs.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

namespace {

class ShownReporter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, [] {
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
      });
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bool reportShown = false;
  for (int i = 1; i < argc; ++i) reportShown = reportShown || std::strcmp(argv[i], "--report-shown") == 0;
  QWidget window;
  window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  window.setFixedSize(819, 595);
  ShownReporter reporter;
  if (reportShown) window.installEventFilter(&reporter);
#ifdef Q9_BENCH_WITH_LABEL
  QLabel label(QStringLiteral("MAIN SETTING"), &window);
  label.move(20, 20);
#endif
  window.show();
  return QApplication::exec();
}
