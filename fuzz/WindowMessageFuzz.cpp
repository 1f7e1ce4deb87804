// libFuzzer harness for the window-message receiver's datagram decoding: any bytes are refused or
// give a message, and what is accepted is exactly a datagram a Post or Send would have sent.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/posix/PosixWindowMessaging.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto received = q9::DecodeWindowDatagram(std::span(data, size));
  if (!received) return 0;
  if (size != q9::kWindowDatagramSize) std::abort();
  const auto encoded = q9::EncodeWindowDatagram(received->message, received->wantsResult);
  // The reserved word and the flag's other bits are ignored; everything else must match.
  if (std::memcmp(encoded.data(), data, 24) != 0) std::abort();
  const auto again = q9::DecodeWindowDatagram(encoded);
  if (!again || again->wantsResult != received->wantsResult || again->message.message != received->message.message ||
      again->message.wParam != received->message.wParam || again->message.lParam != received->message.lParam)
    std::abort();
  return 0;
}
