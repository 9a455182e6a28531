#pragma once
// A simulated receiver behind the HID interface, for tests only. It logs every feature report
// with the clock's time, keeps the tuned band and frequency, answers status reads with the
// signal of the station it is on, and carries out a seek by itself, walking the band one channel
// per `msPerSeekStep` until it reaches a station of its list or the band edge. Faults can be
// injected: failing sends, reads that time out or answer late, removal.

#include <cstdint>
#include <memory>
#include <vector>

#include "device/BandPlan.h"
#include "base/Clock.h"
#include "device/HidDevice.h"
#include "device/TunerModel.h"

struct LoggedReport {
  uint64_t timeMs;
  std::vector<uint8_t> bytes;  // the whole report as sent
};

struct SimStation {
  uint8_t band;
  uint16_t frequency;
  uint8_t signal;
};

class SimulatedReceiver {
 public:
  explicit SimulatedReceiver(IClock& clock) : clock_(clock) {}

  // A fresh handle on the receiver, as an open of its HID interface would give.
  std::unique_ptr<IHidDevice> Open(uint16_t featureLength = kReportLength);

  // ---- what the receiver saw and is doing
  const std::vector<LoggedReport>& Log() const { return log_; }
  // The leading `n` bytes of each logged report (the meaningful part of short reports).
  std::vector<std::vector<uint8_t>> LogPrefixes(size_t n) const;
  void ClearLog() { log_.clear(); }
  bool Powered() const { return tuner_.powered; }
  uint8_t Band() const { return tuner_.band; }
  uint8_t Region() const { return tuner_.region; }
  bool Seeking();
  uint16_t Frequency();  // where the tuner is now (moves during a seek)

  // ---- the model
  void SetStations(std::vector<SimStation> stations) { stations_ = std::move(stations); }
  void SetFrequency(uint16_t freq) { tuner_.frequency = freq; }
  unsigned msPerSeekStep = 40;
  uint8_t noiseSignal = 4;  // signal away from any station
  uint8_t seekThreshold = 20;  // a seek stops on stations at least this strong

  // ---- faults
  bool failSends = false;
  unsigned readsTimingOut = 0;  // the next n reads do not answer within their limit
  bool allReadsTimeOut = false;
  unsigned readLatencyMs = 2;   // time a status read takes when it answers
  void Remove() { removed_ = true; }
  void PlugIn() { removed_ = false; }
  bool Removed() const { return removed_; }
  unsigned OpenHandles() const { return openHandles_; }
  unsigned ReadCount() const { return reads_; }

  // Called by the handles.
  bool OnFeature(const uint8_t* report, size_t length);
  HidReadResult OnRead(uint8_t* buffer, size_t length, unsigned timeoutMs);
  void OnHandleClosed() { --openHandles_; }

 private:
  void SettleSeek();
  uint8_t SignalAt(uint16_t freq) const;

  IClock& clock_;
  std::vector<LoggedReport> log_;
  std::vector<SimStation> stations_;
  TunerModel tuner_;
  bool removed_ = false;
  uint16_t seekFrom_ = 0;
  uint64_t seekStartMs_ = 0;
  unsigned openHandles_ = 0;
  unsigned reads_ = 0;
};

// The set of present HID interfaces, with the receiver and other devices in chosen slots.
class SimulatedHidPlatform final : public IHidPlatform {
 public:
  struct Slot {
    enum Kind { Missing, Other, Busy, Receiver } kind = Missing;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t featureLength = kReportLength;
    bool capsFail = false;
  };

  explicit SimulatedHidPlatform(SimulatedReceiver& receiver) : receiver_(receiver) {}

  // The receiver alone in slot `index`, earlier slots missing.
  void PutReceiverAt(unsigned index);
  std::vector<Slot> slots;
  bool enumerationFails = false;
  bool notificationFails = false;

  bool BeginEnumeration() override;
  std::unique_ptr<IHidDevice> OpenMember(unsigned index) override;
  void EndEnumeration() override;
  uintptr_t RegisterHandleNotification(WindowHandle owner, const IHidDevice& device) override;
  void UnregisterNotification(uintptr_t registration) override;

  unsigned membersVisited = 0;
  unsigned enumerationsOpen = 0;
  std::vector<uintptr_t> registrations;  // live notification registrations

 private:
  SimulatedReceiver& receiver_;
  uintptr_t nextRegistration_ = 0x5000;
};
