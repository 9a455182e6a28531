#include "app/win32/App.h"

#include <utility>

#include "app/win32/SingleInstance.h"
#include "audio/win32/LiveGraph.h"
#include "audio/win32/WaveInCaptureEngine.h"

namespace {

BOOL WINAPI RefuseExitWindows(UINT, DWORD) { return FALSE; }
BOOLEAN WINAPI RefuseSuspend(BOOLEAN, BOOLEAN, BOOLEAN) { return FALSE; }

}  // namespace

PowerCalls App::PowerCallsOf(const AppAdapters& adapters) {
  if (adapters.powerCalls) return *adapters.powerCalls;
  return adapters.program ? SystemPowerCalls() : PowerCalls{RefuseExitWindows, RefuseSuspend};
}

std::unique_ptr<IRecorder> App::MakeRecorder(AppAdapters& adapters) {
  if (!adapters.program) return std::move(adapters.recorder);
  return std::make_unique<::Recorder>(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance());
}

std::unique_ptr<ILiveAudio> App::MakeLiveAudio(const AppAdapters& adapters, std::function<bool()> receiverOpen) {
  if (!adapters.program)
    return adapters.liveAudio ? adapters.liveAudio(std::move(receiverOpen)) : nullptr;
  return std::make_unique<DirectShowLiveAudio>(std::move(receiverOpen));
}

App::App(AppAdapters adapters)
    : instance_(adapters.instance),
      hid_(*adapters.hid),
      clock_(adapters.clock ? *adapters.clock : SteadyClock::Instance()),
      tree_(adapters.settingsTree ? *adapters.settingsTree : registry_),
      wallClock_(adapters.wallClock ? *adapters.wallClock : localTime_),
      power_(PowerCallsOf(adapters)),
      failures_(adapters.failures ? adapters.failures : adapters.program ? &messageBox_ : nullptr),
      settingsDialogs_(tree_, [this](uint32_t flags) { power_.SetExecutionState(flags); }),
      dialogs_(adapters.dialogs ? adapters.dialogs : adapters.program ? &settingsDialogs_ : nullptr),
      preparation_(adapters.program ? &wavePreparation_ : adapters.preparation),
      startTask_(adapters.startTask),
      settings_(tree_),
      recorder_(MakeRecorder(adapters)),
      // The session is made later; the receiver closes only once everything is made.
      liveSound_(MakeLiveAudio(adapters, [this] { return liveSound_.ReceiverOpen(); }), preparation_,
                 [this] { recording_.StopRecording(RecordingEndReason::ReceiverRemoved); }),
      device_(hid_, clock_, &liveSound_),
      powerState_(power_),
      radio_(settings_),
      tray_(instance_, radio_, settings_),
      playbackLink_(playback_, adapters.playback),
      schedulerLink_(scheduler_, adapters.scheduler),
      dialog_(instance_, window_, device_, radio_, recording_, settings_, clock_, arrivals_,
              adapters.tray ? adapters.tray : &tray_, &playbackLink_, schedulerLink_.PowerSink(), recorder_.get(),
              outcomes_),
      recording_(recorder_.get(), liveSound_, radio_, clock_, wallClock_, dialog_, dialog_, &dialog_, &schedulerLink_,
                 failures_, &dialog_),
      window_(device_, liveSound_, radio_, recording_, settings_, clock_, wallClock_, dialog_, dialog_, dialog_,
              powerState_, &playbackLink_, &schedulerLink_, dialogs_, &log_),
      playback_(dialog_, window_, liveSound_, radio_, recording_, clock_),
      scheduler_(window_, recording_, powerState_, power_, folders_, wallClock_, clock_, settings_, log_, dialog_,
                 adapters.tray ? adapters.tray : &tray_, startTask_) {}

// The window goes first, while everything its last messages reach is still there.
App::~App() {
  if (HWND window = dialog_.Hwnd()) DestroyWindow(window);
}

HWND App::MakeWindow(bool startedInTray) {
  if (startedInTray) window_.SetStartedInTray();
  return dialog_.Create(instance_, CMainDlg::kTemplateId, nullptr);
}

int App::Run(MessageLoop& loop, int showCommand, bool startedInTray) {
  HWND window = MakeWindow(startedInTray);
  if (!window) return 0;
  dialog_.CentreOnWorkArea();
  // In the tray (a start at log-on) everything runs as usual but the window stays hidden.
  ShowAsRunningInstance(window, startedInTray ? SW_HIDE : showCommand, nullptr);
  return loop.Run();
}
