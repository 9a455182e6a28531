#pragma once
// The two WM_DEVICECHANGE events the main window acts on, read out of their records. Records come
// from other processes and drivers: every field is read only when the record's own size covers it.

#include <windows.h>

#include <cstdint>
#include <string>

struct DeviceChangeNotice {
  enum class Kind { Other, InterfaceArrival, HandleRemoval, HandleQueryRemove };
  Kind kind = Kind::Other;
  std::string interfacePath;  // InterfaceArrival: the path, up to its zero or the record's end
  uintptr_t handle = 0;       // HandleRemoval, HandleQueryRemove: the handle the notification was registered on
};

// DBT_DEVICEARRIVAL with a device-interface record, DBT_DEVICEREMOVECOMPLETE and
// DBT_DEVICEQUERYREMOVE with a handle record; every other event, a missing record and a record too short for its fields are Other.
DeviceChangeNotice ReadDeviceChange(WPARAM event, LPARAM data);
