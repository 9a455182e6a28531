#pragma once
// Everything the main window's look is made of, owned together: bitmap buttons and their image
// lists, tooltips, the two picture sliders, the readout canvas and the window colours. CMainDlg
// holds one and forwards to it; nothing here touches the radio state except through arguments.

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "app/ButtonSkinTable.h"
#include "app/DisplayLayout.h"
#include "app/win32/BitmapButton.h"
#include "app/win32/SkinPainter.h"
#include "base/win32/GdiHandles.h"
#include "controls/win32/MySlider.h"

class MainSkin {
 public:
  MainSkin();

  // The skin objects take over their controls of `dialog` (buttons and sliders).
  void Bind(HWND dialog);
  // Loading the skin of `dialog`: picture strips, cells, rectangles, auto-repeat, sliders, the
  // place of the preset name. Binds first when Bind has not run.
  void Load(HWND dialog, std::uint8_t stereo);
  // The buttons' tips, which nobody sees before the mouse rests on the window: made once the
  // window is up, then set to the fixed texts.
  void LoadTips(std::uint8_t stereo);

  CBitmapButton* Button(int id);
  void SetButtonCells(int id, display::CellPair cells, bool redrawNow);
  // The Stereo/Mono button reloads its strip on every toggle.
  void ReloadStereoList();

  void ApplyButtonTips(std::uint8_t stereo);
  // `read(n)` gives the stored (name, frequency) texts of preset n of the current band.
  void RefreshPresetTips(std::uint8_t band, const std::function<std::pair<std::string, std::string>(int)>& read);
  void SetTip(int id, const std::string& text);
  std::string Tip(int id) const;
  // The tips learn of the mouse from here (the main loop hands over every mouse message meant for
  // the window or its controls) rather than from a subclass on each button.
  void RelayToTips(const MSG& msg) const;

  BOOL PaintSkin(HWND window, HDC dc, const display::IndicatorState& state, const std::string& presetName) {
    return canvas_.PaintSkin(window, dc, state, presetName);
  }
  // WM_CTLCOLORDLG / WM_CTLCOLORSTATIC of the main window; false for other messages.
  bool HandleCtlColor(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

  CMySlider& VolumeSlider() { return volume_; }
  CMySliderA& PositionSlider() { return position_; }

 private:
  void PlaceSlider(const display::SliderPlacement& placement);

  HWND dialog_ = nullptr;
  std::map<int, std::unique_ptr<CellStrip>> lists_;  // by list group
  std::map<int, CBitmapButton> buttons_;  // by control id
  HWND tooltip_ = nullptr;                // a child-owned window, destroyed with the dialog
  CMySlider volume_;
  CMySliderA position_;
  skin::SkinCanvas canvas_;
  UniqueBrush background_;
  // The face as a brush, for the volume slider: the trackbar fills its background with the
  // brush it is given, off screen, so a null brush would leave a black box instead of the face.
  UniqueBitmap faceForBrush_;
  UniqueBrush faceBrush_;
  UniqueFont nameFont_;  // outlives the static that uses it: the dialog is destroyed first
};
