#pragma once
// The recording session of the main window: manual recordings from the Record button and its
// menus, the scheduler's recordings, the running time on the display and the stop paths they all
// share. It owns what a session is (whether one runs, its start, limit and label) and where and
// how recordings are made (record folder, bit rate). One thread only: the window's.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "app/MainWindowPorts.h"
#include "device/MyKestrune.h"
#include "schedule/SchedulerPorts.h"

class Radio;

class RecordingController final : public IScheduledRecording {
 public:
  RecordingController(CMyKestrune& device, Radio& radio, IWallClock& wallClock, ITimerHost& timers,
                      IMainView& view);
  RecordingController(const RecordingController&) = delete;
  RecordingController& operator=(const RecordingController&) = delete;

  // Without a view the Record button's menus do nothing.
  void SetView(IRecordingView* view) { recordingView_ = view; }
  void SetScheduler(ISchedulerControl* scheduler) { scheduler_ = scheduler; }

  bool IsRecording() const override { return recording_; }
  // Index 0..3 of the bit rate (320, 192, 128, 64 kbit/s) of manual recordings.
  uint8_t Mp3Rate() const { return mp3Rate_; }
  void SetMp3Rate(uint8_t rate) { mp3Rate_ = rate; }
  const std::string& RecordFolder() const { return recordFolder_; }
  void SetRecordFolder(std::string folder) { recordFolder_ = std::move(folder); }
  // Seconds of a timed manual recording (0: none) and the label before its running time.
  uint16_t RecordLimit() const { return recordLimit_; }
  const std::string& RecordLabel() const { return recordLabel_; }
  // IWallClock::CalendarSeconds at the start.
  int64_t RecordStart() const { return recordStart_; }
  // kbit/s of the recording running or last started.
  uint16_t Kbps() const { return kbps_; }
  // A start's run state: nothing records, no label.
  void ClearRunState();

  // The Record button's menu, for a start or for a stop.
  void ShowRecordMenu();
  void OnRecordMenu(int command);      // 32802..32806
  void OnStopRecordMenu(int command);  // 32807..32811
  // A manual recording of the current station into the record folder; false when it failed.
  bool StartRecording();
  // Ends any recording, manual or scheduled, and clears its display: the display reset.
  void StopRecording() override;
  // A recording whose file stopped taking writes ends through the same stop; the scheduler hears
  // of it as a failure (so that a reservation's after-action still runs) and the user is told
  // once. Runs on the heartbeat: the capture thread that saw the failure never touches a window.
  void EndRecordingOnWriteFailure();
  void OnRecordLimitTimer();    // timer 10
  void RecordingDisplayTick();  // once a second from the heartbeat
  // Starts the recorder into `path` at `kbps` and, when it runs, shows the recording: flag,
  // start time (`startSeconds` in IWallClock::CalendarSeconds, else now), elapsed time zero,
  // 1128 the time, 1129 the rate, 1130 the file actually written, 1131 `nameText`. After a
  // failure (its message shown) the window stays idle and this returns false. Manual and
  // scheduled starts both come here.
  bool BeginRecording(const std::string& path, uint16_t kbps, const std::string& nameText,
                      std::optional<int64_t> startSeconds = std::nullopt);
  // Clears the label of a timed manual recording and ends its countdown (timer 10).
  void CancelRecordLimit() override;
  // The scheduler's start: BeginRecording with the reservation's name and start.
  bool StartScheduledRecording(const std::string& file, uint16_t kbps, const std::string& name,
                               int64_t startSeconds) override {
    return BeginRecording(file, kbps, name, startSeconds);
  }
  std::string RecordingPath() const override { return device_.RecorderPath(); }

 private:
  // StopRecording's work, without telling the scheduler. False when nothing recorded.
  bool EndRecording();

  // Tests put the controller into a running session's state without a recorder.
  friend struct RecordingControllerProbe;

  CMyKestrune& device_;
  Radio& radio_;
  IWallClock& wallClock_;
  ITimerHost& timers_;
  IMainView& view_;
  IRecordingView* recordingView_ = nullptr;
  ISchedulerControl* scheduler_ = nullptr;
  bool recording_ = false;
  int64_t recordStart_ = 0;
  uint16_t recordLimit_ = 0;
  std::string recordLabel_;
  uint8_t mp3Rate_ = 0;
  std::string recordFolder_;
  uint16_t kbps_ = 0;
  uint8_t blink_ = 0;
};
