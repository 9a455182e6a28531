#pragma once
// What the main window shows and how the behaviour reaches it: the controls, the window's timers,
// the skinned display with its readout, the recording's texts and the tray picture, and what a
// screen reader is told of it all. The dialog that owns the window feeds it; this is its face.

#include <windows.h>

#include <string>

#include "app/AccessibleView.h"
#include "app/MainWindowPorts.h"
#include "app/Radio.h"
#include "app/RecordingController.h"
#include "app/win32/MainSkin.h"
#include "app/win32/WindowAnnouncer.h"
#include "app/win32/WindowLayer.h"
#include "device/MyKestrune.h"
#include "device/win32/HidArrivals.h"
#include "settings/SettingsStore.h"

class ITrayIcon;

class MainView : public IMainView, public ITimerHost, public IMainDisplay, public IRecordingView, public IFailureLine {
 public:
  // `dialog` is the window this is the face of, looked at once it exists; `tray` and `playback`
  // are optional.
  MainView(const DialogWindow& dialog, HINSTANCE instance, const CMyKestrune& device, const Radio& radio,
           const RecordingController& recording, IPlaybackControl* playback, SettingsStore& settings,
           IClock& clock, HidArrivals& arrivals, ITrayIcon* tray);
  MainView(const MainView&) = delete;
  MainView& operator=(const MainView&) = delete;

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

  // IMainView
  void EnableControl(int id, bool enable) override;
  int FocusedControl() override;
  bool ControlUsable(int id) override;
  void FocusControl(int id) override;
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
  // The failure line is the label static (1131), idle while nothing records; the next
  // recording's label takes its place.
  void ShowFailure(const std::string& text) override;
  void SetTrayPicture(int iconId) override;
  void TrackRecordMenu(int menuId) override;

 protected:
  HWND Hwnd() const { return dialog_.Hwnd(); }

  const DialogWindow& dialog_;
  HINSTANCE instance_;
  const CMyKestrune& device_;
  const Radio& radio_;
  const RecordingController& recording_;
  IPlaybackControl* playback_;
  SettingsStore& settings_;
  HidArrivals& arrivals_;
  ITrayIcon* tray_;
  MainSkin skin_;
  WindowAnnouncer announcer_;
};
