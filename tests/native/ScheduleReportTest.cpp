// What the scheduler reports of a night: the reservation missed while the program was not
// running, the one it recorded, as log lines and tray notifications; every end and failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "schedule/ScheduleReport.h"
#include "tests/native/SchedulerRig.h"

namespace {

using Lines = std::vector<std::string>;

class FakeReportOutput final : public IReportOutput {
 public:
  void AppendLog(const std::string& folder, const std::string& line) override {
    log.push_back(folder + "|" + line);
    if (events) events->push_back("log " + folder + "|" + line);
  }
  bool WindowHidden() override { return hidden; }
  void Notify(const std::string&, const std::string& text) override { notes.push_back(text); }
  Lines log, notes;
  bool hidden = true;
  Lines* events = nullptr;  // the log's lines among other events, when a test wants their order
};

struct ReportRig : SchedulerRig {
  ReportRig() { scheduler.SetReporter(&reporter); }
  FakeReportOutput output;
  ScheduleReporter reporter{output};
};

TEST(ScheduleReport, ANightWithOneReservationMissedAndOneRecorded) {
  ReportRig rig;
  rig.Set(kLastRunningValue, "20261206230000");  // the program ran until 23:00 the evening before
  rig.Reserve(1, "Morning News", "070000", "071000", "20261207");
  rig.Reserve(2, "Jazz", "074000", "074005", "0111110", BandFM, "8000");
  rig.SetWall(2026, 12, 7, 7, 30, 0);
  rig.Start();
  rig.Tick();
  rig.Seconds(10 * 60 + 6);
  rig.window.Close();
  EXPECT_EQ(rig.output.log,
            (Lines{"C:\\Rec|2026-12-07 07:30:00  Missed \"Morning News\" of Mon 7 Dec 07:00: Kestrune was not running",
                   "C:\\Rec|2026-12-07 07:40:00  Started \"Jazz\": C:\\Rec\\Jazz\\20261207_074000.mp3",
                   "C:\\Rec|2026-12-07 07:40:06  Ended \"Jazz\": C:\\Rec\\Jazz\\20261207_074000.mp3, 00:00:06, time up"}));
  EXPECT_EQ(rig.output.notes,
            (Lines{"Missed while Kestrune was not running: Morning News, Mon 7 Dec 07:00",
                   "Recording \"Jazz\" into 20261207_074000.mp3", "Recorded \"Jazz\": 20261207_074000.mp3, 00:00:06"}));
  EXPECT_EQ(rig.Get(kGeneralKey, kLastRunningValue), "20261207074006");  // kept at the end of the run
}

TEST(ScheduleReport, AFirstRunReportsNothingAndAShownWindowOnlyLogs) {
  ReportRig rig;
  rig.output.hidden = false;
  rig.Reserve(1, "Morning News", "070000", "071000", "20261207");
  rig.SetWall(2026, 12, 7, 7, 30, 0);
  rig.Start();
  rig.Tick();
  EXPECT_TRUE(rig.output.log.empty());
  EXPECT_EQ(rig.Get(kGeneralKey, kLastRunningValue), "20261207073000");
  rig.Reserve(2, "Late", "073005", "073010", "20261207");
  rig.recorder->failure = "Can't open WaveIN Device.";
  rig.Seconds(5);
  EXPECT_EQ(rig.output.log,
            Lines{"C:\\Rec|2026-12-07 07:30:05  Failed \"Late\": Can't open WaveIN Device.; trying again"});
  EXPECT_TRUE(rig.output.notes.empty());
}

TEST(ScheduleReport, TheMissedNoticeHoldsWholeEntriesAndStampsAreRealTimes) {
  // The notification holds whole entries and says how many more the log has.
  FakeReportOutput output;
  std::vector<std::pair<std::string, LocalTime>> many(20, {std::string(30, 'n'), LocalTime{2026, 12, 7, 1, 7, 0, 0}});
  ScheduleReporter(output).Missed("C:\\Rec", many, MissCause::NotRunning, {2026, 12, 7, 1, 8, 0, 0});
  EXPECT_EQ(output.log.size(), 20u);
  ASSERT_EQ(output.notes.size(), 1u);
  EXPECT_LE(output.notes[0].size(), 255u);
  EXPECT_NE(output.notes[0].find(" more in Kestrune log.txt"), std::string::npos);
  LocalTime t;
  EXPECT_FALSE(ParseStamp("20261131120000", t));
  EXPECT_FALSE(ParseStamp("2026120712000x", t));
  EXPECT_TRUE(ParseStamp("20261207120000", t) && t.weekday == 1);
}

// Every way a reservation's recording can end gives one dated line with its reason, length and
// loss, and a failure gives the one line on the window whose text the log and the tray repeat;
// none opens a box.
TEST(ScheduleReport, EveryEndOfARecordingIsOneLineWithItsReasonAndOneFailureLineAtMost) {
  using Rig = ReportRig;
  struct Path {
    const char* name;
    std::function<void(Rig&)> end;
    const char* line;  // the last line of the log, after its time
    const char* box;   // the one failure the window's line showed, or nothing
    const char* before = "";  // the line before it, where one follows the end
  };
  const Path paths[] = {
      {"time up", [](Rig& r) { r.Seconds(60); }, "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:01:01, time up", ""},
      {"by hand", [](Rig& r) { r.Command(ID_STOP_NOW); }, "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, stopped by hand", ""},
      {"standby", [](Rig& r) { r.scheduler.OnPowerBroadcast(kPowerSuspend); },
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, standby", ""},
      {"close", [](Rig& r) { r.Command(IDC_CLOSE); }, "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, program closed", ""},
      {"exit", [](Rig& r) { r.Command(ID_EXIT); }, "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, program closed", ""},
      {"log-off", [](Rig& r) { r.window.OnEndSession(true); },
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, end of session", ""},
      {"removal", [](Rig& r) { r.window.OnDeviceRemoveComplete(r.device.NativeHandle()); },
       "Receiver removed: Kestrune waits in the tray for it", "",
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, receiver removed"},
      {"handed over",
       [](Rig& r) {
         r.Reserve(2, "", "070006", "070100", "20261207");
         r.Seconds(1);
       },
       "Started \"Reserve 2\": C:\\Rec\\20261207_070006.mp3", "",
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:06, handed over to \"Reserve 2\""},
      {"write failure",
       [](Rig& r) {
         r.recorder->status.writeFailed = true;
         r.Seconds(1);
       },
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:06, write failure. Recording stopped: cannot write the MP3 file.",
       "Recording stopped: cannot write the MP3 file."},
      {"capture stopped, then resumed",
       [](Rig& r) {
         r.recorder->stalled = true;
         r.Seconds(3);
       },
       "Resumed \"Morning\": C:\\Rec\\Morning\\20261207_070000_2.mp3, 00:00:01 not recorded",
       "Recording stopped: no sound came from the receiver for 2 seconds.",
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:07, capture stopped. Recording stopped: no sound came from the receiver for 2 seconds."},
      {"lost audio",
       [](Rig& r) {
         r.recorder->status.droppedBytes = 75 * 64000 - 1000;
         r.Seconds(60);
       },
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:01:01, time up, 75 s lost. Recording ended: 75 s of audio were lost because the disk did not keep up.",
       "Recording ended: 75 s of audio were lost because the disk did not keep up."},
      // The receiver's audio going by a close that did not come through the window still ends
      // the recording through the session.
      {"receiver closed under it",
       [](Rig& r) {
         r.device.CloseDevice();
         EXPECT_FALSE(r.recorder->running);
       },
       "Ended \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3, 00:00:05, receiver removed", ""},
      {"failure while finishing",
       [](Rig& r) {
         r.Command(ID_STOP_NOW);
         r.recorder->FinishWriters(true);
       },
       "Failed \"Morning\" while finishing C:\\Rec\\Morning\\20261207_070000.mp3: Recording stopped: cannot write the MP3 file.",
       "Recording stopped: cannot write the MP3 file."},
  };
  std::vector<std::string> night;
  for (const Path& path : paths) {
    ReportRig rig;
    rig.SetWall(2026, 12, 7, 6, 59, 55);
    rig.Start();
    rig.Tick();
    rig.Reserve(1, "Morning", "070000", "070100", "20261207");
    rig.Seconds(10);
    ASSERT_TRUE(rig.recording.IsRecording()) << path.name;
    path.end(rig);
    rig.recorder->FinishWriters();  // a failure already told is not told again
    ASSERT_FALSE(rig.output.log.empty()) << path.name;
    const std::string last = rig.output.log.back().substr(rig.output.log.back().find("  ") + 2);
    if (*path.before) {
      EXPECT_EQ(rig.output.log[rig.output.log.size() - 2].substr(28), path.before) << path.name;
    }
    EXPECT_EQ(last, path.line) << path.name;
    const std::vector<std::string> boxes = *path.box ? std::vector<std::string>{path.box} : std::vector<std::string>{};
    EXPECT_EQ(rig.failureBox.shown, boxes) << path.name;
    const bool goesOn = std::string(path.name) == "handed over" || std::string(path.name).ends_with("resumed");
    EXPECT_TRUE(rig.failureBox.boxes.empty()) << path.name;
    if (*path.box) {
      EXPECT_EQ(rig.output.notes[rig.output.notes.size() - (goesOn ? 2 : 1)],
                std::string(path.box) + " 20261207_070000.mp3")
          << path.name;
    }
    EXPECT_EQ(rig.recording.RecordingReservation(), goesOn ? std::string(path.name) == "handed over" ? 1 : 0 : -1)
        << path.name;
    night.insert(night.end(), rig.output.log.begin() + 1, rig.output.log.end());
  }
  if (std::getenv("KESTRUNE_PRINT_LOG"))
    for (const std::string& line : night) std::printf("%s\n", line.substr(line.find('|') + 1).c_str());
}

// No failure of the night waits for a click: a reservation whose start fails, whose file stops
// taking writes, whose capture goes quiet or whose writer fails once it ended is told on the
// window's line and in the log, without a box, and the reservation due right after it starts
// on its second with its "Started" line.
TEST(ScheduleReport, NoFailureOfTheNightWaitsForAClickAndTheNextStartIsOnTime) {
  using Rig = ReportRig;
  struct Case {
    const char* name;
    std::function<void(Rig&)> fail;  // from 06:59:59, the first reservation due at 07:00:00
    const char* told;
  };
  const Case cases[] = {
      {"start", [](Rig& r) { r.recorder->failure = "Device not found."; r.Seconds(1); r.recorder->failure.clear(); },
       "Could not record \"First\": Device not found."},
      {"write", [](Rig& r) { r.Seconds(2); r.recorder->status.writeFailed = true; r.Seconds(1); },
       "Recording stopped: cannot write the MP3 file."},
      {"capture", [](Rig& r) { r.Seconds(1); r.recorder->stalled = true; r.Seconds(3); r.recorder->stalled = false; },
       "Recording stopped: no sound came from the receiver for 2 seconds."},
      {"writer", [](Rig& r) { r.Seconds(12); r.recorder->FinishWriters(true); },
       "Recording stopped: cannot write the MP3 file."},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.SetWall(2026, 12, 7, 6, 59, 55);
    rig.Start();
    rig.Tick();
    rig.Reserve(1, "First", "070000", "070010", "20261207");
    rig.Reserve(2, "Second", "070012", "070100", "20261207", BandFM, "8500");
    rig.Seconds(4);
    c.fail(rig);
    while (CivilSeconds(rig.wall.now) < CivilSeconds({2026, 12, 7, 0, 7, 0, 11})) rig.Seconds(1);
    EXPECT_TRUE(rig.failureBox.boxes.empty()) << c.name;
    EXPECT_EQ(rig.failureBox.shown, Lines{c.told}) << c.name;
    rig.Seconds(1);
    EXPECT_EQ(rig.recording.RecordingReservation(), 1) << c.name;
    EXPECT_EQ(rig.output.log.back(),
              "C:\\Rec|2026-12-07 07:00:12  Started \"Second\": C:\\Rec\\Second\\20261207_070012.mp3")
        << c.name;
  }
}

// The exit waits once: a writer stuck on a dead drive takes the writers' whole budget and no
// more; the note of its file goes to the fallback log before the record folder's log gets it,
// then the log gets its own budget; nothing opens a box.
TEST(ScheduleReport, TheExitWaitsOnceAndNotesAStuckFileInTheFallbackLogFirst) {
  ReportRig rig;
  rig.output.events = &rig.exitEvents;
  rig.recorder->clock = &rig.clock;
  rig.SetWall(2026, 12, 7, 6, 59, 55);
  rig.Start();
  rig.Tick();
  rig.Reserve(1, "Morning", "070000", "070100", "20261207");
  rig.Seconds(8);
  const std::string file = "C:\\Rec\\Morning\\20261207_070000.mp3";
  rig.recorder->stuck = {file};
  rig.Command(IDC_CLOSE);
  ASSERT_TRUE(rig.view.destroyed);
  rig.exitEvents.clear();

  const uint64_t before = rig.clock.NowMs();
  rig.window.FinishRecordingFiles();  // what the window's destruction runs
  EXPECT_EQ(rig.clock.NowMs() - before, uint64_t{MainWindow::kWriterWaitMs});
  EXPECT_EQ(rig.recorder->waits, std::vector<unsigned>{MainWindow::kWriterWaitMs});
  const std::string note = "2026-12-07 07:00:03  Kestrune ended before this file was completely written: " + file;
  EXPECT_EQ(rig.exitEvents, (Lines{"fallback " + note, "log C:\\Rec|" + note, "flush 2000"}));
  EXPECT_TRUE(rig.failureBox.boxes.empty());
}

// The receiver pulled out at night: a program there for its reservations (one is ON, or it was
// started in the tray) waits for it and records when it is back; a window started by hand with
// nothing to record ends as before. A program started in the tray stays hidden throughout.
TEST(ScheduleReport, ANightSurvivesTheReceiverWhenAReservationIsOnOrTheStartWasInTheTray) {
  struct Case {
    bool inTray, reservation, stays;
  };
  for (const Case c : {Case{false, false, false}, Case{true, false, true}, Case{false, true, true}, Case{true, true, true}}) {
    SCOPED_TRACE(std::to_string(c.inTray) + std::to_string(c.reservation));
    ReportRig rig;
    if (c.inTray) rig.window.SetStartedInTray();
    rig.SetWall(2026, 12, 7, 6, 50, 0);
    rig.Start();
    rig.Tick();
    if (c.reservation) rig.Reserve(1, "Morning", "070000", "080000", "20261207");
    rig.receiver.Remove();
    rig.platform.slots.clear();
    rig.window.OnDeviceRemoveComplete(rig.device.NativeHandle());
    EXPECT_EQ(rig.view.destroyed, !c.stays);
    if (!c.stays) continue;
    EXPECT_FALSE(rig.device.IsOpen());
    EXPECT_EQ(rig.view.shows.back(), ShowCommand::Hide);
    EXPECT_EQ(rig.output.log.back().substr(28), "Receiver removed: Kestrune waits in the tray for it");
    rig.Seconds(10 * 60);
    if (c.reservation) {
      EXPECT_FALSE(rig.recording.IsRecording());
      EXPECT_EQ(rig.output.log.back().substr(28), "Failed \"Morning\": receiver not connected");
    }
    rig.Seconds(10 * 60);
    rig.receiver.PlugIn();
    rig.platform.PutReceiverAt(0);
    rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
    EXPECT_TRUE(rig.device.IsOpen());
    EXPECT_EQ(rig.view.shows.back(), c.inTray ? ShowCommand::Hide : ShowCommand::Show);
    rig.Seconds(1);
    EXPECT_EQ(rig.recording.IsRecording(), c.reservation);
    if (c.reservation) {
      EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\Morning\\20261207_070000.mp3");
      EXPECT_EQ(rig.output.log[rig.output.log.size() - 2].substr(28),
                "Missed 00:10:01 of \"Morning\" from Mon 7 Dec 07:00: receiver not connected");
      EXPECT_EQ(rig.output.log.back().substr(28), "Started \"Morning\": C:\\Rec\\Morning\\20261207_070000.mp3");
      rig.Seconds(50 * 60);  // until its stop at 08:00
      EXPECT_FALSE(rig.recording.IsRecording());
    }
    rig.scheduler.OnPowerBroadcast(kPowerSuspend);
    rig.scheduler.OnPowerBroadcast(kPowerResumeAutomatic);
    EXPECT_EQ(rig.view.shows.back(), c.inTray ? ShowCommand::Hide : ShowCommand::Show) << "after a resume";
  }
}

}  // namespace
