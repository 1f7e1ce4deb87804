#include "platform/posix/UdevDeviceSetup.h"

#include <libudev.h>

namespace q9 {

bool UdevDeviceSetup::EnumeratePresentHidDevices(std::vector<PresentDevice>& devices) {
  devices.clear();
  udev* context = udev_new();
  if (!context) return false;
  udev_enumerate* enumeration = udev_enumerate_new(context);
  const bool listed = enumeration && udev_enumerate_add_match_subsystem(enumeration, "hid") >= 0 &&
                      udev_enumerate_scan_devices(enumeration) >= 0;
  if (listed) {
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration)) {
      udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
      if (!device) continue;
      PresentDevice present;
      present.instanceId = udev_device_get_syspath(device);
      if (const char* hidId = udev_device_get_property_value(device, "HID_ID")) {
        const std::string id = HardwareIdOfHidId(hidId);
        if (!id.empty()) present.hardwareIds.push_back(id);
      }
      devices.push_back(std::move(present));
      udev_device_unref(device);
    }
  }
  if (enumeration) udev_enumerate_unref(enumeration);
  udev_unref(context);
  return listed;
}

}  // namespace q9
