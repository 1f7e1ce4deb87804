#pragma once
// The driver socket on POSIX systems: a Unix stream socket named after the driver's device. Each
// control call is one connection carrying one request and one reply:
//   request: u32 I/O-control code, u32 length, `length` bytes
//   reply:   u32 status (a Windows error code), u32 length, `length` bytes
// All numbers little-endian. Nobody listening on the socket means no mouse.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/DriverTransport.h"

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

/// A reply as its bytes arrive: the header, then as many bytes as the header says, unless it says
/// more than kDriverMessageLimit (then the reply is refused and nothing more is wanted). The socket
/// code receives into Space() and reports what it got; nothing here touches a socket.
class DriverReplyReader {
 public:
  /// Where the next received bytes go; empty once the reply is whole or refused.
  std::span<std::uint8_t> Space() {
    if (!headerRead_) return std::span(header_).subspan(filled_);
    if (refused_) return {};
    return std::span(data_).subspan(filled_);
  }

  /// Counts `count` bytes just received into Space() (at most its size).
  void Received(std::size_t count) {
    filled_ += std::min(count, Space().size());
    if (headerRead_ || filled_ < header_.size()) return;
    headerRead_ = true;
    filled_ = 0;
    reply_ = DecodeHeader(header_);
    refused_ = reply_.length > kDriverMessageLimit;
    if (!refused_) data_.resize(reply_.length);
  }

  bool Refused() const { return refused_; }
  bool Whole() const { return headerRead_ && !refused_ && filled_ == data_.size(); }

  /// A whole reply's status, with up to `outLength` of its bytes copied to `out` (`received` says
  /// how many); a refused or unfinished reply is kErrorDeviceNotConnected with nothing copied.
  std::uint32_t Finish(std::uint8_t* out, std::uint32_t outLength, std::uint32_t& received) const {
    received = 0;
    if (!Whole()) return kErrorDeviceNotConnected;
    received = std::min<std::uint32_t>(reply_.length, outLength);
    if (received) std::memcpy(out, data_.data(), received);
    return reply_.first;
  }

 private:
  std::array<std::uint8_t, 8> header_{};
  std::vector<std::uint8_t> data_;
  std::size_t filled_ = 0;
  bool headerRead_ = false;
  bool refused_ = false;
  DriverMessageHeader reply_{0, 0};
};

/// The reply in everything a peer sent before it closed the connection (later bytes are ignored):
/// kErrorDeviceNotConnected when it is refused or cut short.
inline std::uint32_t ParseDriverReply(std::span<const std::uint8_t> bytes, std::uint8_t* out, std::uint32_t outLength,
                                      std::uint32_t& received) {
  DriverReplyReader reader;
  for (auto space = reader.Space(); !space.empty() && !bytes.empty(); space = reader.Space()) {
    const std::size_t count = std::min(space.size(), bytes.size());
    std::memcpy(space.data(), bytes.data(), count);
    reader.Received(count);
    bytes = bytes.subspan(count);
  }
  return reader.Finish(out, outLength, received);
}

/// The folder of the driver socket: $Q9_DEVICE_DIR, else $XDG_RUNTIME_DIR when absolute, else /tmp.
std::filesystem::path DefaultDeviceFolder();

}  // namespace q9
