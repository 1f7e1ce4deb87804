#include <windows.h>
#include <userenv.h>

#include "platform/UserFolders.h"

namespace q9 {

std::filesystem::path UserHomeFolder() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  wchar_t profile[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH + 1;
  const BOOL found = GetUserProfileDirectoryW(token, profile, &size);
  CloseHandle(token);
  return found ? std::filesystem::path(profile) : std::filesystem::path();
}

}  // namespace q9
