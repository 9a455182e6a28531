#pragma once
// The main window rig with the scheduler joined to it and to the window's real recording session:
// fakes of the power management and the record folders, a recorder that logs with them, and a
// calendar clock that follows the rig's wall clock.

#include <set>
#include <string>
#include <vector>

#include "schedule/Scheduler.h"
#include "settings/TimerSetting.h"
#include "tests/native/MainWindowRig.h"
#include "tests/support/StateProbes.h"

class FakePowerActions final : public IPowerActions {
 public:
  explicit FakePowerActions(std::vector<std::string>& log) : log_(log) {}
  void SetExecutionState(uint32_t flags) override { states.push_back(flags); }
  void ArmWakeTimer(int64_t dueAt) override { log_.push_back("wake at " + std::to_string(dueAt)); }
  void CloseWakeTimer() override { log_.push_back("wake close"); }
  void RequestWakeupLatency() override { log_.push_back("latency"); }
  void Beep() override { log_.push_back("beep"); }
  bool Suspend() override {
    log_.push_back("suspend");
    return suspendWorks;
  }
  bool ShutDown() override {
    log_.push_back("shutdown");
    return shutdownWorks;
  }
  std::vector<uint32_t> states;
  bool suspendWorks = true;
  bool shutdownWorks = true;

 private:
  std::vector<std::string>& log_;
};

// Folders that exist; a folder can be made when its parent exists and it is not refused.
class FakeFolders final : public IRecordFolders {
 public:
  bool EnsureFolder(const std::string& path) override {
    asked.push_back(path);
    if (existing.count(path)) return true;
    const size_t cut = path.rfind('\\');
    if (refuse || cut == std::string::npos || !existing.count(path.substr(0, cut))) return false;
    existing.insert(path);
    return true;
  }
  std::set<std::string> existing{"C:\\Rec"};
  std::vector<std::string> asked;
  bool refuse = false;
};

// Code page 932 (Japanese): lead bytes 0x81-0x9F and 0xE0-0xFC.
class FakeCodePage932 final : public LeadByteTable {
 public:
  FakeCodePage932() {
    for (unsigned b = 0; b < 256; ++b)
      SetLead(static_cast<unsigned char>(b), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
  }
};

// Single-byte until `japanese` is set.
class SwitchableCodePage final : public ICodePage {
 public:
  bool IsLeadByte(unsigned char byte) const override { return japanese && cp932_.IsLeadByte(byte); }
  bool japanese = false;

 private:
  FakeCodePage932 cp932_;
};

// Calendar seconds follow the wall clock's local time (no daylight saving).
class FakeSchedulerClock final : public ISchedulerClock {
 public:
  explicit FakeSchedulerClock(FakeWallClock& wall) : wall_(wall) {}
  int64_t NowSeconds() override { return CivilSeconds(wall_.now); }
  int64_t LocalToSeconds(const LocalTime& t) override { return CivilSeconds(t); }
  LocalTime SecondsToLocal(int64_t seconds) override { return CivilTime(seconds); }

 private:
  FakeWallClock& wall_;
};

struct SchedulerRig : MainWindowRig {
  SchedulerRig() {
    // The recorder logs beside the power actions, so that their order can be read.
    UseRecorder(std::make_unique<FakeRecorder>(schedLog, messages));
    Set("RECORDFOLDER", "C:\\Rec");
    Join({.playback = &playback, .scheduler = &scheduler});
  }

  // The recorder logs into schedLog, which goes before the rig's recorder slot.
  ~SchedulerRig() { UseRecorder(nullptr); }

  // Local date and time of the wall clock (the weekday follows from the date).
  void SetWall(int y, int mo, int d, int h, int mi, int s) { wall.now = CivilTime(CivilSeconds({y, mo, d, 0, h, mi, s})); }
  // One heartbeat at the wall clock's time.
  void Tick() { window.OnTimer(kTimerHeartbeat); }
  // Time moves on second by second, with a heartbeat in each.
  void Seconds(int n) {
    for (int i = 0; i < n; ++i) {
      wall.now = CivilTime(CivilSeconds(wall.now) + 1);
      clock.Advance(1000);
      Tick();
    }
  }
  // Time moves on without a tick (the window thread was busy).
  void Skip(int n) {
    wall.now = CivilTime(CivilSeconds(wall.now) + n);
    clock.Advance(static_cast<uint64_t>(n) * 1000);
  }
  // The wall clock is set `n` seconds on (back when negative) while no time passes.
  void StepClock(int64_t n) { wall.now = CivilTime(CivilSeconds(wall.now) + n); }
  RecordingController& Session() { return recording; }

  // Reservation n as the timer dialog would have saved it, then the schedule reloaded.
  void Reserve(int n, const std::string& name, const std::string& start, const std::string& stop,
               const std::string& dateOrWeek, uint8_t band = BandFM, const std::string& freq = "8000",
               int quality = 2) {
    const std::string key = std::string(kSettingsRoot) + "\\" + TimerKey(n);
    const bool weekly = dateOrWeek.size() == 7;
    tree.PlantString(key, "ITEM", name);
    tree.PlantString(key, "ACTIVE", "1");
    tree.PlantString(key, "ISAMFM", std::to_string(band));
    tree.PlantString(key, "FREQ", freq);
    tree.PlantString(key, "QUALITY", std::to_string(quality));
    tree.PlantString(key, "DATETYPE", weekly ? "1" : "0");
    tree.PlantString(key, weekly ? "WEEK" : "DATE", dateOrWeek);
    tree.PlantString(key, "STARTTIME", start);
    tree.PlantString(key, "ENDSTART", stop);
    scheduler.LoadSchedule();
  }

  std::vector<std::string> schedLog;
  FakePlayback playback{schedLog};
  FakePowerActions powerActions{schedLog};
  FakeFolders folders;
  FakeSchedulerClock calendar{wall};
  SwitchableCodePage codePage;
  Scheduler scheduler{window, recording, powerState, powerActions, folders, calendar, wall, clock, store, codePage};
};
