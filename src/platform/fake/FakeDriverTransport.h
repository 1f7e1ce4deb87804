#pragma once
// A driver for tests: it records every control call, can be absent or vanish after N calls, and
// hands queued reports to reads. A test that reaches it with no mouse "plugged in" sees Open fail.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/DriverTransport.h"

namespace q9 {

class FakeDriverTransport : public DriverTransport {
 public:
  struct Call {
    std::uint32_t code;
    std::vector<std::uint8_t> bytes;
  };

  std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) override;

  /// Plugs the mouse in or out.
  void SetPresent(bool present);
  /// The mouse goes away after `calls` more control calls.
  void UnplugAfter(int calls);
  /// Every control call answers `status` from now on (0 = success).
  void SetStatus(std::uint32_t status);
  /// A report for the next read.
  void QueueReport(std::vector<std::uint8_t> report);

  std::vector<Call> Calls() const;
  std::vector<std::string> OpenedNames() const;
  int OpenConnections() const;
  int MaxConcurrentReads() const;

 private:
  friend class FakeDriverConnection;

  mutable std::mutex mutex_;
  std::condition_variable reportQueued_;
  bool present_ = true;
  int callsLeft_ = -1;
  std::uint32_t status_ = kErrorSuccess;
  std::vector<Call> calls_;
  std::vector<std::string> opened_;
  std::deque<std::vector<std::uint8_t>> reports_;
  int openConnections_ = 0;
  int activeReads_ = 0;
  int maxConcurrentReads_ = 0;
};

}  // namespace q9
