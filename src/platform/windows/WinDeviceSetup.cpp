#include "platform/windows/WinDeviceSetup.h"

#include <windows.h>
#include <setupapi.h>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {

// The HID device setup class.
constexpr GUID kHidSetupClass = {0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};
constexpr DWORD kPropertyBufferBytes = 32768;

// A multi-string property: each string up to the first empty one; missing or too large gives none.
std::vector<std::string> MultiStringProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  std::vector<wchar_t> buffer(kPropertyBufferBytes / sizeof(wchar_t) + 2, L'\0');
  std::vector<std::string> strings;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                         kPropertyBufferBytes, nullptr))
    return strings;
  for (const wchar_t* p = buffer.data(); *p; p += wcslen(p) + 1) strings.push_back(NarrowToUtf8(p));
  return strings;
}

std::string InstanceId(HDEVINFO set, SP_DEVINFO_DATA& device) {
  std::vector<wchar_t> buffer(1024, L'\0');
  if (!SetupDiGetDeviceInstanceIdW(set, &device, buffer.data(), static_cast<DWORD>(buffer.size() - 1), nullptr)) return {};
  return NarrowToUtf8(buffer.data());
}

}  // namespace

bool WinDeviceSetup::EnumeratePresentHidDevices(std::vector<PresentDevice>& devices) {
  devices.clear();
  HDEVINFO set = SetupDiGetClassDevsW(&kHidSetupClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return false;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i)
    devices.push_back({MultiStringProperty(set, device, SPDRP_HARDWAREID), MultiStringProperty(set, device, SPDRP_LOWERFILTERS),
                       MultiStringProperty(set, device, SPDRP_UPPERFILTERS), InstanceId(set, device)});
  SetupDiDestroyDeviceInfoList(set);
  return true;
}

}  // namespace q9
