#pragma once
// The main window's behaviour: every command, timer and device event, the bring-up of the
// receiver and the closing paths, sequenced over the state's owners: the radio (station,
// presets, sound), the recording session, the playback part and the power state the scheduler
// shares. Plain C++ over the receiver, the settings store, the clocks and the view; CMainDlg
// feeds it the window's messages. One thread only.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>

#include "app/FocusKeeper.h"
#include "app/LiveSound.h"
#include "app/MainWindowPorts.h"
#include "app/PlaybackControl.h"
#include "app/Radio.h"
#include "app/RecordingController.h"
#include "device/BandPlan.h"
#include "base/Clock.h"
#include "device/MyKestrune.h"
#include "schedule/PowerState.h"

class SettingsStore;

enum class BringUpSituation { StartUp, Arrival, Resume };

// Notification code of a Tune button being pressed down (its hold starts).
constexpr int kButtonPressCode = 2;
// Notification code of a Tune button let go without a click: a key held it and its focus moved
// on, or a menu or dialog took the mode away. The hold ends and nothing more is tuned.
constexpr int kButtonHoldLostCode = 0x0100;

class MainWindow final : public ISchedulerHost, public IPlaybackHost {
 public:
  // The parts other subsystems own are optional: without `playback` no file plays, without
  // `scheduler` nothing is reserved, without `dialogs` Preferences and the timer list do nothing,
  // without `exitLog` the exit writes no note of its own.
  MainWindow(CMyKestrune& device, LiveSound& sound, ::Radio& radio, RecordingController& recording,
             SettingsStore& settings, IClock& clock, IWallClock& wallClock, ITimerHost& timers, IMainView& view,
             IMainDisplay& display, PowerState& power, IPlaybackControl* playback, ISchedulerControl* scheduler,
             IWindowDialogs* dialogs, IExitLog* exitLog = nullptr);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;


  // ---- Window state ----
  bool Playing() const { return playback_ && playback_->IsPlaying(); }
  // A seek runs: the receiver moves and its frequency is polled.
  bool Seeking() const { return seeking_; }
  // A seek's silence is on (from its start until it settles or a command ends it).
  bool ContinuousTune() const { return continuousTune_; }
  // Equal reads in a row while a seek polls.
  uint16_t SeekStableReads() const { return seekStable_; }
  // Save to Preset was pressed: the next preset button stores the station.
  bool SaveArmed() const { return saveArmed_; }
  void DisarmSave() { saveArmed_ = false; }
  // The receiver was pulled out: the close leaves its handle alone.
  bool DeviceLost() const { return deviceLost_; }
  // The deferred start brings the receiver up (start-up; not after a standby's return).
  void SetStartPending() { startPending_ = true; }
  // Started hidden in the tray (at log-on): the program stays for its reservations when the
  // receiver is pulled out, and a resume or an arrival leaves the window hidden until the user
  // shows it. Its live sound waits for that too: hidden, it only waits for a reservation.
  void SetStartedInTray() {
    startedInTray_ = hiddenInTray_ = true;
    sound_.Hold();
  }
  // The window became visible (shown from the tray, or by a second start): the first time after
  // a start in the tray, the live sound starts as the deferred start of a plain start starts it.
  void OnWindowShown();
  bool StartPending() const { return startPending_; }

  // ---- Start-up and closing ----
  // The run-time state cleared before the settings are read.
  void ClearRunState();
  // The stored radio state, with the recording's rate and folder.
  void LoadRadioState();
  void SaveRadioState() override { radio_.Save(); }
  // Power settings from the registry; the keep-awake rule is applied at once.
  void LoadPowerSettings() { power_.Load(settings_); }
  // The reservations as stored, once the window is on the screen.
  void LoadSchedule() {
    if (scheduler_) scheduler_->LoadSchedule();
  }
  // Timer 2, one shot, about 200 ms after the window shows.
  void DeferredStart();
  void BringUpReceiver(BringUpSituation situation);
  // Command 1028; `why` is what the recording that runs, if any, is ended for.
  void Close(RecordingEndReason why = RecordingEndReason::ProgramClosed);
  void Exit();   // command 32780
  // Log-off or shutdown: when the session really ends the Close button's sequence runs, since
  // the process may be ended as soon as the message returns.
  void OnEndSession(bool ending);

  // ---- Device notifications; both always answer TRUE ----
  bool OnDeviceArrival(const std::string& interfacePath);
  bool OnDeviceRemoveComplete(uintptr_t handle);
  // Windows asks to remove the receiver (Safely remove, a driver update): its handle is given up
  // as for a removal, so that the request is not refused; if the receiver is still there a
  // moment later (another program refused), it is brought up again.
  bool OnDeviceQueryRemove(uintptr_t handle);
  // How long a receiver that is back is waited for to bring its audio function along, and when
  // a receiver whose removal was asked for is looked for again.
  static constexpr uint64_t kAudioWaitMs = 10000;
  static constexpr uint64_t kReprobeMs = 3000;
  // The program ends or the PC shuts down, the one wait of the exit: the writers of stopped
  // recordings get kWriterWaitMs in all to finish their files; a note of each that could not
  // goes to the fallback log first, then to the record folder's; the log gets kLogWaitMs. Nothing
  // here waits for a click.
  void FinishRecordingFiles();
  static constexpr unsigned kWriterWaitMs = 10000;
  static constexpr unsigned kLogWaitMs = 2000;
  // A stopped recording's writer is through (posted from its thread).
  void OnRecorderFinished(const RecordingOutcome& outcome) { recording_.OnRecorderFinished(outcome); }

  // ---- Messages ----
  // Returns true when the command was handled.
  bool OnCommand(int id, int notifyCode);
  void OnTimer(unsigned id);
  void OnVolumeSliderNotify();
  void OnMouseMove();

  // ---- Shared operations ----
  void CancelSeek();
  void SelectBand(uint8_t band);
  void ApplyRegion(uint8_t region);

  // ---- ISchedulerHost: what the scheduler asks of the window ----
  void StopPlayback() override;
  void TuneForReservation(uint8_t band, uint16_t frequency) override;
  void RestoreSavedStation() override;
  void ForgetSavedStation() override { radio_.ForgetStation(); }
  std::string RecordFolder() override { return recording_.RecordFolder(); }
  void CloseReceiver() override;
  void StopSound() override { StopLive(); }
  void StopWorkTimers() override;
  void EnterStandby() override;
  void Resume() override { BringUpReceiver(BringUpSituation::Resume); }
  void PrepareShutdown() override;
  void ShutdownRefused() override { view_.RegisterDeviceNotifications(); }
  void CloseWindow() override { Close(); }
  bool ReceiverAway() const override { return receiverAway_; }

  // ---- IPlaybackHost ----
  void EndSeekAndSave() override {
    CancelSeek();
    saveArmed_ = false;
  }

  // ---- Commands ----
  void OnPresetButton(int n);
  void OnPresetDown();
  void OnPresetUp();
  void OnSaveToPreset();
  void OnBandButton(uint8_t band);
  void OnTuneStep(bool up);
  void OnTuneHoldStart(bool up);
  void OnTuneHoldLost();
  void OnSeek(bool up);
  void OnMute();
  void OnVolumeKey(int delta);
  void OnStereo();
  void OnMinimise();
  void OnPreferences();
  void OnTimerSettings();
  void OnAbout();
  void OnRecordButton();  // command 1022

  // ---- Timers ----
  void OnHeartbeat();
  void OnSignalTimer();
  void OnHoldTick(bool up);
  void OnSeekPoll();

 private:
  bool DeviceOpen() const { return device_.IsOpen(); }
  // The current frequency brought into the band plan and sent; the signal is read 500 ms later.
  void Retune();
  // The current preset's stored station and name; tuned when the station differs.
  void LoadCurrentPreset(bool refresh);
  // A seek's silence on or off, unless the user muted the sound.
  void ToggleSeekSilence();
  // Tunes the current band and frequency on the receiver (its band given a second when
  // `waitForBand`), brings the live sound back and repaints.
  void TuneCurrentStation(bool waitForBand);
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
  // Every control the window disables or enables again goes through here, so that the focus
  // never stays on a disabled one.
  void EnableControls(std::span<const int> ids, bool enable);
  void EnableControls(std::initializer_list<int> ids, bool enable) {
    EnableControls(std::span<const int>(ids.begin(), ids.size()), enable);
  }
  // The controls a seek disables: 999 to 1025 and the Stereo/Mono button.
  void EnableSeekLockedControls(bool enable);
  // Five status reads in a row; the last delivered report wins. False when none delivered.
  bool ReadStatusBatch(uint8_t (&report)[kReportLength]);
  void ShowMuteCells();
  // The failure the receiver's audio preparation left at its open, in a box when the user
  // `byHand` started the program, else on the window's line.
  void TellOpenFailure(bool byHand);
  // The window shown after a bring-up, unless it was started in the tray and is still hidden.
  void ShowAfterBringUp();
  // The receiver was pulled out while the program must stay for the night's reservations.
  void WaitForReceiver();
  // The receiver is back with its audio (or it was waited for long enough): the scheduler hears.
  void ReceiverBack();
  // The heartbeat's look at a receiver that is back without its audio, or asked to be removed.
  void WatchReceiver();

  CMyKestrune& device_;
  LiveSound& sound_;
  ::Radio& radio_;
  RecordingController& recording_;
  SettingsStore& settings_;
  IClock& clock_;
  IWallClock& wallClock_;
  ITimerHost& timers_;
  IMainView& view_;
  IMainDisplay* display_;
  PowerState& power_;
  IPlaybackControl* playback_;
  ISchedulerControl* scheduler_;
  IWindowDialogs* dialogs_;
  IExitLog* exitLog_;
  FocusKeeper focus_;
  // Sequencing of commands and timers.
  bool seeking_ = false;
  bool continuousTune_ = false;  // a seek's silence: the sound is off until it settles
  uint16_t seekStable_ = 0;
  uint8_t holdTicks_ = 0;
  std::optional<uint16_t> holdFrom_;  // where the receiver is tuned while a hold runs the display ahead
  bool saveArmed_ = false;
  bool startPending_ = false;
  bool deviceLost_ = false;
  bool startedInTray_ = false;
  bool hiddenInTray_ = false;  // started in the tray and not shown since
  bool receiverAway_ = false;  // pulled out (or missing at start-up), the program waiting for it
  // Back, its audio function not yet: until this (monotonic) it is waited for before the
  // receiver counts as back; 0 when not waiting.
  uint64_t audioWaitUntilMs_ = 0;
  // Its handle given up at Windows' request to remove it: if the removal was refused, it is
  // looked for again at this time; 0 when not.
  uint64_t reprobeAtMs_ = 0;
  uint8_t lastSecond_ = 0;

  // Tests set up the sequencing state an earlier command would have left.
  friend struct MainWindowProbe;
};

// True when an arrival's interface path names the receiver (upper-cased, after the first
// character).
bool IsReceiverInterfacePath(const std::string& path);
