#include "app/PlaybackControl.h"

#include <cctype>

#include "audio/Mp3Info.h"
#include "audio/Volume.h"
#include "schedule/ScheduleTable.h"
#include "resources/resource.h"

namespace {

constexpr int kTuningButtons[] = {IDC_SEEK_DOWN, IDC_TUNE_DOWN, IDC_TUNE_UP, IDC_SEEK_UP};
constexpr int kPlayCellPlaying = 0;  // stop symbol
constexpr int kPlayCellIdle = 1;     // play symbol

uint32_t WholeSeconds(double seconds) {
  if (!(seconds > 0)) return 0;  // also NaN from a graph that cannot tell
  if (seconds >= 4294967295.0) return 4294967295u;
  return static_cast<uint32_t>(seconds);
}

}  // namespace

bool HasMp3Extension(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".mp3";
}

std::string TrimSpaces(const std::string& path) {
  const size_t first = path.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return path.substr(first, path.find_last_not_of(' ') - first + 1);
}

PlaybackControl::PlaybackControl(IPlaybackHost& host, LiveSound& sound, const Radio& radio,
                                 RecordingController& recording, IMainDisplay& display, IPlaybackGraph& graph,
                                 IPlaybackView& view, ITimerHost& timers, IClock& clock)
    : host_(host),
      sound_(sound),
      radio_(radio),
      recording_(recording),
      display_(display),
      graph_(graph),
      view_(view),
      timers_(timers),
      clock_(clock) {}

void PlaybackControl::StopLive() { sound_.Stop(); }

void PlaybackControl::ResumeLive() {
  sound_.Run();
  sound_.SetVolume(radio_.LiveVolume());
}

void PlaybackControl::OnPlayButton() {
  display_.ApplyButtonTips();
  host_.EndSeekAndSave();
  if (playing_) {
    StopPlayback();
    return;
  }
  std::string picked;
  if (!view_.PickFile(recording_.RecordFolder(), picked)) return;
  const std::string path = TrimSpaces(picked);
  // Windows names ignore letter case, so "X.MP3" is as much an MP3 file as "x.mp3".
  if (!HasMp3Extension(path) || !view_.FileExists(path)) return;
  StartPlayback(path);
}

void PlaybackControl::StartPlayback(const std::string& path) {
  recording_.StopRecording(RecordingEndReason::ByHand);
  StopLive();
  graph_.Release();
  timers_.KillTimer(kTimerPlayback);

  // A file that will not play must not leave the radio silent as well: the live sound, stopped
  // above, comes back.
  if (!graph_.Create()) {
    ResumeLive();
    return;
  }
  CMP3Info info;
  const uint32_t kbps = info.Read(path) ? info.m_averageBitrate : 0;
  if (!graph_.Render(path)) {
    graph_.Release();
    ResumeLive();
    return;
  }
  view_.SetText(IDC_TEXT_RATE, std::to_string(kbps) + " Kbps");
  graph_.AttachEvents();

  StopLive();
  sound_.SetVolume(radio_.LiveVolume());
  // Muted, the file stays loaded and silent until the sound is turned on again.
  if (radio_.Muted()) graph_.Stop();
  else graph_.Run();

  duration_ = WholeSeconds(graph_.Duration());
  durationText_ = ClockText(duration_);
  playedPath_ = path;
  view_.SetText(IDC_TEXT_FILE, playedPath_);
  view_.SetPlayButtonCell(kPlayCellPlaying);
  ShowPosition(0);
  graph_.SetVolume(SliderLevelToVolume(radio_.Volume()));

  playing_ = true;
  for (int id : kTuningButtons) view_.ShowControl(id, false);
  view_.ShowControl(IDC_POSITION, true);
  if (duration_ <= kSliderSteps) {
    scale_ = 0;
    view_.ResetPositionSlider(static_cast<int>(duration_));
  } else {
    scale_ = static_cast<float>(duration_) / static_cast<float>(kSliderSteps);
    view_.ResetPositionSlider(static_cast<int>(kSliderSteps));
  }
  timers_.SetTimer(kTimerPlayback, 1000);
  view_.RepaintDisplay();
}

void PlaybackControl::ShowRadioView() {
  playing_ = false;
  timers_.KillTimer(kTimerPlayback);
  for (int id : kTuningButtons) view_.ShowControl(id, true);
  view_.ShowControl(IDC_POSITION, false);
}

void PlaybackControl::StopPlayback() {
  if (!graph_.HasControl()) {
    if (playing_) ShowRadioView();
    return;
  }
  graph_.DetachEvents();
  // Lets an event already on its way settle before the graph goes.
  clock_.SleepMs(10);
  graph_.Release();
  ShowRadioView();
  ResumeLive();
  playedPath_.clear();
  for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE}) view_.SetText(id, "");
  display_.InvalidateReadout();
  view_.RepaintDisplay();
  view_.SetPlayButtonCell(kPlayCellIdle);
}

void PlaybackControl::EndForClose() {
  graph_.Release();
  timers_.KillTimer(kTimerPlayback);
  playing_ = false;
  playedPath_.clear();
}

void PlaybackControl::OnGraphEvent() {
  long code = 0;
  if (!graph_.TakeEvent(code)) return;
  if (code != kGraphComplete) return;
  // The end of the file: the same way back as the Play button, without the wait.
  ShowRadioView();
  graph_.Stop();
  ResumeLive();
  graph_.Release();
  playedPath_.clear();
  for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE}) view_.SetText(id, "");
  display_.InvalidateReadout();
  view_.RepaintDisplay();
  view_.SetPlayButtonCell(kPlayCellIdle);
}

void PlaybackControl::ShowPosition(uint32_t seconds) {
  view_.SetText(IDC_TEXT_TIME, ClockText(seconds) + " / " + durationText_);
}

void PlaybackControl::OnPlaybackTimer() {
  if (!playing_ || !graph_.HasPosition()) return;
  const uint32_t seconds = WholeSeconds(graph_.CurrentPosition());
  ShowPosition(seconds);
  if (duration_ == 0) return;
  uint64_t step = seconds;
  if (duration_ > kSliderSteps) step = uint64_t{seconds} * kSliderSteps / duration_;
  const int max = view_.SliderMax();
  view_.SetSliderPosition(step > static_cast<uint64_t>(max) ? max : static_cast<int>(step));
}

void PlaybackControl::OnPositionScroll(int code) {
  uint32_t seconds = static_cast<uint32_t>(view_.SliderPosition() < 0 ? 0 : view_.SliderPosition());
  if (scale_ != 0) seconds = WholeSeconds(static_cast<double>(seconds) * scale_);
  if (code == kScrollEndTrack) {
    if (!radio_.Muted()) graph_.Run();
    return;
  }
  if (!graph_.HasPosition()) return;
  graph_.Pause();
  graph_.SetCurrentPosition(seconds);
  ShowPosition(seconds);
}
