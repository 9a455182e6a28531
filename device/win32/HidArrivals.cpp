#include "device/win32/HidArrivals.h"

#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}

void HidArrivals::Register(HWND owner) {
  if (handle_) return;
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  HidD_GetHidGuid(&filter.dbcc_classguid);
  handle_ = RegisterDeviceNotificationA(owner, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void HidArrivals::Unregister() {
  if (!handle_) return;
  UnregisterDeviceNotification(handle_);
  handle_ = nullptr;
}
