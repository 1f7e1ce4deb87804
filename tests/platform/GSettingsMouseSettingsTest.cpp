// The GNOME settings backend against GSettings' memory backend (never the user's own settings).

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/posix/GSettingsMouseSettings.h"

namespace q9 {
namespace {

GSettingsSchema* InstalledSchema(const char* id) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  return source ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
}

std::string BackendName(GSettings* settings) {
  GSettingsBackend* backend = nullptr;
  g_object_get(settings, "backend", &backend, nullptr);
  const std::string name = backend ? G_OBJECT_TYPE_NAME(backend) : "";
  if (backend) g_object_unref(backend);
  return name;
}

// Reads what the backend under test wrote, through a GSettings object of its own.
class DesktopSettingsTest : public ::testing::Test {
 protected:
  void Open(const char* schemaId) {
    // GIO picks its backend once per process, at the first settings object: choose it before.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    schema_ = InstalledSchema(schemaId);
    if (!schema_) GTEST_SKIP() << "schema " << schemaId << " is not installed (gsettings-desktop-schemas)";
    reader_ = g_settings_new_full(schema_, nullptr, nullptr);
    ASSERT_EQ(BackendName(reader_), "GMemorySettingsBackend") << "refusing to write the desktop's real settings";
    for (const char* key : {"speed", "accel-profile", "double-click"})
      if (g_settings_schema_has_key(schema_, key)) g_settings_reset(reader_, key);
  }
  void TearDown() override {
    if (reader_) g_object_unref(reader_);
    if (schema_) g_settings_schema_unref(schema_);
  }
  double Speed() const { return g_settings_get_double(reader_, "speed"); }
  std::string Profile() const {
    gchar* profile = g_settings_get_string(reader_, "accel-profile");
    const std::string text = profile;
    g_free(profile);
    return text;
  }
  int DoubleClick() const { return g_settings_get_int(reader_, "double-click"); }
  bool HasKey(const char* key) const { return g_settings_schema_has_key(schema_, key); }

  GSettingsSchema* schema_ = nullptr;
  GSettings* reader_ = nullptr;
};

class GnomeMouseSettingsTest : public DesktopSettingsTest {
 protected:
  void SetUp() override { Open(kGnomeMouseSchema); }
};

TEST(UsesGnomeMouseSettingsTest, OnlyInAGnomeSessionOrWithABackendChosen) {
  EXPECT_TRUE(UsesGnomeMouseSettings("GNOME", nullptr));
  EXPECT_TRUE(UsesGnomeMouseSettings("ubuntu:GNOME", nullptr));
  EXPECT_TRUE(UsesGnomeMouseSettings("GNOME-Classic:gnome", nullptr));
  EXPECT_FALSE(UsesGnomeMouseSettings("GNOME-Classic", nullptr)) << "a name that only begins like it";
  EXPECT_FALSE(UsesGnomeMouseSettings("KDE", nullptr));
  EXPECT_FALSE(UsesGnomeMouseSettings("XFCE:", nullptr));
  EXPECT_FALSE(UsesGnomeMouseSettings("", ""));
  EXPECT_FALSE(UsesGnomeMouseSettings(nullptr, nullptr));
  EXPECT_TRUE(UsesGnomeMouseSettings(nullptr, "memory"));
}

TEST(DesktopPointerSpeedTest, TheDefaultsMeetAndTheEndsMeetTheEnds) {
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(1), -1.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(10), 0.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(20), 1.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(5), -5.0 / 9.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(15), 0.5);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(0), -1.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(-7), -1.0);
  EXPECT_DOUBLE_EQ(DesktopPointerSpeed(21), 1.0);
  for (int speed = 2; speed <= 20; ++speed)
    EXPECT_GT(DesktopPointerSpeed(speed), DesktopPointerSpeed(speed - 1)) << "speed " << speed;
}

TEST_F(GnomeMouseSettingsTest, PointerSpeedLandsInTheDesktopRange) {
  GSettingsMouseSettings settings;
  ASSERT_TRUE(settings.Available());
  settings.SetPointerSpeed(15);
  EXPECT_DOUBLE_EQ(Speed(), 0.5);
  settings.SetPointerSpeed(1);
  EXPECT_DOUBLE_EQ(Speed(), -1.0);
  settings.SetPointerSpeed(30);  // past the end: the fastest, not a value the key refuses
  EXPECT_DOUBLE_EQ(Speed(), 1.0);
}

TEST_F(GnomeMouseSettingsTest, WithoutTheLibraryNothingReachesTheDesktop) {
  GSettingsMouseSettings settings;
  ASSERT_TRUE(settings.Available());
  settings.SetPointerSpeed(15);
  GSettingsMouseSettings without(kGnomeMouseSchema, "libq9-no-such-gio.so.0");
  EXPECT_FALSE(without.Available());
  without.SetPointerSpeed(1);
  without.SetAcceleration({0, 0, 0});
  without.SetDoubleClickTime(900);
  EXPECT_DOUBLE_EQ(Speed(), 0.5);
}

TEST_F(GnomeMouseSettingsTest, NoAccelerationIsFlatAnyOtherAdaptive) {
  GSettingsMouseSettings settings;
  settings.SetAcceleration({4, 6, 2});
  EXPECT_EQ(Profile(), "adaptive");
  settings.SetAcceleration({0, 0, 0});
  EXPECT_EQ(Profile(), "flat");
  settings.SetAcceleration({7, 0, 1});
  EXPECT_EQ(Profile(), "adaptive");
}

TEST_F(GnomeMouseSettingsTest, DoubleClickTimeLandsInTheDesktopSetting) {
  if (!HasKey("double-click")) GTEST_SKIP() << "this schema keeps no double-click time";
  GSettingsMouseSettings settings;
  settings.SetDoubleClickTime(250);
  EXPECT_EQ(DoubleClick(), 250);
  settings.SetDoubleClickTime(900);
  EXPECT_EQ(DoubleClick(), 900);
}

// GIO ends the process on a write to a key the schema lacks: the touchpad's schema has a speed and
// an acceleration profile but no double-click time.
class SchemaWithoutDoubleClickTest : public DesktopSettingsTest {
 protected:
  void SetUp() override { Open("org.gnome.desktop.peripherals.touchpad"); }
};

TEST_F(SchemaWithoutDoubleClickTest, MissingKeyIsSkippedAndTheOthersStillLand) {
  if (HasKey("double-click") || !HasKey("speed")) GTEST_SKIP() << "this touchpad schema does not fit the case";
  GSettingsMouseSettings settings("org.gnome.desktop.peripherals.touchpad");
  ASSERT_TRUE(settings.Available());
  settings.SetDoubleClickTime(300);
  settings.SetPointerSpeed(20);
  EXPECT_DOUBLE_EQ(Speed(), 1.0);
}

TEST(GSettingsMissingSchemaTest, EveryCallIsSkippedQuietly) {
  setenv("GSETTINGS_BACKEND", "memory", 1);
  GSettingsMouseSettings settings("org.q9.test.not-installed");
  EXPECT_FALSE(settings.Available());
  settings.SetAcceleration({4, 6, 2});
  settings.SetPointerSpeed(20);
  settings.SetWheelScrollLines(5);
  settings.SetDoubleClickTime(300);
}

}  // namespace
}  // namespace q9
