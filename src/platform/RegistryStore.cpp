#include "platform/RegistryStore.h"

namespace q9 {

namespace {
bool IsUsablePart(const std::string& part) { return !part.empty() && part != "." && part != ".."; }
}  // namespace

bool SplitKeyPath(const std::string& keyPath, std::vector<std::string>& parts) {
  parts.clear();
  std::string part;
  for (char c : keyPath) {
    if (c == '\\') {
      if (!IsUsablePart(part)) return false;
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!IsUsablePart(part)) return false;
  parts.push_back(part);
  return true;
}

std::string RegistryStore::ValueLocation(std::uint32_t root, const std::string& keyPath, const std::string& name) const {
  const char* rootName = root == kHKeyCurrentUser ? "HKEY_CURRENT_USER" : root == kHKeyLocalMachine ? "HKEY_LOCAL_MACHINE" : "?";
  return std::string(rootName) + "\\" + keyPath + "\\" + name;
}

bool IsPlainValueName(const std::string& name) {
  return IsUsablePart(name) && name.find_first_of("/\\") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::size_t RegistryStore::RemoveLeftoverTemporaries(std::uint32_t, const std::string&, std::string&) { return 0; }

}  // namespace q9
