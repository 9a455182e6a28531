// What the scheduler reports of a night: the reservation missed while the program was not
// running, the one it recorded, as log lines and tray notifications; and the starts it counts as
// missed.
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
  void AppendLog(const std::string& folder, const std::string& line) override { log.push_back(folder + "|" + line); }
  bool WindowHidden() override { return hidden; }
  void Notify(const std::string&, const std::string& text) override { notes.push_back(text); }
  Lines log, notes;
  bool hidden = true;
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
            Lines{"C:\\Rec|2026-12-07 07:30:05  Failed \"Late\": the recording could not start; trying again"});
  EXPECT_TRUE(rig.output.notes.empty());
}

TEST(ScheduleReport, EveryEndOfARecordingIsOneLineWithItsReasonAndOneBoxAtMost) {
  using Rig = ReportRig;
  struct Path {
    const char* name;
    std::function<void(Rig&)> end;
    const char* line;  // the last line of the log, after its time
    const char* box;   // the one box shown, or nothing
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
