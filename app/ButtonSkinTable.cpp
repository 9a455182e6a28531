#include "app/ButtonSkinTable.h"

#include <array>

namespace display {

namespace {
enum Group { kPresets, kPresetArrows, kAbout, kSettings, kBands, kSeek, kTune, kRecord, kPlay, kSave, kMute,
             kStereoMono, kCaption };

constexpr ButtonSkin Preset(int n) {
  return {1000 + n, 394, 19, kKeyBlue, 2 * (n - 1), 2 * (n - 1) + 1, 65 + 35 * (n - 1), 35, 19, 19, kPresets};
}

constexpr std::array<ButtonSkin, 31> kSkins{{
    Preset(1), Preset(2), Preset(3), Preset(4), Preset(5), Preset(6),
    Preset(7), Preset(8), Preset(9), Preset(10), Preset(11), Preset(12),
    {1000, 402, 42, kKeyGreen, 0, 1, 17, 32, 42, 27, kPresetArrows},
    {1013, 402, 42, kKeyGreen, 2, 3, 477, 32, 42, 27, kPresetArrows},
    {1137, 423, 48, kKeyBlue, 0, 1, 5, 6, 48, 20, kAbout},
    {1014, 397, 96, kKeyGreen, 0, 1, 8, 157, 96, 43, kSettings},
    {1015, 397, 96, kKeyGreen, 2, 3, 412, 199, 96, 43, kSettings},
    {1016, 386, 71, kKeyBlue, 0, 1, 39, 199, 71, 42, kBands},
    {1017, 386, 71, kKeyBlue, 2, 3, 115, 199, 71, 42, kBands},
    {999, 386, 71, kKeyBlue, 4, 5, 0, 0, 71, 42, kBands, true},
    {1018, 405, 48, kKeyBlue, 0, 1, 263, 157, 48, 49, kSeek},
    {1021, 405, 48, kKeyBlue, 2, 3, 425, 157, 48, 49, kSeek},
    {1019, 404, 46, kKeyBlue, 0, 1, 316, 157, 46, 29, kTune, false, true},
    {1020, 404, 46, kKeyBlue, 2, 3, 371, 157, 46, 29, kTune, false, true},
    {1022, 395, 54, kKeyBlue, 2, 2, 196, 199, 54, 45, kRecord},
    {1023, 395, 54, kKeyBlue, 1, 1, 255, 199, 54, 45, kPlay},
    {1025, 407, 71, kKeyBlue, 0, 1, 321, 200, 71, 42, kSave},
    {1024, 393, 37, kKeyGreen, 1, 1, 94, 157, 37, 38, kMute},
    {1032, 392, 48, kKeyBlue, 1, 3, 475, 157, 48, 29, kStereoMono},
    {1028, 389, 26, kKeyBlue, 0, 1, 497, 8, 26, 16, kCaption},
    {1026, 389, 26, kKeyBlue, 2, 3, 467, 8, 24, 16, kCaption},
}};
}  // namespace

std::span<const ButtonSkin> ButtonSkins() { return kSkins; }

const ButtonSkin* FindButtonSkin(int id) {
  for (const ButtonSkin& s : kSkins)
    if (s.id == id) return &s;
  return nullptr;
}

CellPair StereoButtonCells(std::uint8_t stereo) { return stereo ? CellPair{1, 3} : CellPair{0, 2}; }
CellPair MuteButtonCells(bool muted) { return muted ? CellPair{0, 0} : CellPair{1, 1}; }
CellPair RecordButtonCells(std::uint8_t blink) { return (blink & 1) ? CellPair{3, 3} : CellPair{2, 2}; }

int AutoRepeatDelayMs(int keyboardDelay) { return (keyboardDelay + 1) * 250; }

int AutoRepeatIntervalMs(int keyboardSpeed) {
  const int divisor = 10 * keyboardSpeed + 25;
  return divisor > 0 ? 10000 / divisor : 250;
}

}  // namespace display
