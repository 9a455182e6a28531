#pragma once
// Playing a recorded file in the main window, in place of the live sound: the Play button and
// its file choice, the start and the two ends of playback, the graph's completion event, the
// position clock (timer 80) and seeking with the position slider. It alone knows whether a file
// plays. Plain C++ over the window's operations, the playback graph and the few controls it
// shows; CMainDlg feeds it its messages.

#include <cstdint>
#include <string>

#include "app/LiveSound.h"
#include "app/MainWindowPorts.h"
#include "app/Radio.h"
#include "app/RecordingController.h"
#include "audio/PlaybackGraph.h"

// The controls of the main window that playback shows and reads.
class IPlaybackView {
 public:
  virtual ~IPlaybackView() = default;
  // The Open dialog over the active window, starting in `folder` with the name "*.mp3".
  // False when the user cancels; else the chosen path.
  virtual bool PickFile(const std::string& folder, std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Static texts 1128 (position / length), 1129 (bit rate), 1130 (file).
  virtual void SetText(int id, const std::string& text) = 0;
  virtual void ShowControl(int id, bool show) = 0;
  // The position slider 1148: range 0..max, page size 1, position 0.
  virtual void ResetPositionSlider(int max) = 0;
  virtual void SetSliderPosition(int position) = 0;
  virtual int SliderPosition() = 0;
  virtual int SliderMax() = 0;
  // Picture cell of the Play button, for its normal and pushed look.
  virtual void SetPlayButtonCell(int cell) = 0;
  // Repaints the display glass: the readout picture and its texts.
  virtual void RepaintDisplay() = 0;
};

// What playback asks of the window: the Play button is a command like any other, and ends a
// running seek and an armed Save to Preset.
class IPlaybackHost {
 public:
  virtual ~IPlaybackHost() = default;
  virtual void EndSeekAndSave() = 0;
};

// The slider counts seconds up to this length; a longer file shares it out.
constexpr uint32_t kSliderSteps = 32767;
// Trackbar scroll code that ends a drag (TB_ENDTRACK).
constexpr int kScrollEndTrack = 8;

// True for a path the file choice accepts by its name: ".mp3" at the end in any letter case.
bool HasMp3Extension(const std::string& path);
// A path trimmed of blanks at both ends.
std::string TrimSpaces(const std::string& path);

class PlaybackControl final : public IPlaybackControl {
 public:
  // The file takes the live sound's place (`sound`, at the radio's volume and mute); a file
  // started stops the recording, and the file choice starts in the recording's folder.
  PlaybackControl(IPlaybackHost& host, LiveSound& sound, const Radio& radio, RecordingController& recording,
                  IMainDisplay& display, IPlaybackGraph& graph, IPlaybackView& view, ITimerHost& timers,
                  IClock& clock);

  // IPlaybackControl
  bool IsPlaying() const override { return playing_; }
  void EndForClose() override;
  void StopPlayback() override;
  void RunGraph() override { graph_.Run(); }
  void StopGraph() override { graph_.Stop(); }
  void SetGraphVolume(long centibels) override { graph_.SetVolume(centibels); }
  void OnPlayButton() override;
  void OnPlaybackTimer() override;

  // A picked file; see the class comment for what stops and what runs.
  void StartPlayback(const std::string& path);
  // Message 1035.
  void OnGraphEvent() override;
  // WM_HSCROLL from the position slider, with its scroll code.
  void OnPositionScroll(int code) override;

  const std::string& PlayedPath() const { return playedPath_; }
  uint32_t Duration() const { return duration_; }
  float SliderScale() const { return scale_; }

 private:
  // The live sound again, as the receiver allows: run, and its volume (0 while muted).
  void ResumeLive();
  void StopLive();
  // Back to the radio view after either end of a file.
  void ShowRadioView();
  void ShowPosition(uint32_t seconds);

  IPlaybackHost& host_;
  LiveSound& sound_;
  const Radio& radio_;
  RecordingController& recording_;
  IMainDisplay& display_;
  IPlaybackGraph& graph_;
  IPlaybackView& view_;
  ITimerHost& timers_;
  IClock& clock_;
  bool playing_ = false;
  std::string playedPath_;
  uint32_t duration_ = 0;
  std::string durationText_;
  float scale_ = 0;
};
