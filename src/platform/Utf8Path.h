#pragma once
// Paths from and to UTF-8 text, the same on every platform (a plain std::string would be taken in
// the Windows code page).

#include <filesystem>
#include <string>
#include <string_view>

namespace q9 {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace q9
