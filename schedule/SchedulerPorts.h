#pragma once
// The scheduler's ports: what the window sees of it, and what it drives (the application's radio,
// recording and window, calendar time, the record folders and the system's power management).
// The application implements the first three; Win32 adapters of the others live in
// schedule/win32; the native tests put fakes behind all of them.

#include <cstdint>
#include <string>
#include <vector>

#include "base/Clock.h"

// Why a recording ended.
enum class RecordingEndReason {
  TimeUp,           // its stop time or its "Stop after" limit
  ByHand,           // the Record menu's stop, a new start by hand, playback
  Standby,          // the PC went to sleep
  ProgramClosed,    // Close, Exit, or the after-action's close
  EndOfSession,     // log-off or shutdown of Windows
  ReceiverRemoved,  // the receiver was pulled out
  HandedOver,       // a reservation due now took over
  WriteFailure,     // the MP3 file could not be written
  CaptureStopped,   // the receiver's sound stopped coming
};

enum class RecordingKind { Manual, Timed, Reservation };

// One recording's end, as the recording session tells it: once when it ends, and once more
// (`afterEnd`) only when finishing its file found a failure that was not told yet.
struct RecordingEnd {
  RecordingKind kind = RecordingKind::Manual;
  int reservation = -1;  // 0..15 for a reservation's recording
  std::string name;      // the reservation's name as stored (may be empty)
  std::string file;
  int64_t seconds = 0;        // how long it recorded
  uint64_t lostSeconds = 0;   // audio dropped because the disk did not keep up
  RecordingEndReason reason = RecordingEndReason::ByHand;
  std::string handedTo;  // HandedOver: the reservation that took over, as it is shown
  // The one message the user is shown for this end (a write failure, lost audio, a capture that
  // stopped); empty when it ended well.
  std::string failure;
  bool afterEnd = false;
};

// What a reservation's start asks of the recording session.
struct ReservationStart {
  int index = 0;  // 0..15
  std::string name;
  std::string file;
  uint16_t kbps = 128;
  // From now until its stop time, as the time-zone rules make it: the session ends it when this
  // has passed on the monotonic clock, whatever the wall clock does meanwhile.
  int64_t remainingSeconds = 0;
};

// The scheduler of timer reservations, as the main window drives it.
class ISchedulerControl {
 public:
  virtual ~ISchedulerControl() = default;
  virtual void LoadSchedule() = 0;
  // Once per new wall-clock second, after the recording display and the keep-awake rule have
  // run: ends a scheduled recording whose time is up and starts a due reservation.
  virtual void SchedulerTick(const LocalTime& now) = 0;
  // Every end of every recording, with its reason. A reservation's recording that failed or
  // whose time is up has its station restored and its after-action run.
  virtual void OnRecordingEnded(const RecordingEnd& end) { (void)end; }
  // A recording by hand (or timed) began into `file`: the night's log has every recording.
  virtual void OnRecordingStarted(const std::string& file) { (void)file; }
  // The program ends (Close, Exit, the end of the session): the time it ran until is kept.
  virtual void OnClosing() {}
  // Whether a reservation is ON: the program then stays for it when the receiver is pulled out.
  virtual bool HasActiveReservation() const { return false; }
  // The receiver was pulled out and the program waits for it; it came back and is brought up.
  virtual void OnReceiverRemoved() {}
  virtual void OnReceiverArrived() {}
  // The program ends (or the PC shuts down): the writers of stopped recordings had their time, and
  // these files were not completely written. What is reported must be out before the process goes.
  virtual void OnRecordingFilesDone(const std::vector<std::string>& unfinished) { (void)unfinished; }
};

// Calendar time: instants as seconds since 1970-01-01 00:00:00 UTC, which run on through
// daylight-saving changes, and local times converted on the same scale by the time-zone rules in
// force when asked (a zone the user changed counts from then on).
class ISchedulerClock {
 public:
  virtual ~ISchedulerClock() = default;
  virtual int64_t NowSeconds() = 0;
  // A local date and time (in range) as an instant, the system deciding daylight saving.
  virtual int64_t LocalToSeconds(const LocalTime& t) = 0;
  // An instant as the local date and time the clock shows then.
  virtual LocalTime SecondsToLocal(int64_t seconds) = 0;
};

// std::time and std::mktime (the native build's; Windows has its own, which reads the zone anew).
class SystemSchedulerClock final : public ISchedulerClock {
 public:
  int64_t NowSeconds() override;
  int64_t LocalToSeconds(const LocalTime& t) override;
  LocalTime SecondsToLocal(int64_t seconds) override;
};

class IRecordFolders {
 public:
  virtual ~IRecordFolders() = default;
  // True when the folder exists or could be created (one level: its parent must exist).
  virtual bool EnsureFolder(const std::string& path) = 0;
};

// The recording session of the application, as the scheduler drives it.
class IScheduledRecording {
 public:
  virtual ~IScheduledRecording() = default;
  virtual bool IsRecording() const = 0;
  // The reservation (0..15) whose recording runs; -1 when none or a manual one runs.
  virtual int RecordingReservation() const = 0;
  // Ends the running recording for `reason` (nothing when none runs); its end is told to the
  // scheduler like every other.
  virtual void StopRecording(RecordingEndReason reason, const std::string& handedTo = {}) = 0;
  // Records the reservation, showing it with its name. False when the recorder could not start:
  // the window stays idle and shows why without waiting for anyone (no box: the tick goes on).
  virtual bool StartScheduledRecording(const ReservationStart& start) = 0;
  // The text of the last failed start ("Device not found." ...), for the log; empty when the
  // last start ran.
  virtual std::string StartFailure() const { return {}; }
  // Ends a reservation's recording whose stop time has come; true when it did.
  virtual bool EndIfDue() = 0;
  // The file the running (or last) recording writes: the one asked for, or "_2" … beside it.
  virtual std::string RecordingPath() const = 0;
};

// The radio and the window of the application, as the scheduler drives them around a reservation,
// a standby and a shutdown.
class ISchedulerHost {
 public:
  virtual ~ISchedulerHost() = default;
  // Ends playback of a recorded file and returns to the radio; nothing while none plays.
  virtual void StopPlayback() = 0;
  // Keeps the station in use, then tunes `band` and `frequency` (its band given a second to
  // settle) with the sound and the display following.
  virtual void TuneForReservation(uint8_t band, uint16_t frequency) = 0;
  // The station kept by TuneForReservation, tuned again. Reservations that follow each other
  // keep the station of before the first; once restored, it is kept no more.
  virtual void RestoreSavedStation() = 0;
  // The station kept is let go: the user stopped the reservation, and keeps what is tuned.
  virtual void ForgetSavedStation() {}
  // Where recordings go.
  virtual std::string RecordFolder() = 0;
  virtual void SaveRadioState() = 0;
  // The after-recording standby: a seek cancelled, the radio state stored, the receiver closed.
  virtual void CloseReceiver() = 0;
  // The live sound stopped (the receiver stays open).
  virtual void StopSound() = 0;
  // Every timer of the window's running work stopped: nothing of it runs while the PC sleeps.
  virtual void StopWorkTimers() = 0;
  // The system goes to standby: sound off, receiver closed, window hidden, a seek and an armed
  // preset save cancelled.
  virtual void EnterStandby() = 0;
  // Back from standby (or a standby or shutdown that was refused): the receiver brought up again.
  virtual void Resume() = 0;
  // Before the shutdown: radio state stored, device arrivals no longer heard, receiver closed.
  virtual void PrepareShutdown() = 0;
  // A refused shutdown: device arrivals heard again (Resume follows).
  virtual void ShutdownRefused() = 0;
  // The Close button's sequence: the program ends.
  virtual void CloseWindow() = 0;
  // The receiver was pulled out and has not come back: a reservation cannot record now.
  virtual bool ReceiverAway() const { return false; }
};

// The system's power management, as far as the window asks it for anything.
class IPowerControl {
 public:
  virtual ~IPowerControl() = default;
  // SetThreadExecutionState with these flags.
  virtual void SetExecutionState(uint32_t flags) = 0;
};

// The system's power management. One object per process; the wake timer it arms is owned by
// it until CloseWakeTimer.
class IPowerActions : public IPowerControl {
 public:
  ~IPowerActions() override = default;
  // An unnamed waitable timer (no other program's timer can be shared), automatic reset, set once
  // to fire at the instant `dueAt` (ISchedulerClock's scale, seconds since 1970 UTC) and to wake
  // the computer. An absolute time, as a relative one stops counting while the PC sleeps on
  // Windows 8 and later. Replaces the timer armed before; nothing is set when none can be made.
  virtual void ArmWakeTimer(int64_t dueAt) = 0;
  virtual void CloseWakeTimer() = 0;
  virtual void RequestWakeupLatency() = 0;
  virtual void Beep() = 0;  // 2000 Hz, 100 ms
  // Ordinary sleep (not hibernation), wake events allowed. False when the system refused.
  virtual bool Suspend() = 0;
  // Version query, the shutdown privilege on the process token, then shutdown forced. False
  // when any step failed.
  virtual bool ShutDown() = 0;
};
