#ifdef _WIN32
#include "tests/support/AudioTestSourceFilter.h"

#include <mmreg.h>

#include <atomic>
#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

WAVEFORMATEX PcmFormat() {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = 16000;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 4;
  f.nAvgBytesPerSec = 64000;
  return f;
}

// Fills `type` with the pin's format; the format block is CoTaskMemAlloc'ed.
void FillMediaType(AM_MEDIA_TYPE& type) {
  std::memset(&type, 0, sizeof type);
  type.majortype = MEDIATYPE_Audio;
  type.subtype = MEDIASUBTYPE_PCM;
  type.bFixedSizeSamples = TRUE;
  type.lSampleSize = 4;
  type.formattype = FORMAT_WaveFormatEx;
  type.cbFormat = sizeof(WAVEFORMATEX);
  type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
  const WAVEFORMATEX format = PcmFormat();
  std::memcpy(type.pbFormat, &format, sizeof format);
}

void FreeFormat(AM_MEDIA_TYPE& type) {
  CoTaskMemFree(type.pbFormat);
  type.pbFormat = nullptr;
  type.cbFormat = 0;
}

class TestFilter;

class TestPin final : public IPin, public IAMBufferNegotiation, public IAMStreamConfig {
 public:
  TestPin(TestFilter* filter, TestSourceRecord* record) : filter_(filter), record_(record) {}

  // IUnknown: the pin lives and dies with its filter.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IPin
  STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE*) override {
    if (!receiver) return E_POINTER;
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    AM_MEDIA_TYPE type;
    FillMediaType(type);
    HRESULT hr = receiver->ReceiveConnection(this, &type);
    if (FAILED(hr)) {
      FreeFormat(type);
      return hr;
    }
    ComPtr<IMemInputPin> input;
    hr = receiver->QueryInterface(IID_PPV_ARGS(&input));
    ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(hr) && FAILED(input->GetAllocator(&allocator)))
      hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&allocator));
    if (SUCCEEDED(hr)) {
      // A capture pin sizes its buffers from the application's suggestion when it has one.
      ALLOCATOR_PROPERTIES wanted{};
      input->GetAllocatorRequirements(&wanted);
      if (record_->suggested) {
        wanted = record_->suggestion;
      } else {
        wanted.cBuffers = 4;
        wanted.cbBuffer = 6400;
        wanted.cbAlign = 1;
      }
      hr = allocator->SetProperties(&wanted, &record_->agreed);
      if (SUCCEEDED(hr)) hr = input->NotifyAllocator(allocator.Get(), FALSE);
    }
    if (FAILED(hr)) {
      receiver->Disconnect();
      FreeFormat(type);
      return hr;
    }
    peer_ = receiver;
    type_ = type;
    record_->connected = true;
    return S_OK;
  }
  STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  STDMETHODIMP Disconnect() override {
    if (!peer_) return S_FALSE;
    peer_.Reset();
    FreeFormat(type_);
    return S_OK;
  }
  STDMETHODIMP ConnectedTo(IPin** pin) override {
    if (!pin) return E_POINTER;
    *pin = nullptr;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    return peer_.CopyTo(pin);
  }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override {
    if (!type) return E_POINTER;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    FillMediaType(*type);
    return S_OK;
  }
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override {
    *direction = PINDIR_OUTPUT;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR* id) override {
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof L"Capture"));
    std::memcpy(*id, L"Capture", sizeof L"Capture");
    return S_OK;
  }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override {
    return type && type->majortype == MEDIATYPE_Audio && type->subtype == MEDIASUBTYPE_PCM ? S_OK : S_FALSE;
  }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
  STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

  // IAMBufferNegotiation
  STDMETHODIMP SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* properties) override {
    if (!properties) return E_POINTER;
    record_->suggested = true;
    record_->suggestion = *properties;
    return S_OK;
  }
  STDMETHODIMP GetAllocatorProperties(ALLOCATOR_PROPERTIES* properties) override {
    if (!properties) return E_POINTER;
    if (!peer_) return E_FAIL;
    *properties = record_->agreed;
    return S_OK;
  }

  // IAMStreamConfig
  STDMETHODIMP SetFormat(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override {
    if (!type) return E_POINTER;
    *type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    FillMediaType(**type);
    return S_OK;
  }
  STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override {
    *count = 0;
    *size = 0;
    return S_OK;
  }
  STDMETHODIMP GetStreamCaps(int, AM_MEDIA_TYPE**, BYTE*) override { return E_NOTIMPL; }

  ~TestPin() {
    if (peer_) FreeFormat(type_);
  }

 private:
  TestFilter* filter_;
  TestSourceRecord* record_;
  ComPtr<IPin> peer_;
  AM_MEDIA_TYPE type_{};
};

class TestPinEnum final : public IEnumPins {
 public:
  explicit TestPinEnum(IPin* pin, ULONG position = 0) : pin_(pin), position_(position) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IEnumPins) {
      *out = static_cast<IEnumPins*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
    ULONG got = 0;
    if (count > 0 && position_ == 0) {
      pins[0] = pin_.Get();
      pins[0]->AddRef();
      position_ = 1;
      got = 1;
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    position_ += count;
    return position_ <= 1 ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumPins** out) override {
    *out = new TestPinEnum(pin_.Get(), position_);
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
  ComPtr<IPin> pin_;
  ULONG position_;
};

class TestFilter final : public IBaseFilter {
 public:
  explicit TestFilter(TestSourceRecord* record) : pin_(this, record) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
      *out = static_cast<IBaseFilter*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetClassID(CLSID* id) override {
    *id = GUID_NULL;
    return S_OK;
  }
  STDMETHODIMP Stop() override {
    state_ = State_Stopped;
    return S_OK;
  }
  STDMETHODIMP Pause() override {
    state_ = State_Paused;
    return S_OK;
  }
  STDMETHODIMP Run(REFERENCE_TIME) override {
    state_ = State_Running;
    return S_OK;
  }
  STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
    *state = state_;
    return S_OK;
  }
  STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
    *clock = nullptr;
    return S_OK;
  }
  STDMETHODIMP EnumPins(IEnumPins** pins) override {
    *pins = new TestPinEnum(&pin_);
    return S_OK;
  }
  STDMETHODIMP FindPin(LPCWSTR, IPin**) override { return VFW_E_NOT_FOUND; }
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
    std::memset(info, 0, sizeof *info);
    wcsncpy(info->achName, name_, MAX_FILTER_NAME - 1);
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
  }
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
    graph_ = graph;  // not referenced: the graph holds the filter
    std::memset(name_, 0, sizeof name_);
    if (name) wcsncpy(name_, name, MAX_FILTER_NAME - 1);
    return S_OK;
  }
  STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

 private:
  std::atomic<ULONG> refs_{1};
  FILTER_STATE state_ = State_Stopped;
  IFilterGraph* graph_ = nullptr;
  WCHAR name_[MAX_FILTER_NAME] = {};
  TestPin pin_;
  friend class TestPin;
};

STDMETHODIMP TestPin::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IPin) {
    *out = static_cast<IPin*>(this);
  } else if (iid == IID_IAMBufferNegotiation) {
    *out = static_cast<IAMBufferNegotiation*>(this);
  } else if (iid == IID_IAMStreamConfig) {
    *out = static_cast<IAMStreamConfig*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}
STDMETHODIMP_(ULONG) TestPin::AddRef() { return filter_->AddRef(); }
STDMETHODIMP_(ULONG) TestPin::Release() { return filter_->Release(); }
STDMETHODIMP TestPin::QueryPinInfo(PIN_INFO* info) {
  info->pFilter = filter_;
  filter_->AddRef();
  info->dir = PINDIR_OUTPUT;
  wcsncpy(info->achName, L"Capture", MAX_PIN_NAME - 1);
  return S_OK;
}

}  // namespace

ComPtr<IBaseFilter> MakeTestSourceFilter(TestSourceRecord* record) {
  ComPtr<IBaseFilter> filter;
  filter.Attach(new TestFilter(record));
  return filter;
}
#endif
