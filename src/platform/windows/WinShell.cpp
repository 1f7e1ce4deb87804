#include "platform/windows/WinShell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {

// ShellExecuteW reports success by a value above 32.
bool Opened(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

}  // namespace

bool WinShell::OpenDocument(const std::string& target) {
  if (target.empty()) return false;
  return Opened(ShellExecuteW(nullptr, L"open", WidenUtf8(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool WinShell::StartProgram(const std::filesystem::path& program, const std::filesystem::path& workingFolder) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error)) return false;
  return Opened(ShellExecuteW(nullptr, L"open", program.wstring().c_str(), nullptr, workingFolder.wstring().c_str(),
                              SW_SHOWNORMAL));
}

bool WinShell::BringWindowToFront(const std::string& className) {
  const HWND window = FindWindowW(WidenUtf8(className).c_str(), nullptr);
  return window && SetForegroundWindow(window);
}

}  // namespace q9
