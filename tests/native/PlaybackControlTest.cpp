// Playing a recorded file in the main window against the simulated receiver: the file choice,
// what the start stops and shows, the position clock and slider, seeking, and both ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/native/MainWindowRig.h"

namespace {

using Log = std::vector<std::string>;

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Set("FM", "1");
    rig.Set("FREQ", "8750");
    rig.Set("VOLUME", "50");
    rig.Set("RECORDFOLDER", "C:\\RadioREC");
    rig.receiver.readLatencyMs = 0;
    rig.Start();
    rig.Join({&control, nullptr, nullptr});
    // Two seconds of frames at 128 kbit/s, as the recorder writes them.
    file = (std::filesystem::temp_directory_path() / ("kestrune-play-" + std::to_string(::getpid()) + ".mp3")).string();
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
      std::vector<uint8_t> frame(417, 0);
      frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = 0x90, frame[3] = 0x64;
      for (int i = 0; i < 77; ++i) std::fwrite(frame.data(), 1, frame.size(), f);
      std::fclose(f);
    }
    view.existing.insert(file);
    graph.duration = 3 * 3600 + 0.6;
    rig.audioLog.clear();
  }
  void TearDown() override { std::remove(file.c_str()); }

  void Pick(const std::string& path) {
    view.picked = path;
    rig.Command(IDC_PLAYBACK);
  }

  MainWindowRig rig;
  FakePlaybackGraph graph{rig.audioLog};
  FakePlaybackView view;
  PlaybackControl control{rig.window, rig.sound, rig.radio, rig.recording, rig.display, graph, view, rig.timers, rig.clock};
  std::string file;
};

TEST_F(Playback, APickedRecordingReplacesTheLiveSound) {
  rig.Command(ID_REC_OPEN);
  ASSERT_EQ(rig.recording.IsRecording(), 1);
  rig.Command(IDC_SAVE_PRESET);
  ASSERT_TRUE(rig.window.SaveArmed());
  rig.audioLog.clear();
  Pick("  " + file + " ");
  EXPECT_EQ(view.pickedFrom, "C:\\RadioREC");
  EXPECT_EQ(rig.audioLog, (Log{"record stop", "stop", "graph create",
                               "graph render " + file, "graph attach", "stop", "volume 50", "graph run",
                               "graph volume -1500"}));
  EXPECT_EQ(rig.window.Playing(), 1);
  EXPECT_EQ(rig.recording.IsRecording(), 0);
  EXPECT_EQ(rig.window.SaveArmed(), 0);
  EXPECT_EQ(control.PlayedPath(), file);
  EXPECT_EQ(view.texts[IDC_TEXT_RATE], "128 Kbps");
  EXPECT_EQ(view.texts[IDC_TEXT_TIME], "00:00:00 / 03:00:00");
  EXPECT_EQ(view.texts[IDC_TEXT_FILE], file);
  EXPECT_EQ(view.playCell, 0);
  EXPECT_EQ(view.hidden, (std::set<int>{IDC_SEEK_DOWN, IDC_TUNE_DOWN, IDC_TUNE_UP, IDC_SEEK_UP}));
  EXPECT_EQ(view.sliderMax, 10800);
  EXPECT_EQ(control.SliderScale(), 0.0f);
  EXPECT_EQ(rig.timers.Period(kTimerPlayback), 1000u);

  // The clock shows the position and the slider follows it, whole seconds only.
  graph.position = 3725.9;
  rig.Run(1000);
  EXPECT_EQ(view.texts[IDC_TEXT_TIME], "01:02:05 / 03:00:00");
  EXPECT_EQ(view.slider, 3725);
}

TEST_F(Playback, ChoicesThatChangeNothingAndTheExtensionInAnyCase) {
  view.picked.clear();  // cancelled
  rig.Command(IDC_PLAYBACK);
  view.picked = "C:\\RadioREC\\missing.mp3";
  rig.Command(IDC_PLAYBACK);
  const std::string wav = file.substr(0, file.size() - 4) + ".wav";
  view.existing.insert(wav);
  Pick(wav);
  Pick(file.substr(0, file.size() - 1));
  EXPECT_TRUE(rig.audioLog.empty());
  EXPECT_EQ(rig.window.Playing(), 0);

  // Windows file names ignore case: a file saved as ".MP3" plays.
  const std::string upper = file.substr(0, file.size() - 4) + ".Mp3";
  view.existing.insert(upper);
  Pick(upper);
  EXPECT_EQ(rig.window.Playing(), 1);
  EXPECT_EQ(control.PlayedPath(), upper);
  EXPECT_EQ(view.texts[IDC_TEXT_RATE], "0 Kbps") << "the scan cannot open it here";
}

TEST_F(Playback, AFileThatWillNotPlayBringsTheLiveSoundBack) {
  graph.renderResult = false;
  Pick(file);
  EXPECT_EQ(rig.audioLog, (Log{"stop", "graph create", "graph render " + file, "graph release", "run", "volume 50"}));
  graph.createResult = false;
  rig.audioLog.clear();
  Pick(file);
  EXPECT_EQ(rig.audioLog, (Log{"stop", "graph create", "run", "volume 50"}));
  EXPECT_EQ(rig.window.Playing(), 0);
  EXPECT_TRUE(view.hidden.count(IDC_POSITION));
  EXPECT_FALSE(rig.timers.IsActive(kTimerPlayback));
  EXPECT_EQ(view.playCell, 1);
  EXPECT_TRUE(view.texts[IDC_TEXT_RATE].empty());
}

TEST_F(Playback, LongFilesShareTheSliderAndSeekingPausesUntilRelease) {
  graph.duration = 10 * 3600;
  Pick(file);
  EXPECT_EQ(view.sliderMax, 32767);
  EXPECT_FLOAT_EQ(control.SliderScale(), 36000.0f / 32767.0f);
  graph.position = 18000;
  rig.Run(1000);
  EXPECT_EQ(view.slider, 16383);
  graph.position = 36000;
  rig.Run(1000);
  EXPECT_EQ(view.slider, 32767);

  rig.audioLog.clear();
  view.slider = 100;
  control.OnPositionScroll(5);  // dragging the thumb
  EXPECT_EQ(rig.audioLog, (Log{"graph pause", "graph seek 109"}));
  EXPECT_EQ(view.texts[IDC_TEXT_TIME], "00:01:49 / 10:00:00");
  control.OnPositionScroll(kScrollEndTrack);
  EXPECT_EQ(rig.audioLog.back(), "graph run");

  // Released while muted, the file stays silent.
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audioLog.back(), "graph stop");
  rig.audioLog.clear();
  control.OnPositionScroll(6);
  control.OnPositionScroll(kScrollEndTrack);
  EXPECT_EQ(rig.audioLog, (Log{"graph pause", "graph seek 109"}));
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audioLog.back(), "graph run");
}

TEST_F(Playback, StartingMutedLoadsTheFileSilently) {
  rig.Command(IDC_MUTE);
  rig.audioLog.clear();
  Pick(file);
  EXPECT_EQ(rig.audioLog, (Log{"stop", "graph create", "graph render " + file, "graph attach", "stop", "volume 0",
                               "graph stop", "graph volume -1500"}));
  EXPECT_EQ(rig.window.Playing(), 1);
  rig.Command(IDC_MUTE);
  EXPECT_EQ(rig.audioLog.back(), "graph run");
}

TEST_F(Playback, ThePlayButtonAndTheEndOfTheFileBothReturnToTheRadio) {
  Pick(file);
  rig.audioLog.clear();
  const size_t sleeps = rig.clock.Sleeps().size();
  rig.Command(IDC_PLAYBACK);
  EXPECT_EQ(rig.audioLog, (Log{"graph detach", "graph release", "run", "volume 50"}));
  EXPECT_EQ(rig.clock.Sleeps().size(), sleeps + 1);
  EXPECT_EQ(rig.clock.Sleeps().back(), 10u);
  EXPECT_EQ(rig.window.Playing(), 0);
  EXPECT_EQ(view.hidden, (std::set<int>{IDC_POSITION}));
  EXPECT_EQ(view.playCell, 1);
  EXPECT_TRUE(view.texts[IDC_TEXT_TIME].empty() && view.texts[IDC_TEXT_RATE].empty() && view.texts[IDC_TEXT_FILE].empty());
  EXPECT_FALSE(rig.timers.IsActive(kTimerPlayback));
  EXPECT_TRUE(control.PlayedPath().empty());

  // The graph's events: anything but completion is only taken; completion ends the file.
  Pick(file);
  rig.audioLog.clear();
  graph.events = {3, 13};
  control.OnGraphEvent();
  control.OnGraphEvent();
  control.OnGraphEvent();  // none waiting
  EXPECT_TRUE(rig.audioLog.empty());
  EXPECT_EQ(rig.window.Playing(), 1);
  graph.events = {kGraphComplete};
  control.OnGraphEvent();
  EXPECT_EQ(rig.audioLog, (Log{"graph stop", "run", "volume 50", "graph release"}));
  EXPECT_EQ(rig.window.Playing(), 0);
  EXPECT_EQ(view.hidden, (std::set<int>{IDC_POSITION}));
  EXPECT_EQ(view.playCell, 1);
  EXPECT_TRUE(view.texts[IDC_TEXT_FILE].empty());
  // A late event after the end finds no graph and changes nothing.
  graph.events = {kGraphComplete};
  control.OnGraphEvent();
  EXPECT_EQ(rig.audioLog.size(), 4u);
}

TEST_F(Playback, WithoutAReceiverTheFilePlaysAndNothingLiveIsTouched) {
  rig.window.Close();
  ASSERT_FALSE(rig.device.IsOpen());
  rig.audioLog.clear();
  Pick(file);
  EXPECT_EQ(rig.window.Playing(), 1);
  rig.Command(IDC_PLAYBACK);
  EXPECT_EQ(rig.audioLog, (Log{"graph create", "graph render " + file, "graph attach", "graph run", "graph volume -1500",
                               "graph detach", "graph release"}));
}

}  // namespace
