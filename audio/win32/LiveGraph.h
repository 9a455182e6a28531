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
  // `isReceiverOpen` answers whether the device object holds the receiver; every operation
  // looks at it first. `audioName` names the receiver's audio function in the device lists.
  explicit DirectShowLiveAudio(std::function<bool()> isReceiverOpen, std::string audioName = kReceiverAudioName);
  ~DirectShowLiveAudio() override;

  int BuildLiveGraph() override;
  int RunLive() override;
  int StopLive() override;
  int SetVolume(int level) override;
  void ReleaseLiveGraph() override;

  IGraphBuilder* Graph() const { return graph_.Get(); }
  IBaseFilter* CaptureFilter() const { return captureFilter_.Get(); }
  IBaseFilter* RendererFilter() const { return rendererFilter_.Get(); }
  // What connecting the capture filter to the renderer returned at the last build.
  HRESULT LastConnectResult() const { return lastConnect_; }
  // Where that connection failed, the receiver is heard through a wave-in -> wave-out monitor
  // of the same device instead, run, stopped and scaled along with the graph. A run request
  // (BuildLiveGraph, RunLive) whose monitor could not start fails with
  // VFW_E_NO_CAPTURE_HARDWARE.
  bool UsesMonitor() const { return useMonitor_; }
  const WaveMonitor& Monitor() const { return monitor_; }

 private:
  // Runs the graph and, where it is the sound, the monitor.
  HRESULT Run();

  std::function<bool()> isReceiverOpen_;
  std::string audioName_;
  ComPtr<IGraphBuilder> graph_;
  ComPtr<IMediaControl> control_;
  ComPtr<IBaseFilter> captureFilter_;
  ComPtr<IBaseFilter> rendererFilter_;
  HRESULT lastConnect_ = S_OK;
  bool useMonitor_ = false;
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
