#pragma once
// The locks of one settings store, seen by every program on the machine that uses that store:
// - the store lock: a command reads, changes and writes the store under it, so that commands run
//   together never lose each other's changes (exclusive for writers; shared for readers where the
//   platform offers it, else exclusive);
// - the window mark: held by the window for as long as it works on the store, so that a command
//   can tell that the window's next save would replace what it writes.
// Both are released by Unlock / ReleaseWindowMark, by destruction, and by the operating system when
// the process dies, so a crashed program never blocks the store.

#include <string>

namespace q9 {

enum class StoreLockMode { Shared, Exclusive };
enum class StoreLockResult {
  Acquired,
  Busy,         ///< another program held it for the whole wait
  Unavailable,  ///< no lock can be made for this store (the error says why)
};

/// How long a program waits for another one's turn with the store.
inline constexpr int kStoreLockWaitMs = 5000;

class StoreLock {
 public:
  virtual ~StoreLock() = default;
  /// Takes the store lock, waiting up to `waitMs` for other holders.
  virtual StoreLockResult Lock(StoreLockMode mode, int waitMs, std::string& error) = 0;
  virtual void Unlock() = 0;
  /// Marks the store as open in a window; Busy when another window holds the mark.
  virtual StoreLockResult HoldWindowMark(std::string& error) = 0;
  virtual void ReleaseWindowMark() = 0;
  /// True while another holder (another program, or another lock object) holds the window mark.
  virtual bool WindowMarkHeldElsewhere() = 0;
  /// The store as a user would name it in a message (its folder, or the registry).
  virtual std::string StoreName() const = 0;
};

}  // namespace q9
