#pragma once
// The program, built in one place: the adapters to Windows, the receiver and what hangs on its
// audio, the recording session, the radio, playback, the scheduler, the window's behaviour and
// the dialog that shows it, each given what it works with when it is made, and taken down in the
// reverse order. The dialog is made before the behaviour it shows, for it is the behaviour's view
// and timers; it keeps references to the window logic and the session made after it and calls
// them only once its window exists. Two parts are asked by parts made before them (playback by
// the window and the dialog, the scheduler by the session, the window and the dialog): those ask
// through a link made early that passes each call on. Tests build the same program over
// stand-ins of the adapters.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/LiveSound.h"
#include "app/MainWindow.h"
#include "app/Radio.h"
#include "app/RecordingController.h"
#include "app/win32/MainDlg.h"
#include "app/win32/MainTray.h"
#include "app/win32/PlaybackPart.h"
#include "app/win32/RecorderOutcomes.h"
#include "app/win32/SchedulerPart.h"
#include "app/win32/SettingsDialogs.h"
#include "audio/AudioPreparation.h"
#include "audio/LiveAudio.h"
#include "audio/Recorder.h"
#include "audio/win32/AudioPreparationWin32.h"
#include "base/win32/LocalWallClock.h"
#include "device/MyKestrune.h"
#include "device/win32/HidArrivals.h"
#include "schedule/PowerState.h"
#include "schedule/StartTask.h"
#include "schedule/win32/Win32Power.h"
#include "settings/KeyValueTree.h"
#include "settings/SettingsStore.h"
#include "settings/win32/RegistryTree.h"

// Makes the live graph; `receiverOpen` is what it asks before it touches the receiver's audio.
using LiveAudioMaker = std::function<std::unique_ptr<ILiveAudio>(std::function<bool()> receiverOpen)>;

// What the program is built over. The HID side is always given; an adapter left empty is the
// program's own, or, with `program` off (tests), none where the program can do without it.
struct AppAdapters {
  HINSTANCE instance = nullptr;
  IHidPlatform* hid = nullptr;
  bool program = true;
  IClock* clock = nullptr;                // the steady clock when none
  IKeyValueTree* settingsTree = nullptr;  // the registry when none
  IWallClock* wallClock = nullptr;        // the computer's local time when none
  IFailureBox* failures = nullptr;        // a message box (for a start by hand that failed)
  IWindowDialogs* dialogs = nullptr;      // the settings dialogs
  // The shutdown and sleep calls: the system's; without `program` refused, since under Wine the
  // real ExitWindowsEx ends every process of the prefix.
  std::optional<PowerCalls> powerCalls;
  // The receiver's audio: the wave-in recorder and preparation and the DirectShow live graph;
  // without `program` these stand in, each optional.
  std::unique_ptr<IRecorder> recorder;
  IAudioPreparation* preparation = nullptr;
  LiveAudioMaker liveAudio;
  // Windows' Task Scheduler, which starts this very copy for the next reservation; none keeps
  // no task.
  IStartTaskStore* startTask = nullptr;
  // Stand-ins for whole parts, for tests of the window without them.
  ISchedulerControl* scheduler = nullptr;
  IPlaybackControl* playback = nullptr;
  ITrayIcon* tray = nullptr;
};

// Playback as the parts made before it ask it: the program's, or a test's stand-in.
class PlaybackLink final : public IPlaybackControl {
 public:
  PlaybackLink(PlaybackPart& part, IPlaybackControl* standIn) : part_(part), standIn_(standIn) {}
  bool IsPlaying() const override { return Target().IsPlaying(); }
  void EndForClose() override { Target().EndForClose(); }
  void StopPlayback() override { Target().StopPlayback(); }
  void RunGraph() override { Target().RunGraph(); }
  void StopGraph() override { Target().StopGraph(); }
  void SetGraphVolume(long centibels) override { Target().SetGraphVolume(centibels); }
  void OnPlayButton() override { Target().OnPlayButton(); }
  void OnPlaybackTimer() override { Target().OnPlaybackTimer(); }
  void OnGraphEvent() override { Target().OnGraphEvent(); }
  void OnPositionScroll(int code) override { Target().OnPositionScroll(code); }

 private:
  IPlaybackControl& Target() const { return standIn_ ? *standIn_ : part_.Control(); }
  PlaybackPart& part_;
  IPlaybackControl* standIn_;
};

// The scheduler as the parts made before it ask it; the power broadcasts go to the program's
// only (a stand-in leaves them to the system).
class SchedulerLink final : public ISchedulerControl, public IPowerBroadcastSink {
 public:
  SchedulerLink(SchedulerPart& part, ISchedulerControl* standIn) : part_(part), standIn_(standIn) {}
  void LoadSchedule() override { Target().LoadSchedule(); }
  void SchedulerTick(const LocalTime& now) override { Target().SchedulerTick(now); }
  void OnRecordingEnded(const RecordingEnd& end) override { Target().OnRecordingEnded(end); }
  void OnRecordingStarted(const std::string& file) override { Target().OnRecordingStarted(file); }
  void OnClosing() override { Target().OnClosing(); }
  bool HasActiveReservation() const override { return Target().HasActiveReservation(); }
  void OnReceiverRemoved() override { Target().OnReceiverRemoved(); }
  void OnReceiverArrived() override { Target().OnReceiverArrived(); }
  void OnRecordingFilesDone(const std::vector<std::string>& unfinished) override {
    Target().OnRecordingFilesDone(unfinished);
  }
  LRESULT OnPowerBroadcast(WPARAM event) override { return part_.OnPowerBroadcast(event); }
  // The sink for the dialog: none while a stand-in schedules.
  IPowerBroadcastSink* PowerSink() { return standIn_ ? nullptr : this; }

 private:
  ISchedulerControl& Target() const { return standIn_ ? *standIn_ : part_.Get(); }
  SchedulerPart& part_;
  ISchedulerControl* standIn_;
};

class App {
 public:
  explicit App(AppAdapters adapters);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // The window made (hidden, not yet on the screen); null when it could not be.
  HWND MakeWindow(bool startedInTray = false);
  // The program's run: the window made, shown (hidden in the tray for a start at log-on) and its
  // messages run by `loop` until it is closed. The process's exit code.
  int Run(MessageLoop& loop, int showCommand, bool startedInTray);

  CMainDlg& Dialog() { return dialog_; }
  MainWindow& Window() { return window_; }
  CMyKestrune& Device() { return device_; }
  ::Radio& Radio() { return radio_; }
  RecordingController& Recording() { return recording_; }
  IRecorder* Recorder() { return recorder_.get(); }
  SettingsStore& Settings() { return settings_; }
  PowerState& Power() { return powerState_; }
  Win32PowerActions& PowerActions() { return power_; }
  SchedulerPart& Scheduler() { return scheduler_; }
  PlaybackPart& Playback() { return playback_; }
  MainTray& Tray() { return tray_; }

 private:
  static std::unique_ptr<IRecorder> MakeRecorder(AppAdapters& adapters);
  static PowerCalls PowerCallsOf(const AppAdapters& adapters);
  static std::unique_ptr<ILiveAudio> MakeLiveAudio(const AppAdapters& adapters, std::function<bool()> receiverOpen);

  // ---- Adapters ----
  HINSTANCE instance_;
  IHidPlatform& hid_;
  IClock& clock_;
  RegistryTree registry_;
  IKeyValueTree& tree_;
  LocalWallClock localTime_;
  IWallClock& wallClock_;
  Win32PowerActions power_;
  HidArrivals arrivals_;
  Win32RecordFolders folders_;
  MessageFailureBox messageBox_;
  IFailureBox* failures_;
  SettingsDialogs settingsDialogs_;
  IWindowDialogs* dialogs_;
  WaveInAudioPreparation wavePreparation_;
  IAudioPreparation* preparation_;
  IStartTaskStore* startTask_;
  SettingsStore settings_;
  // The night's log, shared by the scheduler and the exit; it goes last, after the scheduler's
  // final lines are queued.
  LogWriter log_;
  // ---- The receiver and its audio ----
  RecorderOutcomes outcomes_;
  std::unique_ptr<IRecorder> recorder_;
  LiveSound liveSound_;
  CMyKestrune device_;
  PowerState powerState_;
  // ---- The radio's state and what acts on it ----
  ::Radio radio_;
  MainTray tray_;
  PlaybackLink playbackLink_;
  SchedulerLink schedulerLink_;
  CMainDlg dialog_;
  RecordingController recording_;
  MainWindow window_;
  PlaybackPart playback_;
  SchedulerPart scheduler_;
};
