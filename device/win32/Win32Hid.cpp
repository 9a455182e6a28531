#include "device/win32/Win32Hid.h"

#include <dbt.h>

#include <vector>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

Win32HidDevice::Win32HidDevice(HANDLE handle)
    : handle_(handle), readDone_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

bool Win32HidDevice::SetFeature(const uint8_t* report, size_t length) {
  return HidD_SetFeature(handle_.Get(), const_cast<uint8_t*>(report), static_cast<ULONG>(length)) != FALSE;
}

HidReadResult Win32HidDevice::ReadInput(uint8_t* buffer, size_t length, unsigned timeoutMs) {
  if (!readDone_) return HidReadResult::Failed;
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = readDone_.Get();
  ResetEvent(readDone_.Get());
  DWORD got = 0;
  if (ReadFile(handle_.Get(), buffer, static_cast<DWORD>(length), &got, &overlapped_))
    return HidReadResult::Delivered;
  if (GetLastError() != ERROR_IO_PENDING) return HidReadResult::Failed;

  WaitForSingleObject(readDone_.Get(), timeoutMs);
  if (GetOverlappedResult(handle_.Get(), &overlapped_, &got, FALSE)) return HidReadResult::Delivered;
  if (GetLastError() != ERROR_IO_INCOMPLETE) return HidReadResult::Failed;

  // Late: cancel this read and wait for the system to hand the record back.
  CancelIoEx(handle_.Get(), &overlapped_);
  if (GetOverlappedResult(handle_.Get(), &overlapped_, &got, TRUE)) {
    // It completed between the check and the cancel; the report is in the buffer all the same.
    return HidReadResult::Delivered;
  }
  return HidReadResult::TimedOut;
}

bool Win32HidDevice::GetAttributes(HidAttributes& attributes) {
  HIDD_ATTRIBUTES a{};
  a.Size = sizeof a;
  if (!HidD_GetAttributes(handle_.Get(), &a)) return false;
  attributes.vendorId = a.VendorID;
  attributes.productId = a.ProductID;
  return true;
}

bool Win32HidDevice::GetCaps(HidCaps& caps) {
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(handle_.Get(), &preparsed)) return false;
  HIDP_CAPS c{};
  const bool ok = HidP_GetCaps(preparsed, &c) == HIDP_STATUS_SUCCESS;
  HidD_FreePreparsedData(preparsed);
  if (!ok) return false;
  caps.inputReportLength = c.InputReportByteLength;
  caps.outputReportLength = c.OutputReportByteLength;
  caps.featureReportLength = c.FeatureReportByteLength;
  return true;
}

GUID Win32HidPlatform::HidClass() {
  GUID g;
  HidD_GetHidGuid(&g);
  return g;
}

Win32HidPlatform::Win32HidPlatform() : hidClass_(HidClass()) {}

Win32HidPlatform::~Win32HidPlatform() { EndEnumeration(); }

bool Win32HidPlatform::BeginEnumeration() {
  EndEnumeration();
  set_ = SetupDiGetClassDevsA(&hidClass_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  return set_ != INVALID_HANDLE_VALUE;
}

void Win32HidPlatform::EndEnumeration() {
  if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  set_ = INVALID_HANDLE_VALUE;
}

std::unique_ptr<IHidDevice> Win32HidPlatform::OpenMember(unsigned index) {
  if (set_ == INVALID_HANDLE_VALUE) return nullptr;
  SP_DEVICE_INTERFACE_DATA member{};
  member.cbSize = sizeof member;
  if (!SetupDiEnumDeviceInterfaces(set_, nullptr, &hidClass_, index, &member)) return nullptr;

  DWORD size = 0;
  SetupDiGetDeviceInterfaceDetailA(set_, &member, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return nullptr;
  std::vector<char> block(size + 1, 0);  // zero-filled, so the path is always terminated
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(block.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!SetupDiGetDeviceInterfaceDetailA(set_, &member, detail, size, nullptr, nullptr)) return nullptr;

  // No sharing: a receiver held by another program fails here and is passed over.
  HANDLE h = CreateFileA(detail->DevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32HidDevice>(h);
}

uintptr_t Win32HidPlatform::RegisterHandleNotification(WindowHandle owner, const IHidDevice& device) {
  DEV_BROADCAST_HANDLE filter{};
  filter.dbch_size = sizeof filter;
  filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
  filter.dbch_handle = reinterpret_cast<HANDLE>(device.NativeHandle());
  return reinterpret_cast<uintptr_t>(
      RegisterDeviceNotificationA(static_cast<HWND>(owner), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

void Win32HidPlatform::UnregisterNotification(uintptr_t registration) {
  if (registration) UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(registration));
}
