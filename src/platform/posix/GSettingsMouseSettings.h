#pragma once
// The GNOME desktop's mouse settings (GSettings through GIO, loaded at run time): pointer speed, the acceleration
// profile and the double-click time. The desktop has no wheel setting, so the scroll lines stay
// with the other backends. Without the schema (another desktop, or GNOME's schemas not installed)
// every call does nothing; so does a key the installed schema lacks. Safe from any thread.

#include <memory>
#include <mutex>
#include <string>

#include "platform/SystemMouseSettings.h"

namespace q9 {

inline constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";
/// The GIO library, loaded the first time desktop settings are wanted.
inline constexpr const char* kGioLibrary = "libgio-2.0.so.0";

/// Whether GNOME's mouse settings are the ones that count: the session is a GNOME one
/// (XDG_CURRENT_DESKTOP, a colon-separated list, names GNOME) or a settings backend was chosen
/// explicitly (GSETTINGS_BACKEND). Elsewhere the schema may be installed but nothing reads it, and
/// without a session bus every write would only end in a warning.
bool UsesGnomeMouseSettings(const char* currentDesktop, const char* chosenBackend);

/// The desktop's speed (-1 slowest .. 0 default .. 1 fastest) of a pointer speed 1..20 (10 the
/// default); values outside 1..20 count as the nearest end.
double DesktopPointerSpeed(int speed);

class GSettingsMouseSettings : public SystemMouseSettings {
 public:
  /// Without `gioLibrary` (or a function of it) nothing reaches the desktop, as without the schema.
  explicit GSettingsMouseSettings(const std::string& schemaId = kGnomeMouseSchema,
                                  const std::string& gioLibrary = kGioLibrary);
  ~GSettingsMouseSettings() override;
  GSettingsMouseSettings(const GSettingsMouseSettings&) = delete;
  GSettingsMouseSettings& operator=(const GSettingsMouseSettings&) = delete;

  /// Whether the schema is installed, so that the calls reach the desktop.
  bool Available() const;

  /// No acceleration is the flat profile; any acceleration the adaptive one.
  void SetAcceleration(const AccelerationParameters& parameters) override;
  void SetPointerSpeed(int speed) override;
  void SetWheelScrollLines(int) override {}
  void SetDoubleClickTime(int milliseconds) override;

 private:
  struct Gio;
  struct Settings;
  std::unique_ptr<Gio> gio_;
  std::unique_ptr<Settings> settings_;  // null without the library or the schema
  std::mutex mutex_;                    // a GSettings object is not safe from two threads at once
};

}  // namespace q9
