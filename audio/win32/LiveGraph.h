#pragma once
// Live listening over DirectShow: the receiver's capture filter rendered by the DirectSound
// renderer, with no reference clock so that samples play as they arrive. Owned by the device
// object; used on the window's thread only (COM initialised there).

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <functional>
#include <string>

#include "audio/CaptureRules.h"
#include "audio/LiveAudio.h"
#include "audio/win32/WaveMonitor.h"

using Microsoft::WRL::ComPtr;

// MinGW's control.h declares IBasicAudio without the uuid that ComPtr::As and IID_PPV_ARGS need.
#ifndef KESTRUNE_IBASICAUDIO_UUID
#define KESTRUNE_IBASICAUDIO_UUID
__CRT_UUID_DECL(IBasicAudio, 0x56a868b3, 0x0ad4, 0x11ce, 0xb0, 0x3a, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70)
#endif

class DirectShowLiveAudio final : public ILiveAudio {
 public:
  // Finds the receiver's capture filter by its audio name; empty when there is none.
  using CaptureFinder = std::function<ComPtr<IBaseFilter>(const std::string& audioName)>;

  // `isReceiverOpen` answers whether the receiver's handle is open; every operation
  // looks at it first. `audioName` names the receiver's audio function in the device lists.
  // `findCapture` defaults to FindCaptureFilter.
  explicit DirectShowLiveAudio(std::function<bool()> isReceiverOpen, std::string audioName = kReceiverAudioName,
                               CaptureFinder findCapture = {});
  ~DirectShowLiveAudio() override;

  // What a build settled on as the live sound. The graph is kept only when its capture filter
  // connected to the renderer; where it did not, the graph, its renderer and its capture filter
  // are released at once and the receiver is heard through a wave-in -> wave-out monitor of the
  // same device, run, stopped and scaled in the graph's place. Either counts as "the graph" for
  // the results in LiveAudio.h (RunLive answers 1 only when neither was built).
  enum class Sound { None, Graph, Monitor };

  int BuildLiveGraph() override;
  int RunLive() override;
  int StopLive() override;
  int SetVolume(int level) override;
  void ReleaseLiveGraph() override;

  Sound Built() const { return sound_; }
  // Empty unless the graph is the sound.
  IGraphBuilder* Graph() const { return graph_.Get(); }
  IBaseFilter* CaptureFilter() const { return captureFilter_.Get(); }
  IBaseFilter* RendererFilter() const { return rendererFilter_.Get(); }
  // What connecting the capture filter to the renderer returned at the last build: E_POINTER
  // when no capture filter was found, the pin search's failure when it offers no output pin.
  HRESULT LastConnectResult() const { return lastConnect_; }
  // A run request (BuildLiveGraph, RunLive) whose monitor could not start fails with
  // VFW_E_NO_CAPTURE_HARDWARE.
  bool UsesMonitor() const { return sound_ == Sound::Monitor; }
  const WaveMonitor& Monitor() const { return monitor_; }

 private:
  HRESULT Run();
  // Builds the graph around the receiver's capture filter; true when it connected to the
  // renderer. On false nothing of the graph is held any more.
  bool BuildConnectedGraph();
  void DropGraph();

  std::function<bool()> isReceiverOpen_;
  std::string audioName_;
  CaptureFinder findCapture_;
  Sound sound_ = Sound::None;
  ComPtr<IGraphBuilder> graph_;
  ComPtr<IMediaControl> control_;
  ComPtr<IBaseFilter> captureFilter_;
  ComPtr<IBaseFilter> rendererFilter_;
  HRESULT lastConnect_ = S_OK;
  WaveMonitor monitor_;
};

// The first audio input device whose friendly name contains `name` (letter case significant)
// and that binds to a filter. Always S_OK; `filter` stays empty when nothing matches.
HRESULT FindCaptureFilter(ComPtr<IBaseFilter>& filter, const char* name = "FM Radio");
HRESULT AddFilterByClsid(IGraphBuilder* graph, REFCLSID clsid, LPCWSTR name, IBaseFilter** filter);
// The first pin of `direction` that is not connected; E_FAIL when there is none.
HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
// Asks a capture pin for 6 buffers of half a second of its current format, aligned to 4, no
// prefix. S_FALSE when the pin does not negotiate or its format cannot be read.
HRESULT SuggestCaptureBuffers(IPin* pin);
// Connects the first free output pin of `source` to the first free input pin of `sink`
// through the graph's intelligent connect, suggesting capture buffers first when asked.
HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* source, IBaseFilter* sink, bool negotiate);
void RemoveAllFilters(IGraphBuilder* graph);
