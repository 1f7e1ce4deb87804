#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "device/DeviceConfig.h"

namespace q9 {
namespace {

using Ids = std::vector<std::string>;

DeviceConfig ConfigOf(const std::string& text) { return ReadDeviceConfig(IniFile::Parse(text)); }

void ExpectDefaults(const DeviceConfig& config) {
  EXPECT_TRUE(config.hidDeviceList.empty());
  EXPECT_TRUE(config.usbDeviceList.empty());
  EXPECT_EQ(config.driverInfo, TDriverInfo{});
  EXPECT_EQ(DevicePathOf(config.driverInfo), R"(\\.\usbglcs00001)");
}

TEST(DeviceConfig, MissingAndShippedFilesGiveTheDefaults) {
  test::TempFolder folder;
  ExpectDefaults(LoadDeviceConfig(folder.path() / kConfigFileName));
  ExpectDefaults(LoadDeviceConfig(test::FixturePath("../../data/config.ini")));
}

class GoldenConfig : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenConfig, ReadsEveryKey) {
  const DeviceConfig config = LoadDeviceConfig(test::FixturePath(GetParam()));
  EXPECT_EQ(config.hidDeviceList,
            (Ids{R"(HID\VID_1234&PID_5678)", R"(HID\VID_1234&PID_5679)", R"(HID\VID_1234&PID_567A)"}));
  EXPECT_EQ(config.usbDeviceList, (Ids{R"(USB\VID_1234&PID_5678)", R"(USB\VID_1234&PID_5679)"}));
  const TDriverInfo expected{"q9mouse.inf", "q9mouse.sys", "q9mouse", "q9mouse32", "q9mouse64", "Q9Mouse0", 1, 16, 1};
  EXPECT_EQ(config.driverInfo, expected);
  EXPECT_EQ(DevicePathOf(config.driverInfo), R"(\\.\Q9Mouse0)");
}

INSTANTIATE_TEST_SUITE_P(Encodings, GoldenConfig,
                         ::testing::Values("ini/golden.ini", "ini/golden_utf16le.ini", "ini/golden_cr.ini"));

TEST(DeviceConfig, ListsEndAtTheFirstMissingOrEmptyKey) {
  EXPECT_EQ(LoadDeviceConfig(test::FixturePath("ini/gap.ini")).hidDeviceList, Ids{R"(HID\VID_1234&PID_5678)"});
  EXPECT_EQ(ConfigOf("[usbdevicelist]\nid1=a\nid2=\nid3=b").usbDeviceList, Ids{"a"});
  EXPECT_TRUE(ConfigOf("[devicelist]\nid0=a\nid2=b").hidDeviceList.empty());

  std::string many = "[devicelist]\n";
  for (int i = 1; i <= 150; ++i) many += "id" + std::to_string(i) + "=HID\\" + std::to_string(i) + "\n";
  const Ids list = ConfigOf(many).hidDeviceList;
  ASSERT_EQ(list.size(), kLargestDeviceList);
  EXPECT_EQ(list.back(), "HID\\101");
}

TEST(DeviceConfig, HostileFileKeepsTheDefaultNames) {
  const DeviceConfig config = LoadDeviceConfig(test::FixturePath("ini/hostile.ini"));
  ExpectDefaults(DeviceConfig{{}, {}, config.driverInfo});
  EXPECT_EQ(config.hidDeviceList, Ids{R"(HID\VID_1234&PID_5678)"}) << "a NUL ends the value; an empty id2 the list";
}

class DeviceNameValue : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(DeviceNameValue, IsTakenOnlyWhenPlain) {
  const auto& [value, expected] = GetParam();
  EXPECT_EQ(ConfigOf("[DEVICE]\nDeviceName=" + value).driverInfo.DeviceName, expected) << value;
}

INSTANTIATE_TEST_SUITE_P(Names, DeviceNameValue, ::testing::Values(
    std::pair{"Q9.Mouse-0 x", "Q9.Mouse-0 x"}, std::pair{std::string(255, 'n'), std::string(255, 'n')},
    std::pair{"", "usbglcs00001"}, std::pair{".", "usbglcs00001"}, std::pair{"..", "usbglcs00001"},
    std::pair{R"(..\PhysicalDrive0)", "usbglcs00001"}, std::pair{"GLOBALROOT/Device", "usbglcs00001"},
    std::pair{"C:", "usbglcs00001"}, std::pair{"a*b", "usbglcs00001"}, std::pair{"a\tb", "usbglcs00001"},
    std::pair{std::string(256, 'n'), "usbglcs00001"}));

struct MatchCase {
  Ids list, hardwareIds;
  bool expected;
};

class HardwareIdMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(HardwareIdMatch, ComparesWholeIdsIgnoringCase) {
  const auto& c = GetParam();
  EXPECT_EQ(HardwareIdsInList(c.list, c.hardwareIds), c.expected);
  bool anyMatches = false;
  for (const auto& entry : c.list) anyMatches = anyMatches || HardwareIdMatches(c.hardwareIds, entry);
  EXPECT_EQ(anyMatches, c.expected) << "HardwareIdMatches agrees for each entry";
}

const std::string kMouse = R"(HID\VID_1234&PID_5678)";

INSTANTIATE_TEST_SUITE_P(Cases, HardwareIdMatch, ::testing::Values(
    MatchCase{{kMouse}, {R"(hid\vid_1234&pid_5678)"}, true},
    MatchCase{{"other", kMouse}, {R"(HID\VID_1234&PID_5678&REV_0100)", R"(Hid\Vid_1234&Pid_5678)"}, true},
    MatchCase{{kMouse}, {R"(HID\VID_1234&PID_5678&REV_0100)"}, false},
    MatchCase{{kMouse}, {R"(HID\VID_1234)", " " + kMouse}, false},
    MatchCase{{kMouse}, {}, false}, MatchCase{{}, {kMouse}, false},
    MatchCase{{"HID\\\xC3\x89"}, {"hid\\\xC3\xA9"}, false}));

}  // namespace
}  // namespace q9
