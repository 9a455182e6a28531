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
#include "app/win32/MainSkin.h"
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

// The notification icon as the window drives it.
class ITrayIcon {
 public:
  virtual ~ITrayIcon() = default;
  // The deferred start's add (callback message 1034, tooltip, icon 128).
  virtual void AddTrayIcon(HWND owner) = 0;
  // Icon resource the tray shows now.
  virtual void SetTrayPicture(int iconId) = 0;
  // Message 1034.
  virtual LRESULT OnTrayNotify(HWND owner, WPARAM id, LPARAM mouseMessage) = 0;
  // "TaskbarCreated": the shell has forgotten the icon.
  virtual void ReAddTrayIcon(HWND owner) = 0;
  // A timer of the tray's; false for any other.
  virtual bool OnTrayTimer(HWND owner, UINT_PTR id) = 0;
  // A command of the tray menu the window does not know; false for any other.
  virtual bool OnTrayCommand(int id) = 0;
  // A notification, shown when the icon is there (joined to one still unread), else when it comes.
  virtual void Notify(const std::string& title, const std::string& text) = 0;
};

// WM_POWERBROADCAST, answered by whoever keeps the power state.
class IPowerBroadcastSink {
 public:
  virtual ~IPowerBroadcastSink() = default;
  virtual LRESULT OnPowerBroadcast(WPARAM event) = 0;
};

class CMainDlg final : public DialogWindow,
                       public MessageFilter,
                       public IdleHandler,
                       public IMainView,
                       public ITimerHost,
                       public IMainDisplay,
                       public IRecordingView {
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
  MainSkin& Skin() { return skin_; }

  // What the readout shows for the radio state as it is now.
  display::IndicatorState ReadoutState() const;
  // What a screen reader is told the window shows now; the stored presets (for the buttons'
  // names) only with `presets`, as they come from the registry.
  accessible::Facts AccessibleFacts(bool presets);
  // A text of the display's transparent statics (1120, 1128 to 1131), with the skin under the
  // old letters repainted.
  void SetStaticText(int id, const std::string& text);
  // Shows or hides a control (the position slider); screen readers hear it appear or go.
  void ShowControl(int id, bool show);
  // Where announcements go and what went there last (the live region keeps the text).
  const Announcer& Announcements() const { return announcer_.Announcements(); }

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

  // Centres the window on the primary screen's work area (start-up and the process entry).
  void CentreOnWorkArea();

  // IMainView
  void EnableControl(int id, bool enable) override;
  void SetVolumeSlider(int position) override;
  int VolumeSliderPosition() override;
  void SetButtonCells(int id, int normalCell, int pushedCell) override;
  void RedrawButton(int id) override;
  void SetTooltip(int id, const std::string& text) override;
  void ShowMainWindow(ShowCommand command) override;
  void UnregisterDeviceNotifications() override { arrivals_.Unregister(); }
  void RegisterDeviceNotifications() override { arrivals_.Register(Hwnd()); }
  void DestroyMainWindow() override;
  void ShowAboutBox() override;
  WindowHandle Handle() const override { return Hwnd(); }
  // ITimerHost
  void SetTimer(unsigned id, unsigned periodMs) override;
  void KillTimer(unsigned id) override;
  // IMainDisplay, through the skin.
  void InvalidateReadout() override;
  void ApplyButtonTips() override;
  void RefreshPresetTips() override;
  void BuildWindowRegion() override;
  void ReloadStereoImages() override;
  // IRecordingView
  void SetDisplayText(int id, const std::string& text) override { SetStaticText(id, text); }
  void ShowDisplayText(int id) override;
  void RepaintDisplay() override;
  void SetTrayPicture(int iconId) override;
  void TrackRecordMenu(int menuId) override;

 protected:
  bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog();
  void OnDestroy();
  bool OnTimerMessage(UINT_PTR id);
  // The outcomes queued so far, handed to the window's recording session.
  void DeliverRecorderOutcomes();
  // What the window does not show, done once its first painting is through (or at the deferred
  // start, whichever comes first): taskbar icons, button tips, the tray icon, device arrivals,
  // the schedule.
  void FinishStart();
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);

  HINSTANCE instance_;
  MainWindow& window_;
  const CMyKestrune& device_;
  const Radio& radio_;
  const RecordingController& recording_;
  SettingsStore& settings_;
  HidArrivals& arrivals_;
  ITrayIcon* tray_;
  IPlaybackControl* playback_;
  IPowerBroadcastSink* power_;
  IRecorder* recorder_;
  RecorderOutcomes& outcomes_;
  MainSkin skin_;
  HACCEL accelerators_ = nullptr;
  bool startFinished_ = false;
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  // Read by the accessible objects handed out; reset when the window goes, which disconnects them.
  std::shared_ptr<AccessibleSource> accessible_;
  WindowAnnouncer announcer_;
};
