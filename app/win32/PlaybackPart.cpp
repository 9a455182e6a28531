#include "app/win32/PlaybackPart.h"

#include <commctrl.h>
#include <commdlg.h>

#include "app/win32/WindowMessages.h"
#include "resources/resource.h"

namespace {

// The display glass with the texts on it.
constexpr RECT kDisplayRect{30, 69, 503, 147};

}  // namespace

PlaybackPart::PlaybackPart(CMainDlg& dialog, IPlaybackHost& host, LiveSound& sound, const Radio& radio,
                           RecordingController& recording, IClock& clock)
    : dialog_(dialog),
      graph_([&dialog] { return dialog.Hwnd(); }, kGraphEventMessage),
      control_(host, sound, radio, recording, dialog, graph_, *this, *this, clock) {}

bool PlaybackPart::PickFile(const std::string& folder, std::string& path) {
  char file[MAX_PATH * 2] = {};
  lstrcpynA(file, (folder + "\\*.mp3").c_str(), sizeof file);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = "mp3 Files (*.mp3)\0*.mp3\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrDefExt = "mp3";
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetOpenFileNameA(&ofn)) return false;
  path = file;
  return true;
}

bool PlaybackPart::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void PlaybackPart::SetText(int id, const std::string& text) { dialog_.SetStaticText(id, text); }

void PlaybackPart::ShowControl(int id, bool show) { dialog_.ShowControl(id, show); }

void PlaybackPart::ResetPositionSlider(int max) {
  HWND slider = GetDlgItem(dialog_.Hwnd(), IDC_POSITION);
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, max));
  SendMessageA(slider, TBM_SETPAGESIZE, 0, 1);
  SendMessageA(slider, TBM_SETPOS, TRUE, 0);
}

void PlaybackPart::SetSliderPosition(int position) {
  SendDlgItemMessageA(dialog_.Hwnd(), IDC_POSITION, TBM_SETPOS, TRUE, position);
}

int PlaybackPart::SliderPosition() {
  return static_cast<int>(SendDlgItemMessageA(dialog_.Hwnd(), IDC_POSITION, TBM_GETPOS, 0, 0));
}

int PlaybackPart::SliderMax() {
  return static_cast<int>(SendDlgItemMessageA(dialog_.Hwnd(), IDC_POSITION, TBM_GETRANGEMAX, 0, 0));
}

void PlaybackPart::SetPlayButtonCell(int cell) { dialog_.Skin().SetButtonCells(IDC_PLAYBACK, {cell, cell}, true); }

void PlaybackPart::RepaintDisplay() {
  RedrawWindow(dialog_.Hwnd(), &kDisplayRect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void PlaybackPart::SetTimer(unsigned id, unsigned periodMs) { ::SetTimer(dialog_.Hwnd(), id, periodMs, nullptr); }
void PlaybackPart::KillTimer(unsigned id) { ::KillTimer(dialog_.Hwnd(), id); }
