#include "platform/fake/FakeDriverTransport.h"

#include <algorithm>
#include <cstring>

namespace q9 {

class FakeDriverConnection : public DriverConnection {
 public:
  explicit FakeDriverConnection(FakeDriverTransport& driver) : driver_(driver) {}
  ~FakeDriverConnection() override {
    std::lock_guard lock(driver_.mutex_);
    --driver_.openConnections_;
  }

  std::uint32_t Control(std::uint32_t code, std::uint8_t* buffer, std::uint32_t count) override {
    std::lock_guard lock(driver_.mutex_);
    if (!driver_.present_) return kErrorDeviceNotConnected;
    driver_.calls_.push_back({code, std::vector<std::uint8_t>(buffer, buffer + count)});
    if (driver_.callsLeft_ > 0 && --driver_.callsLeft_ == 0) driver_.present_ = false;
    return driver_.status_;
  }

  std::uint32_t Read(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t* out, std::uint32_t outLength,
                     std::uint32_t& bytesRead) override {
    std::unique_lock lock(driver_.mutex_);
    driver_.maxConcurrentReads_ = std::max(driver_.maxConcurrentReads_, ++driver_.activeReads_);
    driver_.reportQueued_.wait(lock, [&] { return cancelled_ || !driver_.reports_.empty() || !driver_.present_; });
    --driver_.activeReads_;
    bytesRead = 0;
    if (cancelled_) return kErrorOperationAborted;
    if (driver_.reports_.empty()) return kErrorDeviceNotConnected;
    const std::vector<std::uint8_t> report = std::move(driver_.reports_.front());
    driver_.reports_.pop_front();
    bytesRead = static_cast<std::uint32_t>(std::min<std::size_t>(report.size(), outLength));
    if (bytesRead) std::memcpy(out, report.data(), bytesRead);
    return kErrorSuccess;
  }

  void Cancel() override {
    std::lock_guard lock(driver_.mutex_);
    cancelled_ = true;
    driver_.reportQueued_.notify_all();
  }

 private:
  FakeDriverTransport& driver_;
  bool cancelled_ = false;
};

std::unique_ptr<DriverConnection> FakeDriverTransport::Open(const std::string& deviceName, bool) {
  std::lock_guard lock(mutex_);
  if (!present_) return nullptr;
  opened_.push_back(deviceName);
  ++openConnections_;
  return std::make_unique<FakeDriverConnection>(*this);
}

void FakeDriverTransport::SetPresent(bool present) {
  std::lock_guard lock(mutex_);
  present_ = present;
  reportQueued_.notify_all();
}

void FakeDriverTransport::UnplugAfter(int calls) {
  std::lock_guard lock(mutex_);
  callsLeft_ = calls;
}

void FakeDriverTransport::SetStatus(std::uint32_t status) {
  std::lock_guard lock(mutex_);
  status_ = status;
}

void FakeDriverTransport::QueueReport(std::vector<std::uint8_t> report) {
  std::lock_guard lock(mutex_);
  reports_.push_back(std::move(report));
  reportQueued_.notify_all();
}

std::vector<FakeDriverTransport::Call> FakeDriverTransport::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> FakeDriverTransport::OpenedNames() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

int FakeDriverTransport::OpenConnections() const {
  std::lock_guard lock(mutex_);
  return openConnections_;
}

int FakeDriverTransport::MaxConcurrentReads() const {
  std::lock_guard lock(mutex_);
  return maxConcurrentReads_;
}

}  // namespace q9
