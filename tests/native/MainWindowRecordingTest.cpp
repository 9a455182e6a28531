// Manual recording from the Record button and its menus, run against the simulated receiver
// with a scripted recorder and wall clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "app/RecordingRules.h"
#include "app/TrayMenu.h"
#include "audio/CaptureRules.h"
#include "resources/skin_ids.h"
#include "tests/native/SchedulerRig.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/FillingDrive.h"

namespace {

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Set("FM", "1");
    rig.Set("COUNTRY", "1");
    rig.Set("FREQ", "8980");
    rig.Set("FREQ_AM", "522");
    rig.Set("FREQ_SW", "23000");
    rig.Set("MP3BPS", "2");
    rig.Set("RECORDFOLDER", "C:\\RadioREC");
    rig.wall.now = {2026, 12, 6, 0, 13, 57, 0};
    rig.Start();
    rig.audioLog.clear();
  }
  // One heartbeat second later: the heartbeat's display tick and the limit timer, as the
  // window's timers deliver them.
  void Second(int seconds = 1) {
    for (int i = 0; i < seconds; ++i) {
      rig.wall.Advance(1);
      rig.clock.Advance(1000);
      rig.window.OnTimer(kTimerHeartbeat);
      if (rig.timers.IsActive(kTimerRecordLimit)) rig.window.OnTimer(kTimerRecordLimit);
    }
  }
  std::string Text(int id) { return rig.recordingView.texts[id]; }

  MainWindowRig rig;
};

TEST_F(Recording, OpenEndedRecordingOfTheCurrentStation) {
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.recordingView.menus, std::vector<int>{IDR_RECORDMENU});
  rig.Command(ID_REC_OPEN);
  EXPECT_EQ(rig.audioLog, std::vector<std::string>{"record C:\\RadioREC\\FM8980_20261206_135700.mp3 128"});
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  EXPECT_EQ(Text(IDC_TEXT_TIME), "00:00:00");
  EXPECT_EQ(Text(IDC_TEXT_RATE), "128 Kbps");
  EXPECT_EQ(Text(IDC_TEXT_FILE), "C:\\RadioREC\\FM8980_20261206_135700.mp3");
  EXPECT_EQ(Text(IDC_TEXT_LABEL), "");
  EXPECT_TRUE(rig.recordingView.shownTexts.count(IDC_TEXT_FILE));
  EXPECT_FALSE(rig.timers.IsActive(kTimerRecordLimit));

  // The clock runs and the REC mark and the tray picture blink once a second.
  Second();
  EXPECT_EQ(Text(IDC_TEXT_TIME), "REC    00:00:01");
  EXPECT_EQ(rig.view.cells[IDC_RECORD], std::make_pair(3, 3));
  Second();
  EXPECT_EQ(rig.view.cells[IDC_RECORD], std::make_pair(2, 2));
  Second(3723 - 2);
  EXPECT_EQ(Text(IDC_TEXT_TIME), "REC    01:02:03");
  const auto& pictures = rig.recordingView.trayPictures;
  ASSERT_GE(pictures.size(), 2u);
  EXPECT_EQ((std::vector<int>{pictures[0], pictures[1]}), (std::vector<int>{IDI_RECORDING, IDI_KESTRUNE}));

  // Tuning on does not touch the recording; the Record button now offers the stop menu.
  rig.Command(IDC_TUNE_UP);
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.recordingView.menus.back(), IDR_STOPRECORDMENU);
  rig.Command(ID_STOP_NOW);
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_EQ(rig.audioLog.back(), "record stop");
  for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE, IDC_TEXT_LABEL}) EXPECT_EQ(Text(id), "") << id;
  EXPECT_EQ(rig.view.cells[IDC_RECORD], std::make_pair(2, 2));
  EXPECT_EQ(rig.recordingView.trayPictures.back(), IDI_KESTRUNE);
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.recordingView.menus.back(), IDR_RECORDMENU);
}

TEST_F(Recording, FileNamesOfEveryBandAndTheBitrateTable) {
  const LocalTime t{2026, 12, 6, 0, 13, 57, 0};
  EXPECT_EQ(RecordingFileName(BandFM, 8980, t), "\\FM8980_20261206_135700.mp3");
  EXPECT_EQ(RecordingFileName(BandAM, 522, t), "\\AM0522_20261206_135700.mp3");
  EXPECT_EQ(RecordingFileName(BandSW, 23000, t), "\\SW23000_20261206_135700.mp3");

  const std::pair<uint8_t, int> rates[] = {{0, 320}, {1, 192}, {2, 128}, {3, 64}, {7, 128}};
  for (auto [index, kbps] : rates) {
    rig.recording.SetMp3Rate(index);
    rig.Command(ID_REC_OPEN);
    EXPECT_EQ(rig.audioLog.back(), "record C:\\RadioREC\\FM8980_20261206_135700.mp3 " + std::to_string(kbps));
    EXPECT_EQ(Text(IDC_TEXT_RATE), std::to_string(kbps) + " Kbps");
    rig.Command(ID_STOP_NOW);
  }
  EXPECT_EQ(rig.recording.Mp3Rate(), 2) << "the window's copy is corrected";

  rig.Command(IDC_AM);
  rig.wall.Advance(5);
  rig.Command(ID_REC_OPEN);
  EXPECT_EQ(Text(IDC_TEXT_FILE), "C:\\RadioREC\\AM0522_20261206_135705.mp3");
}

TEST_F(Recording, TimedRecordingStopsAtTheFirstTickPastItsLimit) {
  rig.Command(ID_REC_15);
  EXPECT_EQ(rig.timers.Period(kTimerRecordLimit), 1000u);
  Second(900);
  EXPECT_EQ(rig.recording.IsRecording(), 1) << "900 s is not past 15 minutes";
  EXPECT_EQ(Text(IDC_TEXT_TIME), "REC 15Min   00:15:00");
  Second();
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_EQ(rig.audioLog.back(), "record stop");
  EXPECT_FALSE(rig.timers.IsActive(kTimerRecordLimit));
}

TEST_F(Recording, StopAfterCountsFromTheStartOfTheRecording) {
  rig.Command(ID_REC_OPEN);
  Second(20 * 60);
  rig.Command(ID_STOP_15);
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  Second();
  EXPECT_EQ(rig.recording.IsRecording(), 0) << "already past 15 minutes: stops at the next tick";

  rig.Command(ID_REC_OPEN);
  Second(5 * 60);
  rig.Command(ID_STOP_15);
  Second();
  EXPECT_EQ(Text(IDC_TEXT_TIME), "REC Stop15Min   00:05:01");
  Second(600 - 1);
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  Second();
  EXPECT_EQ(rig.recording.IsRecording(), 0);

  // An open-ended start after a limited one leaves no old limit behind.
  rig.Command(ID_REC_30);
  rig.Command(ID_STOP_NOW);
  rig.Command(ID_REC_OPEN);
  EXPECT_FALSE(rig.timers.IsActive(kTimerRecordLimit));
  Second(3700);
  EXPECT_EQ(rig.recording.IsRecording(), 1);
}

// The stop menu was opened during a timed recording that ended before the choice arrived.
TEST_F(Recording, StopAfterChosenWhenTheRecordingHasEndedDoesNothing) {
  rig.Command(ID_REC_15);
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.recordingView.menus.back(), IDR_STOPRECORDMENU);
  Second(901);
  ASSERT_EQ(rig.recording.IsRecording(), 0);
  const std::string label = rig.recording.RecordLabel();
  rig.Command(ID_STOP_30);
  EXPECT_FALSE(rig.timers.IsActive(kTimerRecordLimit)) << "no timer ticks with nothing to stop";
  EXPECT_EQ(rig.recording.RecordLimit(), 0);
  EXPECT_EQ(rig.recording.RecordLabel(), label);
}

TEST_F(Recording, AFailedStartLeavesTheWindowIdle) {
  rig.recorder->failure = "Can't create MP3 file.";
  rig.Command(ID_REC_15);
  EXPECT_EQ(rig.messages, std::vector<std::string>{"Can't create MP3 file."});
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_FALSE(rig.timers.IsActive(kTimerRecordLimit));
  EXPECT_EQ(Text(IDC_TEXT_TIME), "");
  Second(2);
  EXPECT_EQ(Text(IDC_TEXT_TIME), "") << "no clock runs";
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.recordingView.menus.back(), IDR_RECORDMENU);

  // A start that fails while a recording runs: the old file was closed, the window is idle.
  rig.recorder->failure.clear();
  rig.Command(ID_REC_OPEN);
  rig.recorder->failure = "Device not found.";
  rig.Command(ID_REC_OPEN);
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_FALSE(rig.recorder->running);
  EXPECT_EQ(Text(IDC_TEXT_FILE), "");
}

TEST_F(Recording, RecordButtonWithoutReceiverOrDuringPlaybackOrSeek) {
  FakePlayback playback(rig.audioLog);
  rig.Join({.playback = &playback});
  playback.playing = true;
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.audioLog.front(), "playback stop");
  EXPECT_EQ(rig.recordingView.menus, std::vector<int>{IDR_RECORDMENU});

  rig.Command(IDC_SEEK_UP);
  rig.Command(IDC_SAVE_PRESET);
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.window.SaveArmed(), 0);

  MainWindowRig none;
  none.platform.slots.clear();
  none.Start();
  none.Command(IDC_RECORD);
  none.Command(ID_REC_OPEN);
  EXPECT_TRUE(none.recordingView.menus.empty());
  EXPECT_EQ(none.recording.IsRecording(), 0);
  EXPECT_FALSE(none.recorder->running);
}

TEST_F(Recording, ClosingOrPullingTheReceiverEndsTheFileFirst) {
  rig.Command(ID_REC_OPEN);
  rig.Command(IDC_CLOSE);
  EXPECT_FALSE(rig.recorder->running);
  EXPECT_TRUE(rig.view.destroyed);

  MainWindowRig pulled;
  pulled.Start();
  pulled.Command(ID_REC_OPEN);
  ASSERT_TRUE(pulled.recorder->running);
  pulled.receiver.Remove();
  pulled.window.OnDeviceRemoveComplete(pulled.device.NativeHandle());
  EXPECT_TRUE(pulled.view.destroyed);
  EXPECT_FALSE(pulled.recorder->running) << "the file is finished before the window goes";
}

// The scheduler hears of every stop made through the recording controls.
TEST_F(Recording, EveryStopIsReportedToTheScheduler) {
  struct Scheduler final : ISchedulerControl {
    void LoadSchedule() override {}
    void SchedulerTick(const LocalTime&) override {}
    void OnRecordingEnded(const RecordingEnd& end) override { ends.push_back(end); }
    std::vector<RecordingEnd> ends;
  } scheduler;
  rig.Join({.scheduler = &scheduler});
  ReservationStart start;
  start.index = 2;
  start.name = "News";
  start.file = "C:\\RadioREC\\News\\20261206_140000.mp3";
  start.kbps = 320;
  start.remainingSeconds = 60;
  ASSERT_TRUE(rig.recording.StartScheduledRecording(start));
  EXPECT_EQ(Text(IDC_TEXT_LABEL), "News");
  EXPECT_EQ(Text(IDC_TEXT_RATE), "320 Kbps");
  rig.recording.StopRecording(RecordingEndReason::ByHand);
  rig.recording.StopRecording(RecordingEndReason::ByHand);
  ASSERT_EQ(scheduler.ends.size(), 1u);
  EXPECT_EQ(scheduler.ends[0].reason, RecordingEndReason::ByHand);
  EXPECT_EQ(scheduler.ends[0].reservation, 2);
  EXPECT_EQ(scheduler.ends[0].file, start.file);
}

// The real recorder and MP3 writer behind the window, fed blocks of silence by the test as the
// capture thread would, into a file kept in memory on a drive that fills up.
class BlockFeed final : public ICaptureEngine {
 public:
  void PrepareDevice() override { device_ = true; }
  void Start(IReceiver& receiver) override { receiver_ = &receiver; }
  void Stop() override { receiver_ = nullptr; }
  void Forget() override {
    Stop();
    device_ = false;
  }
  bool HasDevice() const override { return device_; }
  void Deliver(int blocks) {
    const std::vector<uint8_t> block(kCaptureBufferBytes);
    for (int i = 0; i < blocks && receiver_; ++i) receiver_->Receive(block.data(), kCaptureBufferBytes);
  }

 private:
  bool device_ = false;
  IReceiver* receiver_ = nullptr;
};

// The drive fills up during a recording: at the next heartbeat second the recording ends as a
// stop would end it, the user is told once on the window's line (no box holds the timers up)
// and the scheduler hears of a failure, not of a stop.
TEST_F(Recording, AFullDriveEndsTheRecordingOnceAndTellsTheScheduler) {
  struct Scheduler final : ISchedulerControl {
    void LoadSchedule() override {}
    void SchedulerTick(const LocalTime& t) override { ticks.push_back(t.hour * 3600 + t.minute * 60 + t.second); }
    void OnRecordingEnded(const RecordingEnd& end) override {
      ++(end.reason == RecordingEndReason::WriteFailure ? failures : stops);
    }
    int stops = 0, failures = 0;
    std::vector<int> ticks;
  } scheduler;
  rig.Join({.scheduler = &scheduler});
  auto bytes = std::make_shared<std::vector<uint8_t>>();
  auto feed = std::make_unique<BlockFeed>();
  BlockFeed* capture = feed.get();
  rig.UseRecorder(std::make_unique<Recorder>(
      std::move(feed), rig.clock,
      Mp3SinkFactory([bytes](const std::string&) -> std::unique_ptr<IOutputFile> {
        return std::make_unique<FillingDrive>(std::make_unique<MemoryOutputFile>(bytes), 20001);
      }),
      [](const std::string&) { return false; }));

  rig.Command(ID_REC_OPEN);
  ASSERT_EQ(rig.recording.IsRecording(), 1);
  capture->Deliver(4);
  Second();
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  capture->Deliver(20);
  // The writer works on its own thread.
  for (int waited = 0; waited < 5000 && !rig.Recorder()->Status().writeFailed; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(rig.recording.IsRecording(), 1) << "the capture thread never touches the window";
  EXPECT_TRUE(rig.failureBox.shown.empty());

  Second();
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_FALSE(rig.Recorder()->IsRecording());
  EXPECT_EQ(Text(IDC_TEXT_TIME), "");
  EXPECT_EQ(Text(IDC_TEXT_FILE), "");
  EXPECT_EQ(rig.failureBox.shown, std::vector<std::string>{"Recording stopped: cannot write the MP3 file."});
  EXPECT_TRUE(rig.failureBox.boxes.empty());
  EXPECT_EQ(scheduler.failures, 1);
  EXPECT_EQ(scheduler.stops, 0);
  // The after-action may have closed the window or sent the PC to sleep: the second that found
  // the failure ticks the scheduler no more.
  EXPECT_TRUE(std::adjacent_find(scheduler.ticks.begin(), scheduler.ticks.end(), std::greater_equal<int>()) ==
              scheduler.ticks.end());
  Second(3);
  EXPECT_EQ(rig.failureBox.shown.size(), 1u);
  rig.Command(IDC_RECORD);
  EXPECT_EQ(rig.recordingView.menus.back(), IDR_RECORDMENU) << "idle";

  const Mp3StreamInfo info = ScanMp3Frames(*bytes);
  EXPECT_TRUE(info.valid) << info.problem;
  EXPECT_GT(info.frames, 30);
}

TEST(TrayMenuNames, TheBandsNamesTrimmedAndCutToTheMenuBuffer) {
  MainWindowRig rig;
  rig.SetPreset("CH_SET_FM_JAP", 1, "  Wave  ", "7620");
  rig.SetPreset("CH_SET_FM_JAP", 2, std::string(kValueBufferSize - 1, 'n'), "7640");
  rig.SetPreset("CH_SET_SW", 12, "Shortwave", "6000");
  const auto fm = TrayPresetNames(rig.store, BandFM, 2);
  EXPECT_EQ(fm[0], "Wave");
  EXPECT_EQ(fm[1], std::string(kTrayMenuTextChars - 1, 'n'));
  EXPECT_EQ(fm[2], "Channel03");
  EXPECT_EQ(TrayPresetNames(rig.store, BandSW, 0)[11], "Shortwave");
  for (const std::string& name : TrayPresetNames(rig.store, 3, 0)) EXPECT_EQ(name, "");
}

// A reservation recorded through the window: the recorder gets the scheduler's file and rate,
// the display shows the reservation's name and counts from its start, and the end stops the
// recorder. A reservation whose start fails leaves the window idle and counts as nothing.
TEST(ScheduledThroughTheWindow, AReservationRecordsShowsItselfAndEnds) {
  SchedulerRig rig;
  Scheduler scheduler(rig.window, rig.recording, rig.powerState, rig.powerActions, rig.folders, rig.calendar,
                      rig.wall, rig.clock, rig.store);
  rig.Join({.scheduler = &scheduler});
  rig.SetWall(2026, 12, 7, 9, 59, 58);
  rig.Start();
  rig.Tick();
  rig.recording.SetMp3Rate(0);
  rig.Command(ID_REC_15);
  rig.Reserve(1, "News", "100000", "100010", "20261207", BandFM, "8000", 1);
  scheduler.LoadSchedule();
  rig.schedLog.clear();

  rig.Seconds(2);
  // The manual recording ends before the tuning; the new one starts after it.
  ASSERT_FALSE(rig.schedLog.empty());
  EXPECT_EQ(rig.schedLog.front(), "record stop");
  EXPECT_EQ(rig.schedLog.back(), "record C:\\Rec\\News\\20261207_100000.mp3 192");
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  EXPECT_FALSE(rig.timers.IsActive(kTimerRecordLimit)) << "the manual limit is gone";
  EXPECT_EQ(rig.recordingView.texts[IDC_TEXT_LABEL], "News");
  EXPECT_EQ(rig.recordingView.texts[IDC_TEXT_FILE], "C:\\Rec\\News\\20261207_100000.mp3");
  rig.Seconds(3);
  EXPECT_EQ(rig.recordingView.texts[IDC_TEXT_TIME], "REC    00:00:03");
  rig.Seconds(8);
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_FALSE(rig.recorder->running);
  EXPECT_EQ(rig.recordingView.texts[IDC_TEXT_LABEL], "");

  rig.recorder->failure = "Device not found.";
  rig.Reserve(2, "Late", "100100", "100200", "20261207");
  scheduler.LoadSchedule();
  rig.Seconds(120);
  // Tried again while its time lasts, a few times.
  EXPECT_EQ(rig.messages, std::vector<std::string>(Scheduler::kStartTries, "Device not found."));
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_EQ(rig.recording.RecordingReservation(), -1);
}

// A manual start's failure box dispatches the window's timers until it is closed, so a
// reservation can start while it is up; closing the box leaves that recording running. A
// reservation's own failure opens no box: it is told on the window's line, and the next
// reservation starts on its second, on its station.
TEST(ScheduledThroughTheWindow, NoFailureHoldsUpTheNextReservation) {
  SchedulerRig rig;
  Scheduler scheduler(rig.window, rig.recording, rig.powerState, rig.powerActions, rig.folders, rig.calendar,
                      rig.wall, rig.clock, rig.store);
  rig.Join({.scheduler = &scheduler});
  rig.SetWall(2026, 12, 7, 9, 59, 58);
  rig.Start();
  rig.Tick();
  rig.Reserve(2, "News", "100000", "100100", "20261207", BandFM, "9000");
  scheduler.LoadSchedule();

  // A manual start fails; the reservation starts before its box is dismissed.
  rig.recorder->failure = "Device not found.";
  rig.failureBox.whileShown = [&] {
    rig.failureBox.whileShown = nullptr;
    rig.recorder->failure.clear();
    rig.Seconds(2);
  };
  rig.Command(ID_REC_OPEN);
  EXPECT_EQ(rig.failureBox.boxes, std::vector<std::string>{"Device not found."});
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  EXPECT_TRUE(rig.recorder->running);
  EXPECT_EQ(rig.recorder->RecordingPath(), "C:\\Rec\\News\\20261207_100000.mp3");
  EXPECT_EQ(rig.recording.RecordingReservation(), 1);

  // A reservation whose start fails; the next one is due two seconds later.
  rig.Command(ID_STOP_NOW);
  rig.Reserve(3, "First", "100010", "100100", "20261207", BandFM, "8000");
  rig.Reserve(4, "Second", "100012", "100100", "20261207", BandFM, "8500");
  scheduler.LoadSchedule();
  rig.Seconds(9);
  rig.recorder->failure = "Device not found.";
  rig.Seconds(1);
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_EQ(rig.recording.StartFailure(), "Device not found.");
  EXPECT_EQ(rig.failureBox.boxes.size(), 1u) << "no box for a reservation";
  EXPECT_EQ(rig.failureBox.shown.back(), "Could not record \"First\": Device not found.");
  rig.recorder->failure.clear();
  rig.Seconds(1);
  EXPECT_FALSE(rig.recorder->running);
  rig.Seconds(1);
  EXPECT_TRUE(rig.recorder->running) << "on its second";
  EXPECT_EQ(rig.recorder->RecordingPath(), "C:\\Rec\\Second\\20261207_100012.mp3");
  EXPECT_EQ(rig.radio.Band(), BandFM);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8500);
}

// A manual recording chosen while a reservation records (its menu was open across the start)
// takes over as a manual one: the reservation's end neither stops it nor shuts the PC down.
TEST(ScheduledThroughTheWindow, AManualStartOverAReservationIsNoLongerScheduled) {
  SchedulerRig rig;
  Scheduler scheduler(rig.window, rig.recording, rig.powerState, rig.powerActions, rig.folders, rig.calendar,
                      rig.wall, rig.clock, rig.store);
  rig.Join({.scheduler = &scheduler});
  rig.Set("SHUTDOWN", "1");
  rig.SetWall(2026, 12, 7, 9, 59, 58);
  rig.Start();
  rig.Tick();
  rig.Reserve(1, "News", "100000", "100010", "20261207");
  scheduler.LoadSchedule();
  rig.Seconds(3);
  ASSERT_EQ(rig.recording.RecordingReservation(), 0);

  rig.Command(ID_REC_OPEN);
  EXPECT_EQ(rig.recording.RecordingReservation(), -1);
  rig.Seconds(20);
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  EXPECT_TRUE(rig.recorder->running);
  EXPECT_EQ(std::count(rig.schedLog.begin(), rig.schedLog.end(), "shutdown"), 0);
  EXPECT_TRUE(rig.device.IsOpen());
}

}  // namespace
