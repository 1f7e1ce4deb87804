#pragma once
// Shared helpers of the tests: temporary folders, fixture files and raw record bytes.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace q9::test {

using Bytes = std::vector<std::uint8_t>;

/// A fresh folder below the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str(const std::string& child = "") const { return (child.empty() ? path_ : path_ / child).string(); }

 private:
  std::filesystem::path path_;
};

Bytes ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const Bytes& bytes);
/// A file of tests/data.
Bytes Fixture(const std::string& name);
std::filesystem::path FixturePath(const std::string& name);

template <typename Record>
Bytes BytesOf(const Record& record) {
  Bytes bytes(sizeof(Record));
  std::memcpy(bytes.data(), &record, sizeof(Record));
  return bytes;
}

/// Little-endian reads at an offset of an image.
inline std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
inline std::uint16_t U16At(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

/// Runs `check` in a child process without root's privileges (as "nobody" when the tests run as
/// root), so that file permissions bind; true when the check returned true.
bool RunUnprivileged(const std::function<bool()>& check);
/// Runs `check` in a child process that is killed after `seconds`; true when it finished in time
/// and returned true (for operations that must not block).
bool FinishesWithin(int seconds, const std::function<bool()>& check);
/// Gives a tree to the user RunUnprivileged runs as.
void GiveToUnprivileged(const std::filesystem::path& tree);

/// Sets an environment variable for the object's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace q9::test
