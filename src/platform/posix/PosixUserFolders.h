#pragma once
// The runtime folders of the POSIX backends: $XDG_RUNTIME_DIR where it is usable, else a folder of
// the user's own below /tmp that no other user can plant files in.

#include <filesystem>
#include <string>

namespace q9 {

/// $XDG_RUNTIME_DIR when it is an absolute path; empty when it is unset, empty or relative (a
/// relative value is ignored, as the XDG rules say).
std::filesystem::path XdgRuntimeFolder();

/// The folder for the user's private runtime files: XdgRuntimeFolder(), else /tmp/q9config-<uid>.
std::filesystem::path UserRuntimeFolder();

/// Makes `folder` usable for the user's private files: creates it (mode 0700) when it is missing,
/// and checks that it is a real folder (not a link) owned by the user that nobody else may write.
/// False, with `error` saying why, when another user could place or replace files in it.
bool EnsurePrivateFolder(const std::filesystem::path& folder, std::string& error);

}  // namespace q9
