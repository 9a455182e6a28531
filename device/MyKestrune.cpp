#include "device/MyKestrune.h"

#include <cstring>
#include <utility>

CMyKestrune::CMyKestrune(IHidPlatform& platform, IClock& clock, IReceiverAudio* audio)
    : platform_(platform), clock_(clock), audio_(audio) {}

CMyKestrune::~CMyKestrune() {
  // The handle closes with its owner; no shut-down reports here (the window sends them on Close,
  // and after a removal nothing may be sent).
  if (notification_) platform_.UnregisterNotification(notification_);
  if (audio_) audio_->ReceiverDestroyed();
}

void CMyKestrune::ReleaseAudio() {
  if (audio_) audio_->ReceiverClosing();
}

int CMyKestrune::OpenDevice(WindowHandle owner) {
  if (device_) return 1;
  if (!platform_.BeginEnumeration()) return 0;

  std::unique_ptr<IHidDevice> candidate;
  HidCaps caps;
  // Failed indexes use up an attempt: the set is walked to the end of its 256 slots, not
  // stopped at the first gap.
  for (unsigned index = 0; index < kMaxHidMembers && !candidate; ++index) {
    std::unique_ptr<IHidDevice> device = platform_.OpenMember(index);
    if (!device) continue;
    HidAttributes attributes;
    if (!device->GetAttributes(attributes) || attributes.vendorId != kReceiverVendorId ||
        attributes.productId != kReceiverProductId)
      continue;  // closed by going out of scope
    HidCaps found;
    if (!device->GetCaps(found)) continue;
    // Every report and read is 64 bytes; a device of another feature length is not ours to drive.
    if (found.featureReportLength != kReportLength) continue;
    caps = found;
    candidate = std::move(device);
  }
  platform_.EndEnumeration();

  if (!candidate) {
    caps_.inputReportLength = 0;
    caps_.outputReportLength = 0;
    return 0;
  }

  caps_ = caps;
  reportBuffer_.assign(caps_.featureReportLength, 0);
  device_ = std::move(candidate);
  notification_ = platform_.RegisterHandleNotification(owner, *device_);
  if (audio_) audio_->ReceiverOpened();
  return 1;
}

void CMyKestrune::CloseDevice() {
  if (notification_) {
    platform_.UnregisterNotification(notification_);
    notification_ = 0;
  }
  if (!device_) return;
  clock_.SleepMs(20);
  ReleaseAudio();
  Send(BandSelectReport(BandFM, RegionEurope));
  Send(SeekReport(SeekDirection::Down));
  Send(PowerDownReport());
  device_.reset();
}

void CMyKestrune::ForgetDevice() {
  if (notification_) {
    platform_.UnregisterNotification(notification_);
    notification_ = 0;
  }
  if (!device_) return;
  ReleaseAudio();
  device_.reset();
}

int CMyKestrune::SendBuffer() {
  return device_->SetFeature(reportBuffer_.data(), reportBuffer_.size()) ? 1 : 0;
}

int CMyKestrune::Send(const ShortReport& report) {
  if (!device_) return 0;
  // Only the leading bytes are written; the tail keeps whatever an earlier report left there.
  std::memcpy(reportBuffer_.data(), report.bytes, report.length);
  return SendBuffer();
}

int CMyKestrune::SendRegionConfig(uint8_t region) {
  region_ = region;
  if (!device_) return 0;
  const auto& block = RegionConfigBlock(region);
  std::memcpy(reportBuffer_.data(), block.data(), block.size());
  return SendBuffer();
}

int CMyKestrune::PowerUp() {
  if (!device_) return 0;
  Send(PowerUpReport());
  SendBandSelect(band_);
  Send(SeekReport(SeekDirection::Down));
  return Send(BandCompletionReport());
}

int CMyKestrune::SendBandSelect(uint8_t band) {
  if (!device_) return 0;
  Send(BandSelectReport(band, region_));
  return Send(BandCompletionReport());
}

int CMyKestrune::SendBandCompletion() { return Send(BandCompletionReport()); }
int CMyKestrune::SendTune(uint16_t freq) { return Send(TuneReport(freq)); }
int CMyKestrune::SendSeek(SeekDirection direction) { return Send(SeekReport(direction)); }
int CMyKestrune::SendStereoMode(bool stereo) { return Send(StereoModeReport(stereo)); }

int CMyKestrune::ReadStatus(uint8_t (&destination)[kReportLength]) {
  if (!device_) return 0;
  if (device_->ReadInput(reportBuffer_.data(), reportBuffer_.size(), kStatusReadTimeoutMs) !=
      HidReadResult::Delivered)
    return 0;
  std::memcpy(destination, reportBuffer_.data(), kReportLength);
  return 1;
}
