#pragma once
// TuiSTDCommand: the connection to the mouse's driver. It sends command buffers (DeviceRW), tells
// whether the mouse is present, turns device notifications into its arrival and removal events,
// and offers a monitoring mode in which two reader threads take turns keeping one read outstanding.
// The unit also holds TuiThread, which runs one callback once on a worker thread.
//
// Everything but the readers and the TuiThread workers runs on the GUI thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/DeviceConfig.h"
#include "device/DriverInstall.h"
#include "device/uiHIDEvent.h"
#include "platform/DeviceSetup.h"
#include "platform/DriverTransport.h"
#include "platform/Scheduler.h"

namespace q9 {

/// Receives one report on a reader thread; the buffer is valid only during the call.
using TDataReceivedEvent = std::function<void(const std::uint8_t* Buffer, std::uint32_t BufferSize)>;

class TuiSTDCommand {
 public:
  /// The size of each reader's input and output buffers.
  static constexpr std::uint32_t kReaderBufferSize = 10241;
  static constexpr int kMonitorStartDelayMs = 1500;

  /// Reads the device names and hardware-id lists from `configFile` (defaults when it is missing).
  TuiSTDCommand(DriverTransport& transport, Scheduler& scheduler, const std::filesystem::path& configFile);
  ~TuiSTDCommand();
  TuiSTDCommand(const TuiSTDCommand&) = delete;
  TuiSTDCommand& operator=(const TuiSTDCommand&) = delete;

  /// One control call with `Buffer` as input and output; kErrorNotReady (21) without a device.
  /// Once a call has timed out (kErrorSemTimeout) the mouse counts as not answering: later calls
  /// fail at once with kErrorSemTimeout, without reaching the driver, until ResetNotAnswering() or
  /// the next device arrival.
  std::uint32_t DeviceRW(void* Buffer, int Count, std::uint32_t IoControlCode);
  /// A call has timed out since the last reset.
  bool NotAnswering() const { return notAnswering_; }
  /// Gives the mouse a new chance to answer (an apply starts with it).
  void ResetNotAnswering() { notAnswering_ = false; }
  /// True when the driver's device opens; no handle stays open.
  bool IsDeviceExist();

  void SetDeviceInitData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize, std::uint32_t DeviceInitIoControlCode,
                         std::uint32_t ReadIoControlCode, int AInputReportLength, int AOutputReportLength);
  /// Sends the stored initialisation buffer again.
  void SetMonitorData();
  void SetMonitorData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize, std::uint32_t DeviceInitIoControlCode,
                      std::uint32_t ReadIoControlCode, int AInputReportLength, int AOutputReportLength);
  void StartMonitorDevice() { SetMonitoring(true); }
  void StopMonitorDevice() { SetMonitoring(false); }
  bool Active() const { return FActive; }

  const std::vector<std::string>& GetHIDDeviceList() const { return FHidDeviceList; }
  const std::vector<std::string>& GetUSBDeviceList() const { return FUsbDeviceList; }
  bool HardwareIdsInConfigHidList(const std::vector<std::string>& strHardwareIDs) const;
  bool HardwareIdsInConfigUsbList(const std::vector<std::string>& strHardwareIDs) const;
  /// A present device has a hardware ID of the "devicelist" list.
  bool IsHIDDeviceExist(DeviceSetup& setup) const;
  /// A present device has the hardware ID `VidPid` (letter case ignored).
  bool ISHIDDeviceExist(DeviceSetup& setup, const std::string& VidPid) const;
  /// Installs (`Install`) or removes the filter driver on every present mouse of the "usbdevicelist"
  /// list, and says per device what was done and how it ended.
  DriverInstallReport HidInstallDriver(bool Install, DeviceSetup& setup, DriverInstaller& installer) const {
    return RunDriverInstallation(Install, FDriverInfo, FUsbDeviceList, setup, installer);
  }
  /// Those mice with whether the driver is in their filter list and whether they report a problem.
  DriverInstallReport HidDriverStatus(DeviceSetup& setup, DriverInstaller& installer) const {
    return DriverInstallationStatus(FDriverInfo, FUsbDeviceList, setup, installer);
  }
  const TDriverInfo& DriverInfo() const { return FDriverInfo; }
  /// "\\.\" + the device name.
  const std::string& DevicePath() const { return FDevicePath; }
  /// Where the driver's device is looked for on this system (the socket on POSIX), for messages.
  std::string DeviceLocation() const { return transport_.DeviceLocation(FDriverInfo.DeviceName); }
  /// Takes the mouse for one run of frames: Busy while another program writes to it.
  DeviceLockResult TryLockDevice(std::unique_ptr<DeviceLease>& lease) {
    return transport_.TryLockDevice(FDriverInfo.DeviceName, lease);
  }

  std::uint32_t ReadIOCode() const { return FReadIOCode; }
  void SetReadIOCode(std::uint32_t value) { FReadIOCode = value; }
  std::uint32_t WriteIOCode() const { return FWriteIOCode; }
  void SetWriteIOCode(std::uint32_t value) { FWriteIOCode = value; }
  std::uint32_t DeviceDataInitIOCode() const { return FDeviceDataInitIOCode; }
  void SetDeviceDataInitIOCode(std::uint32_t value) { FDeviceDataInitIOCode = value; }

  /// Control calls made through DeviceRW, and how many of them failed.
  struct CallCounts {
    int calls = 0;
    int failures = 0;
  };
  CallCounts Counts() const { return counts_; }

  /// Creates the owned notification component on these notifications; its arrivals and removals
  /// become this component's events.
  void AttachNotifications(DeviceNotifications& notifications);
  TuiHIDEvent* HIDEvent() { return FHIDEvent.get(); }

  /// The device notifications, delivered here by the notification component.
  void HandleDeviceArrival();
  void HandleDeviceRemoval();

  std::function<void()> OnDeviceArrialEvent;
  std::function<void()> OnDeviceRemovalEvent;
  TDataReceivedEvent OnDataReceived;
  /// While a control call or a presence check waits for the driver, runs on the calling thread
  /// every few milliseconds until it ends (a window runs its events here). With it set, the wait
  /// itself happens on a worker thread; without it the calling thread waits. A call made from
  /// inside it waits for the one under way, then for its own driver call without running it again,
  /// so that frames reach the mouse in the order they were made.
  std::function<void()> OnWaitForDevice;

 private:
  std::uint32_t Control(void* Buffer, int Count, std::uint32_t IoControlCode);
  std::uint32_t CallDriver(void* Buffer, int Count, std::uint32_t IoControlCode);
  bool OpensNow();
  template <class Result>
  Result WaitForDevice(const std::function<Result()>& call);
  void SetMonitoring(bool Start);
  void StopReaders();
  void RestartMonitorTimer();
  void ReaderLoop(int reader);
  std::uint32_t ReadReport(std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out, std::uint32_t& bytes);

  DriverTransport& transport_;
  Scheduler& scheduler_;
  std::string FDevicePath;
  std::uint32_t FInputReportLength = 0;
  std::uint32_t FOutputReportLength = 0;
  std::atomic<bool> FActive{false};
  std::vector<std::string> FHidDeviceList;
  std::vector<std::string> FUsbDeviceList;
  std::uint32_t FReadIOCode = 0;
  std::uint32_t FWriteIOCode = 0;
  std::uint32_t FDeviceDataInitIOCode = 0;
  std::vector<std::uint8_t> FDeviceInitData;
  TDriverInfo FDriverInfo;
  Scheduler::TimerId FTimerToStartMonitor = 0;
  CallCounts counts_;
  bool notAnswering_ = false;
  /// The driver call under way on a worker while OnWaitForDevice runs; null when none is.
  std::shared_future<void> callUnderWay_;

  // The turn events of the two readers and the stop event, under one lock.
  std::mutex signalMutex_;
  std::condition_variable signalChanged_;
  bool FGlobalEvent = false;
  bool FGlobalDataEvent[2] = {false, false};
  std::unique_ptr<DriverConnection> FHidOverlappedRead;
  std::unique_ptr<TuiHIDEvent> FHIDEvent;
  std::thread readers_[2];
};

/// Runs a callback on its own worker thread with a private copy of a buffer.
class TuiThread {
 public:
  using TThreadCallFunction = std::function<void(std::uint8_t* Buffer, std::uint32_t BufferSize)>;
  /// Returns at once; with a size of 0 nothing is started. The caller may reuse its buffer at once.
  static void ThreadCallFunction(TThreadCallFunction Func, const void* Buffer, std::uint32_t BufferSize);
  /// Waits until every worker started here has returned, at most `timeoutMs`; true when none runs.
  /// A program calls it before it destroys what its workers use.
  static bool WaitForWorkers(int timeoutMs);
};

}  // namespace q9
