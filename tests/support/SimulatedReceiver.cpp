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
  if (tuner_.Apply(report)) {
    seekFrom_ = tuner_.frequency;
    seekStartMs_ = clock_.NowMs();
  }
  return true;
}

void SimulatedReceiver::SettleSeek() {
  if (!tuner_.seeking) return;
  const BandLimits l = GetBandLimits(tuner_.band, tuner_.region);
  const uint64_t steps = (clock_.NowMs() - seekStartMs_) / std::max(1u, msPerSeekStep);
  uint16_t f = seekFrom_;
  bool stopped = false;
  for (uint64_t i = 0; i < steps; ++i) {
    f = tuner_.SeekStep(f, l);
    if (SignalAt(f) >= seekThreshold || f == l.upper || f == l.lower) { stopped = true; break; }
  }
  tuner_.frequency = f;
  if (stopped) {
    tuner_.seeking = false;
  } else {
    // Keep walking from here at the same pace.
    seekFrom_ = f;
    seekStartMs_ += steps * msPerSeekStep;
  }
}

bool SimulatedReceiver::Seeking() {
  SettleSeek();
  return tuner_.seeking;
}

uint16_t SimulatedReceiver::Frequency() {
  SettleSeek();
  return tuner_.frequency;
}

uint8_t SimulatedReceiver::SignalAt(uint16_t freq) const {
  for (const auto& s : stations_)
    if (s.band == tuner_.band && s.frequency == freq) return s.signal;
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
    buffer[2] = tuner_.seeking ? noiseSignal : SignalAt(tuner_.frequency);
    buffer[3] = static_cast<uint8_t>(tuner_.frequency >> 8);
    buffer[4] = static_cast<uint8_t>(tuner_.frequency & 0xFF);
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
