#include "demo/DemoReceiver.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "device/BandPlan.h"

namespace {

std::atomic<uintptr_t> g_nextHandle{0xD000};

class DemoHandle final : public IHidDevice {
 public:
  explicit DemoHandle(DemoReceiver& receiver) : receiver_(receiver), handle_(g_nextHandle += 4) {}
  bool SetFeature(const uint8_t* report, size_t length) override { return receiver_.OnFeature(report, length); }
  HidReadResult ReadInput(uint8_t* buffer, size_t length, unsigned) override {
    return receiver_.OnRead(buffer, length);
  }
  bool GetAttributes(HidAttributes& attributes) override {
    attributes = {0x10C4, 0x818A};
    return true;
  }
  bool GetCaps(HidCaps& caps) override {
    caps = {kReportLength, 0, kReportLength};
    return true;
  }
  uintptr_t NativeHandle() const override { return handle_; }

 private:
  DemoReceiver& receiver_;
  uintptr_t handle_;
};

}  // namespace

DemoReceiver::DemoReceiver(IClock& clock, std::vector<DemoStation> stations)
    : clock_(clock), stations_(std::move(stations)) {}

std::unique_ptr<IHidDevice> DemoReceiver::Open() { return std::make_unique<DemoHandle>(*this); }

bool DemoReceiver::OnFeature(const uint8_t* report, size_t length) {
  if (!report || length < 4) return false;
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  if (tuner_.Apply(report)) seekStepMs_ = clock_.NowMs();
  return true;
}

void DemoReceiver::SettleSeekLocked() {
  if (!tuner_.seeking) return;
  const BandLimits limits = GetBandLimits(tuner_.band, tuner_.region);
  const uint64_t now = clock_.NowMs();
  while (tuner_.seeking && now - seekStepMs_ >= kMsPerSeekStep) {
    seekStepMs_ += kMsPerSeekStep;
    tuner_.frequency = tuner_.SeekStep(tuner_.frequency, limits);
    // A seek stops on a strong station or at the band's edge, as the real tuner's does.
    if (ReceptionAt(stations_, tuner_.band, tuner_.frequency).signal >= kSeekThreshold ||
        tuner_.frequency == limits.upper || tuner_.frequency == limits.lower)
      tuner_.seeking = false;
  }
}

HidReadResult DemoReceiver::OnRead(uint8_t* buffer, size_t length) {
  if (!buffer) return HidReadResult::Failed;
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  std::memset(buffer, 0, length);
  if (length >= 5) {
    buffer[0] = 0x01;
    buffer[2] = !tuner_.powered ? 0 : tuner_.seeking ? kDemoNoiseSignal : ReceptionAt(stations_, tuner_.band, tuner_.frequency).signal;
    buffer[3] = static_cast<uint8_t>(tuner_.frequency >> 8);
    buffer[4] = static_cast<uint8_t>(tuner_.frequency & 0xFF);
  }
  return HidReadResult::Delivered;
}

bool DemoReceiver::Powered() {
  std::lock_guard<std::mutex> hold(lock_);
  return tuner_.powered;
}

uint8_t DemoReceiver::Band() {
  std::lock_guard<std::mutex> hold(lock_);
  return tuner_.band;
}

uint16_t DemoReceiver::Frequency() {
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  return tuner_.frequency;
}

bool DemoReceiver::Seeking() {
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  return tuner_.seeking;
}

void DemoReceiver::RenderAudio(int16_t* out, size_t frames) {
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  const uint64_t start = framesPlayed_;
  framesPlayed_ += frames;
  if (!tuner_.powered) {
    std::memset(out, 0, frames * 2 * sizeof(int16_t));
    return;
  }
  // A seeking tuner passes stations too fast to hear them: only noise.
  const Reception reception = tuner_.seeking ? Reception{} : ReceptionAt(stations_, tuner_.band, tuner_.frequency);
  const DemoStation* station = reception.station;
  const bool withSound = station && !station->sound.empty();
  const size_t loopFrames = withSound ? station->sound.size() / 2 : 0;
  const double stationGain = withSound ? reception.clarity : 0.0;
  // Hiss fills in what the station does not: loud between stations, faint on a clean one.
  const double noiseGain = (1.0 - reception.clarity) * 0.22 + 0.004;
  for (size_t i = 0; i < frames; ++i) {
    noiseSeed_ = noiseSeed_ * 1664525u + 1013904223u;
    const int32_t white = static_cast<int32_t>(noiseSeed_ >> 16) - 32768;
    noiseLow_ += (white - noiseLow_) / 3;  // soften the hiss a little
    const double noise = noiseLow_ * noiseGain;
    for (int channel = 0; channel < 2; ++channel) {
      double sample = noise;
      if (withSound) sample += station->sound[((start + i) % loopFrames) * 2 + channel] * stationGain;
      out[i * 2 + channel] = static_cast<int16_t>(std::clamp(sample, -32768.0, 32767.0));
    }
  }
}

std::unique_ptr<IHidDevice> DemoHidPlatform::OpenMember(unsigned index) {
  return index == 0 ? receiver_.Open() : nullptr;
}
