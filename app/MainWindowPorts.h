#pragma once
// What the main window's behaviour needs from the outside world. The Win32 dialog implements
// the view, timers and display; tests put fakes behind the same interfaces. The parts that
// other subsystems own (playback, recording, scheduler, dialogs) are optional: a null pointer
// means that part is not built into this program and its commands do nothing.

#include <cstdint>
#include <string>

#include "device/HidDevice.h"

enum class ShowCommand { Hide, Show, ShowNormal };

// The window's timers (window timers on Windows, delivered through the message loop).
class ITimerHost {
 public:
  virtual ~ITimerHost() = default;
  // Arms or re-arms timer `id`; re-arming restarts its period.
  virtual void SetTimer(unsigned id, unsigned periodMs) = 0;
  virtual void KillTimer(unsigned id) = 0;
};

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int weekday = 0;  // 0 Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Seconds of a local time counted from 1970-01-01 as if every day had 86400 of them.
constexpr int64_t LocalTimeSeconds(const LocalTime& t) {
  // Days of the proleptic Gregorian calendar, years starting in March.
  const int64_t y = t.year - (t.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const int64_t days = era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// Wall-clock time of day, as the heartbeat and the scheduler see it.
class IWallClock {
 public:
  virtual ~IWallClock() = default;
  virtual LocalTime Now() = 0;
  // A count of seconds that runs on evenly across daylight-saving changes (calendar time), for
  // measuring how long a recording has run. By default the local time's own count.
  virtual int64_t CalendarSeconds() { return LocalTimeSeconds(Now()); }
};

// The window and its controls.
class IMainView {
 public:
  virtual ~IMainView() = default;
  virtual void EnableControl(int id, bool enable) = 0;
  virtual void SetVolumeSlider(int position) = 0;
  virtual int VolumeSliderPosition() = 0;
  // Picture cells of a skinned button for its normal and pushed look.
  virtual void SetButtonCells(int id, int normalCell, int pushedCell) = 0;
  virtual void RedrawButton(int id) = 0;
  virtual void SetTooltip(int id, const std::string& text) = 0;
  virtual void ShowMainWindow(ShowCommand command) = 0;
  // The HID interface-class notification registered when the window was created.
  virtual void UnregisterDeviceNotifications() = 0;
  // The same registered again (a shutdown the system refused); nothing when it is in place.
  virtual void RegisterDeviceNotifications() = 0;
  virtual void DestroyMainWindow() = 0;
  // The About box, modal over the active window; returns when it is closed.
  virtual void ShowAboutBox() = 0;
  // Owner of the receiver's removal notification.
  virtual WindowHandle Handle() const = 0;
};

// The display calls of the window: what the skin draws and says. Kept apart so that the
// skinned display can replace the plain one without touching the behaviour.
class IMainDisplay {
 public:
  virtual ~IMainDisplay() = default;
  virtual void InvalidateReadout() = 0;
  virtual void ApplyButtonTips() = 0;
  virtual void RefreshPresetTips() = 0;
  virtual void BuildWindowRegion() = 0;
  // The Stereo/Mono button gets its picture strip afresh on every toggle.
  virtual void ReloadStereoImages() = 0;
};

// Recorded-file playback, owned by the playback subsystem. It sets MainWindow::m_playing.
class IPlaybackControl {
 public:
  virtual ~IPlaybackControl() = default;
  // Ends playback for the Close path: notifications detached, graph stopped and released.
  virtual void EndForClose() = 0;
  // Ends playback and returns to the radio view (device arrival).
  virtual void StopPlayback() = 0;
  virtual void RunGraph() = 0;
  virtual void StopGraph() = 0;
  // Volume in hundredths of a decibel.
  virtual void SetGraphVolume(long centibels) = 0;
  virtual void OnPlayButton() = 0;
  virtual void OnPlaybackTimer() = 0;
};

// What a recording shows besides the Record button: the display's statics 1128 to 1131, the
// tray picture, and the Record button's two pop-up menus.
class IRecordingView {
 public:
  virtual ~IRecordingView() = default;
  // Text of one of the display statics 1128..1131.
  virtual void SetDisplayText(int id, const std::string& text) = 0;
  // Static 1130 is hidden while the device banner is drawn; a recording shows it.
  virtual void ShowDisplayText(int id) = 0;
  // The display area drawn afresh after the recording state changed.
  virtual void RepaintDisplay() = 0;
  // Icon resource the tray shows (128 normal, 425 the recording blink).
  virtual void SetTrayPicture(int iconId) = 0;
  // Menu `menuId` at the cursor, the window brought to the front first. Returns when the menu
  // closes; the choice arrives afterwards as a command.
  virtual void TrackRecordMenu(int menuId) = 0;
};

// The scheduler of timer reservations.
class ISchedulerControl {
 public:
  virtual ~ISchedulerControl() = default;
  virtual void LoadSchedule() = 0;
  // Once per new wall-clock second, after the recording display and the keep-awake rule have
  // run: ends a scheduled recording whose time is up and starts a due reservation.
  virtual void SchedulerTick(const LocalTime& now) = 0;
  // Every stop of a recording through the window's recording controls (menu, time limit,
  // playback start, display reset) ends what the scheduler counted as its own recording.
  virtual void OnRecordingStopped() {}
  // A recording that ended by itself on a failure (the disk full, the drive gone): a scheduled
  // one ends as if its time were up, its station restored and its after-action run.
  virtual void OnRecordingFailed() {}
};

// The system's power management, as far as the window asks it for anything.
class IPowerControl {
 public:
  virtual ~IPowerControl() = default;
  // SetThreadExecutionState with these flags.
  virtual void SetExecutionState(uint32_t flags) = 0;
};

struct PreferencesResult {
  uint8_t region = 0;
  uint8_t mp3Rate = 0;
  std::string recordFolder;
  bool dataReset = false;  // Ctrl+"Default": every setting, preset and reservation is a default now
};

// The modal dialogs the window opens.
class IWindowDialogs {
 public:
  virtual ~IWindowDialogs() = default;
  // True on OK, with the dialog's values in `result`.
  virtual bool RunPreferences(uint8_t region, PreferencesResult& result) = 0;
  virtual void RunTimerDialog(uint8_t region) = 0;
};
