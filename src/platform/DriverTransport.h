#pragma once
// The way to the mouse: the driver's device, opened around every command, and one I/O-control call
// per command frame.
//
// Contract for every backend:
// - Open fails (nullptr) exactly when the driver's device is not there: that is how the program
//   tells that no mouse is present. It never throws, and it gives up after a short time-out when
//   the device is there but does not take the connection (that counts as not there).
// - Control sends one buffer and receives the answer into the same buffer; it returns a Windows
//   error code, 0 on success. It never blocks for long: a call whose whole answer has not arrived
//   by one deadline set when it starts fails with kErrorSemTimeout, however the answer trickles in.
// - Read waits for one report; Cancel, from any thread, makes an outstanding or later Read of the
//   connection return kErrorOperationAborted.
// - A connection is closed by destroying it.

#include <cstdint>
#include <memory>
#include <string>

namespace q9 {

/// Windows error codes of the device layer.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorNotReady = 21;  ///< the device cannot be opened
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorSemTimeout = 121;
inline constexpr std::uint32_t kErrorOperationAborted = 995;
inline constexpr std::uint32_t kErrorIoPending = 997;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

/// The control code of a command frame: device type 0x8000, function 0x1000, buffered, any access.
inline constexpr std::uint32_t CommandIoControlCode = 0x80004000u;

class DriverConnection {
 public:
  virtual ~DriverConnection() = default;
  /// One control call with `buffer` (`count` bytes) as input and output.
  virtual std::uint32_t Control(std::uint32_t ioControlCode, std::uint8_t* buffer, std::uint32_t count) = 0;
  /// One read with `in` as input; the report lands in `out`, its size in `bytesRead`.
  virtual std::uint32_t Read(std::uint32_t ioControlCode, const std::uint8_t* in, std::uint32_t inLength,
                             std::uint8_t* out, std::uint32_t outLength, std::uint32_t& bytesRead) = 0;
  /// Abandons the outstanding read; safe from any thread.
  virtual void Cancel() = 0;
};

/// Holds a device for one program's run of frames; destroying it (or the process ending) lets go.
class DeviceLease {
 public:
  virtual ~DeviceLease() = default;
};

enum class DeviceLockResult {
  Acquired,  ///< this program may write; keep the lease while writing
  Busy,      ///< another program is writing to the device
};

class DriverTransport {
 public:
  virtual ~DriverTransport() = default;
  /// Opens the driver's device named `deviceName`; nullptr when it is not there.
  virtual std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) = 0;

  /// Where the device `deviceName` is looked for, as a user would name it in a message.
  virtual std::string DeviceLocation(const std::string& deviceName) const { return R"(\\.\)" + deviceName; }

  /// Takes the device for a run of frames without waiting, so that the frames of two programs
  /// never interleave. Where the lock cannot be made the run goes unguarded (Acquired, no lease).
  /// The default has nothing to lock: a device no other program reaches.
  virtual DeviceLockResult TryLockDevice(const std::string& deviceName, std::unique_ptr<DeviceLease>& lease) {
    static_cast<void>(deviceName);
    lease.reset();
    return DeviceLockResult::Acquired;
  }
};

}  // namespace q9
