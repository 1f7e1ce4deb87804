// libFuzzer harness for the driver socket's reply reader: whatever a peer sends back is a status
// with at most the asked-for bytes, copied from the reply itself, or kErrorDeviceNotConnected; and
// the reply reads the same however the bytes are split across receives.
//
// Input: one byte giving the caller's buffer size (0..255), one byte giving the receive chunk size
// (1..256), then the peer's bytes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "platform/DriverSocketProtocol.h"

namespace {

// The reply fed as receives of at most `chunk` bytes, as a socket that trickles it would deliver.
std::uint32_t ReadInChunks(std::span<const std::uint8_t> bytes, std::size_t chunk, std::uint8_t* out,
                           std::uint32_t outLength, std::uint32_t& received) {
  q9::DriverReplyReader reader;
  for (auto space = reader.Space(); !space.empty() && !bytes.empty(); space = reader.Space()) {
    const std::size_t count = std::min({space.size(), bytes.size(), chunk});
    std::memcpy(space.data(), bytes.data(), count);
    reader.Received(count);
    bytes = bytes.subspan(count);
  }
  return reader.Finish(out, outLength, received);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t outLength = data[0];
  const std::size_t chunk = std::size_t{data[1]} + 1;
  const std::span<const std::uint8_t> peer(data + 2, size - 2);

  std::vector<std::uint8_t> out(outLength, 0xA5);
  std::uint32_t received = 12345;
  const std::uint32_t status = q9::ParseDriverReply(peer, out.data(), outLength, received);
  if (received > outLength) std::abort();
  if (peer.size() < 8) {
    if (status != q9::kErrorDeviceNotConnected || received != 0) std::abort();
    return 0;
  }
  std::array<std::uint8_t, 8> header{};
  std::memcpy(header.data(), peer.data(), header.size());
  const q9::DriverMessageHeader reply = q9::DecodeHeader(header);
  const bool whole = reply.length <= q9::kDriverMessageLimit && peer.size() - 8 >= reply.length;
  if (!whole && (status != q9::kErrorDeviceNotConnected || received != 0)) std::abort();
  if (whole) {
    if (status != reply.first || received != std::min(reply.length, outLength)) std::abort();
    if (received != 0 && std::memcmp(out.data(), peer.data() + 8, received) != 0) std::abort();
  }
  // Bytes past what was received are the caller's and stay untouched.
  for (std::size_t i = received; i < out.size(); ++i)
    if (out[i] != 0xA5) std::abort();

  std::vector<std::uint8_t> again(outLength, 0xA5);
  std::uint32_t receivedAgain = 0;
  if (ReadInChunks(peer, chunk, again.data(), outLength, receivedAgain) != status || receivedAgain != received ||
      again != out)
    std::abort();
  return 0;
}
