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

// Band and region a band select code puts the receiver on.
bool DecodeBandCode(uint8_t code, uint8_t& band, uint8_t& region) {
  switch (code) {
    case 0x00: band = BandFM; region = RegionUSA; return true;
    case 0x03: band = BandFM; region = RegionEurope; return true;
    case 0x02: band = BandFM; region = RegionJapan; return true;
    case 0x81: band = BandAM; region = RegionUSA; return true;
    case 0x82: band = BandAM; region = RegionEurope; return true;
    case 0x80: band = BandAM; region = RegionJapan; return true;
    case 0x87: band = BandSW; return true;
    default: return false;
  }
}

}  // namespace

DemoReceiver::DemoReceiver(IClock& clock, std::vector<DemoStation> stations)
    : clock_(clock), stations_(std::move(stations)) {}

std::unique_ptr<IHidDevice> DemoReceiver::Open() { return std::make_unique<DemoHandle>(*this); }

bool DemoReceiver::OnFeature(const uint8_t* report, size_t length) {
  if (!report || length < 4) return false;
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  switch (report[0]) {
    case kReportTune:
      seeking_ = false;
      frequency_ = static_cast<uint16_t>((report[1] << 8) | report[2]);
      break;
    case kReportBandSelect: {
      uint8_t band = band_, region = region_;
      if (DecodeBandCode(report[1], band, region)) {
        seeking_ = false;
        band_ = band;
        region_ = region;
      }
      break;
    }
    case kReportSeek:
      // The power-up and shut-down sequences carry a seek report too; an unpowered receiver
      // does not seek.
      if (powered_ && (report[1] == 0x01 || report[1] == 0x02)) {
        seeking_ = true;
        seekDirection_ = static_cast<SeekDirection>(report[1]);
        seekStepMs_ = clock_.NowMs();
      }
      break;
    case kReportPower:
      if (report[2] == 0x02) powered_ = true;
      if (report[2] == 0x10) {
        powered_ = false;
        seeking_ = false;
      }
      break;
    default:
      break;
  }
  return true;
}

void DemoReceiver::SettleSeekLocked() {
  if (!seeking_) return;
  const BandLimits limits = GetBandLimits(band_, region_);
  const uint64_t now = clock_.NowMs();
  while (seeking_ && now - seekStepMs_ >= kMsPerSeekStep) {
    seekStepMs_ += kMsPerSeekStep;
    if (seekDirection_ == SeekDirection::Up) {
      frequency_ = frequency_ >= limits.upper ? limits.upper
                                              : static_cast<uint16_t>(std::min<unsigned>(frequency_ + limits.step, limits.upper));
    } else {
      frequency_ = frequency_ <= limits.lower ? limits.lower
                                              : static_cast<uint16_t>(std::max<int>(frequency_ - limits.step, limits.lower));
    }
    // A seek stops on a strong station or at the band's edge, as the real tuner's does.
    if (ReceptionAt(stations_, band_, frequency_).signal >= kSeekThreshold || frequency_ == limits.upper ||
        frequency_ == limits.lower)
      seeking_ = false;
  }
}

HidReadResult DemoReceiver::OnRead(uint8_t* buffer, size_t length) {
  if (!buffer) return HidReadResult::Failed;
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  std::memset(buffer, 0, length);
  if (length >= 5) {
    buffer[0] = 0x01;
    buffer[2] = !powered_ ? 0 : seeking_ ? kDemoNoiseSignal : ReceptionAt(stations_, band_, frequency_).signal;
    buffer[3] = static_cast<uint8_t>(frequency_ >> 8);
    buffer[4] = static_cast<uint8_t>(frequency_ & 0xFF);
  }
  return HidReadResult::Delivered;
}

bool DemoReceiver::Powered() {
  std::lock_guard<std::mutex> hold(lock_);
  return powered_;
}

uint8_t DemoReceiver::Band() {
  std::lock_guard<std::mutex> hold(lock_);
  return band_;
}

uint16_t DemoReceiver::Frequency() {
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  return frequency_;
}

bool DemoReceiver::Seeking() {
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  return seeking_;
}

void DemoReceiver::RenderAudio(int16_t* out, size_t frames) {
  std::lock_guard<std::mutex> hold(lock_);
  SettleSeekLocked();
  const uint64_t start = framesPlayed_;
  framesPlayed_ += frames;
  if (!powered_) {
    std::memset(out, 0, frames * 2 * sizeof(int16_t));
    return;
  }
  // A seeking tuner passes stations too fast to hear them: only noise.
  const Reception reception = seeking_ ? Reception{} : ReceptionAt(stations_, band_, frequency_);
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
