#pragma once
// What a screen reader is told of the main window as it changes: each message's changes are
// looked at once it is through, a burst is said at its end once the window has been quiet, the
// toggles' pressed states follow the readout, and the buttons and sliders carry the names the
// accessible tree gives them. Hidden in the tray the window says nothing: the tray's notifications
// tell the night, and the window shown again does not replay it.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "app/AccessibleView.h"
#include "app/Announcements.h"
#include "app/win32/Announcer.h"
#include "app/win32/WindowMessages.h"
#include "app/win32/WindowLayer.h"
#include "base/Clock.h"
#include "controls/win32/AccessibleLabel.h"

class MainSkin;

class WindowAnnouncer {
 public:
  // How long the window must be quiet before the end of a burst of changes is said.
  static constexpr unsigned kQuietMs = 500;
  // The timer that says the end of a burst.
  static constexpr UINT_PTR kTimer = kTimerAnnounceBurst;
  // Posted to the window when a change was noted; the window hands it to AnnounceChanges.
  static constexpr UINT kMessage = WM_APP + 1;

  // What the window shows now; the stored presets only with `presets`.
  using FactsSource = std::function<accessible::Facts(bool presets)>;

  WindowAnnouncer(const DialogWindow& window, IClock& clock, MainSkin& skin)
      : window_(window), clock_(clock), skin_(skin) {}
  WindowAnnouncer(const WindowAnnouncer&) = delete;
  WindowAnnouncer& operator=(const WindowAnnouncer&) = delete;

  // The window's initialisation: its live region and notification channel made, what it shows
  // now taken as known, the sliders named.
  void Attach(FactsSource facts);
  // The readout or a button's state may have changed: one look once the current message is
  // through, however many changes it made.
  void NoteChange();
  void AnnounceChanges();
  // The end of a burst (timer kTimer).
  void FlushBurst();
  // The window goes: what changed last is still said (a notification carries its text along,
  // though a live region is gone before a reader could read it).
  void Detach();
  // The buttons' window texts set to their accessible names, for readers that meet a button
  // through the system's object of its window.
  void NameButtons(const accessible::Facts& facts);

  const Announcer& Announcements() const { return announcer_; }

 private:
  void Say(const std::string& text);
  // The toggles' pressed states told to readers: on the window's tree and on the buttons' own.
  void TellPressedStates(const accessible::Facts& facts);

  HWND Hwnd() const { return window_.Hwnd(); }

  const DialogWindow& window_;
  IClock& clock_;
  MainSkin& skin_;
  FactsSource facts_;
  bool pending_ = false;
  UniqueModule uiaModule_;  // uiautomationcore, while the notification window may call it
  Announcer announcer_;
  accessible::AnnouncementGate gate_{kQuietMs};
  std::vector<std::pair<int, bool>> pressedStates_;  // the toggles' pressed state last announced
  // The sliders' own objects: named, with the value as the readout's tree says it. Last, so that
  // they go before what they read.
  AccessibleLabel volumeLabel_;
  AccessibleLabel positionLabel_;
};
