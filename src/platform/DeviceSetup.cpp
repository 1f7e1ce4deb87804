#include "platform/DeviceSetup.h"

#include <cctype>
#include <cstdio>

namespace q9 {

namespace {

bool IsHexNumber(const std::string& text) {
  if (text.empty() || text.size() > 8) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

std::string HardwareIdOfHidId(const std::string& hidId) {
  const auto first = hidId.find(':');
  const auto second = first == std::string::npos ? std::string::npos : hidId.find(':', first + 1);
  if (second == std::string::npos) return {};
  const std::string vendor = hidId.substr(first + 1, second - first - 1);
  const std::string product = hidId.substr(second + 1);
  if (!IsHexNumber(vendor) || !IsHexNumber(product)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "HID\\VID_%04lX&PID_%04lX", std::stoul(vendor, nullptr, 16) & 0xFFFF,
                std::stoul(product, nullptr, 16) & 0xFFFF);
  return text;
}

}  // namespace q9
