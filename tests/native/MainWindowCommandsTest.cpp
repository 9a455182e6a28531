// Tuning, seeking, presets, band, mute, volume and stereo of the main window, run against the
// simulated receiver.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/Volume.h"
#include "tests/native/MainWindowRig.h"
#include "tests/support/StateProbes.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Japan FM at 78.10 MHz with presets 1..12 on 76.20 .. 78.40 MHz (every 200 kHz), a strong
// station at 80.00 MHz.
class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Set("COUNTRY", "2");
    rig.Set("FM", "1");
    rig.Set("FREQ", "7810");
    rig.Set("VOLUME", "60");
    for (int n = 1; n <= 12; ++n)
      rig.SetPreset("CH_SET_FM_JAP", n, "Station" + std::to_string(n), std::to_string(7600 + 20 * n));
    rig.receiver.SetStations({{BandFM, 8000, 45}, {BandFM, 8500, 30}});
    rig.receiver.readLatencyMs = 0;
    rig.Start();
    rig.receiver.ClearLog();
    rig.audioLog.clear();
  }

  // Polls the seek once, 100 ms after the previous poll.
  void Poll() {
    rig.clock.Advance(100);
    rig.window.OnTimer(kTimerSeekPoll);
  }

  std::vector<uint16_t> TunesSent() const {
    std::vector<uint16_t> tunes;
    for (const auto& r : rig.Reports())
      if (r[0] == 0x02) tunes.push_back(static_cast<uint16_t>(r[1] << 8 | r[2]));
    return tunes;
  }

  MainWindowRig rig;
};

TEST_F(Commands, SeekSettlesOnTheSixthEqualReadAndLeavesTheTunerWhereItStopped) {
  rig.Command(IDC_SEEK_UP);
  EXPECT_EQ(rig.Reports(), std::vector<Bytes>{(Bytes{0x09, 0x01, 0x00, 0xFF})});
  EXPECT_EQ(rig.audio->volume, 0);  // silent while seeking
  for (int id = IDC_SW; id <= IDC_SAVE_PRESET; ++id) EXPECT_FALSE(rig.view.Enabled(id)) << id;
  EXPECT_FALSE(rig.view.Enabled(IDC_STEREO));

  // Walk until the frequency reaches the station, then count the equal reads.
  uint16_t last = rig.radio.Frequency(BandFM);
  int polls = 0;
  while (rig.radio.Frequency(BandFM) != 8000 && polls < 200) {
    Poll();
    ++polls;
  }
  ASSERT_EQ(rig.radio.Frequency(BandFM), 8000);
  EXPECT_NE(last, 8000);
  for (int equal = 1; equal <= 5; ++equal) {
    Poll();
    EXPECT_EQ(rig.window.Seeking(), 1) << equal;
  }
  Poll();
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.window.ContinuousTune(), 0);
  EXPECT_EQ(rig.audio->volume, 60);
  EXPECT_TRUE(TunesSent().empty());
  EXPECT_FALSE(rig.timers.IsActive(kTimerSeekPoll));
  EXPECT_EQ(rig.timers.Period(kTimerBandEnable), 1000u);
  for (int id : {IDC_SEEK_UP, IDC_SEEK_DOWN, IDC_TUNE_UP, IDC_PRESET1, IDC_STEREO, IDC_SAVE_PRESET})
    EXPECT_TRUE(rig.view.Enabled(id)) << id;
  for (int id : {IDC_AM, IDC_FM, IDC_SW}) EXPECT_FALSE(rig.view.Enabled(id)) << id;
  rig.Run(1000);
  for (int id : {IDC_AM, IDC_FM}) EXPECT_TRUE(rig.view.Enabled(id)) << id;
}

TEST_F(Commands, SeekRunsOnWindowTimersToItsEnd) {
  rig.Command(IDC_SEEK_DOWN);
  rig.Run(600);
  EXPECT_TRUE(rig.view.Enabled(IDC_TUNE_UP));  // timer 33 gives the Tune buttons back
  rig.Run(5000);
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7600);  // nothing strong below: the band edge
  EXPECT_EQ(rig.radio.Preset(), 0);
}

TEST_F(Commands, SeekStartedFromTheTrayDuringASeekStaysSilentAndEndsWithSound) {
  rig.Command(IDC_SEEK_UP);
  Poll();
  rig.Command(IDC_SEEK_UP);  // "Seek UP" of the tray menu arrives although the button is disabled
  EXPECT_EQ(rig.audio->volume, 0);
  rig.Run(5000);
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8000);
  EXPECT_EQ(rig.audio->volume, 60);
  EXPECT_EQ(rig.radio.Muted(), 0);
}

TEST_F(Commands, SeekRefusedAtTheBandEdgeSendsNothing) {
  rig.radio.SetFrequency(BandFM, 9000);
  rig.Command(IDC_SEEK_UP);
  rig.radio.SetFrequency(BandFM, 7600);
  rig.Command(IDC_SEEK_DOWN);
  EXPECT_TRUE(rig.Reports().empty());
  EXPECT_FALSE(rig.timers.IsActive(kTimerSeekPoll));
  EXPECT_EQ(rig.window.ContinuousTune(), 0);
  // Beyond the edge is not at it.
  rig.radio.SetFrequency(BandFM, 9005);
  rig.Command(IDC_SEEK_UP);
  EXPECT_EQ(rig.window.Seeking(), 1);
}

TEST_F(Commands, TuneUpDuringASeekStopsAtTheReachedFrequencyWithoutAStep) {
  rig.Command(IDC_SEEK_UP);
  for (int i = 0; i < 3; ++i) Poll();
  const uint16_t reached = rig.radio.Frequency(BandFM);
  ASSERT_GT(reached, 7810);
  ASSERT_LT(reached, 8000);
  rig.receiver.ClearLog();

  rig.Command(IDC_TUNE_UP);
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.window.ContinuousTune(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), reached);
  EXPECT_EQ(rig.receiver.Frequency(), reached);
  for (uint16_t tune : TunesSent()) EXPECT_EQ(tune, reached);
  EXPECT_EQ(rig.audio->volume, 60);  // the sound is back
  EXPECT_EQ(rig.radio.Muted(), 0);
  EXPECT_TRUE(rig.view.Enabled(IDC_PRESET1));
  EXPECT_FALSE(rig.view.Enabled(IDC_SEEK_UP));
  EXPECT_EQ(rig.timers.Period(kTimerBandEnable), 1500u);

  // The next press is an ordinary step.
  rig.Command(IDC_TUNE_UP);
  EXPECT_EQ(rig.radio.Frequency(BandFM), reached + 10);
}

TEST_F(Commands, SeekWhoseReadsAllFailKeepsThePreviousFrequency) {
  rig.radio.SetSignal(3);
  MainWindowProbe::SetSeekStableReads(rig.window, 6);  // left from an earlier seek: must not end this one early
  rig.receiver.allReadsTimeOut = true;
  rig.Command(IDC_SEEK_UP);
  EXPECT_EQ(rig.window.SeekStableReads(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  EXPECT_EQ(rig.radio.Signal(), 3);
  Poll();
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  EXPECT_EQ(rig.window.Seeking(), 1);
  rig.Command(IDC_TUNE_DOWN);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  EXPECT_EQ(TunesSent().back(), 7810);
}

TEST_F(Commands, PresetKeyDuringASeekTunesThePresetAndEndsTheSeekFully) {
  rig.Command(IDC_SEEK_UP);
  Poll();
  ASSERT_EQ(rig.audio->volume, 0);
  rig.Command(IDC_PRESET1 + 2);  // F3
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7660);
  EXPECT_EQ(rig.receiver.Frequency(), 7660);
  EXPECT_EQ(rig.radio.PresetName(), "Station3");
  // The sound is back and nothing the seek disabled waits for a later press.
  EXPECT_EQ(rig.audio->volume, 60);
  EXPECT_EQ(rig.radio.Muted(), 0);
  EXPECT_EQ(rig.window.ContinuousTune(), 0);
  for (int id = IDC_SW; id <= IDC_SAVE_PRESET; ++id) {
    // Mute waits for timer 31, as after any preset.
    EXPECT_EQ(rig.view.Enabled(id), id != IDC_MUTE) << id;
  }
  rig.Run(800);
  EXPECT_TRUE(rig.view.Enabled(IDC_MUTE));
  EXPECT_TRUE(rig.view.Enabled(IDC_STEREO));
  // The next Tune press is an ordinary step that keeps the sound on; Mute then mutes.
  rig.Command(IDC_TUNE_UP);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7670);
  EXPECT_EQ(rig.audio->volume, 60);
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audio->volume, 0);
}

TEST_F(Commands, MinimiseAndTheTrayPresetEndASeekWithTheUsersOwnMuteKept) {
  rig.Command(IDC_SEEK_DOWN);
  Poll();
  rig.Command(IDC_MINIMISE);
  EXPECT_EQ(rig.view.shows.back(), ShowCommand::Hide);
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.audio->volume, 60);
  EXPECT_TRUE(rig.view.Enabled(IDC_PRESET1));
  EXPECT_TRUE(rig.view.Enabled(IDC_STEREO));
  EXPECT_FALSE(rig.timers.IsActive(kTimerSeekPoll));

  // Muted by the user before the seek: the cancel gives the controls back, not the sound.
  rig.Command(IDC_MUTE);
  rig.Command(IDC_SEEK_UP);
  Poll();
  rig.Command(IDC_PRESET1 + 5);  // "Preset 6" of the tray menu
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.audio->volume, 0);
  EXPECT_EQ(rig.radio.Muted(), 1);
  EXPECT_EQ(rig.view.cells[IDC_MUTE], (std::pair<int, int>{0, 0}));
  EXPECT_TRUE(rig.view.Enabled(IDC_SEEK_UP));
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audio->volume, 60);
}

TEST_F(Commands, PresetUpAndDownWrapAndStartFromThePreviousPreset) {
  rig.Command(IDC_PRESET1 + 11);
  EXPECT_EQ(rig.radio.Preset(), 12);
  rig.Command(IDC_PRESET_UP);
  EXPECT_EQ(rig.radio.Preset(), 1);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7620);
  rig.Command(IDC_PRESET_DOWN);
  EXPECT_EQ(rig.radio.Preset(), 12);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7840);
  EXPECT_EQ(rig.receiver.Frequency(), 7840);

  rig.Command(IDC_PRESET1 + 4);
  rig.Command(IDC_TUNE_UP);  // off preset 5
  EXPECT_EQ(rig.radio.Preset(), 0);
  EXPECT_EQ(rig.radio.PreviousPreset(), 5);
  rig.Command(IDC_PRESET_DOWN);
  EXPECT_EQ(rig.radio.Preset(), 4);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7680);
  rig.Command(IDC_TUNE_UP);
  rig.Command(IDC_PRESET_UP);
  EXPECT_EQ(rig.radio.Preset(), 5);
}

TEST_F(Commands, PresetDownWithNoCurrentOrPreviousPresetGoesToTwelve) {
  ASSERT_EQ(rig.radio.Preset(), 0);
  ASSERT_EQ(rig.radio.PreviousPreset(), 0);
  rig.Command(IDC_PRESET_DOWN);
  EXPECT_EQ(rig.radio.Preset(), 12);
  EXPECT_FALSE(rig.view.Enabled(IDC_MUTE));
  rig.Run(800);
  EXPECT_TRUE(rig.view.Enabled(IDC_MUTE));
}

TEST_F(Commands, RecallingThePresetAlreadyTunedDoesNotRestartTheSound) {
  rig.Command(IDC_PRESET1 + 1);
  rig.receiver.ClearLog();
  rig.audioLog.clear();
  rig.Command(IDC_PRESET1 + 1);
  EXPECT_EQ(TunesSent(), std::vector<uint16_t>{7640});  // only the final retune
  EXPECT_TRUE(rig.audioLog.empty());
}

TEST_F(Commands, SaveToPresetThenF3StoresTheFrequencyKeepingTheName) {
  rig.Command(IDC_SAVE_PRESET);
  EXPECT_EQ(rig.window.SaveArmed(), 1);
  rig.Command(IDC_PRESET1 + 2);
  EXPECT_EQ(rig.Get("CH_SET_FM_JAP", "CH03_FRQ"), "7810");
  EXPECT_EQ(rig.Get("CH_SET_FM_JAP", "CH03_ID"), "Station3");
  EXPECT_EQ(rig.radio.Preset(), 3);
  EXPECT_EQ(rig.window.SaveArmed(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);

  // Any other button first cancels the store: F4 then recalls.
  rig.Command(IDC_SAVE_PRESET);
  rig.Command(IDC_STEREO);
  rig.Command(IDC_PRESET1 + 3);
  EXPECT_EQ(rig.Get("CH_SET_FM_JAP", "CH04_FRQ"), "7680");
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7680);
}

TEST_F(Commands, TuneStepWrapsAndHoldRunsTheDisplayAheadOfTheTuner) {
  rig.radio.SetFrequency(BandFM, 9000);
  rig.Command(IDC_TUNE_UP);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7600);
  EXPECT_EQ(TunesSent(), std::vector<uint16_t>{7600});

  rig.receiver.ClearLog();
  rig.Command(IDC_TUNE_DOWN, kButtonPressCode);
  rig.Run(900);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7600);  // nothing in the first second
  rig.Run(300);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8980);  // ticks 10, 11, 12: wrapped, then two steps down
  EXPECT_TRUE(TunesSent().empty());
  rig.Command(IDC_TUNE_DOWN);  // the release
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8970);
  EXPECT_EQ(TunesSent(), std::vector<uint16_t>{8970});
  EXPECT_FALSE(rig.timers.IsActive(kTimerHoldDown));

  rig.Command(IDC_TUNE_UP, kButtonPressCode);
  rig.window.OnMouseMove();
  EXPECT_FALSE(rig.timers.IsActive(kTimerHoldUp));
}

TEST_F(Commands, AHoldLostWithItsKeyTunesNothingAndShowsWhatPlays) {
  rig.radio.SetFrequency(BandFM, 8000);
  rig.Command(IDC_TUNE_UP, kButtonPressCode);
  rig.Run(1200);  // the display has run three steps ahead
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8030);
  rig.receiver.ClearLog();
  rig.Command(IDC_TUNE_UP, kButtonHoldLostCode);
  EXPECT_FALSE(rig.timers.IsActive(kTimerHoldUp));
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8000);
  rig.Run(2000);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 8000);
  EXPECT_TRUE(TunesSent().empty());
  // After a step the receiver is where the display is: losing the hold leaves both there.
  rig.Command(IDC_TUNE_DOWN, kButtonPressCode);
  rig.Command(IDC_TUNE_DOWN);
  rig.Command(IDC_TUNE_DOWN, kButtonHoldLostCode);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7990);
  EXPECT_EQ(TunesSent(), std::vector<uint16_t>{7990});
}

TEST_F(Commands, VolumeKeysStayWithinLimitsAndLeaveTheMuteAlone) {
  rig.radio.SetVolume(100);
  rig.Command(ID_VOLUME_UP);
  EXPECT_EQ(rig.radio.Volume(), 100);
  rig.radio.SetVolume(0);
  rig.Command(ID_VOLUME_DOWN);
  EXPECT_EQ(rig.radio.Volume(), 0);
  EXPECT_EQ(rig.view.slider, 0);

  rig.radio.SetVolume(50);
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audio->volume, 0);
  EXPECT_EQ(rig.view.cells[IDC_MUTE], std::make_pair(0, 0));
  rig.Command(ID_VOLUME_UP);
  EXPECT_EQ(rig.radio.Volume(), 51);
  EXPECT_EQ(rig.audio->volume, 0);  // still muted, still silent
  EXPECT_EQ(rig.radio.Muted(), 1);
  EXPECT_EQ(rig.view.cells[IDC_MUTE], std::make_pair(0, 0));

  // The slider respects the mute.
  rig.view.slider = 70;
  rig.window.OnVolumeSliderNotify();
  EXPECT_EQ(rig.radio.Volume(), 70);
  EXPECT_EQ(rig.audio->volume, 0);
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audio->volume, 70);
  EXPECT_EQ(rig.view.cells[IDC_MUTE], std::make_pair(1, 1));
}

TEST(VolumeCurve, MapsTheSliderToHundredthsOfADecibel) {
  EXPECT_EQ(SliderLevelToVolume(0), -10000);
  EXPECT_EQ(SliderLevelToVolume(100), 0);
  EXPECT_EQ(SliderLevelToVolume(99), -100);
  EXPECT_EQ(SliderLevelToVolume(50), -1500);
  EXPECT_EQ(SliderLevelToVolume(1), -3000);
}

TEST_F(Commands, BandButtonOfTheCurrentBandOnlyReArmsTimer32) {
  rig.Command(IDC_FM);
  EXPECT_TRUE(rig.Reports().empty());
  EXPECT_EQ(rig.timers.Period(kTimerBandEnable), 1500u);
  for (int id : {IDC_AM, IDC_FM, IDC_SW}) EXPECT_FALSE(rig.view.Enabled(id));
  rig.Run(1500);
  for (int id : {IDC_AM, IDC_FM, IDC_SW}) EXPECT_TRUE(rig.view.Enabled(id));
}

TEST_F(Commands, BandSwitchKeepsEachBandsFrequency) {
  rig.Set("FREQ_AM", "999");
  rig.radio.SetFrequency(BandAM, 999);
  rig.Command(IDC_AM);
  EXPECT_EQ(rig.Reports(), (std::vector<Bytes>{{0x0A, 0x80, 0x02, 0xFF}, {0x05, 0x00, 0x00, 0xFF}, {0x02, 0x03, 0xE7, 0xFF}}));
  EXPECT_EQ(rig.radio.Band(), BandAM);
  rig.Command(IDC_FM);
  EXPECT_EQ(rig.radio.Band(), BandFM);
  EXPECT_EQ(rig.LastReport(), (Bytes{0x02, 0x1E, 0x82, 0xFF}));
}

TEST_F(Commands, StereoToggleSendsTheModeAndTheTooltip) {
  rig.radio.SetStereo(1);
  rig.Command(IDC_STEREO);
  EXPECT_EQ(rig.LastReport(), (Bytes{0x06, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(rig.view.tips[IDC_STEREO], "Mono");
  EXPECT_EQ(rig.view.cells[IDC_STEREO], std::make_pair(0, 2));
  rig.Command(IDC_STEREO);
  EXPECT_EQ(rig.LastReport(), (Bytes{0x06, 0x01, 0x00, 0xFF}));
  EXPECT_EQ(rig.view.tips[IDC_STEREO], "Stereo");
}

TEST_F(Commands, SignalTimerReadsTheLevelAfterATune) {
  rig.radio.SetFrequency(BandFM, 7990);
  rig.Command(IDC_TUNE_UP);
  rig.Run(500);
  EXPECT_EQ(rig.radio.Signal(), 4);  // signal 45
  rig.receiver.allReadsTimeOut = true;
  rig.Command(IDC_TUNE_UP);
  rig.Run(500);
  EXPECT_EQ(rig.radio.Signal(), 0);
}

TEST_F(Commands, RegionChangeReconfiguresAndRecallsTheFirstPresets) {
  rig.radio.SetRegion(RegionEurope);
  rig.radio.SetFrequency(BandSW, 9500);
  rig.SetPreset("CH_SET_AM_JAP", 1, "AM1", "594");
  rig.radio.SetBand(BandSW);
  rig.window.ApplyRegion(RegionJapan);
  const auto reports = rig.Reports();
  ASSERT_GE(reports.size(), 6u);
  EXPECT_EQ(reports[0][0], 0x14);
  EXPECT_EQ(reports[1], (Bytes{0x0A, 0x87, 0x02, 0xFF}));
  EXPECT_EQ(TunesSent(), (std::vector<uint16_t>{594, 7620, 9500}));
  EXPECT_EQ(rig.radio.Band(), BandSW);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7620);
  EXPECT_EQ(rig.radio.Frequency(BandAM), 594);

  rig.receiver.ClearLog();
  rig.window.ApplyRegion(RegionJapan);
  EXPECT_TRUE(rig.Reports().empty());
}

TEST_F(Commands, RegionChangeDuringPlaybackRetunesWithoutStartingLiveSound) {
  rig.radio.SetRegion(RegionUSA);
  rig.radio.SetBand(BandFM);
  FakePlayback playback{rig.audioLog};
  playback.playing = true;
  rig.Join({.playback = &playback});
  rig.audioLog.clear();
  rig.window.ApplyRegion(RegionJapan);
  EXPECT_EQ(TunesSent(), (std::vector<uint16_t>{522, 7620}));
  EXPECT_EQ(std::count(rig.audioLog.begin(), rig.audioLog.end(), "run"), 0);
  EXPECT_GT(std::count(rig.audioLog.begin(), rig.audioLog.end(), "stop"), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7620);
  EXPECT_EQ(rig.radio.Frequency(BandAM), 522);
}

TEST_F(Commands, MinimiseHidesCancelsTheSeekAndDisarmsTheStore) {
  rig.Command(IDC_SAVE_PRESET);
  rig.Command(IDC_MINIMISE);
  EXPECT_EQ(rig.view.shows.back(), ShowCommand::Hide);
  EXPECT_EQ(rig.window.SaveArmed(), 0);
  rig.Command(ID_SHOW_RADIO);
  EXPECT_EQ(rig.view.shows.back(), ShowCommand::Show);
}

TEST_F(Commands, AboutOpensTheBoxEvenWithoutAReceiverAndDisarmsTheStore) {
  rig.Command(IDC_SAVE_PRESET);
  rig.Command(IDC_ABOUT);
  EXPECT_EQ(rig.view.aboutBoxes, 1);
  EXPECT_EQ(rig.window.SaveArmed(), 0);
  rig.device.CloseDevice();
  rig.Command(IDC_ABOUT);
  EXPECT_EQ(rig.view.aboutBoxes, 2);
}

}  // namespace

namespace {

// A recorded file plays: the radio commands stand still, volume and mute act on the file.
class DuringPlayback : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    rig.Join({.playback = &playback});
    playback.playing = true;
  }
  FakePlayback playback{rig.audioLog};
};

TEST_F(DuringPlayback, RadioCommandsDoNothing) {
  for (int id : {IDC_PRESET1 + 2, IDC_PRESET_UP, IDC_PRESET_DOWN, IDC_TUNE_UP, IDC_SEEK_UP, IDC_AM, IDC_STEREO})
    rig.Command(id);
  rig.Command(IDC_TUNE_DOWN, kButtonPressCode);
  rig.Command(IDC_SAVE_PRESET);
  EXPECT_TRUE(rig.Reports().empty());
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  EXPECT_EQ(rig.radio.Band(), BandFM);
  EXPECT_EQ(rig.window.SaveArmed(), 0);
  EXPECT_FALSE(rig.timers.IsActive(kTimerHoldDown));
  EXPECT_TRUE(rig.audioLog.empty());
}

TEST_F(DuringPlayback, VolumeFollowsTheCurveAndMuteStopsAndRunsTheFile) {
  rig.view.slider = 50;
  rig.window.OnVolumeSliderNotify();
  rig.Command(ID_VOLUME_DOWN);
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"volume 50", "playback volume -1500", "volume 49",
                                                    "playback volume -1600"}));
  rig.audioLog.clear();
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.radio.Muted(), 1);
  EXPECT_EQ(rig.radio.UserMutedLive(), 0);  // the live sound was not what Mute silenced
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"playback pause", "playback run"}));
  rig.view.slider = 0;
  rig.window.OnVolumeSliderNotify();
  EXPECT_EQ(rig.audioLog.back(), "playback volume -10000");
}

TEST_F(DuringPlayback, CloseEndsThePlaybackBeforeTheReceiverShutsDown) {
  rig.Command(IDC_CLOSE);
  EXPECT_EQ(rig.audioLog, (std::vector<std::string>{"playback end", "stop", "release"}));
  EXPECT_EQ(rig.window.Playing(), 0);
  EXPECT_FALSE(rig.device.IsOpen());
}

TEST_F(DuringPlayback, ArrivalStopsThePlaybackBeforeTheBringUp) {
  rig.window.OnDeviceArrival("\\\\?\\HID#VID_10C4&PID_818A#2");
  ASSERT_GE(rig.audioLog.size(), 2u);
  EXPECT_EQ(rig.audioLog[0], "playback stop");
  EXPECT_EQ(rig.audioLog[1], "build");
  EXPECT_EQ(rig.Reports()[0][0], 0x14);
}

}  // namespace

namespace {

// A receiver gone silent under an open handle (its removal notice never came): every command
// still ends, nothing is waited for beyond the read limits, and the state stays usable.
TEST_F(Commands, DeadReceiverNeverHangsTheWindowAndTuneEndsTheSeek) {
  rig.receiver.Remove();
  rig.Command(IDC_SEEK_UP);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  for (int i = 0; i < 20; ++i) Poll();
  EXPECT_EQ(rig.window.Seeking(), 1);  // no answer: the seek cannot settle by itself
  const uint64_t before = rig.clock.NowMs();
  rig.Command(IDC_TUNE_UP);
  EXPECT_LE(rig.clock.NowMs() - before, 5u * kStatusReadTimeoutMs);
  EXPECT_EQ(rig.window.Seeking(), 0);
  EXPECT_EQ(rig.window.ContinuousTune(), 0);
  EXPECT_EQ(rig.radio.Frequency(BandFM), 7810);
  EXPECT_EQ(rig.audio->volume, 60);
  for (int id : {IDC_PRESET1, IDC_AM, IDC_FM, IDC_STEREO, IDC_PRESET_UP}) rig.Command(id);
  rig.Run(2000);
  EXPECT_EQ(rig.radio.Signal(), 0);
  rig.Command(IDC_CLOSE);
  EXPECT_TRUE(rig.view.destroyed);
}

// Late answers: only the reads that answered in time count, the last of them wins.
TEST_F(Commands, SeekStartTakesTheLastReadThatAnswered) {
  rig.receiver.readsTimingOut = 4;
  rig.Command(IDC_SEEK_UP);
  EXPECT_NE(rig.radio.Frequency(BandFM), 7810);  // the fifth read answered with where the seek is
  EXPECT_EQ(rig.radio.Frequency(BandFM), rig.receiver.Frequency());
}

}  // namespace
