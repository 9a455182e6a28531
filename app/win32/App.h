#pragma once
// The program, built in one place: the adapters to Windows, the receiver and what hangs on its
// audio, the recording session, the radio, playback, the scheduler, the window's behaviour and
// the dialog that shows it, each given what it works with when it is made, and taken down in the
// reverse order. Where two parts work with each other (the session tells the scheduler, the
// scheduler asks the window, the window's view is the dialog) the first made is given the later
// one's reference and stores it: nothing is called before the window's messages run. Tests build
// the same program over stand-ins of the adapters.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

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
  IFailureBox* failures = nullptr;        // a message box
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
  SchedulerPart& Scheduler() { return scheduler_; }
  PlaybackPart& Playback() { return playback_; }
  MainTray& Tray() { return tray_; }

 private:
  static std::unique_ptr<IRecorder> MakeRecorder(AppAdapters& adapters, IFailureBox* failures);
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
  ISchedulerControl* schedulerStandIn_;
  IPlaybackControl* playbackStandIn_;
  ITrayIcon* trayStandIn_;
  SettingsStore settings_;
  // ---- The receiver and its audio ----
  RecorderOutcomes outcomes_;
  std::unique_ptr<IRecorder> recorder_;
  LiveSound liveSound_;
  CMyKestrune device_;
  PowerState powerState_;
  // ---- The radio's state and what acts on it ----
  ::Radio radio_;
  RecordingController recording_;
  MainTray tray_;
  PlaybackPart playback_;
  SchedulerPart scheduler_;
  MainWindow window_;
  CMainDlg dialog_;
};
