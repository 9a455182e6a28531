#pragma once
// The recording session of the main window: the one owner of what a recording is. Manual
// recordings from the Record button and its menus and the scheduler's recordings all start and
// end here; it keeps the kind (by hand, timed, reservation n with its name), the start (wall time
// for the names, monotonic time for the timing), the planned end as a monotonic deadline, the
// file, the audio lost and the reason it ended. Everything that ends a recording comes through
// End, which tells the scheduler once, with the reason. A failure is told as data (the scheduler's
// log and tray, and the window's failure line), never in a box that would hold the night's ticks
// up; only a start the user just asked for may answer with a box, once the session is idle.
// One thread only: the window's.

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "app/MainWindowPorts.h"
#include "audio/Recorder.h"
#include "schedule/SchedulerPorts.h"

class IFailureBox;
class LiveSound;
class Radio;

// The texts of the failure line a failed or lossy recording shows.
namespace recording_messages {
constexpr const char* kCannotWrite = "Recording stopped: cannot write the MP3 file.";
constexpr const char* kCaptureStopped = "Recording stopped: no sound came from the receiver for 2 seconds.";
// "Recording ended: 75 s of audio were lost because the disk did not keep up."
std::string LostAudio(uint64_t seconds);
}  // namespace recording_messages

class RecordingController final : public IScheduledRecording {
 public:
  // `recorder` writes the files (none: nothing can record); a recording needs the receiver open,
  // as `sound` tells. Without `recordingView` the Record button's menus do nothing. `failures`
  // (optional) is the box for a start by hand that failed; `line` (optional) the window's
  // failure line for everything else. Without them a failure reaches the scheduler's log only.
  RecordingController(IRecorder* recorder, const LiveSound& sound, Radio& radio, IClock& clock, IWallClock& wallClock,
                      ITimerHost& timers, IMainView& view, IRecordingView* recordingView, ISchedulerControl* scheduler,
                      IFailureBox* failures, IFailureLine* line = nullptr);
  RecordingController(const RecordingController&) = delete;
  RecordingController& operator=(const RecordingController&) = delete;

  IRecorder* Recorder() const { return recorder_; }

  bool IsRecording() const override { return recording_; }
  int RecordingReservation() const override { return recording_ && kind_ == RecordingKind::Reservation ? reservation_ : -1; }
  // Index 0..3 of the bit rate (320, 192, 128, 64 kbit/s) of manual recordings.
  uint8_t Mp3Rate() const { return mp3Rate_; }
  void SetMp3Rate(uint8_t rate) { mp3Rate_ = rate; }
  const std::string& RecordFolder() const { return recordFolder_; }
  void SetRecordFolder(std::string folder) { recordFolder_ = std::move(folder); }
  // Seconds of a timed manual recording (0: none) and the label before its running time.
  uint16_t RecordLimit() const { return recordLimit_; }
  const std::string& RecordLabel() const { return recordLabel_; }
  // Seconds the running recording has recorded, on the monotonic clock, to the nearest.
  int64_t ElapsedSeconds() const;
  // kbit/s of the recording running or last started.
  uint16_t Kbps() const { return kbps_; }
  // A start's run state: nothing records, no label.
  void ClearRunState();

  // The Record button's menu, for a start or for a stop.
  void ShowRecordMenu();
  void OnRecordMenu(int command);      // 32802..32806
  void OnStopRecordMenu(int command);  // 32807..32811
  // A manual recording of the current station into the record folder; false when it failed,
  // which a box tells (the user just asked for it) once the session is idle.
  bool StartRecording();
  void StopRecording(RecordingEndReason reason, const std::string& handedTo = {}) override;
  void OnRecordLimitTimer();  // timer 10
  // The heartbeat's second: a recording whose file stopped taking writes, or whose capture has
  // delivered nothing for 2 s, ends as a failure (true then: its after-action may have closed
  // the window or put the PC to sleep, so the second is done); else the running time is shown.
  bool Heartbeat(bool showTime);
  // The running time, the Record button's blink and the tray picture of the second.
  void RecordingDisplayTick();
  // A stopped recording's writer is through (a message from its thread): a failure it found
  // that was not told yet is told now, once, on the failure line.
  void OnRecorderFinished(const RecordingOutcome& outcome);
  // A failure outside a recording (the receiver's audio at a bring-up): in the box when the user
  // `byHand` just started what failed, else on the failure line.
  void TellFailure(const std::string& text, bool byHand);

  // False when it could not start: nothing records, the failure line says why, StartFailure
  // keeps the text.
  bool StartScheduledRecording(const ReservationStart& start) override;
  std::string StartFailure() const override { return startFailure_; }
  bool EndIfDue() override;
  std::string RecordingPath() const override;

  // The capture is taken for stopped after this long without a block.
  static constexpr uint64_t kCaptureSilenceMs = 2000;
  static constexpr size_t kMaxFinishing = 16;

 private:
  // Starts the recorder into `path` at `kbps` and, when it runs, shows the recording: flag,
  // elapsed time zero, 1128 the time, 1129 the rate, 1130 the file actually written, 1131
  // `nameText`. After a failure (kept in startFailure_, told by the caller) the window stays
  // idle and this returns false.
  bool BeginRecording(const std::string& path, uint16_t kbps, const std::string& nameText);
  // Ends the running recording for `reason`; false when none ran.
  bool End(RecordingEndReason reason, const std::string& handedTo = {});
  void ShowIdle();
  // Clears the label of a timed manual recording and ends its countdown (timer 10).
  void CancelRecordLimit();

  // Tests put the session into a running recording's state without a recorder.
  friend struct RecordingControllerProbe;

  IRecorder* recorder_;
  const LiveSound& sound_;
  Radio& radio_;
  IClock& clock_;
  IWallClock& wallClock_;
  ITimerHost& timers_;
  IMainView& view_;
  IRecordingView* recordingView_;
  ISchedulerControl* scheduler_;
  IFailureBox* failures_;
  IFailureLine* line_;

  bool recording_ = false;
  std::string startFailure_;  // why the last start failed; empty after one that ran
  RecordingKind kind_ = RecordingKind::Manual;
  int reservation_ = -1;
  std::string name_;           // a reservation's name as stored
  uint64_t startMs_ = 0;       // monotonic: a length counts from the first recorded second
  uint64_t deadlineMs_ = 0;    // monotonic end of a reservation's recording
  uint64_t serial_ = 0;        // the recorder's number of the running recording
  uint64_t lastBlocks_ = 0;    // the capture's block count at the last heartbeat
  uint64_t lastBlockMs_ = 0;   // when that count last grew
  uint16_t recordLimit_ = 0;
  std::string recordLabel_;
  uint8_t mp3Rate_ = 0;
  std::string recordFolder_;
  uint16_t kbps_ = 0;
  uint8_t blink_ = 0;
  // Ended recordings whose writers are not through yet, by serial, as their end was told.
  std::map<uint64_t, RecordingEnd> finishing_;
};
