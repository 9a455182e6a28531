#include "audio/win32/PlaybackGraphWin32.h"

#include <string>

#include "base/win32/WideText.h"

using Microsoft::WRL::ComPtr;

bool DirectShowPlaybackGraph::Create() {
  Release();
  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEventEx> events;
  ComPtr<IMediaPosition> position;
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph))) ||
      FAILED(graph.As(&control)) ||
      // MinGW's headers give these two no uuid for ComPtr::As: ask by their interface ids.
      FAILED(graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(events.GetAddressOf()))) ||
      FAILED(graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(position.GetAddressOf()))))
    return false;
  graph_ = std::move(graph);
  control_ = std::move(control);
  events_ = std::move(events);
  position_ = std::move(position);
  return true;
}

bool DirectShowPlaybackGraph::Render(const std::string& path) {
  if (!graph_) return false;
  const std::wstring wide = WideFromAnsi(path);
  if (wide.empty()) return false;
  return SUCCEEDED(graph_->RenderFile(wide.c_str(), nullptr));
}

void DirectShowPlaybackGraph::AttachEvents() {
  if (events_) events_->SetNotifyWindow(reinterpret_cast<OAHWND>(window_()), static_cast<long>(message_), 0);
}

void DirectShowPlaybackGraph::DetachEvents() {
  if (events_) events_->SetNotifyWindow(0, 0, 0);
}

void DirectShowPlaybackGraph::Run() {
  if (control_) control_->Run();
}

void DirectShowPlaybackGraph::Pause() {
  if (control_) control_->Pause();
}

void DirectShowPlaybackGraph::Stop() {
  if (control_) control_->Stop();
}

double DirectShowPlaybackGraph::Duration() {
  REFTIME seconds = 0;
  if (!position_ || FAILED(position_->get_Duration(&seconds))) return 0;
  return seconds;
}

double DirectShowPlaybackGraph::CurrentPosition() {
  REFTIME seconds = 0;
  if (!position_ || FAILED(position_->get_CurrentPosition(&seconds))) return 0;
  return seconds;
}

void DirectShowPlaybackGraph::SetCurrentPosition(double seconds) {
  if (position_) position_->put_CurrentPosition(seconds);
}

void DirectShowPlaybackGraph::SetVolume(long centibels) {
  ComPtr<IBasicAudio> audio;
  // A graph without a sound renderer (a file of no audio) has no volume: nothing to set.
  if (graph_ && SUCCEEDED(graph_.As(&audio))) audio->put_Volume(centibels);
}

bool DirectShowPlaybackGraph::TakeEvent(long& code) {
  if (!events_) return false;
  LONG_PTR first = 0, second = 0;
  long taken = 0;
  if (FAILED(events_->GetEvent(&taken, &first, &second, 1))) return false;
  events_->FreeEventParams(taken, first, second);
  code = taken;
  return true;
}

void DirectShowPlaybackGraph::Release() {
  if (control_) control_->Stop();
  DetachEvents();
  control_.Reset();
  events_.Reset();
  position_.Reset();
  graph_.Reset();
}
