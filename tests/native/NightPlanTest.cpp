// Whole nights through the plan of occurrences: real time runs on the rig's monotonic clock (so a
// tune's wait takes its second), the wall clock shows it through a time zone, and the log, the
// files and the after-actions are read at the end of each night.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "schedule/ScheduleReport.h"
#include "tests/native/SchedulerRig.h"

namespace {

using Lines = std::vector<std::string>;

class NightOutput final : public IReportOutput {
 public:
  // "hh:mm:ss  what": the date is the night's own.
  void AppendLog(const std::string&, const std::string& line) override { log.push_back(line.substr(11)); }
  bool WindowHidden() override { return true; }
  void Notify(const std::string&, const std::string& text) override { notes.push_back(text); }
  Lines log, notes;
};

// Central European time: an hour ahead of UTC, two in summer, the spring change on 28 March 2027
// at 02:00. Instants follow the monotonic clock from where the night was set.
class NightCalendar final : public ISchedulerClock {
 public:
  explicit NightCalendar(IClock& clock) : clock_(clock) {}
  int64_t NowSeconds() override { return base_ + static_cast<int64_t>(clock_.NowMs() / 1000); }
  int64_t LocalToSeconds(const LocalTime& t) override {
    const int64_t civil = CivilSeconds(t);
    if (civil - kWinter < kChangeUtc) return civil - kWinter;
    if (civil - kSummer >= kChangeUtc) return civil - kSummer;
    return civil - kWinter;  // the hour the clock skips, read as mktime does
  }
  LocalTime SecondsToLocal(int64_t at) override { return CivilTime(at + (at < kChangeUtc ? kWinter : kSummer)); }
  void SetLocal(const LocalTime& t) { base_ = LocalToSeconds(t) - static_cast<int64_t>(clock_.NowMs() / 1000); }
  void Step(int64_t seconds) { base_ += seconds; }

  static constexpr int64_t kWinter = 3600, kSummer = 7200;
  static constexpr int64_t kChangeUtc = 1806195600;  // 2027-03-28 01:00:00 UTC

 private:
  IClock& clock_;
  int64_t base_ = 0;
};

struct NightRig {
  NightRig() {
    rig.Set("COUNTRY", "2");
    rig.Set("FM", "1");
    rig.Set("FREQ", "7810");
    scheduler.SetReporter(&reporter);
    rig.Join({.playback = &rig.playback, .scheduler = &scheduler});
  }
  void At(const LocalTime& t) {
    calendar.SetLocal(t);
    Show();
  }
  void Show() { rig.wall.now = calendar.SecondsToLocal(calendar.NowSeconds()); }
  // Real time passes second by second, each with its heartbeat.
  void Pass(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      rig.clock.Advance(1000);
      Show();
      rig.Tick();
    }
  }
  // Until the wall clock shows hh:mm:ss of today.
  void Until(int h, int m, int s) {
    LocalTime t = rig.wall.now;
    t.hour = h, t.minute = m, t.second = s;
    Pass(static_cast<int>(CivilSeconds(t) - CivilSeconds(rig.wall.now)));
  }
  void Reserve(int n, const std::string& name, const std::string& start, const std::string& stop,
               const std::string& dateOrWeek, const std::string& freq = "8000") {
    rig.Reserve(n, name, start, stop, dateOrWeek, BandFM, freq);
    scheduler.LoadSchedule();
  }
  void After(const char* value) {
    rig.Set(value, "1");
    rig.window.LoadPowerSettings();
  }
  // Pulled out, back 5 s later, its audio function 3 s after its HID interface.
  void UsbReset() {
    rig.receiver.Remove();
    rig.platform.slots.clear();
    rig.window.OnDeviceRemoveComplete(rig.device.NativeHandle());
    Pass(5);
    rig.receiver.PlugIn();
    rig.platform.PutReceiverAt(0);
    rig.preparation.failure = kAudioDeviceNotFound;
    rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
    Pass(3);
    rig.preparation.failure.clear();
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(rig.schedLog.begin(), rig.schedLog.end(), entry));
  }

  SchedulerRig rig;
  NightCalendar calendar{rig.clock};
  NightOutput output;
  ScheduleReporter reporter{output};
  Scheduler scheduler{rig.window, rig.recording, rig.powerState, rig.powerActions, rig.folders,
                      calendar,   rig.wall,      rig.clock,      rig.store,        rig.codePage};
};

struct Night {
  const char* name;
  std::function<void(NightRig&)> run;
  Lines log;
  int suspends, shutdowns, closes;
};

// A, then B 30 s after A's stop, with an after-action after each: A's is skipped for B, B's runs.
Night BackToBack(const char* value, const char* word, const char* last, int suspends, int shutdowns, int closes) {
  return {value,
          [value](NightRig& n) {
            n.After(value);
            n.At({2026, 12, 7, 1, 6, 49, 50});
            n.rig.Start();
            n.Reserve(1, "A", "065000", "070000", "20261207");
            n.Reserve(2, "B", "070030", "071000", "20261207");
            n.Until(7, 10, 5);
          },
          {"06:50:00  Started \"A\": C:\\Rec\\A\\20261207_065000.mp3",
           "07:00:01  Ended \"A\": C:\\Rec\\A\\20261207_065000.mp3, 00:10:00, time up",
           std::string("07:00:01  ") + word + " skipped: \"B\" starts at 07:00:30",
           "07:00:30  Started \"B\": C:\\Rec\\B\\20261207_070030.mp3",
           "07:10:01  Ended \"B\": C:\\Rec\\B\\20261207_070030.mp3, 00:09:30, time up",
           std::string("07:10:01  ") + last},
          suspends,
          shutdowns,
          closes};
}

TEST(NightPlan, EachReservationRecordsOnceAndEachAfterActionRunsOnce) {
  const Night nights[] = {
      BackToBack("CLOSE", "Close", "Closing Kestrune after \"B\"", 0, 0, 1),
      BackToBack("STANDBY", "Standby", "Standby after \"B\"", 1, 0, 0),
      BackToBack("SHUTDOWN", "Shutdown", "Shutting the PC down after \"B\"", 0, 1, 0),
      {"a whole night: back to back, a USB reset, a start that fails once, close after each",
       [](NightRig& n) {
         n.After("CLOSE");
         n.At({2026, 12, 7, 1, 5, 49, 50});
         n.rig.Start();
         n.Reserve(1, "A", "055000", "060000", "20261207");
         n.Reserve(2, "B", "060030", "063000", "20261207");
         n.Reserve(3, "C", "063100", "064000", "20261207");
         n.Until(6, 10, 0);
         n.UsbReset();
         n.Until(6, 30, 50);
         n.rig.recorder->failure = "Can't open WaveIN Device.";
         n.Pass(11);
         n.rig.recorder->failure.clear();
         n.Until(6, 40, 5);
       },
       {"05:50:00  Started \"A\": C:\\Rec\\A\\20261207_055000.mp3",
        "06:00:01  Ended \"A\": C:\\Rec\\A\\20261207_055000.mp3, 00:10:00, time up",
        "06:00:01  Close skipped: \"B\" starts at 06:00:30",
        "06:00:30  Started \"B\": C:\\Rec\\B\\20261207_060030.mp3",
        "06:10:02  Ended \"B\": C:\\Rec\\B\\20261207_060030.mp3, 00:09:31, receiver removed",
        "06:10:02  Receiver removed: Kestrune waits in the tray for it",
        "06:10:12  Receiver back",
        "06:10:12  Resumed \"B\": C:\\Rec\\B\\20261207_060030_2.mp3, 00:00:10 not recorded",
        "06:30:01  Ended \"B\": C:\\Rec\\B\\20261207_060030_2.mp3, 00:19:48, time up",
        "06:30:01  Close skipped: \"C\" starts at 06:31:00",
        "06:31:00  Failed \"C\": Can't open WaveIN Device.; trying again",
        "06:31:11  Missed 00:00:11 of \"C\" from Mon 7 Dec 06:31: the recording could not start",
        "06:31:11  Started \"C\": C:\\Rec\\C\\20261207_063100.mp3",
        "06:40:01  Ended \"C\": C:\\Rec\\C\\20261207_063100.mp3, 00:08:49, time up",
        "06:40:01  Closing Kestrune after \"C\""},
       0, 0, 1},
      {"the receiver missing from the start, plugged in at 06:05",
       [](NightRig& n) {
         n.rig.platform.slots.clear();
         n.rig.preparation.failure = kAudioDeviceNotFound;
         n.At({2026, 12, 7, 1, 5, 59, 50});
         n.rig.Start();
         n.Reserve(1, "A", "060000", "061000", "20261207");
         n.Until(6, 5, 0);
         n.rig.preparation.failure.clear();
         n.rig.platform.PutReceiverAt(0);
         n.rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
         n.Until(6, 10, 5);
       },
       {"06:00:00  Failed \"A\": receiver not connected", "06:05:00  Receiver back",
        "06:05:01  Missed 00:05:01 of \"A\" from Mon 7 Dec 06:00: receiver not connected",
        "06:05:01  Started \"A\": C:\\Rec\\A\\20261207_060000.mp3",
        "06:10:01  Ended \"A\": C:\\Rec\\A\\20261207_060000.mp3, 00:04:59, time up"},
       0, 0, 0},
      {"A's file fails while B is due",
       [](NightRig& n) {
         n.After("CLOSE");
         n.At({2026, 12, 7, 1, 6, 49, 50});
         n.rig.Start();
         n.Reserve(1, "A", "065000", "070000", "20261207");
         n.Reserve(2, "B", "065800", "070500", "20261207");
         n.Until(6, 55, 0);
         n.rig.recorder->status.writeFailed = true;
         n.Pass(1);
         n.rig.recorder->status.writeFailed = false;
         n.Until(7, 5, 5);
       },
       {"06:50:00  Started \"A\": C:\\Rec\\A\\20261207_065000.mp3",
        "06:55:02  Ended \"A\": C:\\Rec\\A\\20261207_065000.mp3, 00:05:01, write failure. Recording stopped: cannot "
        "write the MP3 file.",
        "06:58:00  Started \"B\": C:\\Rec\\B\\20261207_065800.mp3",
        "07:00:00  Close skipped: \"B\" starts at 06:58:00",
        "07:05:01  Ended \"B\": C:\\Rec\\B\\20261207_065800.mp3, 00:07:00, time up",
        "07:05:01  Closing Kestrune after \"B\""},
       0, 0, 1},
      {"a weekly reservation of Sunday only, set on Sunday after its start",
       [](NightRig& n) {
         n.rig.Set("WAKEUP", "1");
         n.After("STANDBY");
         n.At({2026, 12, 6, 0, 12, 0, 0});
         n.rig.Start();
         n.Reserve(1, "Sun", "080000", "090000", "1000000");
         n.Pass(2);
       },
       {"12:00:00  Wake timer armed for \"Sun\" at Sun 13 Dec 07:50"}, 0, 0, 0},
      {"a weekend asleep, then the clock set back across the due start",
       [](NightRig& n) {
         n.At({2026, 12, 4, 5, 22, 0, 0});
         n.rig.Start();
         n.Reserve(1, "Week", "070000", "071000", "1100001");  // Sunday, Monday, Saturday
         n.Pass(1);
         n.scheduler.OnPowerBroadcast(kPowerSuspend);
         n.rig.clock.Advance((57 * 3600 + 3 * 60) * 1000ull);  // until Monday 07:03:01
         n.scheduler.OnPowerBroadcast(kPowerResumeAutomatic);  // its 9 s wait: 07:03:10
         n.Pass(1);
         n.Until(7, 10, 5);
         n.calendar.Step(-15 * 60);  // the clock set back to 06:55:05
         n.Pass(10 * 60);
       },
       {"22:00:01  Standby: Windows is going to sleep",
        "07:03:11  Missed \"Week\" of Sat 5 Dec 07:00: the PC was asleep",
        "07:03:11  Missed \"Week\" of Sun 6 Dec 07:00: the PC was asleep",
        "07:03:11  Missed 00:03:11 of \"Week\" from Mon 7 Dec 07:00: the PC was asleep",
        "07:03:11  Started \"Week\": C:\\Rec\\Week\\20261207_070000.mp3",
        "07:10:01  Ended \"Week\": C:\\Rec\\Week\\20261207_070000.mp3, 00:06:49, time up"},
       0, 0, 0},
      {"a spring-forward night: 01:59:00 to 03:00:30 is 90 s",
       [](NightRig& n) {
         n.After("CLOSE");
         n.At({2027, 3, 28, 0, 1, 58, 50});
         n.rig.Start();
         n.Reserve(1, "Spring", "015900", "030030", "20270328");
         n.Pass(10 + 95);
       },
       {"01:59:00  Started \"Spring\": C:\\Rec\\Spring\\20270328_015900.mp3",
        "03:00:31  Ended \"Spring\": C:\\Rec\\Spring\\20270328_015900.mp3, 00:01:30, time up",
        "03:00:31  Closing Kestrune after \"Spring\""},
       0, 0, 1},
  };
  Lines printed;
  for (const Night& night : nights) {
    SCOPED_TRACE(night.name);
    NightRig n;
    night.run(n);
    EXPECT_EQ(n.output.log, night.log);
    EXPECT_EQ(n.Count("suspend"), night.suspends);
    EXPECT_EQ(n.Count("shutdown"), night.shutdowns);
    EXPECT_EQ(n.rig.view.destroyed ? 1 : 0, night.closes);
    // The station of before every reservation is the one kept.
    EXPECT_EQ(n.rig.Get(kGeneralKey, "FREQ"), "7810");
    printed.push_back(std::string("-- ") + night.name);
    printed.insert(printed.end(), n.output.log.begin(), n.output.log.end());
  }
  if (std::getenv("KESTRUNE_PRINT_LOG"))
    for (const std::string& line : printed) std::printf("%s\n", line.c_str());
}

}  // namespace
