#pragma once
// The driver socket on POSIX systems: a Unix stream socket named after the driver's device. Each
// control call is one connection carrying one request and one reply:
//   request: u32 I/O-control code, u32 length, `length` bytes
//   reply:   u32 status (a Windows error code), u32 length, `length` bytes
// All numbers little-endian. Nobody listening on the socket means no mouse.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace q9 {

inline constexpr std::uint32_t kDriverMessageLimit = 1u << 20;

struct DriverMessageHeader {
  std::uint32_t first;   ///< code (request) or status (reply)
  std::uint32_t length;  ///< bytes that follow
};

inline std::array<std::uint8_t, 8> EncodeHeader(const DriverMessageHeader& header) {
  std::array<std::uint8_t, 8> bytes{};
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<std::uint8_t>(header.first >> (8 * i));
    bytes[4 + i] = static_cast<std::uint8_t>(header.length >> (8 * i));
  }
  return bytes;
}

inline DriverMessageHeader DecodeHeader(const std::array<std::uint8_t, 8>& bytes) {
  DriverMessageHeader header{0, 0};
  for (int i = 0; i < 4; ++i) {
    header.first |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    header.length |= static_cast<std::uint32_t>(bytes[4 + i]) << (8 * i);
  }
  return header;
}

/// The folder of the driver socket: $Q9_DEVICE_DIR, else $XDG_RUNTIME_DIR when absolute, else /tmp.
std::filesystem::path DefaultDeviceFolder();

}  // namespace q9
