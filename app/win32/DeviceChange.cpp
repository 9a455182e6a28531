#include "app/win32/DeviceChange.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>

DeviceChangeNotice ReadDeviceChange(WPARAM event, LPARAM data) {
  DeviceChangeNotice notice;
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE && event != DBT_DEVICEQUERYREMOVE) return notice;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (!header || header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return notice;
  const size_t size = header->dbch_size;

  if (event == DBT_DEVICEARRIVAL && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    constexpr size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    if (size < nameOffset) return notice;
    const char* name = reinterpret_cast<const char*>(header) + nameOffset;
    const size_t room = size - nameOffset;
    const void* end = std::memchr(name, 0, room);
    notice.kind = DeviceChangeNotice::Kind::InterfaceArrival;
    notice.interfacePath.assign(name, end ? static_cast<const char*>(end) - name : room);
  } else if (event != DBT_DEVICEARRIVAL && header->dbch_devicetype == DBT_DEVTYP_HANDLE) {
    constexpr size_t handleEnd = offsetof(DEV_BROADCAST_HANDLE, dbch_handle) + sizeof(HANDLE);
    if (size < handleEnd) return notice;
    notice.kind = event == DBT_DEVICEQUERYREMOVE ? DeviceChangeNotice::Kind::HandleQueryRemove
                                                 : DeviceChangeNotice::Kind::HandleRemoval;
    notice.handle = reinterpret_cast<uintptr_t>(reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header)->dbch_handle);
  }
  return notice;
}
