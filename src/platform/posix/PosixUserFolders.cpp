#include "platform/posix/PosixUserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/UserFolders.h"

namespace q9 {

std::filesystem::path UserHomeFolder() {
  long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    const int failure = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
    if (failure == ERANGE && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (failure != 0 || !found || !found->pw_dir || found->pw_dir[0] != '/') return {};
    return found->pw_dir;
  }
}

std::filesystem::path XdgRuntimeFolder() {
  const char* value = std::getenv("XDG_RUNTIME_DIR");
  if (!value || value[0] != '/') return {};
  return value;
}

std::filesystem::path UserRuntimeFolder() {
  if (auto folder = XdgRuntimeFolder(); !folder.empty()) return folder;
  return std::filesystem::path("/tmp") / ("q9config-" + std::to_string(::getuid()));
}

bool EnsurePrivateFolder(const std::filesystem::path& folder, std::string& error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + folder.string() + ": " + std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0) {
    error = "cannot examine " + folder.string() + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(status.st_mode)) {
    error = folder.string() + " is not a folder (another user may have placed it there)";
    return false;
  }
  if (status.st_uid != ::getuid()) {
    error = folder.string() + " belongs to user " + std::to_string(status.st_uid) + ", not to this user";
    return false;
  }
  if (status.st_mode & (S_IWGRP | S_IWOTH)) {
    error = folder.string() + " may be written by other users";
    return false;
  }
  return true;
}

}  // namespace q9
