#pragma once
// The main window's bitmap buttons: which strip, which cells, where, and how they behave. Data
// only; app/win32/ButtonSkins loads the strips and applies it in this order.

#include <cstdint>
#include <span>
#include <string>

namespace display {

constexpr std::uint32_t kKeyBlue = 0xFF0000;   // COLORREF
constexpr std::uint32_t kKeyGreen = 0x00FF00;

struct ButtonSkin {
  int id;
  int bitmapId;
  int cellWidth;
  std::uint32_t transparent;  // COLORREF of the strip's see-through colour
  int normal, pushed;
  int x, y, width, height;
  int listGroup;     // buttons with the same group share one image list
  bool hidden = false;
  bool autoRepeat = false;
};

std::span<const ButtonSkin> ButtonSkins();
const ButtonSkin* FindButtonSkin(int id);

// Cells that follow the radio state.
struct CellPair {
  int normal, pushed;
  bool operator==(const CellPair&) const = default;
};
CellPair StereoButtonCells(std::uint8_t stereo);
CellPair MuteButtonCells(bool muted);
CellPair RecordButtonCells(std::uint8_t blink);  // odd counts light the REC mark

// Held-button repeat of the Tune buttons, from the system keyboard delay (0..3) and speed
// (0..31) settings.
int AutoRepeatDelayMs(int keyboardDelay);
int AutoRepeatIntervalMs(int keyboardSpeed);

// Slider placement: start rectangle and the channel width it must reach by widening.
struct SliderPlacement {
  int id;
  int x, y, height;
  int thumbLength;
  int minChannelWidth;
  bool hidden;
};
// The display's texts, placed in client pixels like everything else on the skin (dialog units
// scale with the system font and would drift off the picture): the preset name beside the
// preset number, the file text where the banner stands, clock and rate in the free corner.
struct TextPlacement {
  int id;
  int x, y, width, height;
};
constexpr TextPlacement kTextPlaces[] = {
    {1120, 375, 85, 122, 24}, {1130, 41, 122, 240, 16}, {1128, 292, 124, 120, 15},
    {1129, 415, 124, 80, 15}, {1131, 375, 110, 122, 13},
};

constexpr SliderPlacement kVolumeSlider{1033, 135, 157, 28, 30, 110, false};
constexpr SliderPlacement kPositionSlider{1148, 290, 157, 28, 24, 150, true};

}  // namespace display
