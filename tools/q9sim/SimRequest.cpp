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
    std::memcpy(header_.data() + headerBytes_, data.data(), n);
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
    body_.resize(header.length);
  }
  const std::size_t n = std::min(body_.size() - bodyBytes_, data.size() - used);
  if (n) std::memcpy(body_.data() + bodyBytes_, data.data() + used, n);
  bodyBytes_ += n;
  used += n;
  if (bodyBytes_ == body_.size()) state_ = State::Complete;
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
