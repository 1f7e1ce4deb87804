#include "protocol/CommandFrame.h"

#include <cstring>

#include "model/LittleEndian.h"

namespace q9 {

namespace {

std::uint32_t Send(TuiSTDCommand& channel, CommandFrame& frame) {
  return channel.DeviceRW(&frame, static_cast<int>(CommandFrameSize), CommandIoControlCode);
}

std::uint32_t SendOneArgument(TuiSTDCommand& channel, std::uint8_t command, std::uint8_t value) {
  CommandFrame frame = MakeCommandFrame(command);
  frame.Arguments[0] = value;
  return Send(channel, frame);
}

constexpr std::uint8_t kWriteMarker = 0xFA;

}  // namespace

CommandFrame MakeCommandFrame(std::uint8_t command) {
  CommandFrame frame{};
  frame.Signature[0] = kFrameSignature & 0xFF;
  frame.Signature[1] = kFrameSignature >> 8;
  frame.Command = command;
  return frame;
}

std::uint32_t WriteDeviceMemory(TuiSTDCommand& Channel, const std::uint8_t* Data, std::size_t Count, std::uint16_t Address) {
  if (Count == 0) return kErrorSuccess;
  if (Count > kMemoryWritePayloadLimit) return kErrorInvalidParameter;
  CommandFrame frame = MakeCommandFrame(kCommandMemoryWrite);
  frame.Arguments[0] = Address & 0xFF;
  frame.Arguments[1] = Address >> 8;
  frame.Arguments[2] = Count & 0xFF;
  frame.Arguments[3] = static_cast<std::uint8_t>(Count >> 8);
  frame.Arguments[4] = frame.Arguments[5] = frame.Arguments[6] = kWriteMarker;
  std::memcpy(frame.Payload, Data, Count);
  return Send(Channel, frame);
}

std::uint32_t WriteDeviceByte(TuiSTDCommand& Channel, std::uint8_t Value, std::uint16_t Address) {
  return WriteDeviceMemory(Channel, &Value, 1, Address);
}

std::uint32_t SendRateChangeCommand(TuiSTDCommand& Channel, std::uint8_t A0, std::uint8_t A1) {
  CommandFrame frame = MakeCommandFrame(kCommandRateChange);
  frame.Arguments[0] = A0;
  frame.Arguments[1] = A1;
  return Send(Channel, frame);
}

std::uint32_t SendLightCommand(TuiSTDCommand& Channel, const std::array<std::uint8_t, 5>& L) {
  CommandFrame frame = MakeCommandFrame(kCommandLight);
  std::memcpy(frame.Arguments, L.data(), L.size());
  return Send(Channel, frame);
}

std::uint32_t SendWriteStateCommand(TuiSTDCommand& Channel, std::uint8_t V) {
  return SendOneArgument(Channel, kCommandWriteState, V);
}

std::uint32_t SendCommand7(TuiSTDCommand& Channel, std::uint8_t V) { return SendOneArgument(Channel, kCommand7, V); }

std::uint32_t SelectMemoryLocation(TuiSTDCommand& Channel, std::uint8_t V) {
  return SendOneArgument(Channel, kCommandMemoryLocation, V);
}

std::uint32_t WriteButtonBlocks(TuiSTDCommand& Channel, const ButtonTables& Tables, int Location, std::uint16_t Base,
                                const PauseFunction& pause) {
  std::uint32_t result = kErrorSuccess;
  for (int group = 0; group < 4 && !Channel.NotAnswering(); ++group) {
    const auto address = static_cast<std::uint16_t>(ButtonBlockAddress(Base, Location, group));
    result = WriteDeviceMemory(Channel, Tables[group].data(), kButtonTableSize, address);
    if (pause) pause(10);
  }
  return result;
}

std::uint32_t MacroSlotLength(const MacroImage& image, int slot) {
  return LoadLE32(image.data() + 3600 + 4 * static_cast<std::size_t>(slot));
}

std::uint32_t WriteMacroBlocks(TuiSTDCommand& Channel, const MacroImage& Image, int Location, std::uint16_t Base,
                               const PauseFunction& pause) {
  if (Location < 0 || Location > 1) return kErrorInvalidParameter;
  std::uint32_t result = kErrorSuccess;
  for (int group = 0; group < 4; ++group)
    for (int slot = 0; slot < kMacroSlotsPerGroup && !Channel.NotAnswering(); ++slot) {
      const int index = kMacroSlotsPerGroup * group + slot;
      // A slot never holds more than its 180 bytes, whatever a damaged image claims.
      const std::size_t length = std::min<std::size_t>(MacroSlotLength(Image, index), kMacroSlotSize);
      const auto address = static_cast<std::uint16_t>(ButtonBlockAddress(Base, Location, group) + kMacroSlotSize * slot);
      if (length) result = WriteDeviceMemory(Channel, Image.data() + kMacroSlotSize * index, length, address);
      if (pause) pause(5);
    }
  return result;
}

}  // namespace q9
