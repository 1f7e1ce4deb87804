#pragma once
// One request on the driver socket, read as its bytes arrive (u32 code, u32 length, `length`
// bytes, little-endian), and the simulated mouse's reply to it. Nothing here touches a socket, so
// the server and the fuzz harness share it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "SimulatedMouse.h"

namespace q9 {

class SimRequestReader {
 public:
  enum class State {
    Incomplete,  ///< more bytes are needed
    Complete,    ///< the whole request is there
    Refused,     ///< the header announces what cannot be a request: a command frame of the wrong
                 ///< size, or more bytes than any request carries
  };

  /// Takes the bytes the request still needs from the front of `data`; returns how many it took.
  /// Takes nothing once the request is complete or refused.
  std::size_t Feed(std::span<const std::uint8_t> data);

  State state() const { return state_; }
  /// Some bytes arrived (a connection closed without any is only a presence test).
  bool Started() const { return headerBytes_ > 0; }
  std::uint32_t code() const { return code_; }
  std::vector<std::uint8_t>& body() { return body_; }

 private:
  std::array<std::uint8_t, 8> header_{};
  std::size_t headerBytes_ = 0;
  std::uint32_t code_ = 0;
  std::size_t expected_ = 0;
  std::vector<std::uint8_t> body_;
  State state_ = State::Incomplete;
};

struct SimReply {
  std::vector<std::uint8_t> bytes;  ///< u32 status, u32 length, the (answered) buffer
  std::uint32_t status = 0;
  bool frameReceived = false;  ///< the mouse received one whole command frame (the frames log takes it)
};

/// The reply to a request: a complete one goes to the mouse, whose status and buffer come back;
/// a command frame that is not exactly one frame long, a refused or a cut-short request gets 87
/// and an empty buffer without reaching the mouse.
SimReply AnswerRequest(SimulatedMouse& mouse, SimRequestReader& request);

}  // namespace q9
