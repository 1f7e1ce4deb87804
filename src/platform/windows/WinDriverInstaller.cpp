#include "platform/windows/WinDriverInstaller.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <shellapi.h>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {

constexpr GUID kHidSetupClass = {0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};
constexpr DWORD kServiceManagerAllAccess = 0xF003F;
constexpr DWORD kServiceAllAccess = 0xF01FF;
constexpr DWORD kKernelDriver = 1;
constexpr DWORD kDemandStart = 3;
constexpr DWORD kNormalErrorControl = 1;
constexpr DWORD kPropertyChange = 18;
constexpr DWORD kStateDisable = 2;
constexpr DWORD kStateEnable = 1;
constexpr DWORD kScopeGlobal = 1;
constexpr ULONG kProblemBit = 0x400;
constexpr int kServerR2Metric = 89;
constexpr WORD kArchitectureX86 = 0;
constexpr WORD kArchitectureItanium = 6;
constexpr WORD kArchitectureX64 = 9;
constexpr ULONG kShellMaskKeepProcess = 0x40;
constexpr ULONG kShellMaskExpandEnvironment = 0x200;

SetupStatus LastError(const std::string& call) {
  const DWORD code = GetLastError();
  return {code, call + ": " + Win32ErrorText(code) + " (error " + std::to_string(code) + ")"};
}

SC_HANDLE AsServiceHandle(ServiceHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }

template <typename Function>
Function KernelFunction(const char* name) {
  const HMODULE kernel = GetModuleHandleW(L"KERNEL32.DLL");
  return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

// The native processor architecture, or -1 when the system cannot say.
int NativeArchitecture() {
  using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);
  const auto getNativeSystemInfo = KernelFunction<GetNativeSystemInfoFunction>("GetNativeSystemInfo");
  if (!getNativeSystemInfo) return -1;
  SYSTEM_INFO info{};
  getNativeSystemInfo(&info);
  return info.wProcessorArchitecture;
}

// The device opened by its instance ID in a list of its own, released with the object.
class OpenedDevice {
 public:
  explicit OpenedDevice(const PresentDevice& device) {
    set_ = SetupDiCreateDeviceInfoList(&kHidSetupClass, nullptr);
    if (set_ == INVALID_HANDLE_VALUE) {
      status_ = LastError("SetupDiCreateDeviceInfoList");
      return;
    }
    data_.cbSize = sizeof data_;
    if (!SetupDiOpenDeviceInfoW(set_, WidenUtf8(device.instanceId).c_str(), nullptr, 0, &data_))
      status_ = LastError("SetupDiOpenDeviceInfoW(" + device.instanceId + ")");
  }
  ~OpenedDevice() {
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  }
  OpenedDevice(const OpenedDevice&) = delete;
  OpenedDevice& operator=(const OpenedDevice&) = delete;

  const SetupStatus& Status() const { return status_; }
  HDEVINFO Set() const { return set_; }
  SP_DEVINFO_DATA* Data() { return &data_; }

 private:
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA data_{};
  SetupStatus status_;
};

SetupStatus ChangeState(OpenedDevice& device, DWORD stateChange) {
  SP_PROPCHANGE_PARAMS params{};
  params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  params.ClassInstallHeader.InstallFunction = kPropertyChange;
  params.StateChange = stateChange;
  params.Scope = kScopeGlobal;
  params.HwProfile = 0;
  if (!SetupDiSetClassInstallParamsW(device.Set(), device.Data(), &params.ClassInstallHeader, sizeof params))
    return LastError("SetupDiSetClassInstallParamsW");
  if (!SetupDiCallClassInstaller(kPropertyChange, device.Set(), device.Data()))
    return LastError(stateChange == kStateDisable ? "disabling the device" : "enabling the device");
  return SetupStatus::Done();
}

}  // namespace

bool WinDriverInstaller::IsWow64System() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = KernelFunction<IsWow64ProcessFunction>("IsWow64Process");
  if (!isWow64Process) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
  const int architecture = NativeArchitecture();
  return architecture == kArchitectureX64 || architecture == kArchitectureItanium;
}

bool WinDriverInstaller::IsXP64() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return false;
#pragma GCC diagnostic pop
  if (version.dwMajorVersion != 5 || version.dwMinorVersion != 2) return false;
  if (GetSystemMetrics(kServerR2Metric) != 0) return false;
  const int architecture = NativeArchitecture();
  return architecture != kArchitectureX86 && architecture != -1 && version.wProductType == VER_NT_WORKSTATION;
}

bool WinDriverInstaller::DeviceHasProblem(const PresentDevice& device) {
  OpenedDevice opened(device);
  if (!opened.Status().ok()) return false;
  ULONG status = 0;
  ULONG problem = 0;
  return CM_Get_DevNode_Status(&status, &problem, opened.Data()->DevInst, 0) == CR_SUCCESS && (status & kProblemBit) != 0;
}

std::filesystem::path WinDriverInstaller::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

std::filesystem::path WinDriverInstaller::SystemDriverFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return {};
  return std::filesystem::path(folder) / L"System32" / L"Drivers";
}

SetupStatus WinDriverInstaller::DeleteDriverFile(const std::filesystem::path& file) {
  if (!DeleteFileW(file.wstring().c_str())) return LastError("DeleteFileW");
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::CopyDriverFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  if (!CopyFileW(source.wstring().c_str(), target.wstring().c_str(), FALSE)) return LastError("CopyFileW");
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::OpenServiceManager(ServiceHandle& manager) {
  manager = 0;
  SC_HANDLE handle = OpenSCManagerW(nullptr, nullptr, kServiceManagerAllAccess);
  if (!handle) return LastError("OpenSCManagerW");
  manager = reinterpret_cast<ServiceHandle>(handle);
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::OpenDriverService(ServiceHandle manager, const std::string& name, ServiceHandle& service) {
  service = 0;
  SC_HANDLE handle = OpenServiceW(AsServiceHandle(manager), WidenUtf8(name).c_str(), kServiceAllAccess);
  if (!handle) return LastError("OpenServiceW");
  service = reinterpret_cast<ServiceHandle>(handle);
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::CreateDriverService(ServiceHandle manager, const std::string& name, const std::string& displayName,
                                                    const std::filesystem::path& imagePath, ServiceHandle& service) {
  service = 0;
  SC_HANDLE handle = CreateServiceW(AsServiceHandle(manager), WidenUtf8(name).c_str(), WidenUtf8(displayName).c_str(),
                                    kServiceAllAccess, kKernelDriver, kDemandStart, kNormalErrorControl,
                                    imagePath.wstring().c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  if (!handle) return LastError("CreateServiceW");
  service = reinterpret_cast<ServiceHandle>(handle);
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::ChangeDriverService(ServiceHandle service, const std::filesystem::path& imagePath,
                                                    const std::string& displayName) {
  if (!ChangeServiceConfigW(AsServiceHandle(service), kKernelDriver, kDemandStart, kNormalErrorControl,
                            imagePath.wstring().c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            WidenUtf8(displayName).c_str()))
    return LastError("ChangeServiceConfigW");
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::DeleteDriverService(ServiceHandle service) {
  if (!DeleteService(AsServiceHandle(service))) return LastError("DeleteService");
  return SetupStatus::Done();
}

void WinDriverInstaller::CloseService(ServiceHandle handle) {
  if (handle) CloseServiceHandle(AsServiceHandle(handle));
}

SetupStatus WinDriverInstaller::WriteFilterList(const PresentDevice& device, FilterKind kind, const std::vector<std::uint8_t>& buffer) {
  OpenedDevice opened(device);
  if (!opened.Status().ok()) return opened.Status();
  const DWORD property = kind == FilterKind::Upper ? SPDRP_UPPERFILTERS : SPDRP_LOWERFILTERS;
  if (!SetupDiSetDeviceRegistryPropertyW(opened.Set(), opened.Data(), property, buffer.data(), static_cast<DWORD>(buffer.size())))
    return LastError("SetupDiSetDeviceRegistryPropertyW");
  return SetupStatus::Done();
}

SetupStatus WinDriverInstaller::RestartDevice(const PresentDevice& device) {
  OpenedDevice opened(device);
  if (!opened.Status().ok()) return opened.Status();
  if (const SetupStatus disabled = ChangeState(opened, kStateDisable); !disabled.ok()) return disabled;
  Sleep(100);
  return ChangeState(opened, kStateEnable);
}

SetupStatus WinDriverInstaller::RunPackageInstaller(const std::filesystem::path& program, const std::string& parameters,
                                                    const std::filesystem::path& folder, std::uint32_t& exitCode) {
  exitCode = 0;
  const std::wstring file = program.wstring();
  const std::wstring arguments = WidenUtf8(parameters);
  const std::wstring directory = folder.wstring();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = kShellMaskKeepProcess | kShellMaskExpandEnvironment;
  info.hwnd = nullptr;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.c_str();
  info.lpDirectory = directory.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info)) return LastError("ShellExecuteExW");
  if (!info.hProcess) return SetupStatus::Done();
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  const bool known = GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  if (!known) return LastError("GetExitCodeProcess");
  exitCode = code;
  return SetupStatus::Done();
}

}  // namespace q9
