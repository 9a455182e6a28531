// A reservation's length and its after-action against a wall clock that jumps: set forward or
// back by hand or by a time sync, changed for daylight saving, or gone past while the PC slept.
// The monotonic clock of the rig measures; the wall clock only places starts.
#include <gtest/gtest.h>

#include <algorithm>

#include "schedule/ScheduleReport.h"
#include "tests/native/SchedulerRig.h"

namespace {

using Log = std::vector<std::string>;

int Count(const Log& log, const std::string& entry) { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

class LogOutput final : public IReportOutput {
 public:
  void AppendLog(const std::string&, const std::string& line) override { lines.push_back(line.substr(21)); }
  bool WindowHidden() override { return true; }
  void Notify(const std::string&, const std::string& text) override { notes.push_back(text); }
  Log lines, notes;
};

// A zone one hour further ahead in summer, with the change at 02:00 local: spring forward from
// 02:00 to 03:00, fall back from 02:00 summer time to 01:00. Local times are turned into instants
// as mktime does with the daylight flag left to it: a time of the skipped hour as if the change
// had not come yet, one of the repeated hour at its first occurrence.
class ZoneCalendar final : public ISchedulerClock {
 public:
  // `change` is the local date and time (02:00) of the change; `spring` whether it goes forward.
  ZoneCalendar(const LocalTime& change, bool spring)
      : before_(spring ? kWinter : kSummer), after_(spring ? kSummer : kWinter),
        changeUtc_(CivilSeconds(change) - before_) {}
  int64_t NowSeconds() override { return utc; }
  int64_t LocalToSeconds(const LocalTime& t) override {
    const int64_t civil = CivilSeconds(t);
    if (civil - before_ < changeUtc_) return civil - before_;
    if (civil - after_ >= changeUtc_) return civil - after_;
    return civil - before_;  // skipped: read with the offset before the change
  }
  LocalTime SecondsToLocal(int64_t at) override { return CivilTime(at + (at < changeUtc_ ? before_ : after_)); }
  LocalTime Local() const { return CivilTime(utc + (utc < changeUtc_ ? before_ : after_)); }
  void SetLocal(const LocalTime& t) { utc = LocalToSeconds(t); }

  int64_t utc = 0;

 private:
  static constexpr int64_t kWinter = 3600, kSummer = 7200;
  int64_t before_, after_, changeUtc_;
};

// The rig's window and recording session with a scheduler of its own on a zone's calendar.
struct ZoneRig {
  ZoneRig(const LocalTime& change, bool spring) : zone(change, spring) {
    scheduler.SetReporter(&reporter);
    rig.Join({.playback = &rig.playback, .scheduler = &scheduler});
  }
  void Reserve(int n, const std::string& start, const std::string& stop, const std::string& date) {
    rig.Reserve(n, "", start, stop, date);
    scheduler.LoadSchedule();
  }
  void At(const LocalTime& t) {
    zone.SetLocal(t);
    rig.wall.now = zone.Local();
  }
  // Real time passes, second by second, with a heartbeat in each.
  void Pass(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      ++zone.utc;
      rig.wall.now = zone.Local();
      rig.clock.Advance(1000);
      rig.Tick();
    }
  }
  std::string Wall() const { return TimeText(rig.wall.now); }

  SchedulerRig rig;
  ZoneCalendar zone;
  LogOutput output;
  ScheduleReporter reporter{output};
  Scheduler scheduler{rig.window, rig.recording, rig.powerState, rig.powerActions, rig.folders,
                      zone,       rig.wall,               rig.clock,      rig.store,        rig.codePage};
};

constexpr LocalTime kSpringChange{2027, 3, 14, 0, 2, 0, 0};
constexpr LocalTime kFallChange{2027, 11, 7, 0, 2, 0, 0};

TEST(SchedulerClock, ClockSetForwardOrBackMovesNeitherTheEndNorTheShutdown) {
  for (const int64_t step : {int64_t{2 * 3600}, int64_t{-3600}}) {
    ZoneRig z(kSpringChange, true);
    z.rig.Set("SHUTDOWN", "1");
    z.At({2026, 12, 7, 0, 6, 59, 50});
    z.rig.Start();
    z.rig.window.LoadPowerSettings();
    z.Reserve(1, "070000", "090000", "20261207");
    z.Pass(10);
    ASSERT_TRUE(z.rig.recording.IsRecording()) << step;
    z.Pass(20 * 60);
    z.zone.utc += step;  // 07:20: a time sync or the user sets the clock
    z.rig.wall.now = z.zone.Local();
    z.Pass(1);
    EXPECT_TRUE(z.rig.recording.IsRecording()) << step;
    EXPECT_EQ(Count(z.rig.schedLog, "shutdown"), 0) << step;
    z.Pass(100 * 60 - 1);  // two hours of recording in all
    EXPECT_TRUE(z.rig.recording.IsRecording()) << step;
    z.Pass(1);
    EXPECT_FALSE(z.rig.recording.IsRecording()) << step;
    EXPECT_EQ(Count(z.rig.schedLog, "shutdown"), 1) << step;
    EXPECT_EQ(Count(z.rig.schedLog, "record C:\\Rec\\20261207_070000.mp3 128"), 1) << step << ": never again";
    ASSERT_GE(z.output.lines.size(), 2u);
    EXPECT_EQ(z.output.lines[z.output.lines.size() - 2],
              "Ended \"Reserve 1\": C:\\Rec\\20261207_070000.mp3, 02:00:01, time up")
        << step;
    EXPECT_EQ(z.output.lines.back(), "Shutting the PC down after \"Reserve 1\"") << step;
  }
}

// Across a daylight-saving change a programme records until the wall clock shows its stop time.
TEST(SchedulerClock, ADaylightSavingNightRecordsUntilTheClockShowsTheStop) {
  struct Night {
    bool spring;
    const char* start;
    const char* stop;
    int realSeconds;
    const char* endsAt;
  };
  for (const Night& n : {Night{false, "003000", "023000", 3 * 3600, "023001"},
                         Night{true, "013000", "033000", 3600, "033001"}}) {
    const LocalTime change = n.spring ? kSpringChange : kFallChange;
    ZoneRig z(change, n.spring);
    z.At({change.year, change.month, change.day, 0, 0, 29, 50});
    z.rig.Start();
    z.Reserve(1, n.start, n.stop, DateText(change));
    z.Pass(10 + (n.spring ? 3600 : 0));
    ASSERT_TRUE(z.rig.recording.IsRecording()) << n.start;
    z.Pass(n.realSeconds);
    EXPECT_TRUE(z.rig.recording.IsRecording()) << n.start << " at " << z.Wall();
    z.Pass(1);
    EXPECT_FALSE(z.rig.recording.IsRecording()) << n.start;
    EXPECT_EQ(z.Wall(), n.endsAt);
  }
}

// A start inside the hour the clock skips is found on the first tick after the jump and records
// at once until its stop; after eight hours of sleep without a wake timer, what the sleep went
// over is reported as missed and the one whose stop has not come starts.
TEST(SchedulerClock, StartsSkippedByAJumpOrASleepAreStartedOrReportedMissed) {
  ZoneRig spring(kSpringChange, true);
  spring.At({2027, 3, 14, 0, 1, 59, 0});
  spring.rig.Start();
  spring.Reserve(1, "023000", "033000", "20270314");
  spring.Pass(60);  // 01:59:59 -> 03:00:00
  EXPECT_EQ(spring.Wall(), "030000");
  EXPECT_TRUE(spring.rig.recording.IsRecording());
  EXPECT_EQ(spring.rig.recording.ElapsedSeconds(), 0);
  EXPECT_TRUE(std::none_of(spring.output.lines.begin(), spring.output.lines.end(),
                           [](const std::string& line) { return line.rfind("Missed", 0) == 0; }));
  spring.Pass(1800);
  EXPECT_TRUE(spring.rig.recording.IsRecording());
  spring.Pass(1);
  EXPECT_FALSE(spring.rig.recording.IsRecording());
  EXPECT_EQ(spring.Wall(), "033001");
  EXPECT_EQ(spring.output.lines.back(), "Ended \"Reserve 1\": C:\\Rec\\20270314_023000.mp3, 00:30:01, time up");

  ZoneRig sleep(kSpringChange, true);
  sleep.At({2026, 12, 7, 0, 22, 0, 0});
  sleep.rig.Set("WAKEUP", "3");
  sleep.rig.Start();
  sleep.Reserve(1, "020000", "030000", "20261208");
  sleep.Reserve(2, "050000", "090000", "20261208");
  sleep.Reserve(3, "040000", "040500", "20261208");
  sleep.Pass(1);
  sleep.scheduler.OnPowerBroadcast(kPowerSuspend);
  sleep.zone.utc += 8 * 3600;  // no wake timer: the PC sleeps until 06:00
  sleep.rig.clock.Advance(8 * 3600 * 1000);
  sleep.rig.wall.now = sleep.zone.Local();
  sleep.scheduler.OnPowerBroadcast(kPowerResumeAutomatic);
  sleep.Pass(1);
  EXPECT_TRUE(sleep.rig.recording.IsRecording());
  EXPECT_EQ(sleep.rig.recorder->asked, "C:\\Rec\\20261208_050000.mp3");
  EXPECT_EQ(Count(sleep.output.notes, "Missed while the PC was asleep: Reserve 3, Tue 8 Dec 04:00\nReserve 1, Tue 8 Dec 02:00"),
            1);
  EXPECT_EQ(Count(sleep.output.lines, "Missed \"Reserve 1\" of Tue 8 Dec 02:00: the PC was asleep"), 1);
  sleep.Pass(3 * 3600 - 1);  // what is left of its four hours from 06:00:02
  EXPECT_FALSE(sleep.rig.recording.IsRecording());
}

}  // namespace
