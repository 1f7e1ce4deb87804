// libFuzzer harness for config.ini: any bytes read as an initialisation file give the driver's
// names, the device lists and the support addresses without a crash, and what is read keeps the
// reader's promises (names that are single path components, bounded lists, case-blind lookups).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "device/DeviceConfig.h"
#include "device/IniFile.h"

namespace {

constexpr std::string_view kNotInNames = "\\/:*?\"<>|";

bool IsPlainName(const std::string& name) {
  return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
         std::all_of(name.begin(), name.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return byte >= 0x20 && byte != 0x7F && kNotInNames.find(c) == std::string_view::npos;
         });
}

void CheckList(const std::vector<std::string>& list) {
  if (list.size() > q9::kLargestDeviceList) std::abort();
  for (const std::string& id : list)
    if (id.empty()) std::abort();
}

// What the help page reads, looked up as written and in other letter cases.
void CheckSupportKey(const q9::IniFile& ini, std::string_view key, std::string_view lowerKey) {
  const std::string value = ini.ReadString("SUPPORT", key, "\x01");
  if (ini.ReadString("support", lowerKey, "\x01") != value) std::abort();
  const bool missing = ini.ReadString("Support", key, "\x02") != value;
  if (missing && (ini.ReadInteger("SUPPORT", key, 7) != 7 || ini.ReadInteger("SUPPORT", key, 8) != 8)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const q9::IniFile ini = q9::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  const q9::DeviceConfig config = q9::ReadDeviceConfig(ini);
  CheckList(config.hidDeviceList);
  CheckList(config.usbDeviceList);
  const q9::TDriverInfo& info = config.driverInfo;
  for (const std::string* name : {&info.InfFileName, &info.FileName, &info.ServiceName, &info.ServiceNamex86,
                                  &info.ServiceNamex64, &info.DeviceName})
    if (!IsPlainName(*name)) std::abort();
  if (q9::DevicePathOf(info) != R"(\\.\)" + info.DeviceName) std::abort();
  q9::HardwareIdsInList(config.hidDeviceList, config.usbDeviceList);
  CheckSupportKey(ini, "UpdateWebsite", "updatewebsite");
  CheckSupportKey(ini, "CompanyWebsite", "COMPANYWEBSITE");
  CheckSupportKey(ini, "ServiceCall", "servicecall");
  return 0;
}
