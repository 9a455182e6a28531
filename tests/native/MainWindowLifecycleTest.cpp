// Start-up, device arrival and removal, the heartbeat and the ways out of the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "tests/native/MainWindowRig.h"
#include "tests/support/StateProbes.h"

namespace {

using Bytes = std::vector<uint8_t>;

class CountingScheduler final : public ISchedulerControl {
 public:
  void LoadSchedule() override { ++loads; }
  void SchedulerTick(const LocalTime& now) override { seconds.push_back(now.second); }
  int loads = 0;
  std::vector<int> seconds;
};

// The preferences dialog answers OK with a new auto-suspend choice written, as the PC settings
// dialog would have; the timer dialog changes the stored choice too.
class WritingDialogs final : public IWindowDialogs {
 public:
  explicit WritingDialogs(MainWindowRig& rig) : rig_(rig) {}
  bool RunPreferences(uint8_t region, uint8_t band, PreferencesResult& result) override {
    preferencesBand = band;
    rig_.Set("AUTOSPEND", autoSuspendOnPreferences);
    result.region = region;
    result.mp3Rate = 1;
    result.recordFolder = "D:\\Rec";
    result.dataReset = resetOnPreferences;
    if (resetOnPreferences) rig_.Set("SHUTDOWN", "0");
    return true;
  }
  void RunTimerDialog(uint8_t region) override {
    timerDialogRegion = region;
    rig_.Set("AUTOSPEND", autoSuspendOnTimerDialog);
  }
  std::string autoSuspendOnPreferences, autoSuspendOnTimerDialog;
  bool resetOnPreferences = false;
  int timerDialogRegion = -1;
  int preferencesBand = -1;

 private:
  MainWindowRig& rig_;
};

TEST(BringUp, JapanFmStartUpSendsTheSequenceAndWaitsBeforeTheFirstTune) {
  MainWindowRig rig;
  rig.Set("COUNTRY", "2");
  rig.Set("FM", "1");
  rig.Set("FREQ", "8000");
  rig.Set("VOLUME", "40");
  rig.Start();

  const auto& log = rig.receiver.Log();
  ASSERT_GE(log.size(), 9u);
  const auto& block = RegionConfigBlock(RegionJapan);
  EXPECT_EQ(log[0].bytes, Bytes(block.begin(), block.end()));
  const std::vector<Bytes> expected = {
      {0x13, 0x35, 0x02, 0xFF}, {0x0A, 0x02, 0x02, 0xFF}, {0x05, 0x00, 0x00, 0xFF},
      {0x09, 0x02, 0x00, 0xFF}, {0x05, 0x00, 0x00, 0xFF}, {0x05, 0x00, 0x00, 0xFF},
      {0x02, 0x1F, 0x40, 0xFF}, {0x02, 0x1F, 0x40, 0xFF}};
  const auto prefixes = rig.Reports();
  EXPECT_EQ(std::vector<Bytes>(prefixes.begin() + 1, prefixes.begin() + 9), expected);
  EXPECT_EQ(log.size(), 9u);
  // The first tune follows the last completion report by the 500 ms wait, and nothing
  // else is waited for.
  EXPECT_EQ(log[7].timeMs - log[6].timeMs, 500u);
  EXPECT_EQ(rig.clock.Sleeps(), std::vector<unsigned>{500});
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"build", "run", "volume 40", "volume 40"}));
  EXPECT_EQ(rig.view.slider, 40);
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));
  EXPECT_EQ(rig.timers.Period(kTimerHeartbeat), 300u);
  EXPECT_FALSE(rig.timers.IsActive(kTimerDeferredStart));
  EXPECT_EQ(rig.receiver.Frequency(), 8000);
  EXPECT_TRUE(rig.receiver.Powered());
}

TEST(BringUp, AudioFailureBoxComesOnceTheReceiverIsUpAndTheHeartbeatRuns) {
  MainWindowRig rig;
  CountingScheduler scheduler;
  rig.Join({.scheduler = &scheduler});
  rig.Set("COUNTRY", "2");
  rig.Set("FM", "1");
  rig.Set("FREQ", "8000");
  rig.preparation.failure = "Device not found.";
  size_t reportsWhenShown = 0;
  bool heartbeatWhenShown = false;
  rig.failureBox.whileShown = [&] {
    reportsWhenShown = rig.Reports().size();
    heartbeatWhenShown = rig.timers.IsActive(kTimerHeartbeat);
    // What the box's loop dispatches while it waits for OK: a band button, then the timers.
    rig.Command(IDC_AM);
    rig.Run(1000);
  };
  rig.Start();

  EXPECT_EQ(rig.failureBox.shown, std::vector<std::string>{"Device not found."});
  // The device object knew the region and band before its handle could be used.
  EXPECT_EQ(rig.preparation.regionSeen, std::vector<int>{RegionJapan});
  EXPECT_EQ(rig.preparation.bandSeen, std::vector<int>{BandFM});
  // The whole bring-up, in its usual order, came before the box.
  EXPECT_EQ(reportsWhenShown, 9u);
  EXPECT_TRUE(heartbeatWhenShown);
  EXPECT_FALSE(scheduler.seconds.empty());
  const auto reports = rig.Reports();
  ASSERT_GE(reports.size(), 11u);
  EXPECT_EQ(reports[0][0], 0x14);
  EXPECT_EQ(reports[8], (Bytes{0x02, 0x1F, 0x40, 0xFF}));
  EXPECT_EQ(reports[9], (Bytes{0x0A, 0x80, 0x02, 0xFF}));  // AM with Japan's code

  // The failure is shown once, not again by a later arrival on the open receiver.
  rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
  EXPECT_EQ(rig.failureBox.shown.size(), 1u);
}

// The receiver's audio failing at a bring-up nobody may be at the screen for (a start in the
// tray, an arrival, a resume) opens no box: the failure goes on the window's line, once, and the
// timers were never held up. Only a start by hand answers with a box.
TEST(BringUp, AnAudioFailureAtNightIsToldOnTheLineAndOnlyAStartByHandBoxes) {
  struct Case {
    const char* name;
    bool inTray;
    std::optional<BringUpSituation> later;  // after a start without the failure
    bool box;
  };
  const Case cases[] = {
      {"start by hand", false, std::nullopt, true},
      {"start in the tray", true, std::nullopt, false},
      {"arrival", false, BringUpSituation::Arrival, false},
      {"resume", false, BringUpSituation::Resume, false},
  };
  for (const Case& c : cases) {
    MainWindowRig rig;
    if (c.inTray) rig.window.SetStartedInTray();
    if (c.later) {
      rig.platform.slots.clear();
      rig.Start();
      rig.platform.PutReceiverAt(0);
    }
    rig.preparation.failure = "Mixer's line not found.";
    if (c.later == BringUpSituation::Arrival) rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
    else if (c.later) rig.window.BringUpReceiver(*c.later);
    else rig.Start();
    EXPECT_EQ(rig.failureBox.shown, std::vector<std::string>{"Mixer's line not found."}) << c.name;
    EXPECT_EQ(rig.failureBox.boxes.size(), c.box ? 1u : 0u) << c.name;
    EXPECT_TRUE(rig.device.IsOpen()) << c.name;
    EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat)) << c.name;
  }
}

// A start in the tray (at log-on) waits quietly for its reservations: the receiver is brought up
// and tuned, but nothing is heard or captured until the user first shows the window, which then
// starts the sound as a plain start does. A reservation records meanwhile. A window shown from
// the start and hidden later by the user keeps its sound.
TEST(BringUp, AStartInTheTrayIsSilentUntilTheWindowIsFirstShown) {
  MainWindowRig rig;
  rig.Set("VOLUME", "40");
  rig.window.SetStartedInTray();
  rig.Start();
  EXPECT_TRUE(rig.device.IsOpen());
  EXPECT_TRUE(rig.receiver.Powered());
  EXPECT_TRUE(rig.audioLog.empty());
  EXPECT_TRUE(rig.view.shows.empty());

  // The night's reservation: tuned and recorded, still nothing in the speakers.
  rig.window.TuneForReservation(BandFM, 9000);
  ReservationStart start;
  start.name = "News";
  start.file = "C:\\RadioREC\\20261206_140000.mp3";
  start.remainingSeconds = 60;
  ASSERT_TRUE(rig.recording.StartScheduledRecording(start));
  EXPECT_EQ(rig.audioLog, std::vector<std::string>{"record C:\\RadioREC\\20261206_140000.mp3 128"});
  rig.recording.StopRecording(RecordingEndReason::TimeUp);
  rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
  rig.window.BringUpReceiver(BringUpSituation::Resume);
  EXPECT_EQ(std::count(rig.audioLog.begin(), rig.audioLog.end(), "run"), 0);
  EXPECT_TRUE(rig.view.shows.empty()) << "still hidden";

  // Shown from the tray: the station set last is heard at the stored volume, once.
  rig.audioLog.clear();
  rig.Command(ID_SHOW_RADIO);
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"build", "run", "volume 40"}));
  EXPECT_EQ(rig.view.slider, 40);
  rig.Command(IDC_MINIMISE);
  rig.Command(ID_SHOW_RADIO);
  rig.window.OnWindowShown();
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"build", "run", "volume 40"}));

  // Shown before the deferred start: the bring-up starts the sound as a plain start's does.
  MainWindowRig early;
  early.Set("VOLUME", "40");
  early.window.SetStartedInTray();
  early.window.OnWindowShown();
  early.Start();
  EXPECT_EQ(early.audioLog, (std::vector<std::string>{"build", "run", "volume 40", "volume 40"}));

  // A plain start hidden by the user: the sound goes on.
  MainWindowRig plain;
  plain.Start();
  plain.audioLog.clear();
  plain.Command(IDC_MINIMISE);
  plain.window.OnWindowShown();
  EXPECT_TRUE(plain.audioLog.empty());
}

TEST(BringUp, StoredFrequencyOutsideTheBandIsTunedAtTheEdge) {
  MainWindowRig rig;
  rig.Set("COUNTRY", "1");
  rig.Set("FREQ", "0");
  rig.Start();
  EXPECT_EQ(rig.LastReport(), (Bytes{0x02, 0x22, 0x2E, 0xFF}));  // 87.50 MHz
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8750);
}

TEST(BringUp, WithoutReceiverTheWindowRunsAndTheHeartbeatActsAtOnce) {
  MainWindowRig rig;
  rig.platform.slots.clear();
  CountingScheduler scheduler;
  rig.Join({.scheduler = &scheduler});
  rig.wall.now.second = 0;  // the heartbeat's first tick must act even on second 0
  rig.Start();
  EXPECT_TRUE(rig.receiver.Log().empty());
  EXPECT_TRUE(rig.audioLog.empty());
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));

  rig.Run(300);
  EXPECT_EQ(scheduler.seconds, std::vector<int>{0});
  rig.Run(600);  // two more ticks within the same second do nothing
  EXPECT_EQ(scheduler.seconds, std::vector<int>{0});
  rig.wall.now.second = 1;
  rig.Run(300);
  EXPECT_EQ(scheduler.seconds, (std::vector<int>{0, 1}));

  // Commands that need the receiver do nothing; those that do not still act.
  rig.Command(IDC_SEEK_UP);
  rig.Command(IDC_PRESET1 + 2);
  rig.Command(ID_VOLUME_UP);
  EXPECT_TRUE(rig.receiver.Log().empty());
  EXPECT_FALSE(rig.timers.IsActive(kTimerSeekPoll));
}

TEST(BringUp, TimersAreIgnoredWhileSuspended) {
  MainWindowRig rig;
  CountingScheduler scheduler;
  rig.Join({.scheduler = &scheduler});
  rig.window.ClearRunState();
  rig.window.SetStartPending();
  rig.powerState.SetSuspended(true);
  rig.window.OnTimer(kTimerDeferredStart);
  rig.window.OnTimer(kTimerHeartbeat);
  EXPECT_TRUE(rig.receiver.Log().empty());
  EXPECT_TRUE(scheduler.seconds.empty());
  EXPECT_EQ(rig.window.StartPending(), 1);
}

TEST(Arrival, LowerCasePathBringsTheReceiverUpAndShowsTheWindow) {
  MainWindowRig rig;
  rig.platform.slots.clear();
  rig.Set("COUNTRY", "1");
  rig.Set("FREQ", "9000");
  rig.Set("VOLUME", "30");
  rig.Start();
  ASSERT_FALSE(rig.device.IsOpen());

  rig.platform.PutReceiverAt(1);
  rig.Set("FREQ", "9500");  // the arrival reads the settings again
  EXPECT_TRUE(rig.window.OnDeviceArrival("\\\\?\\hid#vid_10c4&pid_818a#7&1a2b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"));
  ASSERT_TRUE(rig.device.IsOpen());
  const auto reports = rig.Reports();
  ASSERT_EQ(reports.size(), 9u);
  EXPECT_EQ(reports[0][0], 0x14);
  EXPECT_EQ(reports[2], (Bytes{0x0A, 0x03, 0x02, 0xFF}));
  EXPECT_EQ(reports[7], (Bytes{0x02, 0x25, 0x1C, 0xFF}));  // 95.00 MHz, then the 500 ms wait
  EXPECT_EQ(rig.receiver.Log()[8].timeMs - rig.receiver.Log()[7].timeMs, 500u);
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"build", "stop", "run", "volume 30"}));
  EXPECT_EQ(rig.view.shows, std::vector<ShowCommand>{ShowCommand::Show});
}

TEST(Arrival, PathsOfOtherDevicesAreIgnored) {
  EXPECT_TRUE(IsReceiverInterfacePath("\\\\?\\HID#VID_10C4&PID_818A#1"));
  EXPECT_TRUE(IsReceiverInterfacePath("x vid_10c4 pid_818a"));
  EXPECT_FALSE(IsReceiverInterfacePath("\\\\?\\hid#vid_10c4&pid_818b#1"));
  EXPECT_FALSE(IsReceiverInterfacePath("\\\\?\\hid#vid_046d&pid_818a#1"));
  // Each must appear after the first character.
  EXPECT_FALSE(IsReceiverInterfacePath("VID_10C4&PID_818A"));
  EXPECT_FALSE(IsReceiverInterfacePath(""));

  MainWindowRig rig;
  rig.platform.slots.clear();
  rig.Start();
  rig.platform.PutReceiverAt(0);
  EXPECT_TRUE(rig.window.OnDeviceArrival("\\\\?\\hid#vid_046d&pid_c52b#1"));
  EXPECT_FALSE(rig.device.IsOpen());
}

TEST(Arrival, SecondArrivalOnAnOpenReceiverBringsItUpAgainWithoutANewGraph) {
  MainWindowRig rig;
  rig.Set("VOLUME", "20");
  rig.Start();
  rig.receiver.ClearLog();
  rig.audioLog.clear();
  const uintptr_t handle = rig.device.NativeHandle();

  rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
  EXPECT_EQ(rig.device.NativeHandle(), handle);
  const auto reports = rig.Reports();
  ASSERT_EQ(reports.size(), 9u);
  EXPECT_EQ(reports[0][0], 0x14);
  EXPECT_EQ(reports[1], (Bytes{0x13, 0x35, 0x02, 0xFF}));
  EXPECT_EQ(reports[7][0], 0x02);
  // The graph of the start-up is kept: asked to build, it finds itself built.
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"build", "stop", "run", "volume 20"}));
  EXPECT_EQ(rig.view.shows, std::vector<ShowCommand>{ShowCommand::Show});
}

TEST(Arrival, SecondArrivalKeepsTheStationInUseEvenDuringARecording) {
  MainWindowRig rig;
  rig.Set("COUNTRY", "1");
  rig.Set("FM", "1");
  rig.Set("FREQ", "9000");
  rig.Set("VOLUME", "20");
  rig.Start();
  rig.Command(IDC_AM);
  rig.Command(IDC_TUNE_UP);
  rig.Command(ID_VOLUME_UP);
  RecordingControllerProbe::SetRecording(rig.recording, true);
  const uint16_t am = rig.radio.Frequency(BandAM);
  rig.receiver.ClearLog();
  rig.audioLog.clear();

  rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
  EXPECT_EQ(rig.radio.Band(), BandAM);
  EXPECT_EQ(rig.radio.Frequency(BandAM), am);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 9000);
  EXPECT_EQ(rig.radio.Volume(), 21);
  EXPECT_EQ(rig.recording.IsRecording(), 1);
  // Brought up again on the band and station in use, at the volume in use.
  EXPECT_EQ(rig.Reports()[2], (Bytes{0x0A, 0x82, 0x02, 0xFF}));
  EXPECT_EQ(rig.LastReport(), (Bytes{0x02, static_cast<uint8_t>(am >> 8), static_cast<uint8_t>(am & 0xFF), 0xFF}));
  EXPECT_EQ(rig.receiver.Band(), BandAM);
  EXPECT_EQ(rig.audio->volume, 21);
  EXPECT_EQ(rig.view.slider, 21);
  EXPECT_EQ(rig.Get(kGeneralKey, "FM"), "1");  // nothing saved or read back
}

// A scheduled recording started while another program held the receiver has set the window to
// its station; when the receiver arrives it is tuned to that station, not the stored one.
TEST(Arrival, AReceiverArrivingDuringARecordingIsTunedToTheRecordedStation) {
  MainWindowRig rig;
  rig.platform.slots.clear();
  rig.Set("COUNTRY", "1");
  rig.Set("FM", "1");
  rig.Set("FREQ", "9000");
  rig.Start();
  ASSERT_FALSE(rig.device.IsOpen());
  rig.radio.SetBand(BandAM);
  rig.radio.SetFrequency(BandAM, 1008);
  RecordingControllerProbe::SetRecording(rig.recording, true);

  rig.platform.PutReceiverAt(0);
  rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
  ASSERT_TRUE(rig.device.IsOpen());
  EXPECT_EQ(rig.radio.Band(), BandAM);
  EXPECT_EQ(rig.radio.Frequency(BandAM), 1008);
  EXPECT_EQ(rig.receiver.Band(), BandAM);
  EXPECT_EQ(rig.LastReport(), (Bytes{0x02, 1008 >> 8, 1008 & 0xFF, 0xFF}));
  EXPECT_EQ(rig.recording.IsRecording(), 1);
}

TEST(Region, StoredRegionAboveJapanIsJapanForTheReceiverTheBandAndThePresets) {
  MainWindowRig rig;
  rig.Set("COUNTRY", "7");
  rig.Set("FM", "1");
  rig.Set("FREQ", "7700");
  rig.SetPreset("CH_SET_FM_JAP", 4, "Japan four", "7700");
  rig.Start();
  EXPECT_EQ(rig.radio.Region(), RegionJapan);
  const auto& block = RegionConfigBlock(RegionJapan);
  EXPECT_EQ(rig.receiver.Log()[0].bytes, Bytes(block.begin(), block.end()));
  EXPECT_EQ(rig.Reports()[2], (Bytes{0x0A, 0x02, 0x02, 0xFF}));
  // Japan's FM band holds 77.00 MHz: tuned as stored, not clamped to another region's edge.
  EXPECT_EQ(rig.LastReport(), (Bytes{0x02, 0x1E, 0x14, 0xFF}));
  EXPECT_EQ(rig.radio.Preset(), 4);
  EXPECT_EQ(rig.radio.PresetName(), "Japan four");
  rig.Command(IDC_CLOSE);
  EXPECT_EQ(rig.Get(kGeneralKey, "COUNTRY"), "2");
}

TEST(Removal, OtherDevicesChangeNothingAndTheReceiverEndsTheProgramSilently) {
  MainWindowRig rig;
  rig.Set("VOLUME", "55");
  rig.Start();
  rig.receiver.ClearLog();
  rig.audioLog.clear();

  EXPECT_TRUE(rig.window.OnDeviceRemoveComplete(rig.device.NativeHandle() + 4));
  EXPECT_TRUE(rig.window.OnDeviceRemoveComplete(0));
  EXPECT_FALSE(rig.view.destroyed);
  EXPECT_EQ(rig.window.DeviceLost(), 0);

  rig.radio.SetVolume(61);
  EXPECT_TRUE(rig.window.OnDeviceRemoveComplete(rig.device.NativeHandle()));
  EXPECT_EQ(rig.window.DeviceLost(), 1);
  EXPECT_TRUE(rig.view.destroyed);
  EXPECT_EQ(rig.view.unregistered, 1);
  EXPECT_TRUE(rig.receiver.Log().empty());
  EXPECT_TRUE(rig.audioLog.empty());
  EXPECT_TRUE(rig.device.IsOpen());  // the dead handle stays until the process ends
  EXPECT_EQ(rig.Get(kGeneralKey, "VOLUME"), "61");
  EXPECT_FALSE(rig.timers.IsActive(kTimerHeartbeat));
}

TEST(Removal, WithoutAReceiverARemovalChangesNothing) {
  MainWindowRig rig;
  rig.platform.slots.clear();
  rig.Start();
  EXPECT_TRUE(rig.window.OnDeviceRemoveComplete(0x1004));
  EXPECT_FALSE(rig.view.destroyed);
}

TEST(Closing, CloseButtonShutsTheReceiverDownAndSavesTheState) {
  MainWindowRig rig;
  rig.Set("COUNTRY", "1");
  rig.Set("FREQ", "9100");
  rig.Start();
  rig.Command(IDC_TUNE_UP);
  rig.receiver.ClearLog();
  rig.audioLog.clear();

  rig.Command(IDC_CLOSE);
  EXPECT_EQ(rig.Reports(), (std::vector<Bytes>{{0x0A, 0x03, 0x02, 0xFF}, {0x09, 0x02, 0x00, 0xFF}, {0x13, 0x35, 0x10, 0xFF}}));
  EXPECT_EQ(rig.receiver.Log().back().bytes[4], 0xFF);
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"stop", "release"}));
  for (unsigned id : {1u, 2u, 8u, 10u, 20u, 21u, 30u, 31u, 80u}) EXPECT_FALSE(rig.timers.IsActive(id)) << id;
  EXPECT_EQ(rig.Get(kGeneralKey, "FREQ"), "9110");
  EXPECT_EQ(rig.Get(kGeneralKey, "COUNTRY"), "1");
  EXPECT_TRUE(rig.view.destroyed);
  EXPECT_FALSE(rig.device.IsOpen());
}

TEST(Closing, ExitSavesClosesAndLeavesTheTimersToTheWindow) {
  MainWindowRig rig;
  rig.Start();
  rig.radio.SetStereo(1);
  rig.Command(ID_EXIT);
  EXPECT_EQ(rig.Get(kGeneralKey, "STEREO"), "1");
  EXPECT_FALSE(rig.device.IsOpen());
  EXPECT_EQ(rig.LastReport(), (Bytes{0x13, 0x35, 0x10, 0xFF}));
  EXPECT_TRUE(rig.view.destroyed);
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));
}

TEST(Resume, ClosedReceiverIsFoundAgainAndItsSoundRetriedUntilItRunsPlainly) {
  MainWindowRig rig;
  rig.Start();
  rig.device.CloseDevice();
  rig.receiver.ClearLog();
  // After the standby the graph first answers S_FALSE (not running yet), then fails once.
  rig.audio->runResults = {0, 1, static_cast<int>(0x80004005), 0};
  const size_t sleepsBefore = rig.clock.Sleeps().size();

  rig.window.BringUpReceiver(BringUpSituation::Resume);
  ASSERT_TRUE(rig.device.IsOpen());
  EXPECT_EQ(rig.Reports()[0][0], 0x14);
  EXPECT_EQ(rig.Reports()[7][0], 0x02);  // tuned without a wait
  const std::vector<unsigned> sleeps(rig.clock.Sleeps().begin() + sleepsBefore, rig.clock.Sleeps().end());
  EXPECT_EQ(sleeps, (std::vector<unsigned>{1000, 1000}));
  EXPECT_TRUE(rig.timers.IsActive(kTimerHeartbeat));
  EXPECT_EQ(rig.view.shows.back(), ShowCommand::Show);
}

TEST(Resume, RetriesStopAfterFifteenAndAMissingReceiverWaitsOneSecond) {
  MainWindowRig rig;
  rig.Start();
  rig.receiver.ClearLog();
  rig.audio->runResults = std::vector<int>(20, 1);
  size_t before = rig.clock.Sleeps().size();
  rig.window.BringUpReceiver(BringUpSituation::Resume);  // the receiver stayed open
  EXPECT_TRUE(rig.receiver.Log().empty());
  EXPECT_EQ(std::vector<unsigned>(rig.clock.Sleeps().begin() + before, rig.clock.Sleeps().end()),
            std::vector<unsigned>(15, 1000));

  rig.device.CloseDevice();
  rig.platform.slots.clear();
  before = rig.clock.Sleeps().size();
  rig.window.BringUpReceiver(BringUpSituation::Resume);
  EXPECT_FALSE(rig.device.IsOpen());
  EXPECT_EQ(std::vector<unsigned>(rig.clock.Sleeps().begin() + before, rig.clock.Sleeps().end()),
            std::vector<unsigned>{1000});
}

TEST(KeepAwake, EveryActingHeartbeatAppliesTheStoredAutoSuspendChoice) {
  MainWindowRig rig;
  rig.Set("AUTOSPEND", "0");
  WritingDialogs dialogs(rig);
  CountingScheduler scheduler;
  rig.Join({.scheduler = &scheduler, .dialogs = &dialogs});
  rig.Start();
  EXPECT_EQ(rig.power.states, std::vector<uint32_t>{0x80000003});  // applied when loaded
  rig.Run(900);                                                      // three ticks, one second
  EXPECT_EQ(rig.power.states, (std::vector<uint32_t>{0x80000003, 0x80000003}));

  // Preferences OK re-reads the choice; the next new second applies it. The dialog is told the
  // band in use.
  dialogs.autoSuspendOnPreferences = "1";
  rig.radio.SetBand(BandSW);
  rig.Command(IDC_SETTINGS);
  EXPECT_EQ(dialogs.preferencesBand, BandSW);
  rig.wall.now.second = 1;
  rig.Run(300);
  EXPECT_EQ(rig.power.states.back(), 0x80000000u);

  // Closing the timer dialog reloads the power settings and applies them at once.
  dialogs.autoSuspendOnTimerDialog = "0";
  rig.radio.SetRegion(RegionEurope);
  rig.Command(IDC_TIMER_SETTINGS);
  EXPECT_EQ(dialogs.timerDialogRegion, RegionEurope);
  EXPECT_EQ(scheduler.loads, 1);
  EXPECT_EQ(rig.power.states.back(), 0x80000003u);
  EXPECT_EQ(rig.powerState.Settings().autoSuspend, 0);
}

TEST(KeepAwake, PreferencesThatResetEverythingReloadTheScheduleAndThePowerSettings) {
  MainWindowRig rig;
  rig.Set("SHUTDOWN", "1");
  WritingDialogs dialogs(rig);
  CountingScheduler scheduler;
  rig.Join({.scheduler = &scheduler, .dialogs = &dialogs});
  rig.Start();
  const int loads = scheduler.loads;
  dialogs.autoSuspendOnPreferences = "3";
  rig.Command(IDC_SETTINGS);  // an ordinary OK leaves the schedule alone
  EXPECT_EQ(scheduler.loads, loads);
  EXPECT_EQ(rig.powerState.Settings().afterRecording, AfterRecording::Shutdown);
  dialogs.resetOnPreferences = true;
  rig.Command(IDC_SETTINGS);
  EXPECT_EQ(scheduler.loads, loads + 1);
  EXPECT_EQ(rig.powerState.Settings().afterRecording, AfterRecording::None);
}

}  // namespace
