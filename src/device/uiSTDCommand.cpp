#include "device/uiSTDCommand.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>
#include <utility>

namespace q9 {

TuiSTDCommand::TuiSTDCommand(DriverTransport& transport, Scheduler& scheduler, const std::filesystem::path& configFile)
    : transport_(transport), scheduler_(scheduler) {
  const DeviceConfig config = LoadDeviceConfig(configFile);
  FHidDeviceList = config.hidDeviceList;
  FUsbDeviceList = config.usbDeviceList;
  FDriverInfo = config.driverInfo;
  FDevicePath = DevicePathOf(FDriverInfo);
}

TuiSTDCommand::~TuiSTDCommand() {
  FHIDEvent.reset();
  if (FTimerToStartMonitor) scheduler_.StopTimer(FTimerToStartMonitor);
  StopReaders();
}

void TuiSTDCommand::AttachNotifications(DeviceNotifications& notifications) {
  FHIDEvent = std::make_unique<TuiHIDEvent>(notifications, scheduler_);
  FHIDEvent->OnDeviceArrival = [this] { HandleDeviceArrival(); };
  FHIDEvent->OnDeviceRemove = [this] { HandleDeviceRemoval(); };
}

std::uint32_t TuiSTDCommand::DeviceRW(void* Buffer, int Count, std::uint32_t IoControlCode) {
  // A mouse that let one call time out would make every later one wait out its deadline too.
  const std::uint32_t result = notAnswering_ ? kErrorSemTimeout : Control(Buffer, Count, IoControlCode);
  if (result == kErrorSemTimeout) notAnswering_ = true;
  ++counts_.calls;
  if (result != kErrorSuccess) ++counts_.failures;
  return result;
}

std::uint32_t TuiSTDCommand::Control(void* Buffer, int Count, std::uint32_t IoControlCode) {
  if (Count < 0) return kErrorInvalidParameter;
  return WaitForDevice<std::uint32_t>([&] { return CallDriver(Buffer, Count, IoControlCode); });
}

std::uint32_t TuiSTDCommand::CallDriver(void* Buffer, int Count, std::uint32_t IoControlCode) {
  try {
    // The device is opened and closed around every call.
    const std::unique_ptr<DriverConnection> device = transport_.Open(FDriverInfo.DeviceName, false);
    if (!device) return kErrorNotReady;
    return device->Control(IoControlCode, static_cast<std::uint8_t*>(Buffer), static_cast<std::uint32_t>(Count));
  } catch (...) {
    return kErrorNotReady;
  }
}

bool TuiSTDCommand::OpensNow() {
  try {
    return transport_.Open(FDriverInfo.DeviceName, false) != nullptr;
  } catch (...) {
    return false;
  }
}

// The driver answers within its time-out, so every wait here ends; the caller's buffer stays
// valid because this returns only after the worker has finished with it.
template <class Result>
Result TuiSTDCommand::WaitForDevice(const std::function<Result()>& call) {
  if (!OnWaitForDevice || callUnderWay_.valid()) {
    if (callUnderWay_.valid()) callUnderWay_.wait();
    return call();
  }
  Result result{};
  try {
    callUnderWay_ = std::async(std::launch::async, [&] { result = call(); }).share();
  } catch (const std::system_error&) {
    return call();  // no thread to be had: the call is made here, the events wait
  }
  constexpr auto kSlice = std::chrono::milliseconds(5);
  try {
    while (callUnderWay_.wait_for(kSlice) != std::future_status::ready) OnWaitForDevice();
  } catch (...) {
    callUnderWay_.wait();
    callUnderWay_ = {};
    throw;
  }
  // A call that threw throws here, on the caller's thread.
  std::exchange(callUnderWay_, {}).get();
  return result;
}

bool TuiSTDCommand::IsDeviceExist() {
  return WaitForDevice<bool>([this] { return OpensNow(); });
}

void TuiSTDCommand::SetDeviceInitData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                                      std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                                      int AInputReportLength, int AOutputReportLength) {
  if (DeviceInitDataSize == 0 || !DeviceInitData) return;
  const auto* bytes = static_cast<const std::uint8_t*>(DeviceInitData);
  FDeviceInitData.assign(bytes, bytes + DeviceInitDataSize);
  FDeviceDataInitIOCode = DeviceInitIoControlCode;
  FReadIOCode = ReadIoControlCode;
  // The readers' buffers bound the lengths.
  auto bounded = [](int length) { return static_cast<std::uint32_t>(std::clamp(length, 0, int(kReaderBufferSize))); };
  FInputReportLength = bounded(AInputReportLength);
  FOutputReportLength = bounded(AOutputReportLength);
}

void TuiSTDCommand::SetMonitorData() {
  if (!FDeviceInitData.empty()) DeviceRW(FDeviceInitData.data(), static_cast<int>(FDeviceInitData.size()), FDeviceDataInitIOCode);
}

void TuiSTDCommand::SetMonitorData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                                   std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                                   int AInputReportLength, int AOutputReportLength) {
  SetDeviceInitData(DeviceInitData, DeviceInitDataSize, DeviceInitIoControlCode, ReadIoControlCode, AInputReportLength,
                    AOutputReportLength);
  SetMonitorData();
}

bool TuiSTDCommand::HardwareIdsInConfigHidList(const std::vector<std::string>& strHardwareIDs) const {
  return HardwareIdsInList(FHidDeviceList, strHardwareIDs);
}

bool TuiSTDCommand::HardwareIdsInConfigUsbList(const std::vector<std::string>& strHardwareIDs) const {
  return HardwareIdsInList(FUsbDeviceList, strHardwareIDs);
}

bool TuiSTDCommand::IsHIDDeviceExist(DeviceSetup& setup) const {
  std::vector<PresentDevice> devices;
  if (!setup.EnumeratePresentHidDevices(devices)) return false;
  return std::any_of(devices.begin(), devices.end(),
                     [&](const PresentDevice& device) { return HardwareIdsInConfigHidList(device.hardwareIds); });
}

bool TuiSTDCommand::ISHIDDeviceExist(DeviceSetup& setup, const std::string& VidPid) const {
  std::vector<PresentDevice> devices;
  if (!setup.EnumeratePresentHidDevices(devices)) return false;
  return std::any_of(devices.begin(), devices.end(),
                     [&](const PresentDevice& device) { return HardwareIdMatches(device.hardwareIds, VidPid); });
}

void TuiSTDCommand::StopReaders() {
  {
    std::lock_guard lock(signalMutex_);
    FGlobalEvent = true;
  }
  signalChanged_.notify_all();
  if (FHidOverlappedRead) FHidOverlappedRead->Cancel();
  for (std::thread& reader : readers_)
    if (reader.joinable()) reader.join();
  FHidOverlappedRead.reset();
  FActive = false;
}

void TuiSTDCommand::SetMonitoring(bool Start) {
  if (FDeviceInitData.empty()) return;
  if (FActive || FHidOverlappedRead) StopReaders();
  if (!Start) return;
  FHidOverlappedRead = transport_.Open(FDriverInfo.DeviceName, true);
  if (!FHidOverlappedRead) return;
  FActive = true;
  SetMonitorData();
  {
    std::lock_guard lock(signalMutex_);
    FGlobalEvent = false;
    FGlobalDataEvent[0] = true;
    FGlobalDataEvent[1] = false;
  }
  for (int reader = 0; reader < 2; ++reader) readers_[reader] = std::thread([this, reader] { ReaderLoop(reader); });
}

void TuiSTDCommand::ReaderLoop(int reader) {
  std::vector<std::uint8_t> in(kReaderBufferSize, 0);
  std::vector<std::uint8_t> out(kReaderBufferSize, 0);
  const int other = 1 - reader;
  for (;;) {
    {
      std::unique_lock lock(signalMutex_);
      signalChanged_.wait(lock, [&] { return FGlobalEvent || FGlobalDataEvent[reader]; });
      if (FGlobalEvent) return;
      FGlobalDataEvent[reader] = false;
    }
    std::uint32_t bytes = 0;
    if (ReadReport(in, out, bytes) != kErrorSuccess) return;
    {
      std::lock_guard lock(signalMutex_);
      FGlobalDataEvent[other] = true;
    }
    signalChanged_.notify_all();
    // The other reader's read is already outstanding while this one delivers its data.
    if (bytes && OnDataReceived) OnDataReceived(out.data(), bytes);
  }
}

std::uint32_t TuiSTDCommand::ReadReport(std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out,
                                        std::uint32_t& bytes) {
  bytes = 0;
  const std::uint32_t status =
      FHidOverlappedRead->Read(FReadIOCode, in.data(), FInputReportLength, out.data(), FOutputReportLength, bytes);
  if (status == kErrorOperationAborted) {
    std::lock_guard lock(signalMutex_);
    if (FGlobalEvent) return 1;  // stopped on purpose
  }
  return status;
}

void TuiSTDCommand::RestartMonitorTimer() {
  if (FTimerToStartMonitor) scheduler_.StopTimer(FTimerToStartMonitor);
  FTimerToStartMonitor = scheduler_.StartTimer(kMonitorStartDelayMs, false, [this] {
    FTimerToStartMonitor = 0;
    SetMonitoring(true);
  });
}

void TuiSTDCommand::HandleDeviceArrival() {
  ResetNotAnswering();
  if (OnDeviceArrialEvent) OnDeviceArrialEvent();
  RestartMonitorTimer();
}

void TuiSTDCommand::HandleDeviceRemoval() {
  if (OnDeviceRemovalEvent) OnDeviceRemovalEvent();
  StopReaders();
  RestartMonitorTimer();
}

namespace {

struct RunningWorkers {
  std::mutex mutex;
  std::condition_variable finished;
  int count = 0;
};

// Never destroyed: a detached worker may still be signalling it while the program's statics are
// torn down at exit.
RunningWorkers& Workers() {
  static auto* workers = new RunningWorkers;
  return *workers;
}

}  // namespace

void TuiThread::ThreadCallFunction(TThreadCallFunction Func, const void* Buffer, std::uint32_t BufferSize) {
  if (BufferSize == 0 || !Buffer) return;
  const auto* bytes = static_cast<const std::uint8_t*>(Buffer);
  std::vector<std::uint8_t> copy(bytes, bytes + BufferSize);
  RunningWorkers& workers = Workers();
  {
    std::lock_guard lock(workers.mutex);
    ++workers.count;
  }
  std::thread([Func = std::move(Func), copy = std::move(copy), &workers]() mutable {
    if (Func) Func(copy.data(), static_cast<std::uint32_t>(copy.size()));
    std::lock_guard lock(workers.mutex);
    if (--workers.count == 0) workers.finished.notify_all();
  }).detach();
}

bool TuiThread::WaitForWorkers(int timeoutMs) {
  RunningWorkers& workers = Workers();
  std::unique_lock lock(workers.mutex);
  return workers.finished.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return workers.count == 0; });
}

}  // namespace q9
