#pragma once
// The device object: owns the receiver's open HID interface and its report buffer. Every
// operation tests the handle first and does nothing, returning 0, while the receiver is not
// open. What hangs on the receiver's audio is told when the handle opens and before it goes.
// Single-threaded: the main window's thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/BandPlan.h"
#include "base/Clock.h"
#include "device/HidDevice.h"
#include "device/ReceiverAudio.h"
#include "device/TunerReports.h"

constexpr uint16_t kReceiverVendorId = 0x10C4;
constexpr uint16_t kReceiverProductId = 0x818A;
constexpr unsigned kMaxHidMembers = 256;
constexpr unsigned kStatusReadTimeoutMs = 100;

class CMyKestrune {
 public:
  // `platform`, `clock` and `audio` (optional) must outlive the object.
  CMyKestrune(IHidPlatform& platform, IClock& clock, IReceiverAudio* audio = nullptr);
  virtual ~CMyKestrune();
  CMyKestrune(const CMyKestrune&) = delete;
  CMyKestrune& operator=(const CMyKestrune&) = delete;

  bool IsOpen() const { return device_ != nullptr; }
  uintptr_t NativeHandle() const { return device_ ? device_->NativeHandle() : 0; }
  uintptr_t Notification() const { return notification_; }

  // 1 when the receiver is open (also when it already was), 0 when not found. A fresh open tells
  // the receiver's audio before any report is sent.
  int OpenDevice(WindowHandle owner);
  // Shut-down reports, then the handle is closed. The receiver's audio is let go first.
  void CloseDevice();
  // A receiver that was pulled out: its handle and its audio go without a report (nothing can
  // reach it), so that its arrival can bring it up afresh.
  void ForgetDevice();

  int SendRegionConfig(uint8_t region);
  int PowerUp();
  int SendBandSelect(uint8_t band);
  int SendBandCompletion();
  int SendTune(uint16_t freq);
  int SendSeek(SeekDirection direction);
  int SendStereoMode(bool stereo);
  // One input report into `destination`: 1 delivered, 0 not (destination untouched).
  int ReadStatus(uint8_t (&destination)[kReportLength]);

  // Region used by band selects until the next SendRegionConfig, and band used by PowerUp. The
  // bring-up sets both before it opens the receiver, so the handle is never usable without them.
  void SetRegion(uint8_t region) { region_ = region; }
  void SetBand(uint8_t band) { band_ = band; }
  uint8_t BandForPowerUp() const { return band_; }
  uint8_t RegionOfLastConfig() const { return region_; }
  const HidCaps& Caps() const { return caps_; }

 private:
  int Send(const ShortReport& report);
  int SendBuffer();
  void ReleaseAudio();

  IHidPlatform& platform_;
  IClock& clock_;
  IReceiverAudio* audio_;

  std::unique_ptr<IHidDevice> device_;
  uintptr_t notification_ = 0;
  HidCaps caps_;
  std::vector<uint8_t> reportBuffer_;
  uint8_t region_ = 0;
  uint8_t band_ = 0;
};
