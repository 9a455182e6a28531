#pragma once
// The main window: a modeless dialog from template 129 that adapts window messages to the
// behaviour in app/MainWindow and gives that behaviour its view, timers and display.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>
#include <memory>
#include <string>

#include "app/AccessibleView.h"
#include "app/Announcements.h"
#include "app/MainWindow.h"
#include "app/win32/Announcer.h"
#include "app/win32/MainAccessible.h"
#include "app/win32/MainSkin.h"
#include "app/win32/WindowLayer.h"
#include "controls/win32/AccessibleLabel.h"
#include "settings/SettingsStore.h"

class IKeyValueTree;

// Id of the shell's "TaskbarCreated" broadcast, registered before the process entry runs.
extern const UINT g_taskbarCreatedMessage;

// The instance marker: the running main window carries this property with the value 1022.
constexpr const char* kInstanceProperty = "AFX_KSInstall_CPP__12036F8B_8301_46e2_ADC5_A14A44A85877__";
constexpr UINT_PTR kInstanceMarker = 1022;

// Messages and steps whose owners live in other subsystems. Each is optional: unset, the
// message is left to default processing and the step is skipped.
struct MainDlgHooks {
  std::function<void(HWND)> addTrayIcon;          // callback 1034, tooltip, icon 128
  std::function<void(int)> setTrayPicture;        // icon resource the tray shows now
  std::function<LRESULT(WPARAM, LPARAM)> trayNotify;      // message 1034
  std::function<void()> reAddTrayIcon;                    // "TaskbarCreated"
  std::function<LRESULT(WPARAM, LPARAM)> graphEvent;      // message 1035
  std::function<LRESULT(WPARAM, LPARAM)> powerBroadcast;  // WM_POWERBROADCAST
  std::function<void(WPARAM, LPARAM)> positionScroll;     // WM_HSCROLL from 1148
  std::function<void(const std::string&, const std::string&)> notify;  // a tray notification
  std::function<bool(int)> trayCommand;  // a command of the tray menu the window does not know
  std::function<bool(UINT_PTR)> timer;   // a timer of another part; true when it was its own
};

class CMainDlg final : public DialogWindow,
                       public MessageFilter,
                       public IdleHandler,
                       private IMainView,
                       private ITimerHost,
                       private IWallClock,
                       private IMainDisplay,
                       private IPowerControl,
                       private IRecordingView {
 public:
  static constexpr int kTemplateId = 129;

  CMainDlg(HINSTANCE instance, IHidPlatform& hid, IKeyValueTree& settingsTree, IClock& clock);
  ~CMainDlg() override;

  MainWindow& Window() { return window_; }
  const MainWindow& Window() const { return window_; }
  CMyKestrune& Device() { return device_; }
  SettingsStore& Settings() { return settings_; }
  MainDlgHooks& Hooks() { return hooks_; }
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
  const Announcer& Announcements() const { return announcer_; }
  // How long the window must be quiet before the end of a burst of changes is said.
  static constexpr unsigned kAnnounceQuietMs = 500;
  // The timer that says the end of a burst.
  static constexpr UINT_PTR kTimerAnnounce = 0x4B54;

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

  // Centres the window on the primary screen's work area (start-up and the process entry).
  void CentreOnWorkArea();
  // A stopped recording's outcome, from its writer's thread: queued, and the window told.
  void PostRecorderOutcome(const RecordingOutcome& outcome);

 protected:
  bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog();
  void OnDestroy();
  // The outcomes queued so far, handed to the window's recording session.
  void DeliverRecorderOutcomes();
  void EnsureRecordFolder();
  void RegisterHidArrivals();
  // What the window does not show, done once its first painting is through (or at the deferred
  // start, whichever comes first): taskbar icons, button tips, the tray icon, device arrivals,
  // the schedule.
  void FinishStart();
  void UnregisterHidArrivals();
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  // The readout or a button's state may have changed: screen readers hear of it once the
  // current message is through (one check however many changes it made).
  void NoteDisplayChange();
  void AnnounceChanges();
  // The end of a burst, once the window has been quiet.
  void FlushAnnouncement();
  void Say(const std::string& text);
  // The toggles' pressed states told to readers: on this window's tree and on the buttons' own.
  void TellPressedStates(const accessible::Facts& facts);
  // The buttons' window texts set to their accessible names, for readers that meet a button
  // through the system's object of its window (its focus event, a review of the children).
  void NameButtons(const accessible::Facts& facts);

  // IMainView
  void EnableControl(int id, bool enable) override;
  void SetVolumeSlider(int position) override;
  int VolumeSliderPosition() override;
  void SetButtonCells(int id, int normalCell, int pushedCell) override;
  void RedrawButton(int id) override;
  void SetTooltip(int id, const std::string& text) override;
  void ShowMainWindow(ShowCommand command) override;
  void UnregisterDeviceNotifications() override { UnregisterHidArrivals(); }
  void RegisterDeviceNotifications() override { RegisterHidArrivals(); }
  void DestroyMainWindow() override;
  void ShowAboutBox() override;
  WindowHandle Handle() const override { return Hwnd(); }
  // ITimerHost
  void SetTimer(unsigned id, unsigned periodMs) override;
  void KillTimer(unsigned id) override;
  // IWallClock
  LocalTime Now() override;
  // IMainDisplay, through the skin.
  void InvalidateReadout() override;
  void ApplyButtonTips() override;
  void RefreshPresetTips() override;
  void BuildWindowRegion() override;
  void ReloadStereoImages() override;
  // IPowerControl
  void SetExecutionState(uint32_t flags) override;
  // IRecordingView
  void SetDisplayText(int id, const std::string& text) override { SetStaticText(id, text); }
  void ShowDisplayText(int id) override;
  void RepaintDisplay() override;
  void SetTrayPicture(int iconId) override;
  void TrackRecordMenu(int menuId) override;

  HINSTANCE instance_;
  SettingsStore settings_;
  // Before the device object, whose recorder's writers post here until it is gone.
  std::mutex outcomesLock_;
  std::vector<RecordingOutcome> outcomes_;
  std::atomic<HWND> outcomeTarget_{nullptr};
  CMyKestrune device_;
  PowerState power_{*this};
  MainWindow window_;
  MainDlgHooks hooks_;
  MainSkin skin_;
  HACCEL accelerators_ = nullptr;
  HDEVNOTIFY hidArrivals_ = nullptr;
  bool startFinished_ = false;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  // Read by the accessible objects handed out; reset when the window goes, which disconnects them.
  std::shared_ptr<AccessibleSource> accessible_;
  bool announcePending_ = false;
  UniqueModule uiaModule_;  // uiautomationcore, while the notification window may call it
  Announcer announcer_;
  accessible::AnnouncementGate gate_{kAnnounceQuietMs};
  std::vector<std::pair<int, bool>> pressedStates_;  // the toggles' pressed state last announced
  // The sliders' own objects: named, with the value as the readout's tree says it. Last, so that
  // they go before what they read.
  AccessibleLabel volumeLabel_;
  AccessibleLabel positionLabel_;
};
