#include "platform/posix/GSettingsMouseSettings.h"

#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace q9 {

namespace {

constexpr int kSlowest = 1;
constexpr int kDefault = 10;
constexpr int kFastest = 20;

}  // namespace

bool UsesGnomeMouseSettings(const char* currentDesktop, const char* chosenBackend) {
  if (chosenBackend && *chosenBackend) return true;
  std::string_view desktops = currentDesktop ? currentDesktop : "";
  while (!desktops.empty()) {
    const std::size_t colon = desktops.find(':');
    const std::string_view name = desktops.substr(0, colon);
    const bool gnome = name.size() == 5 && std::equal(name.begin(), name.end(), "GNOME", [](char a, char b) {
                         return std::toupper(static_cast<unsigned char>(a)) == b;
                       });
    if (gnome) return true;
    desktops = colon == std::string_view::npos ? std::string_view() : desktops.substr(colon + 1);
  }
  return false;
}

double DesktopPointerSpeed(int speed) {
  const int clamped = std::clamp(speed, kSlowest, kFastest);
  // Two straight pieces meeting at the defaults: 1..10 onto -1..0 and 10..20 onto 0..1.
  if (clamped <= kDefault) return static_cast<double>(clamped - kDefault) / (kDefault - kSlowest);
  return static_cast<double>(clamped - kDefault) / (kFastest - kDefault);
}

struct GSettingsMouseSettings::Settings {
  GSettingsSchema* schema = nullptr;
  GSettings* settings = nullptr;

  ~Settings() {
    if (settings) {
      g_settings_sync();  // the desktop's backend may still be writing
      g_object_unref(settings);
    }
    if (schema) g_settings_schema_unref(schema);
  }

  // Looking a key up that the schema lacks, or writing a value of the wrong type or out of the
  // key's range, ends the process in GIO: such a value is dropped here instead.
  void Set(const char* name, GVariant* value) {
    g_variant_ref_sink(value);
    if (g_settings_schema_has_key(schema, name)) {
      GSettingsSchemaKey* key = g_settings_schema_get_key(schema, name);
      if (g_variant_is_of_type(value, g_settings_schema_key_get_value_type(key)) &&
          g_settings_schema_key_range_check(key, value))
        g_settings_set_value(settings, name, value);
      g_settings_schema_key_unref(key);
    }
    g_variant_unref(value);
  }
};

GSettingsMouseSettings::GSettingsMouseSettings(const std::string& schemaId) {
  // g_settings_new aborts the process on a schema that is not installed: look it up first.
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId.c_str(), TRUE);
  if (!schema) return;
  settings_ = std::make_unique<Settings>();
  settings_->schema = schema;
  if (!g_settings_schema_get_path(schema)) {  // a relocatable schema has no place of its own
    settings_.reset();
    return;
  }
  settings_->settings = g_settings_new_full(schema, nullptr, nullptr);
}

GSettingsMouseSettings::~GSettingsMouseSettings() = default;

bool GSettingsMouseSettings::Available() const { return settings_ != nullptr; }

void GSettingsMouseSettings::SetAcceleration(const AccelerationParameters& parameters) {
  if (!settings_) return;
  std::lock_guard lock(mutex_);
  settings_->Set("accel-profile", g_variant_new_string(parameters.acceleration == 0 ? "flat" : "adaptive"));
}

void GSettingsMouseSettings::SetPointerSpeed(int speed) {
  if (!settings_) return;
  std::lock_guard lock(mutex_);
  settings_->Set("speed", g_variant_new_double(DesktopPointerSpeed(speed)));
}

void GSettingsMouseSettings::SetDoubleClickTime(int milliseconds) {
  if (!settings_) return;
  std::lock_guard lock(mutex_);
  settings_->Set("double-click", g_variant_new_int32(milliseconds));
}

}  // namespace q9
