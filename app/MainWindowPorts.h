#pragma once
// What the main window's behaviour needs from the outside world. The Win32 dialog implements
// the view, timers and display; tests put fakes behind the same interfaces. The parts that
// other subsystems own (playback, recording, scheduler, dialogs) are optional: a null pointer
// means that part is not built into this program and its commands do nothing.

#include <cstdint>
#include <string>

#include "base/Clock.h"
#include "device/HidDevice.h"
#include "schedule/SchedulerPorts.h"

enum class ShowCommand { Hide, Show, ShowNormal };

// Timers of the main window.
enum MainTimer : unsigned {
  kTimerHeartbeat = 1,
  kTimerDeferredStart = 2,
  kTimerSignal = 8,
  kTimerRecordLimit = 10,
  kTimerHoldUp = 20,
  kTimerHoldDown = 21,
  kTimerSeekPoll = 30,
  kTimerMuteEnable = 31,
  kTimerBandEnable = 32,
  kTimerTuneEnable = 33,
  kTimerPlayback = 80,
};

// The timers that carry the window's running work: Close and standby stop them all and leave
// only the control re-enabling ones, which are harmless to let fire.
inline constexpr unsigned kWorkTimers[] = {kTimerHeartbeat,   kTimerDeferredStart, kTimerSignal,
                                           kTimerRecordLimit, kTimerHoldUp,        kTimerHoldDown,
                                           kTimerSeekPoll,    kTimerMuteEnable,    kTimerPlayback};

// The window's timers (window timers on Windows, delivered through the message loop).
class ITimerHost {
 public:
  virtual ~ITimerHost() = default;
  // Arms or re-arms timer `id`; re-arming restarts its period.
  virtual void SetTimer(unsigned id, unsigned periodMs) = 0;
  virtual void KillTimer(unsigned id) = 0;
};

// The window and its controls.
class IMainView {
 public:
  virtual ~IMainView() = default;
  virtual void EnableControl(int id, bool enable) = 0;
  // The window's control that has the keyboard focus, 0 when none of them has it.
  virtual int FocusedControl() = 0;
  // The control is enabled and shown: it can take the focus.
  virtual bool ControlUsable(int id) = 0;
  // The focus put on control `id`, as Tab would put it there.
  virtual void FocusControl(int id) = 0;
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

// Recorded-file playback, owned by the playback subsystem, which alone knows whether a file plays.
class IPlaybackControl {
 public:
  virtual ~IPlaybackControl() = default;
  // A file is loaded in place of the live sound (playing, or paused while muted).
  virtual bool IsPlaying() const = 0;
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
  // The graph's event message (1035) and the position slider's scrolls, with their scroll code.
  virtual void OnGraphEvent() {}
  virtual void OnPositionScroll(int code) { (void)code; }
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

// The window's failure line: a failure nobody may be at the screen for (a reservation's, a
// writer's, one at a bring-up after a resume) shown without waiting for anyone. The newest
// failure takes the place of the one before; the log keeps them all. Never modal: the night's
// timers, starts and after-actions go on while it is shown.
class IFailureLine {
 public:
  virtual ~IFailureLine() = default;
  virtual void ShowFailure(const std::string& text) = 0;
};

// The night's log as the program's exit needs it.
class IExitLog {
 public:
  virtual ~IExitLog() = default;
  // Writes `line` into the fallback log on the caller's thread, ahead of the queue: the record
  // folder's drive may be the very one that holds the writers (and the queue) up.
  virtual void WriteToFallbackNow(const std::string& line) = 0;
  // Waits at most `ms` for the lines queued so far. A log found stuck is not waited for again
  // (by a later flush or the log's end) until it has written something.
  virtual bool Flush(unsigned ms) = 0;
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
  // True on OK, with the dialog's values in `result`. `result.dataReset` is set however the
  // dialog ended: a reset is not undone by a Cancel after it.
  // `band` is the band tuned now (the SW band has no region to choose).
  virtual bool RunPreferences(uint8_t region, uint8_t band, PreferencesResult& result) = 0;
  virtual void RunTimerDialog(uint8_t region) = 0;
};
