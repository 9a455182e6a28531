#pragma once
// The main window: a modeless dialog from template 129 that turns window messages into calls on
// the behaviour in app/MainWindow and on the parts that own the rest (tray icon, playback, power
// broadcasts), and is the behaviour's view, timers and display.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AccessibleView.h"
#include "app/MainWindow.h"
#include "app/win32/MainAccessible.h"
#include "app/win32/MainDlgPorts.h"
#include "app/win32/MainSkin.h"
#include "app/win32/MainView.h"
#include "app/win32/RecorderOutcomes.h"
#include "app/win32/WindowAnnouncer.h"
#include "app/win32/WindowLayer.h"
#include "device/win32/HidArrivals.h"
#include "settings/SettingsStore.h"

// Id of the shell's "TaskbarCreated" broadcast, registered before the process entry runs.
extern const UINT g_taskbarCreatedMessage;

// The instance marker: the running main window carries this property with the value 1022.
constexpr const char* kInstanceProperty = "AFX_KSInstall_CPP__12036F8B_8301_46e2_ADC5_A14A44A85877__";
constexpr UINT_PTR kInstanceMarker = 1022;

class CMainDlg final : public DialogWindow, public MessageFilter, public IdleHandler, public MainView {
 public:
  static constexpr int kTemplateId = 129;
  static constexpr unsigned kAnnounceQuietMs = WindowAnnouncer::kQuietMs;
  static constexpr UINT_PTR kTimerAnnounce = WindowAnnouncer::kTimer;

  // What the window shows and feeds. `tray`, `playback` and `power` are optional: without one
  // its messages get default processing. `recorder` (optional) tells its writers' outcomes
  // through `outcomes`.
  CMainDlg(HINSTANCE instance, MainWindow& window, const CMyKestrune& device, const Radio& radio,
           const RecordingController& recording, SettingsStore& settings, IClock& clock, HidArrivals& arrivals,
           ITrayIcon* tray, IPlaybackControl* playback, IPowerBroadcastSink* power, IRecorder* recorder,
           RecorderOutcomes& outcomes);
  ~CMainDlg() override;

  MainWindow& Window() { return window_; }
  const MainWindow& Window() const { return window_; }
  HWND Hwnd() const { return DialogWindow::Hwnd(); }

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

  // Centres the window on the primary screen's work area (start-up and the process entry).
  void CentreOnWorkArea();

 protected:
  bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog();
  void OnDestroy();
  bool OnTimerMessage(UINT_PTR id);
  // The volume slider moved (a drag, a click, the keyboard): the window follows, and says it.
  void OnVolumeSlider();
  // The outcomes queued so far, handed to the window's recording session.
  void DeliverRecorderOutcomes();
  // What the window does not show, done once its first painting is through (or at the deferred
  // start, whichever comes first): taskbar icons, button tips, the tray icon, device arrivals,
  // the schedule.
  void FinishStart();
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);

  MainWindow& window_;
  IPowerBroadcastSink* power_;
  IRecorder* recorder_;
  RecorderOutcomes& outcomes_;
  HACCEL accelerators_ = nullptr;
  bool startFinished_ = false;
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  // Read by the accessible objects handed out; reset when the window goes, which disconnects them.
  std::shared_ptr<AccessibleSource> accessible_;
};
