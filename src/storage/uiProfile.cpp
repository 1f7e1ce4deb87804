#include "storage/uiProfile.h"

#include <algorithm>
#include <cstring>

#include "platform/Utf8Path.h"

namespace q9 {

namespace {

namespace fs = std::filesystem;

bool EndsWithSeparator(const std::string& path) {
  if (path.empty()) return false;
  const char last = path.back();
  return last == static_cast<char>(fs::path::preferred_separator) || last == '/' || last == '\\';
}

std::string WithSeparator(std::string folder) {
  if (!EndsWithSeparator(folder)) folder += static_cast<char>(fs::path::preferred_separator);
  return folder;
}

// Something stands at the path (following links); whether it can be read is for the read to find.
bool Exists(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(PathFromUtf8(path), ec);
  if (ec) return ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory;
  return !path.empty() && fs::exists(status);
}

bool IsFolder(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec);
}

// The folder part of a path, made to exist by creating at most its last level.
bool EnsureFolderOneLevel(const fs::path& folder) {
  if (folder.empty()) return false;
  if (IsFolder(folder)) return true;
  std::error_code ec;
  return fs::create_directory(folder, ec) && !ec;
}

}  // namespace

TuiProfile::TuiProfile(RegistryStore& store) : store_(store) {}

void TuiProfile::SetFilePath(const std::string& value) {
  if (value == FFilePath || !IsFolder(PathFromUtf8(value))) return;
  FFilePath = WithSeparator(value);
}

void TuiProfile::SetSize(std::int64_t value) {
  if (value == FSize || value < 0) return;
  FSize = value;
  FMemoryStream.resize(static_cast<std::size_t>(value), 0);
}

int TuiProfile::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  const auto n = static_cast<std::size_t>(count);
  if (FMemoryStream.size() < n) FMemoryStream.resize(n, 0);
  std::memcpy(FMemoryStream.data(), buffer, n);
  FSize = static_cast<std::int64_t>(FMemoryStream.size());
  return count;
}

int TuiProfile::Read(void* buffer, int count) const {
  if (count <= 0) return 0;
  const std::size_t n = std::min(static_cast<std::size_t>(count), FMemoryStream.size());
  if (n) std::memcpy(buffer, FMemoryStream.data(), n);
  return static_cast<int>(n);
}

bool TuiProfile::Fail(std::string why) {
  lastError_ = std::move(why);
  return false;
}

bool TuiProfile::Allowed(const TuiProfileEvent& before) {
  bool bContinue = true;
  if (before) before(FMemoryStream, bContinue);
  return bContinue || Fail("the operation was cancelled");
}

bool TuiProfile::HasRegistryTarget() {
  if (FRootKey != kHKeyCurrentUser && FRootKey != kHKeyLocalMachine) return Fail("no registry root is set");
  if (FKeyPath.empty() || FFileName.empty()) return Fail("no registry key or value name is set");
  return true;
}

void TuiProfile::StartLoad() {
  lastLoad_ = TuiLoadResult::NotAttempted;
  unreadableReason_.clear();
}

bool TuiProfile::LoadFailed(TuiLoadResult result, std::string why, std::string reason) {
  lastLoad_ = result;
  if (result == TuiLoadResult::Unreadable) unreadableReason_ = reason.empty() ? why : std::move(reason);
  return Fail(std::move(why));
}

std::string TuiProfile::StoredValueLocation() const { return store_.ValueLocation(FRootKey, FKeyPath, FFileName); }

bool TuiProfile::LoadStreamFromRegistry() {
  StartLoad();
  if (!Allowed(OnBeforeLoadFromRegistry) || !HasRegistryTarget()) return false;
  TMemoryStream data;
  const RegistryStatus status = store_.ReadValue(FRootKey, FKeyPath, FFileName, data);
  if (status.result == RegistryResult::NoValue)
    return LoadFailed(TuiLoadResult::Absent, StoredValueLocation() + ": " + status.message);
  if (!status.ok())
    return LoadFailed(TuiLoadResult::Unreadable, "cannot read " + StoredValueLocation() + ": " + status.message,
                      status.message);
  // An empty image would wipe the record at the next save: refuse it like a missing one.
  if (data.empty()) return LoadFailed(TuiLoadResult::Absent, "the stored value " + FFileName + " is empty");
  FMemoryStream = std::move(data);
  lastLoad_ = TuiLoadResult::Loaded;
  if (OnAfterLoadFromRegistry) OnAfterLoadFromRegistry(FMemoryStream);
  return true;
}

bool TuiProfile::SaveStreamToRegistry() {
  if (!Allowed(OnBeforeSaveToRegistry) || !HasRegistryTarget()) return false;
  const RegistryStatus status = store_.WriteValue(FRootKey, FKeyPath, FFileName, FMemoryStream);
  if (!status.ok()) return Fail("cannot save " + FFileName + ": " + status.message);
  if (OnAfterSaveToRegistry) OnAfterSaveToRegistry(FMemoryStream);
  return true;
}

bool TuiProfile::ReadWholeFile(const std::string& path) {
  TMemoryStream data;
  std::string why;
  switch (ReadRegularFile(PathFromUtf8(path), kLargestStoredImage, data, why)) {
    case FileReadResult::Ok:
      break;
    case FileReadResult::Missing:
      return LoadFailed(TuiLoadResult::Absent, path + " does not exist");
    case FileReadResult::TooLarge:
      return LoadFailed(TuiLoadResult::Unreadable, path + " is too large to be a profile", why);
    default:
      return LoadFailed(TuiLoadResult::Unreadable, "cannot read " + path + ": " + why, why);
  }
  if (data.empty()) return LoadFailed(TuiLoadResult::Absent, path + " is empty");
  FMemoryStream = std::move(data);
  lastLoad_ = TuiLoadResult::Loaded;
  return true;
}

bool TuiProfile::WriteWholeFile(const std::string& path) {
  std::string error;
  if (!WriteFileDurably(PathFromUtf8(path), FMemoryStream, error, writeHook_)) return Fail(error);
  return true;
}

bool TuiProfile::LoadStreamFromFile() {
  StartLoad();
  if (!Allowed(OnBeforeLoadFromFile)) return false;
  if (FFilePath.empty()) return Fail("no folder is set");
  FFilePath = WithSeparator(FFilePath);
  const std::string path = FFilePath + FFileName;
  if (!Exists(path)) return LoadFailed(TuiLoadResult::Absent, path + " does not exist");
  if (!ReadWholeFile(path)) return false;
  if (OnAfterLoadFromFile) OnAfterLoadFromFile(FMemoryStream);
  return true;
}

bool TuiProfile::LoadStreamFromFile(const std::string& strFilewithpath) {
  StartLoad();
  if (!Exists(strFilewithpath)) return LoadFailed(TuiLoadResult::Absent, strFilewithpath + " does not exist");
  if (!Allowed(OnBeforeLoadFromFile)) return false;
  if (!Exists(strFilewithpath)) return LoadFailed(TuiLoadResult::Absent, strFilewithpath + " does not exist");
  if (!ReadWholeFile(strFilewithpath)) return false;
  if (OnAfterLoadFromFile) OnAfterLoadFromFile(FMemoryStream);
  return true;
}

bool TuiProfile::SaveStreamToFile() {
  if (!Allowed(OnBeforeSaveToFile)) return false;
  if (FFilePath.empty()) return Fail("no folder is set");
  FFilePath = WithSeparator(FFilePath);
  if (!WriteWholeFile(FFilePath + FFileName)) return false;
  if (OnAfterSaveToFile) OnAfterSaveToFile(FMemoryStream);
  return true;
}

bool TuiProfile::SaveStreamToFile(const std::string& strFileWithPath) {
  if (!EnsureFolderOneLevel(PathFromUtf8(strFileWithPath).parent_path()))
    return Fail("cannot create the folder of " + strFileWithPath);
  if (!Allowed(OnBeforeSaveToFile)) return false;
  if (!WriteWholeFile(strFileWithPath)) return false;
  if (OnAfterSaveToFile) OnAfterSaveToFile(FMemoryStream);
  return true;
}

bool TuiProfile::PreSaveStreamToFile(const std::string& strFileWithPath) {
  const fs::path path = PathFromUtf8(strFileWithPath);
  if (!EnsureFolderOneLevel(path.parent_path())) return Fail("cannot create the folder of " + strFileWithPath);
  const std::string name = Utf8FromPath(path.filename());
  FFilePath = strFileWithPath.substr(0, strFileWithPath.size() - name.size());
  FFileName = name;
  return true;
}

void TuiProfile::RestoreToDefault() {
  if (OnRestoreToDefault) OnRestoreToDefault(FMemoryStream);
}

}  // namespace q9
