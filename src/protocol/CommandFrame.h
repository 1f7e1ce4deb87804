#pragma once
// Command frames: every setting reaches the mouse as one 2059-byte frame sent through the driver
// channel. A frame carries one command: a write into the mouse's settings memory, or a short
// control command with one or two argument bytes. The builders are stateless; each sends at most
// one frame, except the two block writers, which send a series with pauses.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "device/uiSTDCommand.h"

namespace q9 {

inline constexpr std::size_t CommandFrameSize = 2059;
inline constexpr std::size_t kMemoryWritePayloadLimit = 2048;
inline constexpr std::uint16_t kFrameSignature = 0x1016;

/// Command codes (byte 3 of a frame).
enum CommandCode : std::uint8_t {
  kCommandRateChange = 1,
  kCommandMemoryWrite = 2,
  kCommandLight = 4,
  kCommandWriteState = 6,
  kCommand7 = 7,
  kCommandMemoryLocation = 8,
};

struct CommandFrame {
  std::uint8_t Signature[2];  ///< 0x16, 0x10
  std::uint8_t Zero;
  std::uint8_t Command;
  std::uint8_t Arguments[7];
  std::uint8_t Payload[kMemoryWritePayloadLimit];
};
static_assert(sizeof(CommandFrame) == CommandFrameSize);
static_assert(offsetof(CommandFrame, Signature) == 0 && offsetof(CommandFrame, Zero) == 2 &&
              offsetof(CommandFrame, Command) == 3 && offsetof(CommandFrame, Arguments) == 4 &&
              offsetof(CommandFrame, Payload) == 11);

/// A frame with its header and command set and every other byte zero.
CommandFrame MakeCommandFrame(std::uint8_t command);

/// Waits between frames; the window passes one that keeps its event loop running.
using PauseFunction = std::function<void(int milliseconds)>;

// The memory map of the mouse's settings memory.
inline constexpr std::uint16_t kAddressCurrentProfile = 93;
inline constexpr std::uint16_t kAddressZeroByte = 94;
inline constexpr std::uint16_t kAddressReportInterval = 101;
inline constexpr std::uint16_t kAddressSensitivity[2] = {104, 173};
inline constexpr std::uint16_t kAddressLight[2] = {168, 237};
inline constexpr std::uint16_t kButtonBlockBase = 256;
inline constexpr std::uint16_t kMacroBlockBase = 321;
inline constexpr std::uint16_t kButtonBlockSize = 965;
inline constexpr std::uint16_t kMacroSlotSize = 180;
inline constexpr int kMacroSlotsPerGroup = 5;
inline constexpr std::uint16_t kButtonTableSize = 65;
inline constexpr std::size_t kSensitivityRecordSize = 32;
inline constexpr std::size_t kLightRecordSize = 6;

/// The start of the 965-byte block of a memory location (0, 1) and button group (0..3).
constexpr std::uint32_t ButtonBlockAddress(std::uint32_t base, int location, int group) {
  return base + kButtonBlockSize * static_cast<std::uint32_t>(4 * location + group);
}

/// Writes `Count` bytes (at most 2048) at `Address`; a count of 0 sends nothing.
std::uint32_t WriteDeviceMemory(TuiSTDCommand& Channel, const std::uint8_t* Data, std::size_t Count, std::uint16_t Address);
std::uint32_t WriteDeviceByte(TuiSTDCommand& Channel, std::uint8_t Value, std::uint16_t Address);
std::uint32_t SendRateChangeCommand(TuiSTDCommand& Channel, std::uint8_t A0, std::uint8_t A1);
/// `L`: the inverted red, green and blue, then brightness and breathing speed.
std::uint32_t SendLightCommand(TuiSTDCommand& Channel, const std::array<std::uint8_t, 5>& L);
std::uint32_t SendWriteStateCommand(TuiSTDCommand& Channel, std::uint8_t V);
std::uint32_t SendCommand7(TuiSTDCommand& Channel, std::uint8_t V);
std::uint32_t SelectMemoryLocation(TuiSTDCommand& Channel, std::uint8_t V);

using ButtonTable = std::array<std::uint8_t, kButtonTableSize>;
using ButtonTables = std::array<ButtonTable, 4>;

// The block writers stop, pauses included, once the channel counts the mouse as not answering.

/// Writes the four button tables of a location, pausing 10 ms after each; returns the last result.
std::uint32_t WriteButtonBlocks(TuiSTDCommand& Channel, const ButtonTables& Tables, int Location, std::uint16_t Base,
                                const PauseFunction& pause);

inline constexpr std::size_t kMacroImageSize = 3680;
using MacroImage = std::array<std::uint8_t, kMacroImageSize>;

/// Writes the 20 macro slots of a location, pausing 5 ms after each (also after an empty slot);
/// 87 without sending anything for a location above 1.
std::uint32_t WriteMacroBlocks(TuiSTDCommand& Channel, const MacroImage& Image, int Location, std::uint16_t Base,
                               const PauseFunction& pause);

/// The 32-bit length of macro slot I of an image.
std::uint32_t MacroSlotLength(const MacroImage& image, int slot);

}  // namespace q9
