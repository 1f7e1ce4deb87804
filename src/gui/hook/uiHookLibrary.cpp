// libuiHook.so: the hook library of this platform. An application-wide event filter turns the
// program's own key and mouse events into low-level event records, hands each to the callback that
// enabled the hook and swallows the event when the callback sets the block byte. It also tracks which
// keys are held, from the events it sees, for IsHookKeyDown.
//
// Every key and mouse event of the window system reaches the program's top-level window first and
// the widgets after it, and reaches the application's filters once per receiver; the filter hands
// it on at the window only, so each event is seen once and a swallowed one reaches no widget. Keys
// that trigger a shortcut are taken by the shortcut before they reach any window.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <QWheelEvent>
#include <array>
#include <cstdint>

#include "input/X11KeyTable.h"
#include "platform/HookLibrary.h"

namespace q9 {
namespace {

class HookFilter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;

  HookCallback keyboardCallback = nullptr;
  void* keyboardContext = nullptr;
  HookCallback mouseCallback = nullptr;
  void* mouseContext = nullptr;
  std::array<bool, 256> held{};

 private:
  bool Key(const QKeyEvent& event);
  bool Mouse(std::uint32_t message, const QSinglePointEvent& event, std::int16_t data);
  bool MouseEvent(const QMouseEvent& event);
};

bool HookFilter::Key(const QKeyEvent& event) {
  const bool pressed = event.type() == QEvent::KeyPress;
  // Keyboards repeat by pressing again; the release the X server sends between repeats is dropped.
  if (!pressed && event.isAutoRepeat()) return false;
  // The X server's key symbol says whether the keypad is read with Num Lock.
  const std::optional<VirtualKey> key = VirtualKeyFromX11Keycode(event.nativeScanCode(), event.nativeVirtualKey());
  if (!key) return false;
  held[key->vk] = pressed;
  if (keyboardCallback == nullptr) return false;
  const TKBDLLHOOKSTRUCT record{key->vk, event.nativeScanCode(),
                                (key->extended ? kKeyFlagExtended : 0u) | (pressed ? 0u : kKeyFlagReleased),
                                static_cast<std::uint32_t>(event.timestamp()), 0};
  std::uint8_t block = 0;
  keyboardCallback(keyboardContext, 0, 0, &block, &record);
  return block != 0;
}

bool HookFilter::Mouse(std::uint32_t message, const QSinglePointEvent& event, std::int16_t data) {
  if (mouseCallback == nullptr) return false;
  const QPoint position = event.globalPosition().toPoint();
  const TMSLLHOOKSTRUCT record{position.x(), position.y(),
                               static_cast<std::uint32_t>(static_cast<std::uint16_t>(data)) << 16, 0,
                               static_cast<std::uint32_t>(event.timestamp()), 0};
  std::uint8_t block = 0;
  mouseCallback(mouseContext, 0, message, &block, &record);
  return block != 0;
}

bool HookFilter::MouseEvent(const QMouseEvent& event) {
  if (event.type() == QEvent::MouseMove) return Mouse(kMouseMove, event, 0);
  const bool pressed = event.type() != QEvent::MouseButtonRelease;
  switch (event.button()) {
    case Qt::LeftButton:
      return Mouse(pressed ? kLeftButtonDown : kLeftButtonUp, event, 0);
    case Qt::RightButton:
      return Mouse(pressed ? kRightButtonDown : kRightButtonUp, event, 0);
    case Qt::MiddleButton:
      return Mouse(pressed ? kMiddleButtonDown : kMiddleButtonUp, event, 0);
    case Qt::BackButton:
      return Mouse(pressed ? kXButtonDown : kXButtonUp, event, 1);
    case Qt::ForwardButton:
      return Mouse(pressed ? kXButtonDown : kXButtonUp, event, 2);
    default:
      return false;
  }
}

bool HookFilter::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWindowType()) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return Key(*static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
      return MouseEvent(*static_cast<QMouseEvent*>(event));
    case QEvent::Wheel: {
      const auto& wheel = *static_cast<QWheelEvent*>(event);
      const int delta = wheel.angleDelta().y();
      if (delta == 0) return false;
      return Mouse(kMouseWheel, wheel, static_cast<std::int16_t>(qBound(-32768, delta, 32767)));
    }
    default:
      return false;
  }
}

// Created when the library is loaded (or, loaded before the application existed, with the first
// Enable...) and installed on the running application; it goes with the application, or when the
// library is unloaded.
QPointer<HookFilter> filter;

HookFilter* Filter() {
  if (filter == nullptr && QCoreApplication::instance() != nullptr) {
    filter = new HookFilter;
    filter->moveToThread(QCoreApplication::instance()->thread());
    filter->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
  }
  return filter;
}

struct LibraryLifetime {
  LibraryLifetime() { Filter(); }
  ~LibraryLifetime() { delete filter.data(); }
} libraryLifetime;

}  // namespace
}  // namespace q9

extern "C" {

Q_DECL_EXPORT void EnableKeyboardHook(q9::HookCallback callback, void* context, int) {
  if (q9::HookFilter* hook = q9::Filter()) {
    hook->keyboardCallback = callback;
    hook->keyboardContext = context;
  }
}

Q_DECL_EXPORT void DisableKeyboardHook() {
  if (q9::filter != nullptr) q9::filter->keyboardCallback = nullptr;
}

Q_DECL_EXPORT void EnableMouseHook(q9::HookCallback callback, void* context, int) {
  if (q9::HookFilter* hook = q9::Filter()) {
    hook->mouseCallback = callback;
    hook->mouseContext = context;
  }
}

Q_DECL_EXPORT void DisableMouseHook() {
  if (q9::filter != nullptr) q9::filter->mouseCallback = nullptr;
}

Q_DECL_EXPORT int IsHookKeyDown(int vk) {
  return q9::filter != nullptr && vk >= 0 && vk < 256 && q9::filter->held[static_cast<std::size_t>(vk)] ? 1 : 0;
}
}
