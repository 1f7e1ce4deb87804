#include "SimRequest.h"

#include <algorithm>
#include <cstring>

#include "platform/DriverSocketProtocol.h"
#include "protocol/CommandFrame.h"

namespace q9 {

std::size_t SimRequestReader::Feed(std::span<const std::uint8_t> data) {
  std::size_t used = 0;
  if (state_ != State::Incomplete) return 0;
  if (headerBytes_ < header_.size()) {
    const std::size_t n = std::min(header_.size() - headerBytes_, data.size());
    if (n) std::memcpy(header_.data() + headerBytes_, data.data(), n);
    headerBytes_ += n;
    used += n;
    if (headerBytes_ < header_.size()) return used;
    const DriverMessageHeader header = DecodeHeader(header_);
    code_ = header.first;
    const bool wrongFrameSize = code_ == CommandIoControlCode && header.length != CommandFrameSize;
    if (wrongFrameSize || header.length > kDriverMessageLimit) {
      state_ = State::Refused;
      return used;
    }
    expected_ = header.length;
  }
  // The body grows with what arrives, not with what the header announces.
  const std::span<const std::uint8_t> part = data.subspan(used, std::min(expected_ - body_.size(), data.size() - used));
  body_.insert(body_.end(), part.begin(), part.end());
  used += part.size();
  if (body_.size() == expected_) state_ = State::Complete;
  return used;
}

SimReply AnswerRequest(SimulatedMouse& mouse, SimRequestReader& request) {
  SimReply reply;
  std::span<const std::uint8_t> answered;
  if (request.state() == SimRequestReader::State::Complete) {
    reply.status = mouse.HandleControl(request.code(), request.body());
    reply.frameReceived = request.code() == CommandIoControlCode && reply.status != kErrorDeviceNotConnected;
    answered = request.body();
  } else {
    reply.status = kErrorInvalidParameter;
  }
  const auto header = EncodeHeader({reply.status, static_cast<std::uint32_t>(answered.size())});
  reply.bytes.assign(header.begin(), header.end());
  reply.bytes.insert(reply.bytes.end(), answered.begin(), answered.end());
  return reply;
}

}  // namespace q9
