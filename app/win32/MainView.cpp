#include "app/win32/MainView.h"

#include <algorithm>

#include <commctrl.h>

#include "app/FocusKeeper.h"
#include "app/win32/MainAccessible.h"
#include "app/win32/MainDlg.h"
#include "app/win32/PopupMenu.h"
#include "resources/resource.h"
#include "settings/RadioState.h"
#include "settings/win32/AboutDialog.h"

namespace {

constexpr RECT kReadoutRect{display::kReadoutRect.left, display::kReadoutRect.top, display::kReadoutRect.right,
                             display::kReadoutRect.bottom};

}  // namespace

MainView::MainView(const DialogWindow& dialog, HINSTANCE instance, const CMyKestrune& device, const Radio& radio,
                   const RecordingController& recording, IPlaybackControl* playback, SettingsStore& settings,
                   IClock& clock, HidArrivals& arrivals, ITrayIcon* tray)
    : dialog_(dialog),
      instance_(instance),
      device_(device),
      radio_(radio),
      recording_(recording),
      playback_(playback),
      settings_(settings),
      arrivals_(arrivals),
      tray_(tray),
      announcer_(dialog, clock, skin_) {}

// ---- IMainView ----

void MainView::EnableControl(int id, bool enable) {
  if (HWND control = GetDlgItem(Hwnd(), id)) EnableWindow(control, enable);
}

int MainView::FocusedControl() {
  HWND focus = GetFocus();
  // A window inside a control counts as that control.
  while (focus && GetParent(focus) != Hwnd()) focus = GetParent(focus);
  return focus ? GetDlgCtrlID(focus) : 0;
}

bool MainView::ControlUsable(int id) {
  HWND control = GetDlgItem(Hwnd(), id);
  return control && IsWindowEnabled(control) && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MainView::FocusControl(int id) {
  // The dialog's own way of moving the focus, so that its default button follows as for Tab.
  if (HWND control = GetDlgItem(Hwnd(), id)) SendMessageA(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void MainView::SetVolumeSlider(int position) {
  SendDlgItemMessageA(Hwnd(), IDC_VOLUME, TBM_SETPOS, TRUE, position);
  announcer_.NoteChange();
}

int MainView::VolumeSliderPosition() {
  return static_cast<int>(SendDlgItemMessageA(Hwnd(), IDC_VOLUME, TBM_GETPOS, 0, 0));
}

void MainView::SetButtonCells(int id, int normalCell, int pushedCell) {
  skin_.SetButtonCells(id, {normalCell, pushedCell}, false);
  announcer_.NoteChange();
}

void MainView::RedrawButton(int id) {
  if (HWND control = GetDlgItem(Hwnd(), id)) {
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
  }
}

void MainView::SetTooltip(int id, const std::string& text) { skin_.SetTip(id, text); }

void MainView::ShowMainWindow(ShowCommand command) {
  ShowWindow(Hwnd(), command == ShowCommand::Hide ? SW_HIDE : command == ShowCommand::Show ? SW_SHOW : SW_SHOWNORMAL);
}

void MainView::DestroyMainWindow() { DestroyWindow(Hwnd()); }

void MainView::ShowAboutBox() {
  CAbout about;
  about.DoModal(GetActiveWindow());
}

void MainView::SetTimer(unsigned id, unsigned periodMs) { ::SetTimer(Hwnd(), id, periodMs, nullptr); }
void MainView::KillTimer(unsigned id) { ::KillTimer(Hwnd(), id); }

// ---- Display ----

void MainView::InvalidateReadout() {
  InvalidateRect(Hwnd(), &kReadoutRect, TRUE);
  announcer_.NoteChange();
}

void MainView::ApplyButtonTips() { skin_.ApplyButtonTips(radio_.Stereo()); }

void MainView::RefreshPresetTips() {
  // The presets read once serve the tips and the buttons' names.
  const accessible::Facts facts = AccessibleFacts(true);
  skin_.RefreshPresetTips(radio_.Band(), [&](int n) {
    const auto at = static_cast<size_t>(n - 1);
    return std::pair{facts.presetNames[at], facts.presetFrequencies[at]};
  });
  announcer_.NameButtons(facts);
}

void MainView::BuildWindowRegion() { skin::BuildWindowRegion(Hwnd()); }

void MainView::ReloadStereoImages() { skin_.ReloadStereoList(); }

display::IndicatorState MainView::ReadoutState() const {
  display::IndicatorState state;
  const Radio& radio = radio_;
  state.playing = playback_ && playback_->IsPlaying();
  state.recording = recording_.IsRecording();
  state.deviceOpen = device_.IsOpen();
  state.band = radio.Band();
  state.frequency = radio.Frequency();
  state.preset = radio.Preset();
  state.stereo = radio.Stereo();
  state.signal = radio.Signal();
  return state;
}

void MainView::ShowDisplayText(int id) {
  if (HWND text = GetDlgItem(Hwnd(), id)) ShowWindow(text, SW_SHOW);
}

void MainView::RepaintDisplay() {
  InvalidateRect(Hwnd(), nullptr, TRUE);
  announcer_.NoteChange();
}

void MainView::ShowFailure(const std::string& text) {
  SetStaticText(IDC_TEXT_LABEL, text);
  RepaintDisplay();
}

void MainView::SetTrayPicture(int iconId) {
  if (tray_) tray_->SetTrayPicture(iconId);
}

void MainView::TrackRecordMenu(int menuId) {
  UniqueMenu menu(LoadMenuA(instance_, MAKEINTRESOURCEA(menuId)));
  TrackPopupAtCursor(menu.Get(), Hwnd(), 0);
}

void MainView::SetStaticText(int id, const std::string& text) {
  skin::SetStaticText(Hwnd(), id, text);
  announcer_.NoteChange();
}

// ---- Screen readers ----

accessible::Facts MainView::AccessibleFacts(bool presets) {
  accessible::Facts facts;
  facts.shown = ReadoutState();
  const Radio& radio = radio_;
  facts.presetName = radio.PresetName();
  facts.muted = radio.Muted();
  facts.volume = radio.Volume();
  const RecordingController& recording = recording_;
  if (facts.shown.recording) {
    facts.recordSeconds = static_cast<uint64_t>(recording.ElapsedSeconds());
    facts.recordKbps = recording.Kbps();
    facts.recordFile = recording.RecordingPath();
    // A reservation's recording shows its name on the glass.
    facts.scheduled = recording.RecordingReservation() >= 0;
    if (facts.scheduled) facts.reservationName = ControlText(Hwnd(), IDC_TEXT_LABEL);
  }
  if (facts.shown.playing) {
    facts.playFile = ControlText(Hwnd(), IDC_TEXT_FILE);
    facts.playPosition = ControlText(Hwnd(), IDC_TEXT_TIME);
  }
  if (!presets) return facts;
  const std::string key = radio.PresetKey();
  for (int n = 1; n <= 12; ++n) {
    facts.presetNames[n - 1] = settings_.ReadValue(key, PresetValueName(n, "ID"));
    facts.presetFrequencies[n - 1] = settings_.ReadValue(key, PresetValueName(n, "FRQ"));
  }
  return facts;
}

void MainView::ShowControl(int id, bool show) {
  HWND control = GetDlgItem(Hwnd(), id);
  if (!control || ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0) == show) return;
  // A hidden window's focus goes to nothing, as a disabled one's does.
  if (!show) {
    const int leaving[] = {id};
    if (const int next = focus::NextFocus(FocusedControl(), leaving, [this](int c) { return ControlUsable(c); }))
      FocusControl(next);
  }
  ShowWindow(control, show ? SW_SHOW : SW_HIDE);
  NotifyWinEvent(show ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, Hwnd(), OBJID_CLIENT, AccessibleChildId(Hwnd(), id));
}
