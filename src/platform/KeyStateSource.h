#pragma once
// Whether a key is held down right now, asked by virtual-key code. The recorders ask only for the
// left and right modifier keys (Shift 160/161, Ctrl 162/163, Alt 164/165, Win 91/92).

#include <cstdint>

namespace q9 {

class KeyStateSource {
 public:
  virtual ~KeyStateSource() = default;
  virtual bool IsKeyDown(std::int32_t vk) const = 0;
};

}  // namespace q9
