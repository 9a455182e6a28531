#pragma once
// The device object: owns the receiver's open HID interface and its report buffer, and the
// live-listening graph. Every operation tests the handle first and does nothing, returning 0,
// while the receiver is not open. Single-threaded: the main window's thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/BandPlan.h"
#include "base/Clock.h"
#include "device/HidDevice.h"
#include "device/TunerReports.h"

class ILiveAudio;
class IRecorder;
class IAudioPreparation;
class IFailureBox;

constexpr uint16_t kReceiverVendorId = 0x10C4;
constexpr uint16_t kReceiverProductId = 0x818A;
constexpr unsigned kMaxHidMembers = 256;
constexpr unsigned kStatusReadTimeoutMs = 100;

class CMyKestrune {
 public:
  // `platform` and `clock` must outlive the object. Audio collaborators are optional.
  CMyKestrune(IHidPlatform& platform, IClock& clock);
  virtual ~CMyKestrune();
  CMyKestrune(const CMyKestrune&) = delete;
  CMyKestrune& operator=(const CMyKestrune&) = delete;

  void SetLiveAudio(std::unique_ptr<ILiveAudio> live);
  void SetAudioPreparation(IAudioPreparation* preparation, IFailureBox* failureBox);
  ILiveAudio* LiveAudio() const { return live_.get(); }
  void SetRecorder(std::unique_ptr<IRecorder> recorder);

  // The recorder (audio/Recorder.h), null when none was given. It does not look at the HID
  // handle: the audio function is a device of its own. StartRecorder is true when the recording
  // runs (false also without a recorder); a failure has shown its message. StopRecorder always
  // answers 1.
  IRecorder* Recorder() const { return recorder_.get(); }
  bool StartRecorder(const std::string& path, uint16_t kbps);
  int StopRecorder();
  bool IsRecorderRunning() const;
  // The file actually written (a taken name gets "_2", "_3" ...).
  std::string RecorderPath() const;

  bool IsOpen() const { return device_ != nullptr; }
  uintptr_t NativeHandle() const { return device_ ? device_->NativeHandle() : 0; }
  uintptr_t Notification() const { return notification_; }

  // 1 when the receiver is open (also when it already was), 0 when not found. A failure of the
  // audio preparation is kept for ShowOpenFailure, not shown here: a message box pumps the
  // window's messages, and nothing may reach a receiver that is not brought up yet.
  int OpenDevice(WindowHandle owner);
  // Shows the failure the last open left, once; nothing when there is none. The caller runs it
  // when the bring-up is complete.
  void ShowOpenFailure();
  // Shut-down reports, then the handle is closed. Also releases the live graph.
  void CloseDevice();
  // A receiver that was pulled out: its handle and the live graph go without a report (nothing
  // can reach it), so that its arrival can bring it up afresh.
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
  void PrepareAudioInput();
  // The live graph goes, and the recording with it: both hang on the receiver's audio.
  void ReleaseLiveGraph();

  IHidPlatform& platform_;
  IClock& clock_;
  std::unique_ptr<ILiveAudio> live_;
  std::unique_ptr<IRecorder> recorder_;
  IAudioPreparation* preparation_ = nullptr;
  IFailureBox* failureBox_ = nullptr;
  std::string openFailure_;

  std::unique_ptr<IHidDevice> device_;
  uintptr_t notification_ = 0;
  HidCaps caps_;
  std::vector<uint8_t> reportBuffer_;
  uint8_t region_ = 0;
  uint8_t band_ = 0;
};
