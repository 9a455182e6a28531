#include "tests/support/SimulatedReceiver.h"

#include <algorithm>
#include <cstring>

namespace {

uintptr_t g_nextHandle = 0x1000;

// One open handle: the receiver's interface, or another HID device that only answers its
// attributes.
class SimHandle final : public IHidDevice {
 public:
  SimHandle(SimulatedReceiver* receiver, uint16_t vid, uint16_t pid, uint16_t featureLength, bool capsFail)
      : receiver_(receiver), vid_(vid), pid_(pid), featureLength_(featureLength), capsFail_(capsFail),
        handle_(g_nextHandle += 4) {}
  ~SimHandle() override {
    if (receiver_) receiver_->OnHandleClosed();
  }

  bool SetFeature(const uint8_t* report, size_t length) override {
    return receiver_ && receiver_->OnFeature(report, length);
  }
  HidReadResult ReadInput(uint8_t* buffer, size_t length, unsigned timeoutMs) override {
    return receiver_ ? receiver_->OnRead(buffer, length, timeoutMs) : HidReadResult::Failed;
  }
  bool GetAttributes(HidAttributes& attributes) override {
    attributes = {vid_, pid_};
    return true;
  }
  bool GetCaps(HidCaps& caps) override {
    if (capsFail_) return false;
    caps = {kReportLength, 0, featureLength_};
    return true;
  }
  uintptr_t NativeHandle() const override { return handle_; }

 private:
  SimulatedReceiver* receiver_;
  uint16_t vid_, pid_, featureLength_;
  bool capsFail_;
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

std::unique_ptr<IHidDevice> SimulatedReceiver::Open(uint16_t featureLength) {
  ++openHandles_;
  return std::make_unique<SimHandle>(this, 0x10C4, 0x818A, featureLength, false);
}

std::vector<std::vector<uint8_t>> SimulatedReceiver::LogPrefixes(size_t n) const {
  std::vector<std::vector<uint8_t>> out;
  for (const auto& r : log_) out.emplace_back(r.bytes.begin(), r.bytes.begin() + std::min(n, r.bytes.size()));
  return out;
}

bool SimulatedReceiver::OnFeature(const uint8_t* report, size_t length) {
  if (removed_) return false;
  log_.push_back({clock_.NowMs(), std::vector<uint8_t>(report, report + length)});
  if (failSends || length < 4) return false;
  SettleSeek();
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
      // The power-up and shut-down sequences carry a seek-down report too; a receiver that is not
      // powered does not seek.
      if (powered_ && (report[1] == 0x01 || report[1] == 0x02)) {
        seeking_ = true;
        seekDirection_ = static_cast<SeekDirection>(report[1]);
        seekFrom_ = frequency_;
        seekStartMs_ = clock_.NowMs();
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

void SimulatedReceiver::SettleSeek() {
  if (!seeking_) return;
  const BandLimits l = GetBandLimits(band_, region_);
  const uint64_t steps = (clock_.NowMs() - seekStartMs_) / std::max(1u, msPerSeekStep);
  uint16_t f = seekFrom_;
  bool stopped = false;
  for (uint64_t i = 0; i < steps; ++i) {
    if (seekDirection_ == SeekDirection::Up) {
      if (f >= l.upper) { f = l.upper; stopped = true; break; }
      f = static_cast<uint16_t>(std::min<unsigned>(f + l.step, l.upper));
    } else {
      if (f <= l.lower) { f = l.lower; stopped = true; break; }
      f = static_cast<uint16_t>(std::max<int>(f - l.step, l.lower));
    }
    if (SignalAt(f) >= seekThreshold || f == l.upper || f == l.lower) { stopped = true; break; }
  }
  frequency_ = f;
  if (stopped) {
    seeking_ = false;
  } else {
    // Keep walking from here at the same pace.
    seekFrom_ = f;
    seekStartMs_ += steps * msPerSeekStep;
  }
}

bool SimulatedReceiver::Seeking() {
  SettleSeek();
  return seeking_;
}

uint16_t SimulatedReceiver::Frequency() {
  SettleSeek();
  return frequency_;
}

uint8_t SimulatedReceiver::SignalAt(uint16_t freq) const {
  for (const auto& s : stations_)
    if (s.band == band_ && s.frequency == freq) return s.signal;
  return noiseSignal;
}

HidReadResult SimulatedReceiver::OnRead(uint8_t* buffer, size_t length, unsigned timeoutMs) {
  ++reads_;
  if (removed_) return HidReadResult::Failed;
  if (allReadsTimeOut || readsTimingOut > 0) {
    if (readsTimingOut > 0) --readsTimingOut;
    clock_.SleepMs(timeoutMs);
    return HidReadResult::TimedOut;
  }
  if (readLatencyMs) clock_.SleepMs(readLatencyMs);
  SettleSeek();
  std::memset(buffer, 0, length);
  if (length >= 5) {
    buffer[0] = 0x01;
    buffer[2] = seeking_ ? noiseSignal : SignalAt(frequency_);
    buffer[3] = static_cast<uint8_t>(frequency_ >> 8);
    buffer[4] = static_cast<uint8_t>(frequency_ & 0xFF);
  }
  return HidReadResult::Delivered;
}

void SimulatedHidPlatform::PutReceiverAt(unsigned index) {
  slots.assign(index + 1, Slot{});
  slots[index] = Slot{Slot::Receiver, 0x10C4, 0x818A, kReportLength, false};
}

bool SimulatedHidPlatform::BeginEnumeration() {
  if (enumerationFails) return false;
  ++enumerationsOpen;
  return true;
}

std::unique_ptr<IHidDevice> SimulatedHidPlatform::OpenMember(unsigned index) {
  ++membersVisited;
  if (index >= slots.size()) return nullptr;
  const Slot& s = slots[index];
  switch (s.kind) {
    case Slot::Receiver: {
      if (receiver_.Removed()) return nullptr;
      auto handle = receiver_.Open(s.featureLength);
      if (!s.capsFail) return handle;
      handle.reset();
      return std::make_unique<SimHandle>(nullptr, s.vendorId, s.productId, s.featureLength, true);
    }
    case Slot::Other:
      return std::make_unique<SimHandle>(nullptr, s.vendorId, s.productId, s.featureLength, s.capsFail);
    case Slot::Busy:  // held by another program: the exclusive open fails
    case Slot::Missing:
      return nullptr;
  }
  return nullptr;
}

void SimulatedHidPlatform::EndEnumeration() { --enumerationsOpen; }

uintptr_t SimulatedHidPlatform::RegisterHandleNotification(WindowHandle, const IHidDevice&) {
  if (notificationFails) return 0;
  registrations.push_back(++nextRegistration_);
  return nextRegistration_;
}

void SimulatedHidPlatform::UnregisterNotification(uintptr_t registration) {
  registrations.erase(std::remove(registrations.begin(), registrations.end(), registration), registrations.end());
}
