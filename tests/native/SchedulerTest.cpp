// Scheduled recordings and power actions of the main window, on a fake wall clock against the
// simulated receiver.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/native/SchedulerRig.h"
#include "tests/support/StateProbes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Log = std::vector<std::string>;

bool Has(const Log& log, const std::string& entry) { return std::find(log.begin(), log.end(), entry) != log.end(); }

// Japan, FM 78.10 MHz, on Monday 7 December 2026 shortly before 10:00.
class Schedule : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Set("COUNTRY", "2");
    rig.Set("FM", "1");
    rig.Set("FREQ", "7810");
    rig.Set("FREQ_AM", "594");
    rig.Set("VOLUME", "40");
    rig.SetPreset("CH_SET_FM_JAP", 4, "Wave", "8000");
    rig.receiver.readLatencyMs = 0;
    rig.SetWall(2026, 12, 7, 9, 59, 50);
    rig.Start();
    rig.Tick();
    rig.receiver.ClearLog();
    rig.audioLog.clear();
    rig.schedLog.clear();
  }
  SchedulerRig rig;
};

TEST_F(Schedule, DueReservationTunesWaitsForTheBandAndRecordsIntoItsFolder) {
  rig.Reserve(2, "News", "100000", "100100", "20261207", BandFM, "8000", 0);
  rig.Reserve(5, "Other", "100000", "103000", "0100000");  // same second: skipped
  rig.Seconds(9);
  EXPECT_EQ(rig.recorder->starts, 0);
  const size_t sleepsBefore = rig.clock.Sleeps().size();
  rig.Seconds(1);

  EXPECT_EQ(rig.recorder->starts, 1);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\News\\20261207_100000.mp3");
  EXPECT_EQ(rig.recorder->kbps, 320);
  EXPECT_EQ(rig.recordingView.texts[IDC_TEXT_LABEL], "News");
  EXPECT_EQ(rig.Session().ElapsedSeconds(), 0);
  EXPECT_TRUE(rig.folders.existing.count("C:\\Rec\\News"));
  const Bytes completion{0x05, 0x00, 0x00, 0xFF};
  ASSERT_GE(rig.Reports().size(), 4u);
  EXPECT_EQ(rig.Reports()[0], completion);
  EXPECT_EQ(rig.Reports()[1][0], 0x0A);  // band select, then its completion
  EXPECT_EQ(rig.Reports().back(), (Bytes{0x02, 0x1F, 0x40, 0xFF}));  // 80.00 MHz
  EXPECT_EQ(std::vector<unsigned>(rig.clock.Sleeps().begin() + sleepsBefore, rig.clock.Sleeps().end()),
            std::vector<unsigned>{1000});
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8000);
  EXPECT_EQ(rig.radio.Preset(), 4);
  EXPECT_EQ(rig.audioLog, (Log{"stop", "run", "volume 40"}));
  EXPECT_EQ(rig.Session().RecordingReservation(), 1);

  // Ends in the first tick at which more than 60 s have passed; the station comes back.
  rig.receiver.ClearLog();
  rig.Seconds(60);
  EXPECT_TRUE(rig.recording.IsRecording());
  rig.Seconds(1);
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  EXPECT_EQ(rig.Reports().back(), (Bytes{0x02, 0x1E, 0x82, 0xFF}));
  EXPECT_EQ(rig.Session().RecordingReservation(), -1);
  EXPECT_FALSE(rig.view.destroyed);
}

TEST_F(Schedule, TakesOverAManualRecordingAndRunsAcrossMidnight) {
  rig.SetWall(2026, 12, 7, 23, 29, 59);
  rig.Tick();
  rig.Reserve(1, "Late", "233000", "001500", "0100000", BandAM, "1134", 3);
  ASSERT_TRUE(rig.Session().StartRecording());  // a manual recording runs
  rig.schedLog.clear();
  const size_t sleepsBefore = rig.clock.Sleeps().size();
  rig.Seconds(1);
  EXPECT_EQ(rig.schedLog, (Log{"record stop", "record C:\\Rec\\Late\\20261207_233000.mp3 64"}));
  EXPECT_EQ(std::vector<unsigned>(rig.clock.Sleeps().begin() + sleepsBefore, rig.clock.Sleeps().end()),
            (std::vector<unsigned>{200, 1000}));
  EXPECT_EQ(rig.radio.Band(), BandAM);
  EXPECT_EQ(rig.Session().RecordingReservation(), 0);

  rig.Skip(2699);
  rig.Tick();  // 2699 s
  rig.Seconds(1);  // 2700 s: not more than the duration
  EXPECT_TRUE(rig.recording.IsRecording());
  rig.Seconds(1);
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_EQ(rig.radio.Band(), BandFM);
  EXPECT_EQ(rig.radio.Frequency(BandAM), 594);
}

TEST_F(Schedule, EqualTimesRecordOnAndAnEarlyManualStopRestoresNothing) {
  rig.Reserve(3, "Open", "100000", "100000", "20261207");
  rig.Seconds(10);
  ASSERT_TRUE(rig.recording.IsRecording());
  rig.Skip(86000);
  rig.Tick();
  EXPECT_TRUE(rig.recording.IsRecording());

  rig.Reserve(4, "Short", "100000", "100500", "20261208");
  rig.Skip(400);
  rig.Tick();  // 10:00:00 next day: the second reservation cuts the first
  ASSERT_EQ(rig.recorder->starts, 2);
  rig.Seconds(30);
  rig.Session().StopRecording(RecordingEndReason::ByHand);  // the user stops it
  rig.Set("STANDBY", "1");
  rig.window.LoadPowerSettings();
  rig.Seconds(400);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8000);  // still the reservation's station
  EXPECT_FALSE(Has(rig.schedLog, "suspend"));
  EXPECT_EQ(rig.powerState.Suspended(), 0);
}

TEST_F(Schedule, SecondReservationCutsTheFirstAndTheStationOfBeforeComesBack) {
  rig.Reserve(1, "A", "100000", "110000", "20261207", BandFM, "8000");
  rig.Reserve(2, "B", "100010", "100020", "20261207", BandAM, "1134");
  rig.Seconds(10);
  rig.Seconds(10);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\B\\20261207_100010.mp3");
  EXPECT_EQ(rig.radio.Band(), BandAM);
  rig.Seconds(11);
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_EQ(rig.radio.Band(), BandFM);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);  // the user's, not the first reservation's
  rig.window.Close();
  EXPECT_EQ(rig.Get(kGeneralKey, "FREQ"), "7810");
}

TEST_F(Schedule, NamesBecomeFoldersInsideTheRecordFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "C:\\Rec\\"},         {"..", "C:\\Rec\\__\\"},  {"a:b\\c", "C:\\Rec\\a_b_c\\"},
      {" . ", "C:\\Rec\\___\\"}, {"nul", "C:\\Rec\\nul_\\"},
  };
  int day = 10;
  for (const auto& [name, folder] : cases) {
    const std::string date = "202612" + std::to_string(day);
    rig.SetWall(2026, 12, day++, 9, 59, 59);
    rig.Tick();
    rig.Reserve(1, name, "100000", "100001", date);
    rig.Seconds(3);
    EXPECT_EQ(rig.recorder->asked, folder + date + "_100000.mp3") << name;
    EXPECT_FALSE(rig.recording.IsRecording());
  }
  rig.folders.refuse = true;
  rig.SetWall(2026, 12, 20, 9, 59, 59);
  rig.Tick();
  rig.Reserve(1, "x*y", "100000", "100001", "20261220");
  rig.Seconds(1);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\x_y_20261220_100000.mp3");
}

TEST_F(Schedule, RepeatedHourOfAClockChangeDoesNotRecordTwice) {
  rig.SetWall(2026, 10, 25, 2, 29, 59);
  rig.Tick();
  rig.Reserve(1, "Night", "023000", "024000", "20261025");
  rig.Seconds(1);
  ASSERT_EQ(rig.recorder->starts, 1);
  rig.Skip(601);
  rig.Tick();
  EXPECT_FALSE(rig.recording.IsRecording());
  // The clock falls back from 03:00 to 02:00.
  rig.SetWall(2026, 10, 25, 2, 0, 0);
  rig.Tick();
  rig.Skip(1799);
  rig.Tick();
  rig.Seconds(5);
  EXPECT_EQ(rig.recorder->starts, 1);
}

TEST_F(Schedule, StartSkippedByABusyWindowRecordsFromNowForTheRestOfItsTime) {
  rig.Reserve(1, "Busy", "100000", "100100", "0100000");
  rig.Skip(19);  // 09:59:50 → 10:00:09 without a tick
  rig.Tick();
  ASSERT_EQ(rig.recorder->starts, 1);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\Busy\\20261207_100000.mp3");
  EXPECT_EQ(rig.Session().ElapsedSeconds(), 0);  // counted from its first recorded second
  rig.Seconds(5);
  EXPECT_EQ(rig.recorder->starts, 1);
  rig.Seconds(47);  // 61 s after the start
  EXPECT_FALSE(rig.recording.IsRecording());

  // Found only after its stop: missed.
  rig.Reserve(2, "Late", "101000", "101100", "0100000");
  rig.SetWall(2026, 12, 7, 10, 9, 30);
  rig.Tick();
  rig.Skip(91);
  rig.Tick();
  EXPECT_EQ(rig.recorder->starts, 1);
}

TEST(ScheduleStartUp, ProgramStartedLateRecordsTheRestOfTheReservation) {
  for (int late : {20, 61, 3599, 3600}) {
    SchedulerRig rig;
    rig.SetWall(2026, 12, 7, 10, 0, 0);
    rig.Skip(late);
    rig.Reserve(1, "Early", "100000", "110000", "20261207");
    rig.Start();
    rig.Tick();
    EXPECT_EQ(rig.recorder->starts, late < 3600 ? 1 : 0) << late;
  }
}

TEST_F(Schedule, LoadingOpensEachReservationKeyOnceAndClosesIt) {
  rig.Reserve(2, "Noon", "120000", "121000", "20261207");
  const int before = rig.tree.opensSoFar;
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.tree.opensSoFar - before, 16);
  EXPECT_EQ(rig.tree.OpenKeyCount(), 0);
}

TEST_F(Schedule, FailedStartLeavesNoScheduledRecordingBehind) {
  rig.Set("CLOSE", "1");
  rig.window.LoadPowerSettings();
  rig.recorder->failure = "Can't open WaveIN Device.";
  rig.Reserve(1, "Fails", "100000", "100001", "20261207");
  rig.Seconds(20);
  EXPECT_EQ(rig.recorder->starts, 1);
  EXPECT_EQ(rig.Session().RecordingReservation(), -1);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);  // the radio is back on the station it played
  EXPECT_EQ(rig.Get(kGeneralKey, "FREQ"), "7810");
  EXPECT_TRUE(rig.view.destroyed);  // its after-action, at its stop
}

TEST_F(Schedule, NextStartTakesTodaysPassedWeekdayNextWeekAndPicksTheNearest) {
  rig.SetWall(2026, 12, 6, 12, 0, 0);  // a Sunday, after the start
  rig.Reserve(1, "Sun", "080000", "090000", "1000000");
  EXPECT_EQ(rig.scheduler.SecondsUntilNextStart(), 6u * 86400 + 20 * 3600);  // next Sunday's
  rig.Reserve(2, "Mon", "080000", "090000", "0100000");
  EXPECT_EQ(rig.scheduler.SecondsUntilNextStart(), 20u * 3600);
  rig.Reserve(3, "Date", "121500", "130000", "20261206");
  EXPECT_EQ(rig.scheduler.SecondsUntilNextStart(), 900u);
  rig.Reserve(4, "Past", "110000", "130000", "20261206");
  EXPECT_EQ(rig.scheduler.SecondsUntilNextStart(), 900u);

  EXPECT_EQ(WakeTimerWait(240, 600), 210u);
  EXPECT_EQ(WakeTimerWait(20, 600), 20u);
  EXPECT_EQ(WakeTimerWait(3600, 300), 3300u);
  EXPECT_EQ(ScheduleDuration("233000", "001500"), 2700u);
  EXPECT_EQ(ScheduleDuration("12", ""), 86400u - 12 * 3600);
}

TEST_F(Schedule, SleepAfterRecordingArmsTheWakeTimerBeforeTheNextStart) {
  rig.Set("STANDBY", "1");
  rig.Set("WAKEUP", "1");
  rig.window.LoadPowerSettings();
  rig.Reserve(1, "First", "100000", "100001", "20261207");
  rig.Reserve(2, "Next", "101600", "101700", "20261207");
  // Armed while the wake-up is chosen, for the next start, as an instant 10 minutes before it.
  const std::string wake = "wake at " + std::to_string(CivilSeconds({2026, 12, 7, 0, 10, 6, 0}));
  rig.Seconds(12);
  EXPECT_EQ(rig.schedLog.back(), "suspend");
  EXPECT_EQ(std::count(rig.schedLog.begin(), rig.schedLog.end(), wake), 2);  // once more as it sleeps
  EXPECT_EQ(rig.powerActions.states.back(), kExecutionContinuous);
  EXPECT_EQ(rig.powerState.Suspended(), 1);
  EXPECT_FALSE(rig.device.IsOpen());
  EXPECT_FALSE(rig.timers.IsActive(kTimerHeartbeat));
  EXPECT_EQ(rig.Get(kGeneralKey, "FREQ"), "7810");

  // Woken up: after the resume wait the receiver is back, the PC is kept awake until "Next" has
  // started, and a start that passed during the wait is caught up.
  rig.schedLog.clear();
  rig.Skip(CivilSeconds({2026, 12, 7, 0, 10, 16, 3}) - CivilSeconds(rig.wall.now));
  rig.scheduler.OnPowerBroadcast(kPowerResumeAutomatic);
  EXPECT_EQ(rig.clock.Sleeps().back(), 9000u);
  EXPECT_EQ(rig.schedLog, (Log{"beep"}));  // the timer stays armed
  EXPECT_EQ(rig.power.states.back() & kExecutionSystemRequired, kExecutionSystemRequired);
  EXPECT_TRUE(rig.device.IsOpen());
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));
  rig.Tick();
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\Next\\20261207_101600.mp3");
  EXPECT_EQ(rig.power.states.back() & kExecutionSystemRequired, kExecutionSystemRequired);
  rig.Seconds(60);  // recorded: released
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_EQ(rig.power.states.back(), kExecutionContinuous);
}

TEST_F(Schedule, ReservationStartingAsTheLastOneEndsKeepsTheComputerAwake) {
  rig.Set("STANDBY", "1");
  rig.window.LoadPowerSettings();
  rig.Reserve(1, "First", "100000", "100004", "20261207");
  rig.Reserve(2, "Next", "100005", "100010", "20261207", BandAM, "1134");
  rig.Seconds(15);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\Next\\20261207_100005.mp3");
  EXPECT_EQ(rig.recorder->starts, 2);
  EXPECT_EQ(std::count(rig.schedLog.begin(), rig.schedLog.end(), "suspend"), 0);
  rig.Seconds(6);  // only the last one sleeps
  EXPECT_EQ(rig.schedLog.back(), "suspend");
}

TEST_F(Schedule, RefusedSleepBringsTheWindowBackAndWakeUp3ArmsNothing) {
  rig.Set("STANDBY", "1");
  rig.window.LoadPowerSettings();
  rig.powerActions.suspendWorks = false;
  rig.Reserve(1, "First", "100000", "100001", "20261207");
  rig.Reserve(2, "Next", "100600", "100700", "20261207");
  rig.Seconds(12);
  EXPECT_FALSE(std::any_of(rig.schedLog.begin(), rig.schedLog.end(), [](auto& e) { return e.starts_with("wake ") && e != "wake close"; }));
  EXPECT_EQ(rig.powerState.Suspended(), 0);
  EXPECT_TRUE(rig.device.IsOpen());
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));
}

TEST_F(Schedule, ShutDownAndCloseAfterRecording) {
  rig.Set("SHUTDOWN", "1");
  rig.Set("CLOSE", "1");
  rig.window.LoadPowerSettings();
  rig.Reserve(1, "Off", "100000", "100001", "20261207");
  rig.Seconds(12);
  EXPECT_EQ(rig.schedLog.back(), "shutdown");
  EXPECT_EQ(rig.view.unregistered, 1);
  EXPECT_FALSE(rig.device.IsOpen());
  EXPECT_FALSE(rig.view.destroyed);
  EXPECT_EQ(rig.clock.Sleeps().back(), 200u);

  // A refused shutdown leaves the program running, with its receiver back on.
  rig.powerActions.shutdownWorks = false;
  rig.Reserve(2, "Refused", "100100", "100101", "20261207");
  rig.Seconds(60);
  EXPECT_EQ(rig.schedLog.back(), "shutdown");
  EXPECT_TRUE(rig.device.IsOpen());
  EXPECT_TRUE(rig.receiver.Powered());
  EXPECT_EQ(rig.view.registered, 1) << "arrivals heard again after the refusal";
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));

  SchedulerRig closing;
  closing.Set("CLOSE", "1");
  closing.SetWall(2026, 12, 7, 9, 59, 59);
  closing.Start();
  closing.Tick();
  closing.Reserve(1, "Bye", "100000", "100001", "20261207");
  closing.Seconds(3);
  EXPECT_TRUE(closing.view.destroyed);
  EXPECT_FALSE(closing.device.IsOpen());
  EXPECT_FALSE(closing.receiver.Powered());
  EXPECT_FALSE(Has(closing.schedLog, "shutdown"));
}

TEST_F(Schedule, SuspendNotificationStopsTheRecordingAndResumeRetriesTheSound) {
  rig.Set("WAKEUP", "0");
  rig.window.LoadPowerSettings();
  rig.Reserve(1, "Cut", "100000", "110000", "20261207");
  rig.Reserve(2, "Later", "120000", "130000", "20261207");
  rig.Seconds(15);
  ASSERT_TRUE(rig.recording.IsRecording());
  rig.schedLog.clear();
  rig.scheduler.OnPowerBroadcast(kPowerSuspend);
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_EQ(rig.Session().RecordingReservation(), -1);
  EXPECT_FALSE(rig.device.IsOpen());
  EXPECT_EQ(rig.view.shows.back(), ShowCommand::Hide);
  EXPECT_EQ(rig.schedLog, (Log{"wake at " + std::to_string(CivilSeconds({2026, 12, 7, 0, 11, 55, 0})),
                               "record stop", "beep", "latency"}));
  EXPECT_FALSE(rig.timers.IsActive(kTimerHeartbeat));
  rig.scheduler.OnPowerBroadcast(kPowerQuerySuspend);  // already suspended: nothing more
  EXPECT_EQ(rig.schedLog.size(), 4u);

  rig.audio->runResults = {1, 1, 1};
  rig.scheduler.OnPowerBroadcast(kPowerResumeSuspend);
  EXPECT_TRUE(rig.device.IsOpen());
  EXPECT_EQ(rig.powerState.Suspended(), 0);
  EXPECT_EQ(rig.view.shows.back(), ShowCommand::Show);
  EXPECT_EQ(std::count(rig.clock.Sleeps().begin(), rig.clock.Sleeps().end(), 1000u), 3);
  rig.scheduler.OnPowerBroadcast(kPowerResumeSuspend);  // not suspended: ignored
  EXPECT_EQ(std::count(rig.schedLog.begin(), rig.schedLog.end(), "beep"), 2);
  // Its time lasts: the reservation the sleep cut goes on.
  rig.Seconds(1);
  EXPECT_EQ(rig.recorder->starts, 2);
  EXPECT_EQ(rig.Session().RecordingReservation(), 0);
}

}  // namespace
