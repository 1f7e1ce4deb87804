#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>

#include "platform/DurableFile.h"

namespace q9 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporaryMark = ".q9tmp.";
// Links are followed at most this deep, as the kernel does (ELOOP).
constexpr int kLargestLinkDepth = 40;
// Room for the mark and the random tail within one file name.
constexpr std::size_t kLargestNameInTemporary = 200;

std::string ErrnoText(const std::string& what, const fs::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

const char* KindOfNonRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
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

// The hook's Writing step stands in for a write() that fails, with the errno it leaves.
bool WriteBytes(int fd, std::span<const std::uint8_t> bytes, const DurableWriteHook& hook) {
  errno = 0;
  if (hook && !hook(DurableWriteStep::Writing)) {
    if (errno == 0) errno = EIO;
    return false;
  }
  return WriteAll(fd, bytes);
}

bool SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

// What a write to `target` replaces: the file at the end of its chain of links.
struct FinalTarget {
  fs::path path;
  bool exists = false;
  struct stat status {};
};

bool ResolveFinalTarget(const fs::path& target, FinalTarget& final, std::string& error) {
  fs::path path = target;
  for (int depth = 0; depth <= kLargestLinkDepth; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      if (errno != ENOENT) {
        error = ErrnoText("cannot examine", path);
        return false;
      }
      final.path = path;
      final.exists = false;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      final.path = path;
      final.exists = true;
      final.status = st;
      return true;
    }
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n < 0) {
      error = ErrnoText("cannot follow the link", path);
      return false;
    }
    const fs::path next(std::string(link, static_cast<std::size_t>(n)));
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  error = "cannot write " + target.string() + ": too many levels of symbolic links";
  return false;
}

std::string RandomTail() {
  static std::atomic<unsigned> counter{0};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device device;
  std::mt19937 generator(device() ^ (static_cast<unsigned>(::getpid()) << 8) ^ counter.fetch_add(1));
  std::string tail(6, 'x');
  for (char& c : tail) c = kLetters[generator() % (sizeof kLetters - 1)];
  return tail;
}

// Creates the temporary file beside `final` with 0666 less the umask, as any new file.
int CreateTemporary(const fs::path& final, fs::path& temporary) {
  fs::path folder = final.parent_path();
  if (folder.empty()) folder = ".";
  const std::string name = final.filename().string().substr(0, kLargestNameInTemporary);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder / (kTemporaryMark + name + "." + RandomTail());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The replacement keeps what the old file had: owner and group where this writer may set them
// (first, since a change of owner clears the set-id bits), then the permission bits.
bool KeepOwnerAndMode(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    // Only a privileged writer may give a file away; everyone else keeps their own file.
  }
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

}  // namespace

bool IsDurableWriteTemporary(const fs::path& file) {
  return file.filename().string().rfind(kTemporaryMark, 0) == 0;
}

bool WriteFileDurably(const fs::path& target, std::span<const std::uint8_t> bytes, std::string& error,
                      const DurableWriteHook& hook) {
  FinalTarget final;
  if (!ResolveFinalTarget(target, final, error)) return false;
  if (final.exists && !S_ISREG(final.status.st_mode)) {
    error = "cannot write " + target.string() + ": it is " + KindOfNonRegular(final.status.st_mode) +
            ", not a regular file, and is left as it is";
    return false;
  }
  fs::path folder = final.path.parent_path();
  if (folder.empty()) folder = ".";
  fs::path temporary;
  const int fd = CreateTemporary(final.path, temporary);
  if (fd < 0) {
    error = ErrnoText("cannot create a file in", folder);
    return false;
  }
  auto fail = [&](const std::string& text) {
    error = text;
    ::unlink(temporary.c_str());
    return false;
  };
  if (final.exists && !KeepOwnerAndMode(fd, final.status)) {
    const std::string text = ErrnoText("cannot keep the permissions of", final.path);
    ::close(fd);
    return fail(text);
  }
  if (!WriteBytes(fd, bytes, hook) || ::fsync(fd) != 0) {
    const std::string text = ErrnoText("cannot write", temporary);
    ::close(fd);
    return fail(text);
  }
  if (::close(fd) != 0) return fail(ErrnoText("cannot write", temporary));
  if (hook && !hook(DurableWriteStep::TemporaryWritten)) return fail("write interrupted before replacing " + target.string());
  if (::rename(temporary.c_str(), final.path.c_str()) != 0) return fail(ErrnoText("cannot replace", final.path));
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

FileReadResult ReadRegularFile(const fs::path& path, std::uintmax_t largest, std::vector<std::uint8_t>& bytes,
                               std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      error = "not found";
      return FileReadResult::Missing;
    }
    error = std::strerror(errno);
    return FileReadResult::Failed;
  }
  auto notRegular = [&](mode_t mode) {
    error = std::string(KindOfNonRegular(mode)) + " is in its place";
    return FileReadResult::NotRegular;
  };
  if (!S_ISREG(st.st_mode)) return notRegular(st.st_mode);
  // Non-blocking, in case a FIFO took the file's place since the check above.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return FileReadResult::Failed;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) {
    error = std::strerror(errno);
    return FileReadResult::Failed;
  }
  if (!S_ISREG(st.st_mode)) return notRegular(st.st_mode);
  const auto size = static_cast<std::uintmax_t>(st.st_size);
  if (size > largest) {
    error = "too large (" + std::to_string(size) + " bytes)";
    return FileReadResult::TooLarge;
  }
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::strerror(errno);
      return FileReadResult::Failed;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  data.resize(done);  // a file that shrank while it was read is taken as far as it reached
  bytes = std::move(data);
  return FileReadResult::Ok;
}

}  // namespace q9
