#pragma once
// Whole-file reads and durable whole-file writes.
//
// WriteFileDurably: a temporary file in the target's folder is written and flushed, then renamed
// over the target, then the folder itself is flushed (a rename is not durable without it). A reader
// sees the old file or the new one, whole, even when the writer dies half way.
// - A symbolic link at the target is followed to its final target, and that file is replaced (the
//   temporary file lives in the final target's folder); the link stays a link.
// - Only a regular file, or nothing, may stand at the (final) target. A folder, a FIFO, a device or
//   a socket is refused with an error and left alone: such a target is never renamed over, and is
//   never written into either.
// - An existing file keeps its permission bits (and, where the writer may set them, its owner and
//   group). A new file gets 0666 less the process's umask, as any file the process creates.
//
// ReadRegularFile never blocks on a FIFO or a device and never reads a folder: such a path is
// reported as NotRegular.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace q9 {

enum class DurableWriteStep {
  Writing,           ///< the temporary file is created and its bytes are about to be written
  TemporaryWritten,  ///< the temporary file holds all bytes and is flushed; the target is untouched
  Renamed,           ///< the temporary file has replaced the target
};

/// Fault seam for tests: called at each step; returning false makes the write fail right there.
/// A hook that fails Writing may set errno first: the write then fails as write() would with that
/// error (ENOSPC: the disk is full), EIO when it leaves errno at 0; on Windows ERROR_DISK_FULL for
/// ENOSPC and ERROR_WRITE_FAULT for any other.
using DurableWriteHook = std::function<bool(DurableWriteStep)>;

/// Replaces `target` with `bytes`. On failure `error` says why and the target is unchanged.
bool WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error,
                      const DurableWriteHook& hook = {});

/// Marks the temporary files WriteFileDurably leaves behind when a writer dies.
bool IsDurableWriteTemporary(const std::filesystem::path& file);

enum class FileReadResult {
  Ok,
  Missing,     ///< nothing stands at the path (a dangling link counts as nothing)
  NotRegular,  ///< a folder, FIFO, device or socket stands there; it was not opened for reading
  TooLarge,    ///< larger than the limit; not read
  Failed,      ///< it is there but cannot be read (no permission, I/O error)
};

/// Reads the whole regular file at `path` (following links) into `bytes` (replaced only on Ok).
/// On any other result `error` says what stands there or why it cannot be read, in a few words.
FileReadResult ReadRegularFile(const std::filesystem::path& path, std::uintmax_t largest, std::vector<std::uint8_t>& bytes,
                               std::string& error);

}  // namespace q9
