#pragma once
// Named binary values under a key path of a registry root.
//
// Contract for every backend:
// - Key paths use backslashes between their parts ("software\zoQVGMMouse"); a part that is empty,
//   "." or ".." makes the call fail with KeyUnavailable. Value names must not contain a separator.
// - ReadValue and WriteValue open the key and create it (with its parents) when it is missing.
// - ReadValue leaves `data` untouched on every result but Ok. NoValue means that nothing stands
//   under the name; a value that is there but cannot be read (no permission, an I/O error, of the
//   wrong type, something other than a value in its place) is WrongType or Failed, never NoValue.
// - WriteValue replaces the value whole: if the process dies during the call, the value afterwards
//   holds either the old bytes or the new ones, never a mixture.
// - No call throws; failures come back as a status with a message a user can act on.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace q9 {

/// Registry roots, with the numbers of the Windows predefined keys.
inline constexpr std::uint32_t kHKeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002u;

enum class RegistryResult {
  Ok,
  KeyUnavailable,  ///< the key cannot be opened or created
  NoValue,         ///< the key has no value of that name
  WrongType,       ///< something of that name exists but is not binary data (another registry type, a folder)
  Failed,          ///< reading or writing failed (disk full, access denied, ...)
};

struct RegistryStatus {
  RegistryResult result = RegistryResult::Ok;
  std::string message;

  bool ok() const { return result == RegistryResult::Ok; }
  static RegistryStatus Success() { return {}; }
  static RegistryStatus Error(RegistryResult r, std::string text) { return {r, std::move(text)}; }
};

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  /// Opens the key below `root`, creating it when missing.
  virtual RegistryStatus CreateKey(std::uint32_t root, const std::string& keyPath) = 0;
  /// Reads the binary value `name` of the key into `data` (replacing its contents).
  virtual RegistryStatus ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                   std::vector<std::uint8_t>& data) = 0;
  /// Writes `data` as the binary value `name`, replacing any earlier value of that name.
  virtual RegistryStatus WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                    std::span<const std::uint8_t> data) = 0;
  /// Where a value lives, as a user would look for it (the file, or root, key and value name).
  virtual std::string ValueLocation(std::uint32_t root, const std::string& keyPath, const std::string& name) const;
  /// Removes what interrupted writes of the key's values left behind (a store that writes in
  /// place has nothing to remove). Call it only while no other program can be writing the key.
  /// Returns how many were removed; `error` names the first one that could not be.
  virtual std::size_t RemoveLeftoverTemporaries(std::uint32_t root, const std::string& keyPath, std::string& error);
};

/// Splits "a\b\c" into its parts; false when a part is empty, "." or "..".
bool SplitKeyPath(const std::string& keyPath, std::vector<std::string>& parts);
/// True for a value name that is usable as one file name (no separators, not "." or "..").
bool IsPlainValueName(const std::string& name);

}  // namespace q9
