// The keyboard focus is never left on a control the window disables: each command that disables
// the focused control moves the focus on first and brings it back once the control is usable.
#include <gtest/gtest.h>

#include <memory>

#include "app/FocusKeeper.h"
#include "resources/resource.h"
#include "tests/native/MainWindowRig.h"

namespace {

struct FocusCase {
  const char* what;
  int command;
  int focusedBefore;
  int focusedAfterCommand;
  int userMovesTo;  // the user's own Tab meanwhile, 0 for none
  uint64_t runMs;   // until the window has made the control usable again
  int focusedAtEnd;
};

const FocusCase kCases[] = {
    {"AM", IDC_AM, IDC_AM, IDC_RECORD, 0, 1500, IDC_AM},
    {"FM on FM", IDC_FM, IDC_FM, IDC_RECORD, 0, 1500, IDC_FM},
    {"FM, then the user tabs on", IDC_FM, IDC_FM, IDC_RECORD, IDC_PLAYBACK, 1500, IDC_PLAYBACK},
    {"Seek up, to its end", IDC_SEEK_UP, IDC_SEEK_UP, IDC_ABOUT, 0, 5000, IDC_SEEK_UP},
    {"Seek down, to its end", IDC_SEEK_DOWN, IDC_SEEK_DOWN, IDC_ABOUT, 0, 5000, IDC_SEEK_DOWN},
    {"F1 with Mute focused", IDC_PRESET1, IDC_MUTE, IDC_VOLUME, 0, 800, IDC_MUTE},
    {"Next preset with Mute focused", IDC_PRESET_UP, IDC_MUTE, IDC_VOLUME, 0, 800, IDC_MUTE},
    {"Tune up keeps its own focus", IDC_TUNE_UP, IDC_TUNE_UP, IDC_TUNE_UP, 0, 1500, IDC_TUNE_UP},
    {"Stereo keeps its own focus", IDC_STEREO, IDC_STEREO, IDC_STEREO, 0, 0, IDC_STEREO},
};

TEST(FocusKeeper, NoCommandLeavesTheFocusOnADisabledControl) {
  for (const FocusCase& c : kCases) {
    SCOPED_TRACE(c.what);
    auto rig = std::make_unique<MainWindowRig>();
    rig->Set("COUNTRY", "2");
    rig->Set("FM", "1");
    rig->Set("FREQ", "7810");
    rig->SetPreset("CH_SET_FM_JAP", 1, "One", "7620");
    rig->receiver.SetStations({{BandFM, 8000, 45}});
    rig->receiver.readLatencyMs = 0;
    rig->Start();
    rig->view.focused = c.focusedBefore;

    rig->Command(c.command);
    EXPECT_EQ(rig->view.focused, c.focusedAfterCommand);
    EXPECT_TRUE(rig->view.ControlUsable(rig->view.focused));
    if (c.userMovesTo) rig->view.focused = c.userMovesTo;
    rig->Run(c.runMs);
    EXPECT_EQ(rig->view.focused, c.focusedAtEnd);
    EXPECT_TRUE(rig->view.ControlUsable(rig->view.focused));
  }
}

TEST(FocusKeeper, NextFocusSkipsWhatLeavesAndWhatCannotTakeIt) {
  auto none = [](int) { return false; };
  auto all = [](int) { return true; };
  const int seekLock[] = {IDC_SEEK_UP, IDC_STEREO, IDC_AM};
  EXPECT_EQ(focus::NextFocus(IDC_SEEK_UP, seekLock, all), IDC_FM);
  EXPECT_EQ(focus::NextFocus(IDC_SEEK_UP, seekLock, none), 0);
  EXPECT_EQ(focus::NextFocus(IDC_MUTE, seekLock, all), 0);  // not leaving: stays
  EXPECT_EQ(focus::NextFocus(0, seekLock, all), 0);
  const int last[] = {IDC_TIMER_SETTINGS};
  EXPECT_EQ(focus::NextFocus(IDC_TIMER_SETTINGS, last, all), IDC_ABOUT);  // wraps
}

}  // namespace
