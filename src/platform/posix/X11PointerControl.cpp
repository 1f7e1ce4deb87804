#include "platform/posix/X11PointerControl.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace q9 {

X11Acceleration X11AccelerationOf(const AccelerationParameters& parameters) {
  // A negative threshold other than -1 is refused by the server with an error that ends the
  // program in Xlib's default handler; -1 would mean "the server's default".
  if (parameters.acceleration <= 0) return {1, 1, 0};
  if (parameters.acceleration == 1) return {2, 1, std::max(parameters.firstThreshold, 0)};
  return {4, 1, std::max(parameters.secondThreshold, 0)};
}

X11PointerControl::X11PointerControl(std::string displayName) : displayName_(std::move(displayName)) {}

void X11PointerControl::SetAcceleration(const AccelerationParameters& parameters) {
  Display* display = XOpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str());
  if (!display) return;
  const X11Acceleration acceleration = X11AccelerationOf(parameters);
  XChangePointerControl(display, True, True, acceleration.numerator, acceleration.denominator, acceleration.threshold);
  XCloseDisplay(display);  // sends the request before the connection ends
}

}  // namespace q9
