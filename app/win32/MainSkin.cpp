#include "app/win32/MainSkin.h"

#include <algorithm>

#include "app/DisplayTexts.h"
#include "resources/skin_ids.h"

namespace {
constexpr COLORREF kDialogBackground = 0x663300;
constexpr int kStereoButton = 1032;
constexpr int kPresetNameText = 1120;

int SystemInt(UINT action, int fallback) {
  UINT value = 0;
  return SystemParametersInfoA(action, 0, &value, 0) ? static_cast<int>(value) : fallback;
}

int ChannelWidth(HWND slider) {
  RECT channel{};
  SendMessageA(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  return channel.right - channel.left;
}

COLORREF StaticTextColour(int id) {
  switch (id) {
    case 1120: return 0xFFFFFF;
    case 1128:
    case 1129:
    case 1131: return 0x0000FF;
    case 1130: return 0xF5BCC4;
    default: return 0xFFFFFF;
  }
}
}  // namespace

MainSkin::MainSkin() : background_(CreateSolidBrush(kDialogBackground)) {}

void MainSkin::Bind(HWND dialog) {
  dialog_ = dialog;
  for (const display::ButtonSkin& s : display::ButtonSkins())
    if (HWND control = GetDlgItem(dialog, s.id)) buttons_[s.id].Attach(control);
  if (HWND v = GetDlgItem(dialog, display::kVolumeSlider.id)) volume_.Attach(v);
  if (HWND p = GetDlgItem(dialog, display::kPositionSlider.id)) position_.Attach(p);
}

void MainSkin::Load(HWND dialog, std::uint8_t stereo) {
  if (dialog_ != dialog) Bind(dialog);
  HINSTANCE instance = SkinInstance();
  // Keyboard repeat settings; 250 ms for either when the system does not tell (delay 0, speed 39).
  const int delayMs = display::AutoRepeatDelayMs(SystemInt(SPI_GETKEYBOARDDELAY, 0));
  const int intervalMs = [] {
    UINT speed = 0;
    return SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0) ? display::AutoRepeatIntervalMs(static_cast<int>(speed))
                                                                       : 250;
  }();
  for (const display::ButtonSkin& s : display::ButtonSkins()) {
    HWND control = GetDlgItem(dialog, s.id);
    if (control == nullptr) continue;
    auto& list = lists_[s.listGroup];
    if (!list) list = CellStrip::Load(instance, s.bitmapId, s.cellWidth, s.transparent);
    CBitmapButton& button = buttons_[s.id];
    button.SetStrip(list.get());
    button.SetImages(s.normal, s.pushed);
    if (s.autoRepeat) button.SetAutoRepeat(delayMs, intervalMs);
    if (s.hidden) {
      ShowWindow(control, SW_HIDE);
    } else {
      MoveWindow(control, s.x, s.y, s.width, s.height, FALSE);
    }
  }
  const display::CellPair stereoCells = display::StereoButtonCells(stereo);
  SetButtonCells(kStereoButton, stereoCells, false);
  PlaceSlider(display::kVolumeSlider);
  PlaceSlider(display::kPositionSlider);
  if (HWND v = GetDlgItem(dialog, display::kVolumeSlider.id)) SendMessageA(v, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  faceForBrush_.Reset(static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_FACE), IMAGE_BITMAP, 0, 0, 0)));
  if (faceForBrush_) faceBrush_.Reset(CreatePatternBrush(faceForBrush_.Get()));
  for (const display::TextPlacement& t : display::kTextPlaces)
    if (HWND text = GetDlgItem(dialog, t.id)) MoveWindow(text, t.x, t.y, t.width, t.height, FALSE);
  if (HWND name = GetDlgItem(dialog, kPresetNameText)) {
    // The station name stands beside 30-pixel digits: the dialog's 8-point font is too slight.
    if (!nameFont_)
      nameFont_.Reset(CreateFontA(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
    if (nameFont_) SendMessageA(name, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.Get()), FALSE);
  }
}

void MainSkin::LoadTips(std::uint8_t stereo) {
  if (tooltip_ == nullptr && dialog_ != nullptr) {
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, dialog_, nullptr, SkinInstance(), nullptr);
    for (const display::ButtonSkin& s : display::ButtonSkins()) {
      HWND control = GetDlgItem(dialog_, s.id);
      if (control == nullptr || tooltip_ == nullptr) continue;
      TOOLINFOA info{};
      info.cbSize = sizeof info;
      info.uFlags = TTF_IDISHWND;
      info.hwnd = dialog_;
      info.uId = reinterpret_cast<UINT_PTR>(control);
      info.lpszText = const_cast<char*>("");
      SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
  }
  ApplyButtonTips(stereo);
}

void MainSkin::PlaceSlider(const display::SliderPlacement& p) {
  HWND slider = GetDlgItem(dialog_, p.id);
  if (slider == nullptr) return;
  if (p.hidden) ShowWindow(slider, SW_HIDE);
  SetWindowLongPtrA(slider, GWL_STYLE, GetWindowLongPtrA(slider, GWL_STYLE) | TBS_FIXEDLENGTH);
  SendMessageA(slider, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(p.thumbLength), 0);
  RECT rc;
  GetWindowRect(slider, &rc);
  const int start = rc.right - rc.left;
  int width = start;
  MoveWindow(slider, p.x, p.y, width, p.height, FALSE);
  // The smallest width whose channel holds the channel picture. The channel grows pixel for pixel
  // with the window, so one step normally gets there (each move costs a round of messages);
  // bounded so a strange trackbar cannot hang us.
  constexpr int kMostWidening = 600;
  int channel = ChannelWidth(slider);
  while (channel < p.minChannelWidth && width < start + kMostWidening) {
    width = std::min(width + (p.minChannelWidth - channel), start + kMostWidening);
    MoveWindow(slider, p.x, p.y, width, p.height, FALSE);
    channel = ChannelWidth(slider);
  }
  // A trackbar whose channel grew faster than its window went past the smallest width: back off.
  while (channel > p.minChannelWidth && width > start) {
    MoveWindow(slider, p.x, p.y, width - 1, p.height, FALSE);
    const int narrower = ChannelWidth(slider);
    if (narrower < p.minChannelWidth) {
      MoveWindow(slider, p.x, p.y, width, p.height, FALSE);
      break;
    }
    --width;
    channel = narrower;
  }
}

CBitmapButton* MainSkin::Button(int id) {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : &it->second;
}

void MainSkin::SetButtonCells(int id, display::CellPair cells, bool redrawNow) {
  CBitmapButton* button = Button(id);
  if (button == nullptr) return;
  button->SetImages(cells.normal, cells.pushed);
  if (redrawNow && button->Hwnd()) {
    InvalidateRect(button->Hwnd(), nullptr, TRUE);
    UpdateWindow(button->Hwnd());
  }
}

void MainSkin::ReloadStereoList() {
  const display::ButtonSkin* s = display::FindButtonSkin(kStereoButton);
  CBitmapButton* button = Button(kStereoButton);
  if (s == nullptr || button == nullptr) return;
  auto& list = lists_[s->listGroup];
  list = CellStrip::Load(SkinInstance(), s->bitmapId, s->cellWidth, s->transparent);
  button->SetStrip(list.get());
}

void MainSkin::SetTip(int id, const std::string& text) {
  HWND control = GetDlgItem(dialog_, id);
  if (tooltip_ == nullptr || control == nullptr) return;
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = dialog_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void MainSkin::RelayToTips(const MSG& msg) const {
  if (tooltip_ == nullptr || msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) return;
  if (msg.hwnd != dialog_ && GetParent(msg.hwnd) != dialog_) return;
  MSG copy = msg;
  SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&copy));
}

std::string MainSkin::Tip(int id) const {
  HWND control = GetDlgItem(dialog_, id);
  if (tooltip_ == nullptr || control == nullptr) return {};
  char buffer[256] = {};
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = dialog_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = buffer;
  SendMessageA(tooltip_, TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
  return buffer;
}

void MainSkin::ApplyButtonTips(std::uint8_t stereo) {
  for (int id : display::kTipIds) SetTip(id, display::ButtonTip(id, stereo));
}

void MainSkin::RefreshPresetTips(std::uint8_t band, const std::function<std::pair<std::string, std::string>(int)>& read) {
  for (int n = 1; n <= 12; ++n) {
    const auto [name, frequency] = read(n);
    SetTip(1000 + n, display::PresetTip(n, band, name, frequency));
  }
}

bool MainSkin::HandleCtlColor(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
  if (msg == WM_CTLCOLORDLG) {
    result = reinterpret_cast<LRESULT>(background_.Get());
    return true;
  }
  if (msg != WM_CTLCOLORSTATIC) return false;
  HDC dc = reinterpret_cast<HDC>(wParam);
  HWND control = reinterpret_cast<HWND>(lParam);
  const int id = GetDlgCtrlID(control);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, StaticTextColour(id));
  if (id == display::kPositionSlider.id) {
    result = reinterpret_cast<LRESULT>(background_.Get());
  } else if (id == display::kVolumeSlider.id && faceBrush_) {
    // The face lined up with the slider's place on it, so the slider's background is the skin.
    POINT origin{0, 0};
    MapWindowPoints(control, dialog_, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    result = reinterpret_cast<LRESULT>(faceBrush_.Get());
  } else {
    result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return true;
}
