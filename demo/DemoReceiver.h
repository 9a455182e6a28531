#pragma once
// A receiver that exists only in software, for trying Kestrune without the hardware: it answers
// the receiver's HID reports as the real one does (power, region, band, tune, seek, status) and
// plays what it is tuned to: the station's programme, noise between stations, silence while it is
// off. Kestrune drives it through the same IHidDevice/IHidPlatform interfaces as the real
// receiver; only kestrune-demo.exe links it.
//
// The HID side is called on the window's thread, RenderAudio on the audio thread: the state is
// kept under one lock.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "demo/DemoStations.h"
#include "base/Clock.h"
#include "device/HidDevice.h"
#include "device/TunerModel.h"

class DemoReceiver {
 public:
  DemoReceiver(IClock& clock, std::vector<DemoStation> stations);

  // A handle on the receiver's HID interface (vendor 0x10C4, product 0x818A).
  std::unique_ptr<IHidDevice> Open();

  // Fills `frames` stereo frames (16000 a second) with what the receiver plays from now on.
  void RenderAudio(int16_t* out, size_t frames);

  // ---- state, as the reports left it
  bool Powered();
  uint8_t Band();
  uint16_t Frequency();  // moves during a seek
  bool Seeking();
  const std::vector<DemoStation>& Stations() const { return stations_; }

  // How long a seek takes per channel it passes.
  static constexpr unsigned kMsPerSeekStep = 12;
  // A seek stops on a signal at least this strong.
  static constexpr uint8_t kSeekThreshold = 20;

  // Called by the handles.
  bool OnFeature(const uint8_t* report, size_t length);
  HidReadResult OnRead(uint8_t* buffer, size_t length);

 private:
  void SettleSeekLocked();

  IClock& clock_;
  const std::vector<DemoStation> stations_;
  std::mutex lock_;
  TunerModel tuner_;
  uint64_t seekStepMs_ = 0;  // time of the seek's last step
  // Audio: a running frame count (stations play on while not listened to, like real ones) and
  // the noise generator's state.
  uint64_t framesPlayed_ = 0;
  uint32_t noiseSeed_ = 0x2545F491u;
  int32_t noiseLow_ = 0;
};

// The present HID interfaces of the demo: the demo receiver alone.
class DemoHidPlatform final : public IHidPlatform {
 public:
  explicit DemoHidPlatform(DemoReceiver& receiver) : receiver_(receiver) {}
  bool BeginEnumeration() override { return true; }
  std::unique_ptr<IHidDevice> OpenMember(unsigned index) override;
  void EndEnumeration() override {}
  // There is nothing to unplug: a registration that never fires.
  uintptr_t RegisterHandleNotification(WindowHandle, const IHidDevice&) override { return ++registrations_; }
  void UnregisterNotification(uintptr_t) override {}

 private:
  DemoReceiver& receiver_;
  uintptr_t registrations_ = 0;
};
