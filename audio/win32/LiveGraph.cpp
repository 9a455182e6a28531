#include "audio/win32/LiveGraph.h"

#include <mmreg.h>

#include "audio/CaptureRules.h"
#include "audio/Volume.h"

namespace {

void FreeMediaType(AM_MEDIA_TYPE* type) {
  if (!type) return;
  if (type->cbFormat != 0) CoTaskMemFree(type->pbFormat);
  if (type->pUnk) type->pUnk->Release();
  CoTaskMemFree(type);
}

std::string NarrowFromWide(const wchar_t* text) {
  if (!text) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

}  // namespace

HRESULT FindCaptureFilter(ComPtr<IBaseFilter>& filter, const char* name) {
  filter.Reset();
  ComPtr<ICreateDevEnum> devices;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&devices))))
    return S_OK;
  ComPtr<IEnumMoniker> monikers;
  // S_FALSE and no enumerator when the category is empty.
  if (devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, &monikers, 0) != S_OK || !monikers)
    return S_OK;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, &moniker, nullptr) == S_OK) {
    ComPtr<IPropertyBag> properties;
    if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&properties)))) {
      VARIANT value;
      VariantInit(&value);
      if (SUCCEEDED(properties->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR &&
          FriendlyNameMatches(NarrowFromWide(value.bstrVal), name)) {
        ComPtr<IBaseFilter> bound;
        if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&bound)))) {
          VariantClear(&value);
          filter = bound;
          return S_OK;
        }
      }
      VariantClear(&value);
    }
    moniker.Reset();
  }
  return S_OK;
}

HRESULT AddFilterByClsid(IGraphBuilder* graph, REFCLSID clsid, LPCWSTR name, IBaseFilter** filter) {
  if (!graph || !filter) return E_POINTER;
  *filter = nullptr;
  ComPtr<IBaseFilter> created;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created));
  if (FAILED(hr)) return hr;
  hr = graph->AddFilter(created.Get(), name);
  if (FAILED(hr)) return hr;  // `created` releases the filter
  *filter = created.Detach();
  return S_OK;
}

HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  if (!filter || !pin) return E_POINTER;
  *pin = nullptr;
  ComPtr<IEnumPins> pins;
  HRESULT hr = filter->EnumPins(&pins);
  if (FAILED(hr)) return hr;
  ComPtr<IPin> candidate;
  while (pins->Next(1, &candidate, nullptr) == S_OK) {
    PIN_DIRECTION found;
    if (SUCCEEDED(candidate->QueryDirection(&found)) && found == direction) {
      ComPtr<IPin> peer;
      if (FAILED(candidate->ConnectedTo(&peer))) {
        *pin = candidate.Detach();
        return S_OK;
      }
    }
    candidate.Reset();
  }
  return E_FAIL;
}

HRESULT SuggestCaptureBuffers(IPin* pin) {
  if (!pin) return E_POINTER;
  ComPtr<IAMBufferNegotiation> negotiation;
  ComPtr<IAMStreamConfig> config;
  if (FAILED(pin->QueryInterface(IID_PPV_ARGS(&negotiation))) ||
      FAILED(pin->QueryInterface(IID_PPV_ARGS(&config))))
    return S_FALSE;
  AM_MEDIA_TYPE* type = nullptr;
  if (FAILED(config->GetFormat(&type)) || !type) return S_FALSE;
  HRESULT hr = S_FALSE;
  if (type->pbFormat && type->cbFormat >= sizeof(WAVEFORMATEX)) {
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat);
    ALLOCATOR_PROPERTIES request{};
    request.cBuffers = 6;
    request.cbBuffer = static_cast<long>(format->nAvgBytesPerSec / 2);
    request.cbAlign = 4;
    request.cbPrefix = 0;
    hr = negotiation->SuggestAllocatorProperties(&request);
  }
  FreeMediaType(type);
  return hr;
}

HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* source, IBaseFilter* sink, bool negotiate) {
  if (!graph || !source || !sink) return E_POINTER;
  ComPtr<IPin> output;
  HRESULT hr = FindUnconnectedPin(source, PINDIR_OUTPUT, &output);
  if (FAILED(hr)) return hr;
  if (negotiate) SuggestCaptureBuffers(output.Get());  // a pin that declines still connects
  ComPtr<IPin> input;
  hr = FindUnconnectedPin(sink, PINDIR_INPUT, &input);
  if (FAILED(hr)) return hr;
  return graph->Connect(output.Get(), input.Get());
}

void RemoveAllFilters(IGraphBuilder* graph) {
  if (!graph) return;
  for (;;) {
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters))) return;
    ComPtr<IBaseFilter> filter;
    if (filters->Next(1, &filter, nullptr) != S_OK) return;
    // A filter the graph refuses to remove would otherwise be found again for ever.
    if (FAILED(graph->RemoveFilter(filter.Get()))) return;
  }
}

namespace {

ComPtr<IBaseFilter> FindCaptureFilterNamed(const std::string& audioName) {
  ComPtr<IBaseFilter> filter;
  FindCaptureFilter(filter, audioName.c_str());
  return filter;
}

}  // namespace

DirectShowLiveAudio::DirectShowLiveAudio(std::function<bool()> isReceiverOpen, std::string audioName,
                                         CaptureFinder findCapture)
    : isReceiverOpen_(std::move(isReceiverOpen)),
      audioName_(std::move(audioName)),
      findCapture_(findCapture ? std::move(findCapture) : CaptureFinder(FindCaptureFilterNamed)) {}

DirectShowLiveAudio::~DirectShowLiveAudio() {
  // The owner has normally released the graph already; dismantle whatever is left.
  monitor_.Stop();
  if (control_) control_->Stop();
  RemoveAllFilters(graph_.Get());
}

int DirectShowLiveAudio::BuildLiveGraph() {
  if (!isReceiverOpen_() || sound_ != Sound::None) return 1;
  ComPtr<IGraphBuilder> graph;
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
  if (FAILED(hr)) return hr;  // no graph manager: nothing is kept, nothing is used
  graph_ = graph;
  // A graph that cannot connect (Wine's capture filter has no output pin, and a Wine prefix's
  // device enumeration does not always offer the filter at all) would leave the user hearing
  // nothing: the receiver's wave-in device is then monitored through wave-out instead.
  sound_ = BuildConnectedGraph() ? Sound::Graph : Sound::Monitor;
  return Run();
}

bool DirectShowLiveAudio::BuildConnectedGraph() {
  graph_.As(&control_);
  captureFilter_ = findCapture_(audioName_);
  if (captureFilter_) graph_->AddFilter(captureFilter_.Get(), L"FM_RADIO");
  // The DirectSound renderer opens an output stream of its own as soon as it exists and mixes
  // silence into it while nothing feeds it, so it is made only for a capture filter that has a
  // pin to connect it to.
  ComPtr<IPin> output;
  lastConnect_ = captureFilter_ ? FindUnconnectedPin(captureFilter_.Get(), PINDIR_OUTPUT, &output) : E_POINTER;
  output.Reset();
  if (SUCCEEDED(lastConnect_)) {
    AddFilterByClsid(graph_.Get(), CLSID_DSoundRender, L"Speaker", rendererFilter_.ReleaseAndGetAddressOf());
    lastConnect_ = ConnectFilters(graph_.Get(), captureFilter_.Get(), rendererFilter_.Get(), true);
  }
  if (FAILED(lastConnect_)) {
    // Nothing of an unconnected graph plays: its renderer would only cost a mixer thread and a
    // stream of silence beside the monitor.
    DropGraph();
    return false;
  }
  ComPtr<IMediaFilter> mediaFilter;
  if (SUCCEEDED(graph_.As(&mediaFilter))) mediaFilter->SetSyncSource(nullptr);
  return true;
}

int DirectShowLiveAudio::RunLive() {
  if (!isReceiverOpen_()) return 0;
  if (sound_ == Sound::None) return 1;
  return Run();
}

HRESULT DirectShowLiveAudio::Run() {
  // A monitor that cannot start (no receiver audio yet after a resume) fails the request, so
  // that the caller's retries try it again; one that ended on its own is started again here.
  if (sound_ == Sound::Monitor) return monitor_.Start(audioName_) ? S_OK : VFW_E_NO_CAPTURE_HARDWARE;
  return control_ ? control_->Run() : E_NOINTERFACE;
}

int DirectShowLiveAudio::StopLive() {
  if (!isReceiverOpen_()) return 0;
  // Closed, not paused: a file playing meanwhile may want the same devices.
  switch (sound_) {
    case Sound::None:
      return 1;
    case Sound::Monitor:
      monitor_.Stop();
      return S_OK;
    case Sound::Graph:
      break;
  }
  return control_ ? control_->Stop() : E_NOINTERFACE;
}

int DirectShowLiveAudio::SetVolume(int level) {
  if (sound_ == Sound::None) return 0;
  const int attenuation = SliderLevelToVolume(level);
  // The monitor keeps its level while stopped, so that it starts again at the slider's.
  monitor_.SetAttenuation(attenuation);
  if (sound_ == Sound::Monitor) return 1;
  ComPtr<IBasicAudio> audio;
  if (FAILED(graph_.As(&audio))) return 0;
  return SUCCEEDED(audio->put_Volume(attenuation)) ? 1 : 0;
}

void DirectShowLiveAudio::ReleaseLiveGraph() {
  if (isReceiverOpen_() && control_) control_->Stop();
  monitor_.Stop();
  sound_ = Sound::None;
  DropGraph();
}

void DirectShowLiveAudio::DropGraph() {
  RemoveAllFilters(graph_.Get());
  control_.Reset();
  captureFilter_.Reset();
  rendererFilter_.Reset();
  graph_.Reset();
}
