// The scheduler at its edges: names in a double-byte code page and names of devices, a
// reservation that must not record twice or after its stop, the after-action of an ended
// reservation whose successor fails, stored times that are no times, and a recording that fails
// by itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "app/TrayMenu.h"
#include "tests/native/SchedulerRig.h"

namespace {

using Log = std::vector<std::string>;

bool Has(const Log& log, const std::string& entry) { return std::find(log.begin(), log.end(), entry) != log.end(); }

// "Jポップ" and "ソナタ" in code page 932: the second bytes 0x7C ('|') and 0x5C ('\').
const std::string kJPop = "J\x83\x7C\x83\x62\x83\x76";
const std::string kSonata = "\x83\x5C\x83\x69\x83\x5E";
const std::string kHyo = "\x95\x5C";  // one character, ends in '\'

// Japan, FM 78.10 MHz, on Monday 7 December 2026 at 09:59:50.
class ScheduleEdges : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Set("COUNTRY", "2");
    rig.Set("FM", "1");
    rig.Set("FREQ", "7810");
    rig.receiver.readLatencyMs = 0;
    rig.SetWall(2026, 12, 7, 9, 59, 50);
    rig.Start();
    rig.Tick();
    rig.schedLog.clear();
  }
  void AfterRecording(const char* value) {
    rig.Set(value, "1");
    rig.window.LoadPowerSettings();
  }
  std::string Timer(int n) { return std::string(kSettingsRoot) + "\\" + TimerKey(n); }
  SchedulerRig rig;
};

// ---- Names: characters of the code page, and device names with an extension ----

TEST(ScheduleNames, TwoByteCharactersStayWholeAndDeviceNamesWithAnExtensionGetTheMark) {
  const FakeCodePage932 cp932;
  EXPECT_EQ(SafeFolderName(kSonata + "|" + kHyo + ".", cp932), kSonata + "_" + kHyo + "_");
  EXPECT_EQ(SafeFolderName("a" + kHyo + "\x95", cp932), "a" + kHyo + "_");  // a first byte alone
  EXPECT_EQ(SafeFolderName(std::string(63, 'x') + kHyo, cp932), std::string(63, 'x'));  // not cut through
  EXPECT_EQ(SafeFolderName(kSonata, SwitchableCodePage()), "\x83_\x83\x69\x83\x5E");  // single-byte
  EXPECT_EQ(TrayMenuItemText(" " + std::string(98, 'p') + kHyo, cp932), std::string(98, 'p'));

  const std::pair<const char*, const char*> devices[] = {
      {"nul.jazz", "nul_.jazz"}, {"con.brio", "con_.brio"}, {"COM1.x", "COM1_.x"}, {"aux .txt", "aux_ .txt"},
      {"Lpt9..a", "Lpt9_..a"},   {"nul.", "nul_"},          {"com10.x", "com10.x"}, {" nul.a", " nul.a"},
  };
  for (const auto& [name, safe] : devices) EXPECT_EQ(SafeFolderName(name, cp932), safe) << name;
}

TEST_F(ScheduleEdges, JapaneseNamesAndDeviceNamesRecordWhereTheyShould) {
  rig.codePage.japanese = true;
  rig.Reserve(1, kJPop, "100000", "100001", "20261207");
  rig.Seconds(10);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\" + kJPop + "\\20261207_100000.mp3");

  // The flat name beside a folder that cannot be made must not name a device either.
  rig.folders.refuse = true;
  rig.Reserve(2, "nul.jazz", "100100", "100101", "20261207");
  rig.Seconds(60);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\nul_.jazz_20261207_100100.mp3");
  EXPECT_EQ(rig.folders.asked.back(), "C:\\Rec\\nul_.jazz");
}

// ---- A reservation records once: not after its stop, not again after a restart ----

TEST_F(ScheduleEdges, CatchUpSkipsAReservationWhoseStopHasCome) {
  AfterRecording("SHUTDOWN");
  rig.Reserve(1, "Short", "100000", "100002", "20261207");
  rig.Reserve(2, "Long", "095958", "100200", "20261207");  // earlier, still running: this one
  rig.Skip(12);  // 10:00:02 without a tick
  rig.Tick();
  EXPECT_EQ(rig.recorder->starts, 1);
  EXPECT_EQ(rig.recorder->asked, "C:\\Rec\\Long\\20261207_095958.mp3");
  rig.Seconds(20);
  EXPECT_FALSE(Has(rig.schedLog, "shutdown"));
  EXPECT_EQ(rig.recorder->starts, 1);
}

TEST_F(ScheduleEdges, ProgramStartedAgainWithinTheMinuteDoesNotRecordTheSameStartAgain) {
  rig.Reserve(1, "Hour", "100000", "110000", "20261207");
  rig.Reserve(2, "Same", "100000", "103000", "20261207");  // gave way to reservation 1
  rig.Seconds(10);
  ASSERT_EQ(rig.recorder->starts, 1);
  EXPECT_EQ(rig.tree.GetValue(Timer(1), kLastStartValue)->Text(), "20261207100000");
  EXPECT_EQ(rig.tree.GetValue(Timer(2), kLastStartValue)->Text(), "20261207100000");
  EXPECT_FALSE(rig.tree.GetValue(Timer(3), kLastStartValue)) << "untouched keys stay as they are";

  // The program goes away and comes back 20 s later.
  rig.Session().StopRecording(RecordingEndReason::ByHand);
  rig.Skip(20);
  Scheduler again{rig.window, rig.Session(), rig.powerState, rig.powerActions, rig.folders,
                  rig.calendar, rig.wall, rig.clock, rig.store, rig.codePage};
  again.LoadSchedule();
  again.SchedulerTick(rig.wall.now);
  EXPECT_EQ(rig.recorder->starts, 1);
  EXPECT_FALSE(rig.tree.GetValue(Timer(3), kLastStartValue)) << "loading writes nothing new";

  // Given another start, the same reservation records again.
  rig.Reserve(1, "Hour", "100040", "110000", "20261207");
  rig.Seconds(20);
  EXPECT_EQ(rig.recorder->starts, 2);
}

// ---- An ended reservation's after-action waits for the next one that fails to start ----

TEST_F(ScheduleEdges, TheAfterActionWaitsForTheReservationDueAtTheEndThatFailsToStart) {
  AfterRecording("STANDBY");
  rig.Reserve(1, "First", "100000", "100004", "20261207");
  rig.Reserve(2, "Next", "100005", "100010", "20261207", BandAM, "1134");
  rig.Seconds(10);
  ASSERT_TRUE(rig.recording.IsRecording());
  rig.recorder->failure = "Can't open WaveIN Device.";
  rig.Seconds(5);
  EXPECT_EQ(rig.recorder->starts, 2);
  EXPECT_FALSE(rig.recording.IsRecording());
  // "Next" may still start on another try: the PC stays on for it, on the user's station.
  EXPECT_FALSE(Has(rig.schedLog, "suspend"));
  EXPECT_EQ(rig.radio.Band(), BandFM);
  rig.Seconds(5);  // its stop at 10:00:10: its own after-action, once
  EXPECT_EQ(rig.schedLog.back(), "suspend");
  EXPECT_EQ(std::count(rig.schedLog.begin(), rig.schedLog.end(), "suspend"), 1);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
}

// ---- Stored times that are no times ----

TEST_F(ScheduleEdges, TimesAndDatesThatDoNotExistMakeTheReservationInactive) {
  const std::array<const char*, 3> cases[] = {
      {"246000", "250000", "20261208"}, {"120000", "-9-9-9", "20261208"}, {"120000", "130000", "20270230"},
      {"120000", "130000", "21000229"}, {"1200000", "130000", "20261208"}, {"12a000", "130060", "20261208"},
  };
  for (const auto& [start, stop, date] : cases) {
    rig.Reserve(1, "T", start, stop, date);
    EXPECT_FALSE(rig.scheduler.Table()[0].active) << start << " " << stop << " " << date;
    EXPECT_EQ(rig.scheduler.SecondsUntilNextStart(), 0u) << start << " " << stop << " " << date;
  }
  rig.Reserve(1, "Leap", "235959", "000000", "20280229");
  EXPECT_TRUE(rig.scheduler.Table()[0].active);
  EXPECT_EQ(rig.scheduler.Table()[0].duration, 1u);
  rig.Reserve(2, "Never", "100000", "-9-9-9", "20261207");
  rig.Seconds(20);
  EXPECT_EQ(rig.recorder->starts, 0);
}

TEST_F(ScheduleEdges, EqualStartAndStopRecordAWholeDay) {
  EXPECT_EQ(ScheduleDuration("120000", "120000"), 86400u);
  AfterRecording("CLOSE");
  rig.Reserve(1, "Day", "100000", "100000", "20261207");
  rig.Seconds(10);
  ASSERT_TRUE(rig.recording.IsRecording());
  rig.Skip(86400);
  rig.Tick();  // not more than the duration
  EXPECT_TRUE(rig.recording.IsRecording());
  rig.Seconds(1);
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_TRUE(rig.view.destroyed);
}

// ---- A recording that fails by itself ----

TEST_F(ScheduleEdges, AFailedRecordingRestoresTheStationAndItsAfterActionWaitsForItsStop) {
  AfterRecording("STANDBY");
  rig.Reserve(1, "Early", "100000", "110000", "20261207");
  rig.Reserve(2, "Full", "100100", "110000", "20261207", BandAM, "1134");
  rig.Seconds(10);
  // The user's stop a tick before the writer fails: the failure belongs to no recording.
  rig.Session().StopRecording(RecordingEndReason::ByHand);
  rig.recorder->status.writeFailed = true;
  rig.Seconds(1);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8000);
  EXPECT_FALSE(Has(rig.schedLog, "suspend"));

  // The heartbeat finds the next recording's file refusing writes: it ends, the station comes
  // back, and the after-action waits for its stop.
  rig.Seconds(59);
  ASSERT_EQ(rig.radio.Band(), BandAM);
  rig.recorder->status.writeFailed = true;
  rig.Seconds(1);
  EXPECT_EQ(rig.Session().RecordingReservation(), -1);
  EXPECT_EQ(rig.radio.Band(), BandFM);
  EXPECT_FALSE(Has(rig.schedLog, "suspend"));
  rig.recorder->status.writeFailed = false;
  rig.Skip(58 * 60 + 58);  // 10:59:59
  rig.Seconds(1);
  EXPECT_EQ(rig.recorder->starts, 2) << "a file that cannot be written is not tried again";
  EXPECT_EQ(rig.schedLog.back(), "suspend");
  EXPECT_EQ(rig.failureBox.shown, std::vector<std::string>{"Recording stopped: cannot write the MP3 file."});
  EXPECT_TRUE(rig.failureBox.boxes.empty()) << "told on the window's line, not in a box";
}

}  // namespace
