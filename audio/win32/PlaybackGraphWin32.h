#pragma once
// The playback graph over DirectShow: the filter graph manager renders the file with whatever
// filters the system offers (Wine: its GStreamer bridge), and posts its events to one window.
// Used on the window's thread only (COM initialised there).

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <functional>
#include <utility>

#include "audio/PlaybackGraph.h"
#include "audio/win32/LiveGraph.h"  // IBasicAudio's uuid for ComPtr

class DirectShowPlaybackGraph final : public IPlaybackGraph {
 public:
  // Events are posted as `message` to the window `window` names when they are attached (the
  // graph may be made before its window is).
  DirectShowPlaybackGraph(std::function<HWND()> window, UINT message) : window_(std::move(window)), message_(message) {}
  ~DirectShowPlaybackGraph() override { Release(); }
  DirectShowPlaybackGraph(const DirectShowPlaybackGraph&) = delete;
  DirectShowPlaybackGraph& operator=(const DirectShowPlaybackGraph&) = delete;

  bool Create() override;
  bool Render(const std::string& path) override;
  void AttachEvents() override;
  void DetachEvents() override;
  bool HasControl() const override { return control_ != nullptr; }
  bool HasPosition() const override { return position_ != nullptr; }
  void Run() override;
  void Pause() override;
  void Stop() override;
  double Duration() override;
  double CurrentPosition() override;
  void SetCurrentPosition(double seconds) override;
  void SetVolume(long centibels) override;
  bool TakeEvent(long& code) override;
  void Release() override;

  IGraphBuilder* Graph() const { return graph_.Get(); }

 private:
  std::function<HWND()> window_;
  UINT message_;
  Microsoft::WRL::ComPtr<IGraphBuilder> graph_;
  Microsoft::WRL::ComPtr<IMediaControl> control_;
  Microsoft::WRL::ComPtr<IMediaEventEx> events_;
  Microsoft::WRL::ComPtr<IMediaPosition> position_;
};
