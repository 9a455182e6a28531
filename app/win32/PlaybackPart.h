#pragma once
// Recorded-file playback joined to the real main window: the DirectShow graph posting to the
// window, the window's controls as playback's view, and the window's hooks for the graph event
// (message 1035) and the position slider. Made once the window exists; the dialog must not
// outlive it with playback attached (CMainDlg's owner resets the dialog first).

#include <windows.h>

#include "app/PlaybackControl.h"
#include "app/win32/MainDlg.h"
#include "audio/win32/PlaybackGraphWin32.h"

class PlaybackPart final : private IPlaybackView, private ITimerHost {
 public:
  explicit PlaybackPart(CMainDlg& dialog);
  PlaybackPart(const PlaybackPart&) = delete;
  PlaybackPart& operator=(const PlaybackPart&) = delete;

  PlaybackControl& Control() { return control_; }
  DirectShowPlaybackGraph& Graph() { return graph_; }

 private:
  // IPlaybackView
  bool PickFile(const std::string& folder, std::string& path) override;
  bool FileExists(const std::string& path) override;
  void SetText(int id, const std::string& text) override;
  void ShowControl(int id, bool show) override;
  void ResetPositionSlider(int max) override;
  void SetSliderPosition(int position) override;
  int SliderPosition() override;
  int SliderMax() override;
  void SetPlayButtonCell(int cell) override;
  void RepaintDisplay() override;
  // ITimerHost
  void SetTimer(unsigned id, unsigned periodMs) override;
  void KillTimer(unsigned id) override;

  CMainDlg& dialog_;
  DirectShowPlaybackGraph graph_;
  PlaybackControl control_;
};
