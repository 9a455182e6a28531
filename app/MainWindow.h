#pragma once
// The main window's behaviour: its radio state, every command, timer and device event, the
// bring-up of the receiver and the closing paths. Plain C++ over the receiver, the settings
// store, the clocks and the view; CMainDlg feeds it the window's messages. One thread only.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "app/MainWindowPorts.h"
#include "device/BandPlan.h"
#include "device/Clock.h"
#include "device/MyKestrune.h"
#include "settings/PowerSettings.h"

class SettingsStore;

// Timers of the main window.
enum MainTimer : unsigned {
  kTimerHeartbeat = 1,
  kTimerDeferredStart = 2,
  kTimerSignal = 8,
  kTimerRecordLimit = 10,
  kTimerHoldUp = 20,
  kTimerHoldDown = 21,
  kTimerSeekPoll = 30,
  kTimerMuteEnable = 31,
  kTimerBandEnable = 32,
  kTimerTuneEnable = 33,
  kTimerPlayback = 80,
};

// The timers that carry the window's running work: Close and standby stop them all and leave
// only the control re-enabling ones, which are harmless to let fire.
inline constexpr unsigned kWorkTimers[] = {kTimerHeartbeat,   kTimerDeferredStart, kTimerSignal,
                                           kTimerRecordLimit, kTimerHoldUp,        kTimerHoldDown,
                                           kTimerSeekPoll,    kTimerMuteEnable,    kTimerPlayback};

enum class BringUpSituation { StartUp, Arrival, Resume };

// Notification code of a Tune button being pressed down (its hold starts).
constexpr int kButtonPressCode = 2;

// Process-wide copy of the current band, read by the preferences dialog.
extern int g_currentBand;

struct MainWindowParts {
  IPlaybackControl* playback = nullptr;
  ISchedulerControl* scheduler = nullptr;
  IWindowDialogs* dialogs = nullptr;
};

class MainWindow {
 public:
  MainWindow(CMyKestrune& device, SettingsStore& settings, IClock& clock, IWallClock& wallClock,
             ITimerHost& timers, IMainView& view, IMainDisplay& display, IPowerControl& power);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void SetParts(const MainWindowParts& parts) { parts_ = parts; }
  void SetDisplay(IMainDisplay& display) { display_ = &display; }
  // Without a recording view the Record button and its menus do nothing.
  void SetRecordingView(IRecordingView& view) { recordingView_ = &view; }
  IMainDisplay& Display() { return *display_; }
  const MainWindowParts& Parts() const { return parts_; }
  CMyKestrune& Device() { return device_; }
  SettingsStore& Settings() { return settings_; }
  IMainView& View() { return view_; }
  ITimerHost& Timers() { return timers_; }
  IClock& Clock() { return clock_; }
  IWallClock& WallClock() { return wallClock_; }

  // ---- Start-up and closing ----
  // The run-time fields cleared before the settings are read.
  void ClearRunState();
  void LoadRadioState();
  void SaveRadioState();
  // Power settings from the registry; the keep-awake rule is applied at once.
  void LoadPowerSettings();
  void ApplyKeepAwake();
  // Timer 2, one shot, about 200 ms after the window shows.
  void DeferredStart();
  void BringUpReceiver(BringUpSituation situation);
  void Close();  // command 1028
  void Exit();   // command 32780
  // Log-off or shutdown: when the session really ends the Close button's sequence runs, since
  // the process may be ended as soon as the message returns.
  void OnEndSession(bool ending);

  // ---- Device notifications; both always answer TRUE ----
  bool OnDeviceArrival(const std::string& interfacePath);
  bool OnDeviceRemoveComplete(uintptr_t handle);

  // ---- Messages ----
  // Returns true when the command was handled.
  bool OnCommand(int id, int notifyCode);
  void OnTimer(unsigned id);
  void OnVolumeSliderNotify();
  void OnMouseMove();

  // ---- Shared operations ----
  uint16_t CurrentFrequency() const;
  uint16_t& CurrentRegister();
  void Retune();
  void CancelSeek();
  void FindCurrentPreset();
  void LoadCurrentPreset(bool refresh);
  void ToggleSeekSilence();
  void SelectBand(uint8_t band);
  void ApplyRegion(uint8_t region);
  std::string PresetKeyOfBand() const;
  int LiveVolume() const { return m_muted ? 0 : m_volume; }

  // ---- Commands ----
  void OnPresetButton(int n);
  void OnPresetDown();
  void OnPresetUp();
  void OnSaveToPreset();
  void OnBandButton(uint8_t band);
  void OnTuneStep(bool up);
  void OnTuneHoldStart(bool up);
  void OnSeek(bool up);
  void OnMute();
  void OnVolumeKey(int delta);
  void OnStereo();
  void OnMinimise();
  void OnPreferences();
  void OnTimerSettings();
  void OnAbout();

  // ---- Recording (MainWindowRecording.cpp) ----
  void OnRecordButton();                // command 1022
  void OnRecordMenu(int command);       // 32802..32806
  void OnStopRecordMenu(int command);   // 32807..32811
  // A manual recording of the current station into the record folder; false when it failed.
  bool StartRecording();
  // Ends any recording, manual or scheduled, and clears its display: the display reset.
  void StopRecording();
  // A recording whose file stopped taking writes ends through the same stop; the scheduler hears
  // of it as a failure (so that a reservation's after-action still runs) and the user is told
  // once. Runs on the heartbeat: the capture thread that saw the failure never touches a window.
  void EndRecordingOnWriteFailure();
  void OnRecordLimitTimer();            // timer 10
  void RecordingDisplayTick();          // once a second from the heartbeat
  // Starts the recorder into `path` at `kbps` and, when it runs, shows the recording: flag,
  // start time (`startSeconds` in IWallClock::CalendarSeconds, else now), elapsed time zero,
  // 1128 the time, 1129 the rate, 1130 the file actually written, 1131 `nameText`. After a
  // failure (its message shown) the window stays idle and this returns false. Manual and
  // scheduled starts both come here.
  bool BeginRecording(const std::string& path, uint16_t kbps, const std::string& nameText,
                      std::optional<int64_t> startSeconds = std::nullopt);
  // Clears the label of a timed manual recording and ends its countdown (timer 10).
  void CancelRecordLimit();

  // ---- Timers ----
  void OnHeartbeat();
  void OnSignalTimer();
  void OnHoldTick(bool up);
  void OnSeekPoll();

  // ---- Radio state (names shared with the other subsystems) ----
  uint8_t m_band = 0;
  uint8_t m_region = 0;
  uint16_t m_freqFm = 0;
  uint16_t m_freqAm = 0;
  uint16_t m_freqSw = 0;
  uint8_t m_savedBand = 0;
  uint16_t m_savedFreqFm = 0;
  uint16_t m_savedFreqAm = 0;
  uint16_t m_savedFreqSw = 0;
  int m_volume = 0;
  int m_muted = 0;
  int m_userMutedLive = 0;
  int m_seeking = 0;
  uint16_t m_seekStable = 0;
  int m_continuousTune = 0;
  uint8_t m_holdTicks = 0;
  uint8_t m_preset = 0;
  uint8_t m_prevPreset = 0;
  std::string m_presetName;
  uint8_t m_stereo = 0;
  uint8_t m_signal = 0;
  int m_saveArmed = 0;
  int m_playing = 0;
  int m_recording = 0;
  uint16_t m_recordLimit = 0;
  int m_suspended = 0;
  int m_startPending = 0;
  int m_deviceLost = 0;
  uint8_t m_lastSecond = 0;
  uint8_t m_blink = 0;
  int64_t m_recordStart = 0;  // IWallClock::CalendarSeconds at the start
  uint8_t m_elapsedHours = 0;
  uint8_t m_elapsedMinutes = 0;
  uint8_t m_elapsedSeconds = 0;
  uint8_t m_mp3Rate = 0;
  std::string m_recordFolder;
  std::string m_recordLabel;
  PowerSettings m_power;

 private:
  bool DeviceOpen() const { return device_.IsOpen(); }
  // StopRecording's work, without telling the scheduler. False when nothing recorded.
  bool EndRecording();
  ILiveAudio* Live() const { return device_.LiveAudio(); }
  void RunLive();
  void StopLive();
  // CancelSeek's work. Without `endSilence` the seek's silence and its disabled controls stay
  // for the caller: the Tune buttons end a cancelled seek where the receiver stopped, and Mute
  // ends the silence itself.
  void StopSeek(bool endSilence);
  // RunLive, or StopLive while a file plays: the live graph's answer, 0 when it runs as asked.
  int RunOrStopLive();
  // OpenDevice, then the bring-up core: region, band and power-up, one more band completion.
  bool OpenAndPowerUp();
  void ResumeReceiver();
  void SetLiveVolume(int level);
  void SetPlaybackVolume(int level);
  void EnableControls(std::initializer_list<int> ids, bool enable);
  // The controls a seek disables: 999 to 1025 and the Stereo/Mono button.
  void EnableSeekLockedControls(bool enable);
  // Five status reads in a row; the last delivered report wins. False when none delivered.
  bool ReadStatusBatch(uint8_t (&report)[kReportLength]);
  void ShowMuteCells();

  CMyKestrune& device_;
  SettingsStore& settings_;
  IClock& clock_;
  IWallClock& wallClock_;
  ITimerHost& timers_;
  IMainView& view_;
  IMainDisplay* display_;
  IPowerControl& power_;
  MainWindowParts parts_;
  IRecordingView* recordingView_ = nullptr;
};

// True when an arrival's interface path names the receiver (upper-cased, after the first
// character).
bool IsReceiverInterfacePath(const std::string& path);
