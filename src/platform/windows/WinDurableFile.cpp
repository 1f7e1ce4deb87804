#include <windows.h>

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

}  // namespace

bool IsDurableWriteTemporary(const std::filesystem::path& file) {
  return file.filename().wstring().rfind(kTemporaryMark, 0) == 0;
}

bool WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error,
                      const DurableWriteHook& hook) {
  const std::filesystem::path temporary =
      target.parent_path() /
      (std::wstring(kTemporaryMark) + target.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()));
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot create " + temporary.string() + ": " + Win32ErrorText(GetLastError());
    return false;
  }
  const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
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

}  // namespace q9
