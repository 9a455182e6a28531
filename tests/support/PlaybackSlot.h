#pragma once
// Playback as a test puts it in after the window is built: every call passes on to `target`, and
// with none no file plays and nothing happens.

#include "app/MainWindowPorts.h"

class PlaybackSlot final : public IPlaybackControl {
 public:
  bool IsPlaying() const override { return target && target->IsPlaying(); }
  void EndForClose() override { if (target) target->EndForClose(); }
  void StopPlayback() override { if (target) target->StopPlayback(); }
  void RunGraph() override { if (target) target->RunGraph(); }
  void StopGraph() override { if (target) target->StopGraph(); }
  void SetGraphVolume(long centibels) override { if (target) target->SetGraphVolume(centibels); }
  void OnPlayButton() override { if (target) target->OnPlayButton(); }
  void OnPlaybackTimer() override { if (target) target->OnPlaybackTimer(); }
  void OnGraphEvent() override { if (target) target->OnGraphEvent(); }
  void OnPositionScroll(int code) override { if (target) target->OnPositionScroll(code); }
  IPlaybackControl* target = nullptr;
};
