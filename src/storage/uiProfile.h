#pragma once
// TuiProfile: one record image in a memory stream, moved unchanged between memory, one binary
// registry value and one file. It knows nothing of the record's contents.
//
// Every operation reports failure by its result only; LastError() then says why, for messages.
// A failed load leaves the stream as it was, and LastLoadResult() tells a value that is not there
// from one that is there but cannot be read: only the first may be replaced by defaults unasked.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/DurableFile.h"
#include "platform/RegistryStore.h"

namespace q9 {

using TMemoryStream = std::vector<std::uint8_t>;

/// Supplies the default image in the stream.
using TuiProfileOnRestoreToDefault = std::function<void(TMemoryStream& AStream)>;
/// Called before an operation with bContinue set to true; clearing it vetoes the operation.
using TuiProfileEvent = std::function<void(TMemoryStream& AStream, bool& bContinue)>;
/// Told after an operation.
using TuiProfileEvent2 = std::function<void(const TMemoryStream& AStream)>;

/// What the last load found.
enum class TuiLoadResult {
  Loaded,
  Absent,        ///< nothing stands under the value's name or at the file's path (or it is empty)
  Unreadable,    ///< something stands there but cannot be read: no permission, an I/O error, another
                 ///< registry type, a folder or FIFO in its place, far too large
  NotAttempted,  ///< vetoed, or no registry target or folder is set
};

class TuiProfile {
 public:
  explicit TuiProfile(RegistryStore& store);

  std::uint32_t RootKey() const { return FRootKey; }
  void SetRootKey(std::uint32_t value) { FRootKey = value; }
  const std::string& KeyPath() const { return FKeyPath; }
  void SetKeyPath(const std::string& value) { FKeyPath = value; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& value) { FFileName = value; }
  const std::string& FilePath() const { return FFilePath; }
  /// Takes a folder that exists, ending it with a separator; any other value is ignored.
  void SetFilePath(const std::string& value);
  std::int64_t Size() const { return FSize; }
  /// Sets the stream's size (zero-filling growth).
  void SetSize(std::int64_t value);

  /// Writes `count` bytes at the start of the stream; the stream never shrinks.
  int Write(const void* buffer, int count);
  /// Reads up to `count` bytes from the start of the stream; the rest of `buffer` is left alone.
  int Read(void* buffer, int count) const;

  bool LoadStreamFromRegistry();
  bool SaveStreamToRegistry();
  /// Loads FilePath + FileName.
  bool LoadStreamFromFile();
  bool LoadStreamFromFile(const std::string& strFilewithpath);
  /// Saves to FilePath + FileName.
  bool SaveStreamToFile();
  /// Saves to a path, creating its folder (one level) when missing.
  bool SaveStreamToFile(const std::string& strFileWithPath);
  /// Takes folder and name of the path for the next SaveStreamToFile(); writes nothing.
  bool PreSaveStreamToFile(const std::string& strFileWithPath);
  void RestoreToDefault();

  const TMemoryStream& Stream() const { return FMemoryStream; }
  const std::string& LastError() const { return lastError_; }
  TuiLoadResult LastLoadResult() const { return lastLoad_; }
  /// When the last load found something it could not read: why, in a few words.
  const std::string& UnreadableReason() const { return unreadableReason_; }
  /// The registry value as a user would look for it (its file for a store of files).
  std::string StoredValueLocation() const;
  /// The owner refuses an operation on this component: LastError() says why. Returns false.
  bool Refuse(std::string why) { return Fail(std::move(why)); }

  /// Fault seam: passed to every durable file write.
  void SetWriteHook(DurableWriteHook hook) { writeHook_ = std::move(hook); }

  TuiProfileOnRestoreToDefault OnRestoreToDefault;
  TuiProfileEvent OnBeforeSaveToRegistry;
  TuiProfileEvent OnBeforeSaveToFile;
  TuiProfileEvent OnBeforeLoadFromRegistry;
  TuiProfileEvent OnBeforeLoadFromFile;
  TuiProfileEvent2 OnAfterSaveToRegistry;
  TuiProfileEvent2 OnAfterSaveToFile;
  TuiProfileEvent2 OnAfterLoadFromRegistry;
  TuiProfileEvent2 OnAfterLoadFromFile;

 private:
  bool Allowed(const TuiProfileEvent& before);
  bool HasRegistryTarget();
  bool Fail(std::string why);
  bool ReadWholeFile(const std::string& path);
  bool LoadFailed(TuiLoadResult result, std::string why, std::string reason = {});
  void StartLoad();
  bool WriteWholeFile(const std::string& path);

  RegistryStore& store_;
  TMemoryStream FMemoryStream;
  std::uint32_t FRootKey = 0;
  std::string FKeyPath;
  std::string FFileName;
  std::string FFilePath;
  std::int64_t FSize = 0;
  std::string lastError_;
  TuiLoadResult lastLoad_ = TuiLoadResult::NotAttempted;
  std::string unreadableReason_;
  DurableWriteHook writeHook_;
};

/// Stored images are record images; anything larger than this is refused instead of read.
inline constexpr std::uintmax_t kLargestStoredImage = 16u * 1024u * 1024u;

}  // namespace q9
