#pragma once
// q9ctl: the settings of the window, from the command line. Works on the same store and data
// module as the program: a first run leaves the factory settings record in the store, as the
// program's first start would.

#include <ostream>

namespace q9 {

/// Runs one command line; returns the exit status (0 success, 1 failure, 2 usage error).
int RunQ9Ctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace q9
