#pragma once
// Store locks for tests: locks made from one FakeStoreLockTable see each other, as programs on one
// store would. A lock that is taken elsewhere answers Busy at once (the fake does not wait).

#include <memory>

#include "platform/StoreLock.h"

namespace q9 {

struct FakeStoreLockTable {
  int exclusive = 0;
  int shared = 0;
  int windowMarks = 0;
  bool unavailable = false;
};

class FakeStoreLock : public StoreLock {
 public:
  explicit FakeStoreLock(std::shared_ptr<FakeStoreLockTable> table) : table_(std::move(table)) {}
  ~FakeStoreLock() override {
    ReleaseWindowMark();
    Unlock();
  }

  StoreLockResult Lock(StoreLockMode mode, int waitMs, std::string& error) override {
    Unlock();
    lastWaitMs = waitMs;
    if (table_->unavailable) {
      error = "no locks here";
      return StoreLockResult::Unavailable;
    }
    const bool exclusive = mode == StoreLockMode::Exclusive;
    if (table_->exclusive > 0 || (exclusive && table_->shared > 0)) return StoreLockResult::Busy;
    ++(exclusive ? table_->exclusive : table_->shared);
    held_ = mode;
    holds_ = true;
    return StoreLockResult::Acquired;
  }

  void Unlock() override {
    if (!holds_) return;
    --(held_ == StoreLockMode::Exclusive ? table_->exclusive : table_->shared);
    holds_ = false;
  }

  StoreLockResult HoldWindowMark(std::string& error) override {
    if (marks_) return StoreLockResult::Acquired;
    if (table_->unavailable) {
      error = "no locks here";
      return StoreLockResult::Unavailable;
    }
    if (table_->windowMarks > 0) return StoreLockResult::Busy;
    ++table_->windowMarks;
    marks_ = true;
    return StoreLockResult::Acquired;
  }

  void ReleaseWindowMark() override {
    if (!marks_) return;
    --table_->windowMarks;
    marks_ = false;
  }

  bool WindowMarkHeldElsewhere() override { return !marks_ && table_->windowMarks > 0; }
  std::string StoreName() const override { return "the fake store"; }

  bool HoldsStore() const { return holds_; }
  bool HoldsWindowMark() const { return marks_; }
  int lastWaitMs = -1;

 private:
  std::shared_ptr<FakeStoreLockTable> table_;
  StoreLockMode held_ = StoreLockMode::Shared;
  bool holds_ = false;
  bool marks_ = false;
};

}  // namespace q9
