#include "platform/posix/GSettingsMouseSettings.h"

#include <dlfcn.h>
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

// GIO is loaded when the desktop's settings are wanted, not with the program: outside a GNOME
// session it, GObject and their own libraries would only take memory and start-up time. It stays
// loaded for the rest of the process, as GObject's registered types require.
struct GSettingsMouseSettings::Gio {
  decltype(&g_settings_schema_source_get_default) schema_source_get_default = nullptr;
  decltype(&g_settings_schema_source_lookup) schema_source_lookup = nullptr;
  decltype(&g_settings_schema_get_path) schema_get_path = nullptr;
  decltype(&g_settings_schema_has_key) schema_has_key = nullptr;
  decltype(&g_settings_schema_get_key) schema_get_key = nullptr;
  decltype(&g_settings_schema_key_get_value_type) schema_key_get_value_type = nullptr;
  decltype(&g_settings_schema_key_range_check) schema_key_range_check = nullptr;
  decltype(&g_settings_schema_key_unref) schema_key_unref = nullptr;
  decltype(&g_settings_schema_unref) schema_unref = nullptr;
  decltype(&g_settings_new_full) settings_new_full = nullptr;
  decltype(&g_settings_set_value) settings_set_value = nullptr;
  decltype(&g_settings_sync) settings_sync = nullptr;
  decltype(&g_object_unref) object_unref = nullptr;
  decltype(&g_variant_new_string) variant_new_string = nullptr;
  decltype(&g_variant_new_double) variant_new_double = nullptr;
  decltype(&g_variant_new_int32) variant_new_int32 = nullptr;
  decltype(&g_variant_ref_sink) variant_ref_sink = nullptr;
  decltype(&g_variant_is_of_type) variant_is_of_type = nullptr;
  decltype(&g_variant_unref) variant_unref = nullptr;

  /// The functions of `library`, or false when it or one of them cannot be found.
  bool Load(const std::string& library) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
    const bool all = Find(handle, schema_source_get_default, "g_settings_schema_source_get_default") &&
                     Find(handle, schema_source_lookup, "g_settings_schema_source_lookup") &&
                     Find(handle, schema_get_path, "g_settings_schema_get_path") &&
                     Find(handle, schema_has_key, "g_settings_schema_has_key") &&
                     Find(handle, schema_get_key, "g_settings_schema_get_key") &&
                     Find(handle, schema_key_get_value_type, "g_settings_schema_key_get_value_type") &&
                     Find(handle, schema_key_range_check, "g_settings_schema_key_range_check") &&
                     Find(handle, schema_key_unref, "g_settings_schema_key_unref") &&
                     Find(handle, schema_unref, "g_settings_schema_unref") &&
                     Find(handle, settings_new_full, "g_settings_new_full") &&
                     Find(handle, settings_set_value, "g_settings_set_value") &&
                     Find(handle, settings_sync, "g_settings_sync") && Find(handle, object_unref, "g_object_unref") &&
                     Find(handle, variant_new_string, "g_variant_new_string") &&
                     Find(handle, variant_new_double, "g_variant_new_double") &&
                     Find(handle, variant_new_int32, "g_variant_new_int32") &&
                     Find(handle, variant_ref_sink, "g_variant_ref_sink") &&
                     Find(handle, variant_is_of_type, "g_variant_is_of_type") &&
                     Find(handle, variant_unref, "g_variant_unref");
    if (!all) dlclose(handle);
    return all;
  }

 private:
  template <class Function>
  static bool Find(void* handle, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
  }
};

struct GSettingsMouseSettings::Settings {
  const Gio& gio;
  GSettingsSchema* schema = nullptr;
  GSettings* settings = nullptr;

  explicit Settings(const Gio& functions) : gio(functions) {}
  ~Settings() {
    if (settings) {
      gio.settings_sync();  // the desktop's backend may still be writing
      gio.object_unref(settings);
    }
    if (schema) gio.schema_unref(schema);
  }

  // Looking a key up that the schema lacks, or writing a value of the wrong type or out of the
  // key's range, ends the process in GIO: such a value is dropped here instead.
  void Set(const char* name, GVariant* value) {
    gio.variant_ref_sink(value);
    if (gio.schema_has_key(schema, name)) {
      GSettingsSchemaKey* key = gio.schema_get_key(schema, name);
      if (gio.variant_is_of_type(value, gio.schema_key_get_value_type(key)) && gio.schema_key_range_check(key, value))
        gio.settings_set_value(settings, name, value);
      gio.schema_key_unref(key);
    }
    gio.variant_unref(value);
  }
};

GSettingsMouseSettings::GSettingsMouseSettings(const std::string& schemaId, const std::string& gioLibrary)
    : gio_(std::make_unique<Gio>()) {
  if (!gio_->Load(gioLibrary)) return;
  // g_settings_new aborts the process on a schema that is not installed: look it up first.
  GSettingsSchemaSource* source = gio_->schema_source_get_default();
  if (!source) return;
  GSettingsSchema* schema = gio_->schema_source_lookup(source, schemaId.c_str(), TRUE);
  if (!schema) return;
  settings_ = std::make_unique<Settings>(*gio_);
  settings_->schema = schema;
  if (!gio_->schema_get_path(schema)) {  // a relocatable schema has no place of its own
    settings_.reset();
    return;
  }
  settings_->settings = gio_->settings_new_full(schema, nullptr, nullptr);
}

GSettingsMouseSettings::~GSettingsMouseSettings() = default;

bool GSettingsMouseSettings::Available() const { return settings_ != nullptr; }

void GSettingsMouseSettings::SetAcceleration(const AccelerationParameters& parameters) {
  if (!settings_) return;
  std::lock_guard lock(mutex_);
  settings_->Set("accel-profile", gio_->variant_new_string(parameters.acceleration == 0 ? "flat" : "adaptive"));
}

void GSettingsMouseSettings::SetPointerSpeed(int speed) {
  if (!settings_) return;
  std::lock_guard lock(mutex_);
  settings_->Set("speed", gio_->variant_new_double(DesktopPointerSpeed(speed)));
}

void GSettingsMouseSettings::SetDoubleClickTime(int milliseconds) {
  if (!settings_) return;
  std::lock_guard lock(mutex_);
  settings_->Set("double-click", gio_->variant_new_int32(milliseconds));
}

}  // namespace q9
