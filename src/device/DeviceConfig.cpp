#include "device/DeviceConfig.h"

#include <algorithm>
#include <string_view>

namespace q9 {

namespace {

constexpr std::string_view kDeviceSection = "DEVICE";
constexpr std::string_view kHidListSection = "devicelist";
constexpr std::string_view kUsbListSection = "usbdevicelist";
constexpr std::size_t kLongestName = 255;

struct NameKey {
  std::string_view key;
  std::string TDriverInfo::*member;
};

constexpr NameKey kNameKeys[] = {
    {"InfFileName", &TDriverInfo::InfFileName},     {"FileName", &TDriverInfo::FileName},
    {"ServiceName", &TDriverInfo::ServiceName},     {"ServiceNamex86", &TDriverInfo::ServiceNamex86},
    {"ServiceNamex64", &TDriverInfo::ServiceNamex64}, {"DeviceName", &TDriverInfo::DeviceName},
};

struct IntegerKey {
  std::string_view key;
  int TDriverInfo::*member;
};

constexpr IntegerKey kIntegerKeys[] = {
    {"WHQL", &TDriverInfo::WHQL},
    {"X32WHQL", &TDriverInfo::X32WHQL},
    {"UpperFilter", &TDriverInfo::UpperFilter},
};

// Characters a Windows file name cannot hold, path separators among them.
constexpr std::string_view kNotInNames = "\\/:*?\"<>|";

bool IsNameCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte != 0x7F && kNotInNames.find(c) == std::string_view::npos;
}

// A single path component: anything else could lead the device path or a driver file elsewhere.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name.size() <= kLongestName && name != "." && name != ".." &&
         std::all_of(name.begin(), name.end(), IsNameCharacter);
}

std::vector<std::string> ReadList(const IniFile& ini, std::string_view section) {
  std::vector<std::string> list;
  for (std::size_t i = 1; i <= kLargestDeviceList; ++i) {
    std::string id = ini.ReadString(section, "id" + std::to_string(i), "");
    if (id.empty()) break;
    list.push_back(std::move(id));
  }
  return list;
}

TDriverInfo ReadDriverInfo(const IniFile& ini) {
  TDriverInfo info;
  for (const auto& [key, member] : kNameKeys) {
    std::string name = ini.ReadString(kDeviceSection, key, info.*member);
    if (IsPlainName(name)) info.*member = std::move(name);
  }
  for (const auto& [key, member] : kIntegerKeys) info.*member = ini.ReadInteger(kDeviceSection, key, info.*member);
  return info;
}

}  // namespace

DeviceConfig LoadDeviceConfig(const std::filesystem::path& iniFile) { return ReadDeviceConfig(IniFile::Load(iniFile)); }

DeviceConfig ReadDeviceConfig(const IniFile& ini) {
  return DeviceConfig{ReadList(ini, kHidListSection), ReadList(ini, kUsbListSection), ReadDriverInfo(ini)};
}

std::string DevicePathOf(const TDriverInfo& driverInfo) { return R"(\\.\)" + driverInfo.DeviceName; }

bool HardwareIdsInList(const std::vector<std::string>& list, const std::vector<std::string>& hardwareIds) {
  return std::any_of(hardwareIds.begin(), hardwareIds.end(), [&](const std::string& id) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& entry) { return EqualsIgnoringAsciiCase(entry, id); });
  });
}

bool HardwareIdMatches(const std::vector<std::string>& deviceHardwareIds, const std::string& vidPid) {
  // Upper-casing both sides of ASCII text is the same as comparing it ignoring case.
  return std::any_of(deviceHardwareIds.begin(), deviceHardwareIds.end(),
                     [&](const std::string& id) { return EqualsIgnoringAsciiCase(id, vidPid); });
}

}  // namespace q9
