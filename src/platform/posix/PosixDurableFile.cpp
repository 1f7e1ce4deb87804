#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/DurableFile.h"

namespace q9 {

namespace {

constexpr const char* kTemporaryMark = ".q9tmp.";

std::string ErrnoText(const std::string& what, const std::filesystem::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

bool IsDurableWriteTemporary(const std::filesystem::path& file) {
  return file.filename().string().rfind(kTemporaryMark, 0) == 0;
}

bool WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error,
                      const DurableWriteHook& hook) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / (kTemporaryMark + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = ErrnoText("cannot create a file in", folder);
    return false;
  }
  const std::filesystem::path temporary = pattern;
  auto fail = [&](const std::string& text) {
    error = text;
    ::unlink(temporary.c_str());
    return false;
  };
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    const std::string text = ErrnoText("cannot write", temporary);
    ::close(fd);
    return fail(text);
  }
  ::fchmod(fd, 0644);
  if (::close(fd) != 0) return fail(ErrnoText("cannot write", temporary));
  if (hook && !hook(DurableWriteStep::TemporaryWritten)) return fail("write interrupted before replacing " + target.string());
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(ErrnoText("cannot replace", target));
  if (hook && !hook(DurableWriteStep::Renamed)) {
    error = "write interrupted after replacing " + target.string();
    return false;
  }
  if (!SyncFolder(folder)) {
    error = ErrnoText("cannot flush folder", folder);
    return false;
  }
  return true;
}

}  // namespace q9
