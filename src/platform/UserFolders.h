#pragma once
// The user's own folders as the system knows them, apart from the environment.

#include <filesystem>

namespace q9 {

/// The user's home folder from the system's user database (POSIX) or profile (Windows), not from
/// HOME; empty when the system has none for the user.
std::filesystem::path UserHomeFolder();

}  // namespace q9
