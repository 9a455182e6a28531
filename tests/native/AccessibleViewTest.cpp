// What a screen reader is told of the main window: the readout's value and the station as
// announced, preset button names from the stored presets, and the elements' states.
#include <gtest/gtest.h>

#include "app/AccessibleView.h"
#include "resources/resource.h"

namespace {

accessible::Facts Tuned() {
  accessible::Facts f;
  f.shown.deviceOpen = true;
  f.shown.band = 1;
  f.shown.frequency = 8750;
  f.shown.preset = 1;
  f.presetName = "Channel01";
  f.shown.stereo = 1;
  f.shown.signal = 4;
  f.volume = 50;
  return f;
}

TEST(AccessibleView, TheReadoutSaysWhatIsOnAndAnnouncesOnlyWhatChanges) {
  accessible::Facts f = Tuned();
  EXPECT_EQ(accessible::ReadoutValue(f), "FM 87.50 MHz, preset 1, Channel01, stereo, signal 4 of 5");
  f.shown.band = 0;
  f.shown.frequency = 999;
  f.shown.preset = 0;
  f.shown.stereo = 0;
  f.muted = true;
  EXPECT_EQ(accessible::ReadoutValue(f), "AM 999 kHz, mono, signal 4 of 5, muted");

  f = Tuned();
  f.shown.recording = true;
  f.recordSeconds = 187;
  f.recordKbps = 128;
  f.recordFile = "C:\\RadioREC\\FM8750_20261207_120000.mp3";
  EXPECT_EQ(accessible::ReadoutValue(f),
            "FM 87.50 MHz, preset 1, Channel01, stereo, signal 4 of 5, recording 00:03:07, 128 kbit/s, "
            "FM8750_20261207_120000.mp3");
  EXPECT_EQ(accessible::StationText(f), "FM 87.50 MHz, preset 1, Channel01, stereo");  // no signal, no times
  f.shown.deviceOpen = false;
  EXPECT_EQ(accessible::StationText(f), "no receiver");
  f.shown.deviceOpen = true;

  f.shown.playing = true;
  f.playFile = "C:\\RadioREC\\News\\FM8750_20261207_070000.mp3";
  f.playPosition = "00:01:02 / 00:30:00";
  EXPECT_EQ(accessible::ReadoutValue(f), "playing FM8750_20261207_070000.mp3, 00:01:02 of 00:30:00");
  EXPECT_EQ(accessible::Describe(IDC_POSITION, f, true).value, "00:01:02 of 00:30:00");
  f.shown.deviceOpen = false;
  f.shown.playing = false;
  f.shown.recording = false;
  EXPECT_EQ(accessible::ReadoutValue(f), "no receiver");
}

TEST(AccessibleView, ButtonsAreNamedForWhatTheyDoWithTheirStateAndKey) {
  accessible::Facts f = Tuned();
  f.presetNames[0] = " Channel01 ";
  f.presetFrequencies[0] = "8750";
  f.presetFrequencies[1] = "";
  f.presetNames[2] = "Jポップ";  // names are the code page's text, passed on whole
  f.presetFrequencies[2] = "junk";
  EXPECT_EQ(accessible::ButtonName(IDC_PRESET1, f), "Preset 1, Channel01, 87.50 MHz");
  EXPECT_EQ(accessible::ButtonName(IDC_PRESET1 + 1, f), "Preset 2, empty");
  EXPECT_EQ(accessible::ButtonName(IDC_PRESET1 + 2, f), "Preset 3, Jポップ, empty");
  f.shown.band = 0;
  f.presetFrequencies[0] = "1134";
  EXPECT_EQ(accessible::ButtonName(IDC_PRESET1, f), "Preset 1, Channel01, 1134 kHz");
  EXPECT_EQ(accessible::Shortcut(IDC_PRESET12), "F12");

  const accessible::Element stereo = accessible::Describe(IDC_STEREO, f, false);
  EXPECT_TRUE(stereo.pressed);
  EXPECT_TRUE(stereo.unavailable);
  EXPECT_FALSE(accessible::Describe(IDC_MUTE, f, true).pressed);
  const accessible::Element volume = accessible::Describe(IDC_VOLUME, f, true);
  EXPECT_EQ(volume.role, accessible::Role::Slider);
  EXPECT_EQ(volume.value, "50 %");
  EXPECT_EQ(accessible::Describe(accessible::kReadoutId, f, false).role, accessible::Role::Text);
  EXPECT_FALSE(accessible::Describe(accessible::kReadoutId, f, false).unavailable);
}

}  // namespace
