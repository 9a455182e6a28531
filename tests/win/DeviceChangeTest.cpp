// WM_DEVICECHANGE records of every size and shape read within their own bounds.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "app/win32/DeviceChange.h"

namespace {

using Kind = DeviceChangeNotice::Kind;

// A record of `size` bytes in a block that ends exactly there: reading past it faults under
// the guard page that follows.
class GuardedRecord {
 public:
  explicit GuardedRecord(size_t size) : size_(size) {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
    record_ = base_ + page_ - size;
    std::memset(record_, 'A', size);
  }
  ~GuardedRecord() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedRecord(const GuardedRecord&) = delete;
  GuardedRecord& operator=(const GuardedRecord&) = delete;

  // Header fields as far as the record holds them; the stated size may differ from the real one.
  void Header(DWORD statedSize, DWORD type) {
    if (size_ >= 4) std::memcpy(record_, &statedSize, 4);
    if (size_ >= 8) std::memcpy(record_ + 4, &type, 4);
  }
  char* Data() { return record_; }
  LPARAM Param() { return reinterpret_cast<LPARAM>(record_); }

 private:
  size_t size_;
  size_t page_ = 0;
  char* base_ = nullptr;
  char* record_ = nullptr;
};

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);

TEST(DeviceChangeRecords, ArrivalPathsStopAtTheirZeroOrAtTheRecordsEnd) {
  const char path[] = "\\\\?\\hid#vid_10c4&pid_818a#1";
  GuardedRecord terminated(kNameOffset + sizeof path);
  terminated.Header(static_cast<DWORD>(kNameOffset + sizeof path), DBT_DEVTYP_DEVICEINTERFACE);
  std::memcpy(terminated.Data() + kNameOffset, path, sizeof path);
  DeviceChangeNotice notice = ReadDeviceChange(DBT_DEVICEARRIVAL, terminated.Param());
  EXPECT_EQ(notice.kind, Kind::InterfaceArrival);
  EXPECT_EQ(notice.interfacePath, path);

  // No terminator anywhere: the path is what the record holds.
  GuardedRecord unterminated(kNameOffset + 5);
  unterminated.Header(static_cast<DWORD>(kNameOffset + 5), DBT_DEVTYP_DEVICEINTERFACE);
  notice = ReadDeviceChange(DBT_DEVICEARRIVAL, unterminated.Param());
  EXPECT_EQ(notice.interfacePath, "AAAAA");

  // A record without room for a name, and one whose header is cut short.
  GuardedRecord bare(kNameOffset);
  bare.Header(static_cast<DWORD>(kNameOffset), DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEARRIVAL, bare.Param()).interfacePath, "");
  GuardedRecord shortHeader(sizeof(DEV_BROADCAST_HDR));
  shortHeader.Header(8, DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEARRIVAL, shortHeader.Param()).kind, Kind::Other);
}

TEST(DeviceChangeRecords, RemovalAndItsRequestNeedAWholeHandleField) {
  GuardedRecord whole(sizeof(DEV_BROADCAST_HANDLE));
  whole.Header(sizeof(DEV_BROADCAST_HANDLE), DBT_DEVTYP_HANDLE);
  const HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
  std::memcpy(whole.Data() + offsetof(DEV_BROADCAST_HANDLE, dbch_handle), &handle, sizeof handle);
  DeviceChangeNotice notice = ReadDeviceChange(DBT_DEVICEREMOVECOMPLETE, whole.Param());
  EXPECT_EQ(notice.kind, Kind::HandleRemoval);
  EXPECT_EQ(notice.handle, 0x1234u);
  // Asked before a removal ("Safely remove", a driver update): the same handle, read alike.
  notice = ReadDeviceChange(DBT_DEVICEQUERYREMOVE, whole.Param());
  EXPECT_EQ(notice.kind, Kind::HandleQueryRemove);
  EXPECT_EQ(notice.handle, 0x1234u);

  // A record that ends inside the handle field.
  const size_t handleEnd = offsetof(DEV_BROADCAST_HANDLE, dbch_handle) + sizeof(HANDLE);
  GuardedRecord cut(handleEnd - 1);
  cut.Header(static_cast<DWORD>(handleEnd - 1), DBT_DEVTYP_HANDLE);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEREMOVECOMPLETE, cut.Param()).kind, Kind::Other);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEQUERYREMOVE, cut.Param()).kind, Kind::Other);
}

TEST(DeviceChangeRecords, OtherEventsAndMissingRecordsAreNotRead) {
  // Events without a record carry no pointer: their data must not be touched.
  EXPECT_EQ(ReadDeviceChange(DBT_DEVNODES_CHANGED, 1).kind, Kind::Other);
  EXPECT_EQ(ReadDeviceChange(DBT_QUERYCHANGECONFIG, 0x10).kind, Kind::Other);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEARRIVAL, 0).kind, Kind::Other);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEREMOVECOMPLETE, 0).kind, Kind::Other);

  // The right record type with the wrong event, and the reverse.
  GuardedRecord handleRecord(sizeof(DEV_BROADCAST_HANDLE));
  handleRecord.Header(sizeof(DEV_BROADCAST_HANDLE), DBT_DEVTYP_HANDLE);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEARRIVAL, handleRecord.Param()).kind, Kind::Other);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEREMOVEPENDING, handleRecord.Param()).kind, Kind::Other);
  GuardedRecord interfaceRecord(kNameOffset + 1);
  interfaceRecord.Header(static_cast<DWORD>(kNameOffset + 1), DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEREMOVECOMPLETE, interfaceRecord.Param()).kind, Kind::Other);
}

}  // namespace
