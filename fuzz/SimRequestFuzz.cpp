// libFuzzer harness for the simulated mouse's request handling: the bytes a client sends on the
// driver socket, arriving in pieces of any size. Whatever arrives is answered without a crash, a
// leak or an allocation beyond what arrived; a whole request reaches the mouse once, a command
// frame only when it is exactly one frame long, and anything else gets 87 with an empty buffer
// without reaching the mouse.
//
// Input: byte 0 sets the size of the pieces (1..256), the rest is what the client sends.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "SimRequest.h"
#include "platform/DriverSocketProtocol.h"
#include "protocol/CommandFrame.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = static_cast<std::size_t>(data[0]) + 1;
  std::span<const std::uint8_t> sent(data + 1, size - 1);
  q9::SimRequestReader request;
  std::size_t taken = 0;
  while (!sent.empty() && request.state() == q9::SimRequestReader::State::Incomplete) {
    const std::span<const std::uint8_t> chunk = sent.first(std::min(piece, sent.size()));
    const std::size_t used = request.Feed(chunk);
    Check(used <= chunk.size());
    Check(used == chunk.size() || request.state() != q9::SimRequestReader::State::Incomplete);
    taken += used;
    sent = sent.subspan(chunk.size());
  }
  Check(taken <= size - 1);
  if (request.state() != q9::SimRequestReader::State::Incomplete)
    Check(request.Feed(std::span<const std::uint8_t>(data, size)) == 0);

  q9::SimulatedMouse mouse;
  int framesSeen = 0;
  mouse.OnFrame = [&](std::span<const std::uint8_t>, std::uint32_t) { ++framesSeen; };
  const bool whole = request.state() == q9::SimRequestReader::State::Complete;
  const q9::SimReply reply = q9::AnswerRequest(mouse, request);
  Check(reply.bytes.size() >= 8);
  std::array<std::uint8_t, 8> header{};
  std::copy(reply.bytes.begin(), reply.bytes.begin() + 8, header.begin());
  const q9::DriverMessageHeader decoded = q9::DecodeHeader(header);
  Check(decoded.first == reply.status && decoded.length == reply.bytes.size() - 8);
  if (!whole) {
    Check(reply.status == q9::kErrorInvalidParameter && reply.bytes.size() == 8 && !reply.frameReceived);
    Check(framesSeen == 0 && mouse.CurrentState().frames == 0);
    return 0;
  }
  Check(decoded.length == request.body().size() && decoded.length <= q9::kDriverMessageLimit);
  if (request.code() == q9::CommandIoControlCode) Check(request.body().size() == q9::CommandFrameSize);
  Check(reply.frameReceived == (request.code() == q9::CommandIoControlCode));
  Check(framesSeen == 1);
  Check(mouse.CurrentState().frames == (reply.status == q9::kErrorSuccess ? 1u : 0u));
  return 0;
}
