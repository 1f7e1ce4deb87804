#pragma once
// 32-bit little-endian numbers in byte images, independent of the machine's byte order.

#include <cstdint>
#include <vector>

namespace q9 {

inline std::uint32_t LoadLE32(const std::uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

inline void StoreLE32(std::uint8_t* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void AppendLE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.resize(out.size() + 4);
  StoreLE32(out.data() + out.size() - 4, value);
}

}  // namespace q9
