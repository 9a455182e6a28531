#pragma once
// The narrow HID interface the receiver is driven through. The Win32 backend (device/win32)
// is the only one shipped; tests put a simulated receiver behind the same interface.

#include <cstddef>
#include <cstdint>
#include <memory>

using WindowHandle = void*;  // an HWND, opaque to the portable code

struct HidAttributes {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
};

struct HidCaps {
  uint16_t inputReportLength = 0;
  uint16_t outputReportLength = 0;
  uint16_t featureReportLength = 0;
};

enum class HidReadResult { Delivered, TimedOut, Failed };

// One opened HID interface. The object owns the OS handle and closes it when destroyed.
class IHidDevice {
 public:
  virtual ~IHidDevice() = default;

  // HidD_SetFeature of `length` bytes, report id in byte 0. True when the device took it.
  virtual bool SetFeature(const uint8_t* report, size_t length) = 0;

  // One input report of `length` bytes into `buffer`, waiting at most `timeoutMs`.
  // On TimedOut or Failed the buffer's content is unspecified and no read stays outstanding:
  // the backend cancels a late read and collects it before returning.
  virtual HidReadResult ReadInput(uint8_t* buffer, size_t length, unsigned timeoutMs) = 0;

  virtual bool GetAttributes(HidAttributes& attributes) = 0;
  // Preparsed data and HidP_GetCaps; false when either fails.
  virtual bool GetCaps(HidCaps& caps) = 0;

  // The OS handle, compared against removal notifications.
  virtual uintptr_t NativeHandle() const = 0;
};

// The set of present HID interfaces and the device notifications of the window system.
class IHidPlatform {
 public:
  virtual ~IHidPlatform() = default;

  // Makes the set of present HID interfaces; false when it cannot be made.
  virtual bool BeginEnumeration() = 0;
  // Member `index` of the set, opened for exclusive overlapped access. Null when the index does
  // not enumerate, its path cannot be had or the open fails (for instance: held elsewhere).
  virtual std::unique_ptr<IHidDevice> OpenMember(unsigned index) = 0;
  // Destroys the set made by BeginEnumeration.
  virtual void EndEnumeration() = 0;

  // A handle-type removal notification for `device`, delivered to `owner`. 0 when it fails.
  virtual uintptr_t RegisterHandleNotification(WindowHandle owner, const IHidDevice& device) = 0;
  virtual void UnregisterNotification(uintptr_t registration) = 0;
};
