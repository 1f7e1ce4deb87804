#pragma once
// Single-instance locks for tests: locks made from one FakeLockTable see each other, as copies of
// the program on one machine would.

#include <memory>
#include <set>

#include "platform/SingleInstanceLock.h"

namespace q9 {

struct FakeLockTable {
  std::set<std::string> held;
  bool unavailable = false;
  std::string unsafe;  ///< when set, every TryAcquire answers Unsafe with this reason
};

class FakeSingleInstanceLock : public SingleInstanceLock {
 public:
  explicit FakeSingleInstanceLock(std::shared_ptr<FakeLockTable> table) : table_(std::move(table)) {}
  ~FakeSingleInstanceLock() override { Release(); }

  LockResult TryAcquire(const std::string& name) override {
    if (!table_->unsafe.empty()) return LockResult::Unsafe;
    if (table_->unavailable) return LockResult::Unavailable;
    if (!held_.empty()) return LockResult::Acquired;
    if (!table_->held.insert(name).second) return LockResult::HeldElsewhere;
    held_ = name;
    return LockResult::Acquired;
  }

  void Release() override {
    if (held_.empty()) return;
    table_->held.erase(held_);
    held_.clear();
    ++releases;
  }

  std::string LastError() const override { return table_->unsafe; }

  int releases = 0;

 private:
  std::shared_ptr<FakeLockTable> table_;
  std::string held_;
};

}  // namespace q9
