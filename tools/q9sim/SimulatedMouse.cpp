#include "SimulatedMouse.h"

#include <cstring>
#include <fstream>
#include <string_view>

#include "model/LittleEndian.h"
#include "platform/Utf8Path.h"
#include "protocol/CommandFrame.h"

namespace q9 {

namespace {

constexpr std::string_view kStateMagic{"Q9SIMST1", 8};
constexpr std::size_t kStateSize = 8 + 3 + 5 + 4 + 4;
static_assert(SimulatedMouse::kImageWithStateSize == SimulatedMouse::kMemorySize + kStateSize);

bool HasState(std::span<const std::uint8_t> image) {
  return image.size() == SimulatedMouse::kImageWithStateSize &&
         std::memcmp(image.data() + SimulatedMouse::kMemorySize, kStateMagic.data(), kStateMagic.size()) == 0;
}

bool IsMemoryImage(std::span<const std::uint8_t> image) {
  return image.size() == SimulatedMouse::kMemorySize || HasState(image);
}

bool IsWellFormed(std::span<const std::uint8_t> frame) {
  return frame.size() == CommandFrameSize && frame[0] == 0x16 && frame[1] == 0x10 && frame[2] == 0;
}

}  // namespace

std::uint32_t SimulatedMouse::HandleControl(std::uint32_t code, std::span<std::uint8_t> buffer) {
  std::lock_guard lock(mutex_);
  if (!present_) return kErrorDeviceNotConnected;
  const std::uint32_t status = code == CommandIoControlCode ? Execute(buffer) : kErrorInvalidFunction;
  if (OnFrame) OnFrame(buffer, status);
  if (status == kErrorSuccess) {
    ++state_.frames;
    if (framesUntilUnplug_ > 0 && --framesUntilUnplug_ == 0) present_ = false;
  }
  return status;
}

std::uint32_t SimulatedMouse::Execute(std::span<const std::uint8_t> frame) {
  if (!IsWellFormed(frame)) return kErrorInvalidParameter;
  const std::uint8_t* arguments = frame.data() + 4;
  switch (frame[3]) {
    case kCommandRateChange:
      ++state_.rateChanges;
      return kErrorSuccess;
    case kCommandMemoryWrite: {
      const std::size_t address = arguments[0] | (arguments[1] << 8);
      const std::size_t count = arguments[2] | (arguments[3] << 8);
      const bool marked = arguments[4] == 0xFA && arguments[5] == 0xFA && arguments[6] == 0xFA;
      if (!marked || count == 0 || count > kMemoryWritePayloadLimit || address + count > kMemorySize)
        return kErrorInvalidParameter;
      std::memcpy(memory_.data() + address, frame.data() + 11, count);
      return kErrorSuccess;
    }
    case kCommandLight:
      std::memcpy(state_.light.data(), arguments, state_.light.size());
      return kErrorSuccess;
    case kCommandWriteState:
      if (arguments[0] > 1) return kErrorInvalidParameter;
      state_.writeState = arguments[0];
      return kErrorSuccess;
    case kCommand7:
      state_.command7 = arguments[0];
      return kErrorSuccess;
    case kCommandMemoryLocation:
      if (arguments[0] > 1) return kErrorInvalidParameter;
      state_.memoryLocation = arguments[0];
      return kErrorSuccess;
    default:
      return kErrorInvalidFunction;
  }
}

std::array<std::uint8_t, SimulatedMouse::kMemorySize> SimulatedMouse::Memory() const {
  std::lock_guard lock(mutex_);
  return memory_;
}

SimulatedMouse::State SimulatedMouse::CurrentState() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::vector<std::uint8_t> SimulatedMouse::SaveImage() const {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t> image(memory_.begin(), memory_.end());
  image.insert(image.end(), kStateMagic.begin(), kStateMagic.end());
  image.push_back(state_.memoryLocation);
  image.push_back(state_.writeState);
  image.push_back(state_.command7);
  image.insert(image.end(), state_.light.begin(), state_.light.end());
  AppendLE32(image, state_.rateChanges);
  AppendLE32(image, state_.frames);
  return image;
}

bool SimulatedMouse::LoadImage(std::span<const std::uint8_t> image) {
  if (!IsMemoryImage(image)) return false;
  const bool withState = HasState(image);
  std::lock_guard lock(mutex_);
  std::memcpy(memory_.data(), image.data(), kMemorySize);
  state_ = State{};
  if (withState) {
    const std::uint8_t* s = image.data() + kMemorySize + kStateMagic.size();
    state_.memoryLocation = s[0];
    state_.writeState = s[1];
    state_.command7 = s[2];
    std::memcpy(state_.light.data(), s + 3, state_.light.size());
    state_.rateChanges = LoadLE32(s + 8);
    state_.frames = LoadLE32(s + 12);
  }
  return true;
}

bool SimulatedMouse::Present() const {
  std::lock_guard lock(mutex_);
  return present_;
}

void SimulatedMouse::SetPresent(bool present) {
  std::lock_guard lock(mutex_);
  present_ = present;
}

void SimulatedMouse::UnplugAfter(int frames) {
  std::lock_guard lock(mutex_);
  framesUntilUnplug_ = frames;
  if (frames == 0) present_ = false;
}

bool ReadMemoryImageFile(const std::filesystem::path& file, std::vector<std::uint8_t>& image, std::string& error) {
  const std::string name = Utf8FromPath(file);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (ec) {
    error = "cannot read " + name + ": " + ec.message();
    return false;
  }
  if (status.type() == std::filesystem::file_type::directory) {
    error = name + " is a folder, not a memory image of the mouse";
    return false;
  }
  if (status.type() != std::filesystem::file_type::regular) {
    error = name + " is not a regular file, so not a memory image of the mouse";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes(SimulatedMouse::kImageWithStateSize + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.bad() || !in.is_open()) {
    error = "cannot read " + name;
    return false;
  }
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  const std::string sizes =
      std::to_string(SimulatedMouse::kMemorySize) + " or " + std::to_string(SimulatedMouse::kImageWithStateSize);
  if (bytes.size() > SimulatedMouse::kImageWithStateSize) {
    error = name + " is not a memory image of the mouse: larger than " + sizes + " bytes";
    return false;
  }
  if (!IsMemoryImage(bytes)) {
    error = name + " is not a memory image of the mouse: " + std::to_string(bytes.size()) +
            " bytes, an image has " + sizes + (bytes.size() == SimulatedMouse::kImageWithStateSize ? " with its state marker" : "");
    return false;
  }
  image = std::move(bytes);
  return true;
}

namespace {

class SimulatedConnection : public DriverConnection {
 public:
  explicit SimulatedConnection(SimulatedMouse& mouse) : mouse_(mouse) {}
  std::uint32_t Control(std::uint32_t code, std::uint8_t* buffer, std::uint32_t count) override {
    return mouse_.HandleControl(code, {buffer, count});
  }
  // The mouse sends no reports of its own.
  std::uint32_t Read(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t*, std::uint32_t,
                     std::uint32_t& bytesRead) override {
    bytesRead = 0;
    return kErrorInvalidFunction;
  }
  void Cancel() override {}

 private:
  SimulatedMouse& mouse_;
};

}  // namespace

std::unique_ptr<DriverConnection> SimulatedDriverTransport::Open(const std::string&, bool) {
  if (!mouse_.Present()) return nullptr;
  return std::make_unique<SimulatedConnection>(mouse_);
}

}  // namespace q9
