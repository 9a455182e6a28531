#pragma once
// Recorded-file playback on the real main window: the DirectShow graph posting its events to the
// window (message 1035), and the window's controls as playback's view and timers.

#include <windows.h>

#include "app/PlaybackControl.h"
#include "app/win32/MainDlg.h"
#include "audio/win32/PlaybackGraphWin32.h"

class PlaybackPart final : private IPlaybackView, private ITimerHost {
 public:
  // The window is looked at only once it exists (a file picked, a timer set).
  PlaybackPart(CMainDlg& dialog, IPlaybackHost& host, LiveSound& sound, const Radio& radio,
               RecordingController& recording, IClock& clock);
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
