#pragma once
// The Win32 HID backend: SetupDi enumeration of the HID interface class, exclusive overlapped
// opens, HidD_SetFeature, and overlapped reads that never stay outstanding past their limit.

#include <windows.h>

#include <setupapi.h>

#include "device/HidDevice.h"
#include "base/win32/Win32Handle.h"

class Win32HidDevice final : public IHidDevice {
 public:
  // Takes ownership of `handle`, which must have been opened with FILE_FLAG_OVERLAPPED.
  explicit Win32HidDevice(HANDLE handle);

  bool SetFeature(const uint8_t* report, size_t length) override;
  // A read that has not completed when the limit passes is cancelled with CancelIoEx on its own
  // OVERLAPPED and its completion collected before returning, so the next read never reuses a
  // record the system still owns, and the buffer is not written after the call returns.
  HidReadResult ReadInput(uint8_t* buffer, size_t length, unsigned timeoutMs) override;
  bool GetAttributes(HidAttributes& attributes) override;
  bool GetCaps(HidCaps& caps) override;
  uintptr_t NativeHandle() const override { return reinterpret_cast<uintptr_t>(handle_.Get()); }

 private:
  UniqueHandle handle_;
  UniqueHandle readDone_;  // manual-reset event of the read's OVERLAPPED
  OVERLAPPED overlapped_{};
};

class Win32HidPlatform final : public IHidPlatform {
 public:
  Win32HidPlatform();
  ~Win32HidPlatform() override;

  bool BeginEnumeration() override;
  std::unique_ptr<IHidDevice> OpenMember(unsigned index) override;
  void EndEnumeration() override;
  uintptr_t RegisterHandleNotification(WindowHandle owner, const IHidDevice& device) override;
  void UnregisterNotification(uintptr_t registration) override;

  static GUID HidClass();

 private:
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
  GUID hidClass_;
};
