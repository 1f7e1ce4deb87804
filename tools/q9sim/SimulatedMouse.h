#pragma once
// The simulated mouse behind the driver: 64 KiB of settings memory and the command set of the
// frames (rate change, memory write, light, write state, command 7, memory location). It answers
// every frame as the driver would and refuses a malformed one with an error status.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/DriverTransport.h"

namespace q9 {

class SimulatedMouse {
 public:
  static constexpr std::size_t kMemorySize = 65536;
  /// The memory followed by the state, as SaveImage writes it.
  static constexpr std::size_t kImageWithStateSize = kMemorySize + 24;

  /// What the mouse holds besides its memory.
  struct State {
    std::uint8_t memoryLocation = 0;
    std::uint8_t writeState = 1;  ///< 0 while a run of memory writes is open
    std::uint8_t command7 = 0;
    std::array<std::uint8_t, 5> light{};  ///< the last light command's bytes
    std::uint32_t rateChanges = 0;
    std::uint32_t frames = 0;  ///< accepted frames
  };

  /// Answers one control call; `buffer` is the frame (in and out).
  std::uint32_t HandleControl(std::uint32_t code, std::span<std::uint8_t> buffer);

  std::array<std::uint8_t, kMemorySize> Memory() const;
  State CurrentState() const;

  /// The memory image followed by the state (what `q9sim serve --memory` keeps).
  std::vector<std::uint8_t> SaveImage() const;
  /// Takes an image of SaveImage (or a bare 64 KiB memory image); false for anything else.
  bool LoadImage(std::span<const std::uint8_t> image);

  /// Plugged in or not; `UnplugAfter(n)` pulls the plug after n more frames.
  bool Present() const;
  void SetPresent(bool present);
  void UnplugAfter(int frames);

  /// Told about every frame received (accepted or not), with the status answered; runs under the
  /// mouse's lock, so it must not call back into the mouse.
  std::function<void(std::span<const std::uint8_t> frame, std::uint32_t status)> OnFrame;

 private:
  std::uint32_t Execute(std::span<const std::uint8_t> frame);

  mutable std::mutex mutex_;
  std::array<std::uint8_t, kMemorySize> memory_{};
  State state_;
  bool present_ = true;
  int framesUntilUnplug_ = -1;
};

/// Reads a memory image file: a regular file of one of the two image sizes. At most one byte more
/// than the larger size is read, so a device or an endless file is no danger. False, with `error`
/// one line saying what is wrong with the file, otherwise.
bool ReadMemoryImageFile(const std::filesystem::path& file, std::vector<std::uint8_t>& image, std::string& error);

/// The simulated mouse as a driver, in the same process.
class SimulatedDriverTransport : public DriverTransport {
 public:
  explicit SimulatedDriverTransport(SimulatedMouse& mouse) : mouse_(mouse) {}
  std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) override;

 private:
  SimulatedMouse& mouse_;
};

}  // namespace q9
