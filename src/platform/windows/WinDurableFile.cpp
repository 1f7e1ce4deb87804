#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/DurableFile.h"
#include "platform/windows/WinText.h"

namespace q9 {

namespace {

constexpr const wchar_t* kTemporaryMark = L".q9tmp.";

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// The hook's Writing step stands in for a WriteFile that fails: ENOSPC left by the hook is a full
// disk, anything else a write fault.
bool WriteBytes(HANDLE file, std::span<const std::uint8_t> bytes, const DurableWriteHook& hook) {
  errno = 0;
  if (hook && !hook(DurableWriteStep::Writing)) {
    SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
    return false;
  }
  return WriteAll(file, bytes);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A folder or a device at the path: what it is, for the message; nullptr for a file on a disk.
const char* KindOfNonRegular(HANDLE handle) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return "a device";
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return "a folder";
  return nullptr;
}

// What a write to `target` replaces: the file a link at the target leads to, or the target itself.
bool ResolveFinalTarget(const std::filesystem::path& target, std::filesystem::path& final, std::string& error) {
  final = target;
  Handle handle(CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) {
    const DWORD code = GetLastError();
    if (IsMissing(code)) return true;
    error = "cannot examine " + target.string() + ": " + Win32ErrorText(code);
    return false;
  }
  if (const char* kind = KindOfNonRegular(handle.get())) {
    error = "cannot write " + target.string() + ": it is " + kind + ", not a regular file, and is left as it is";
    return false;
  }
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(handle.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n > 0 && n < buffer.size()) final = std::filesystem::path(buffer.substr(0, n));
  }
  return true;
}

}  // namespace

bool IsDurableWriteTemporary(const std::filesystem::path& file) {
  return file.filename().wstring().rfind(kTemporaryMark, 0) == 0;
}

bool WriteFileDurably(const std::filesystem::path& requested, std::span<const std::uint8_t> bytes, std::string& error,
                      const DurableWriteHook& hook) {
  std::filesystem::path target;
  if (!ResolveFinalTarget(requested, target, error)) return false;
  const std::filesystem::path temporary =
      target.parent_path() /
      (std::wstring(kTemporaryMark) + target.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()));
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot create " + temporary.string() + ": " + Win32ErrorText(GetLastError());
    return false;
  }
  const bool written = WriteBytes(file, bytes, hook) && FlushFileBuffers(file);
  const DWORD writeError = GetLastError();
  CloseHandle(file);
  auto fail = [&](const std::string& text) {
    error = text;
    DeleteFileW(temporary.c_str());
    return false;
  };
  if (!written) return fail("cannot write " + temporary.string() + ": " + Win32ErrorText(writeError));
  if (hook && !hook(DurableWriteStep::TemporaryWritten)) return fail("write interrupted before replacing " + target.string());
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return fail("cannot replace " + target.string() + ": " + Win32ErrorText(GetLastError()));
  if (hook && !hook(DurableWriteStep::Renamed)) {
    error = "write interrupted after replacing " + target.string();
    return false;
  }
  return true;
}

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::uintmax_t largest, std::vector<std::uint8_t>& bytes,
                               std::string& error) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) {
    const DWORD code = GetLastError();
    error = IsMissing(code) ? "not found" : Win32ErrorText(code);
    return IsMissing(code) ? FileReadResult::Missing : FileReadResult::Failed;
  }
  if (const char* kind = KindOfNonRegular(file.get())) {
    error = std::string(kind) + " is in its place";
    return FileReadResult::NotRegular;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    error = Win32ErrorText(GetLastError());
    return FileReadResult::Failed;
  }
  if (static_cast<std::uintmax_t>(size.QuadPart) > largest) {
    error = "too large (" + std::to_string(size.QuadPart) + " bytes)";
    return FileReadResult::TooLarge;
  }
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.get(), data.data() + done, chunk, &read, nullptr)) {
      error = Win32ErrorText(GetLastError());
      return FileReadResult::Failed;
    }
    if (read == 0) break;
    done += read;
  }
  data.resize(done);
  bytes = std::move(data);
  return FileReadResult::Ok;
}

}  // namespace q9
