#include "platform/windows/WinDriverTransport.h"

#include <windows.h>

#include "platform/windows/WinNamedMutex.h"
#include "platform/windows/WinText.h"

namespace q9 {

namespace {

class HandleConnection : public DriverConnection {
 public:
  HandleConnection(HANDLE device, bool overlapped)
      : device_(device), completed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), overlapped_(overlapped) {}
  ~HandleConnection() override {
    CloseHandle(device_);
    if (completed_) CloseHandle(completed_);
    if (cancel_) CloseHandle(cancel_);
  }

  std::uint32_t Control(std::uint32_t code, std::uint8_t* buffer, std::uint32_t count) override {
    DWORD returned = 0;
    if (overlapped_) return Overlapped(code, buffer, count, buffer, count, returned);
    // The error code is read only on failure: after a success it could be a stale one.
    return DeviceIoControl(device_, code, buffer, count, buffer, count, &returned, nullptr) ? kErrorSuccess
                                                                                             : GetLastError();
  }

  std::uint32_t Read(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLength, std::uint8_t* out,
                     std::uint32_t outLength, std::uint32_t& bytesRead) override {
    DWORD returned = 0;
    const std::uint32_t status = Overlapped(code, const_cast<std::uint8_t*>(in), inLength, out, outLength, returned);
    bytesRead = returned;
    return status;
  }

  void Cancel() override {
    if (cancel_) SetEvent(cancel_);
  }

 private:
  std::uint32_t Overlapped(DWORD code, void* in, DWORD inLength, void* out, DWORD outLength, DWORD& returned) {
    if (!completed_ || !cancel_) return kErrorNotReady;
    if (WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0) return kErrorOperationAborted;
    OVERLAPPED request{};
    request.hEvent = completed_;
    ResetEvent(completed_);
    if (DeviceIoControl(device_, code, in, inLength, out, outLength, &returned, &request)) return kErrorSuccess;
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return error;
    const HANDLE waits[2] = {completed_, cancel_};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CancelIoEx(device_, &request);
      GetOverlappedResult(device_, &request, &returned, TRUE);
      return kErrorOperationAborted;
    }
    return GetOverlappedResult(device_, &request, &returned, FALSE) ? kErrorSuccess : GetLastError();
  }

  HANDLE device_;
  HANDLE completed_;
  HANDLE cancel_;
  bool overlapped_;
};

}  // namespace

std::unique_ptr<DriverConnection> WinDriverTransport::Open(const std::string& deviceName, bool overlapped) {
  const std::wstring path = L"\\\\.\\" + WidenUtf8(deviceName);
  HANDLE device = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | (overlapped ? FILE_FLAG_OVERLAPPED : 0), nullptr);
  if (device == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<HandleConnection>(device, overlapped);
}

namespace {

class MutexLease : public DeviceLease {
 public:
  explicit MutexLease(HANDLE mutex) : mutex_(mutex) {}
  ~MutexLease() override { ReleaseNamedMutex(mutex_); }
  MutexLease(const MutexLease&) = delete;
  MutexLease& operator=(const MutexLease&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace

DeviceLockResult WinDriverTransport::TryLockDevice(const std::string& deviceName, std::unique_ptr<DeviceLease>& lease) {
  lease.reset();
  const std::wstring name = L"q9-device-" + ObjectNamePart(WidenUtf8(deviceName));
  HANDLE mutex = nullptr;
  DWORD error = 0;
  NamedMutexResult result = AcquireNamedMutex(L"Global\\" + name, 0, mutex, error);
  if (result == NamedMutexResult::Unavailable) result = AcquireNamedMutex(L"Local\\" + name, 0, mutex, error);
  if (result == NamedMutexResult::Busy) return DeviceLockResult::Busy;
  if (result == NamedMutexResult::Acquired) lease = std::make_unique<MutexLease>(mutex);
  return DeviceLockResult::Acquired;
}

}  // namespace q9
