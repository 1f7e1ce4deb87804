#pragma once
// Durable whole-file writes: a temporary file in the target's folder is written and flushed, then
// renamed over the target, then the folder itself is flushed (a rename is not durable without it).
// A reader sees the old file or the new one, whole, even when the writer dies half way.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

namespace q9 {

enum class DurableWriteStep {
  TemporaryWritten,  ///< the temporary file holds all bytes and is flushed; the target is untouched
  Renamed,           ///< the temporary file has replaced the target
};

/// Fault seam for tests: called after each step; returning false makes the write fail right there.
using DurableWriteHook = std::function<bool(DurableWriteStep)>;

/// Replaces `target` with `bytes`. On failure `error` says why and the target is unchanged.
bool WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error,
                      const DurableWriteHook& hook = {});

/// Marks the temporary files WriteFileDurably leaves behind when a writer dies.
bool IsDurableWriteTemporary(const std::filesystem::path& file);

}  // namespace q9
