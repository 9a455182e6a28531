// The live-listening graph against Wine's DirectShow with the rig's PulseAudio devices. Wine's
// audio capture filter has no output pin, so the real graph takes the failed-connection path;
// the connected graph, as Windows builds it, and the buffer request are proven with a test source
// of our own.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "audio/win32/LiveGraph.h"
#include "tests/support/AudioTestSourceFilter.h"

namespace {

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

std::vector<std::string> AudioInputNames() {
  std::vector<std::string> names;
  ComPtr<ICreateDevEnum> devices;
  ComPtr<IEnumMoniker> monikers;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices))) ||
      devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, &monikers, 0) != S_OK)
    return names;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, &moniker, nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))) &&
        SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) {
      char text[256] = {};
      WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, text, sizeof text - 1, nullptr, nullptr);
      names.push_back(text);
    }
    VariantClear(&v);
    moniker.Reset();
  }
  return names;
}

int FilterCount(IGraphBuilder* graph) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(&filters))) return -1;
  int count = 0;
  ComPtr<IBaseFilter> filter;
  while (filters->Next(1, &filter, nullptr) == S_OK) {
    ++count;
    filter.Reset();
  }
  return count;
}

TEST(AudioLiveGraph, CaptureFilterIsFoundByItsExactName) {
  ComApartment com;
  const std::vector<std::string> names = AudioInputNames();
  ASSERT_NE(std::find(names.begin(), names.end(), "FM Radio"), names.end());
  ASSERT_NE(std::find(names.begin(), names.end(), "usb fm radio look-alike"), names.end());

  ComPtr<IBaseFilter> filter;
  EXPECT_EQ(FindCaptureFilter(filter), S_OK);
  EXPECT_NE(filter, nullptr);
  // Letter case counts: neither the look-alike nor another spelling of the name is taken.
  EXPECT_EQ(FindCaptureFilter(filter, "FM RADIO"), S_OK);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(FindCaptureFilter(filter, "fm Radio"), S_OK);
  EXPECT_EQ(filter, nullptr);
}

// The state the graph was last asked for. The test source never delivers a sample, so the renderer
// never finishes pausing and a wait would only run out.
OAFilterState GraphState(IGraphBuilder* graph) {
  ComPtr<IMediaControl> control;
  OAFilterState state = -1;
  if (!graph || FAILED(graph->QueryInterface(IID_PPV_ARGS(&control)))) return -1;
  control->GetState(0, &state);
  return state;
}

// Under Wine the receiver's capture filter offers no output pin: nothing of the graph is kept,
// and the wave-in monitor (AudioLiveMonitorTest checks what it plays) answers every request.
TEST(AudioLiveGraph, BuildRunStopVolumeAndReleaseWithTheReceiverOpen) {
  ComApartment com;
  bool open = false;
  DirectShowLiveAudio live([&] { return open; });

  // Receiver closed: nothing is built, and the results tell the cases apart.
  EXPECT_EQ(live.BuildLiveGraph(), 1);
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::None);
  EXPECT_EQ(live.RunLive(), 0);
  EXPECT_EQ(live.StopLive(), 0);
  EXPECT_EQ(live.SetVolume(50), 0);

  open = true;
  EXPECT_EQ(live.RunLive(), 1) << "nothing built yet";
  EXPECT_EQ(live.StopLive(), 1);
  EXPECT_EQ(live.BuildLiveGraph(), S_OK);
  EXPECT_EQ(live.LastConnectResult(), E_FAIL) << "the capture filter's missing output pin";
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::Monitor);
  EXPECT_EQ(live.Graph(), nullptr);
  EXPECT_EQ(live.CaptureFilter(), nullptr);
  EXPECT_EQ(live.RendererFilter(), nullptr);
  EXPECT_TRUE(live.Monitor().Running());

  EXPECT_EQ(live.BuildLiveGraph(), 1) << "what was built is kept";
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::Monitor);
  for (int level : {50, 1, 0, 100}) EXPECT_EQ(live.SetVolume(level), 1) << level;

  EXPECT_EQ(live.StopLive(), S_OK);
  EXPECT_FALSE(live.Monitor().Running());
  EXPECT_EQ(live.RunLive(), S_OK);
  EXPECT_TRUE(live.Monitor().Running());
  live.ReleaseLiveGraph();
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::None);
  EXPECT_FALSE(live.Monitor().Running());
  EXPECT_EQ(live.RunLive(), 1);
  EXPECT_EQ(live.StopLive(), 1);
  EXPECT_EQ(live.SetVolume(80), 0);
}

// Where no capture filter is found at all, the monitor is the sound just the same.
TEST(AudioLiveGraph, WithoutACaptureFilterTheMonitorIsTheSound) {
  ComApartment com;
  DirectShowLiveAudio live([] { return true; }, kReceiverAudioName, [](const std::string&) {
    return ComPtr<IBaseFilter>();
  });
  EXPECT_EQ(live.BuildLiveGraph(), S_OK);
  EXPECT_EQ(live.LastConnectResult(), E_POINTER);
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::Monitor);
  EXPECT_EQ(live.Graph(), nullptr);
  EXPECT_EQ(live.RendererFilter(), nullptr);
  EXPECT_TRUE(live.Monitor().Running());
  live.ReleaseLiveGraph();
  EXPECT_FALSE(live.Monitor().Running());
}

// Windows' capture filter connects to the renderer. A source of our own with a real capture
// pin's interfaces stands in for it here: the graph is kept and run, the renderer takes the
// volume, and the monitor is never started.
TEST(AudioLiveGraph, AConnectedGraphIsTheSoundAndTheMonitorStaysIdle) {
  ComApartment com;
  TestSourceRecord record;
  std::string askedFor;
  bool open = true;
  DirectShowLiveAudio live([&] { return open; }, kReceiverAudioName, [&](const std::string& name) {
    askedFor = name;
    return MakeTestSourceFilter(&record);
  });

  ASSERT_TRUE(SUCCEEDED(live.BuildLiveGraph()));
  EXPECT_EQ(askedFor, kReceiverAudioName);
  EXPECT_EQ(live.LastConnectResult(), S_OK);
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::Graph);
  EXPECT_FALSE(live.UsesMonitor());
  EXPECT_FALSE(live.Monitor().Running());
  ASSERT_NE(live.Graph(), nullptr);
  EXPECT_EQ(FilterCount(live.Graph()), 2);
  EXPECT_TRUE(record.connected);
  EXPECT_TRUE(record.suggested) << "the capture buffers are asked for before connecting";
  EXPECT_EQ(record.agreed.cbBuffer, 32000);

  ComPtr<IBaseFilter> named;
  EXPECT_EQ(live.Graph()->FindFilterByName(L"FM_RADIO", &named), S_OK);
  EXPECT_EQ(named.Get(), live.CaptureFilter());
  named.Reset();
  EXPECT_EQ(live.Graph()->FindFilterByName(L"Speaker", &named), S_OK);
  EXPECT_EQ(named.Get(), live.RendererFilter());
  ComPtr<IMediaFilter> mediaFilter;
  ASSERT_EQ(live.Graph()->QueryInterface(IID_PPV_ARGS(&mediaFilter)), S_OK);
  ComPtr<IReferenceClock> clock;
  mediaFilter->GetSyncSource(&clock);
  EXPECT_EQ(clock, nullptr) << "samples are rendered as they arrive";
  EXPECT_EQ(GraphState(live.Graph()), State_Running);

  IGraphBuilder* built = live.Graph();
  EXPECT_EQ(live.BuildLiveGraph(), 1) << "an existing graph is kept";
  EXPECT_EQ(live.Graph(), built);

  ComPtr<IBasicAudio> audio;
  ASSERT_EQ(live.Graph()->QueryInterface(IID_PPV_ARGS(&audio)), S_OK);
  long volume = 1;
  for (auto [level, expected] : {std::pair{50, -1500L}, {1, -3000L}, {0, -10000L}, {100, 0L}}) {
    EXPECT_EQ(live.SetVolume(level), 1);
    EXPECT_EQ(audio->get_Volume(&volume), S_OK);
    EXPECT_EQ(volume, expected) << level;
  }
  audio.Reset();

  EXPECT_EQ(live.StopLive(), S_OK);
  EXPECT_EQ(GraphState(live.Graph()), State_Stopped);
  EXPECT_TRUE(SUCCEEDED(live.RunLive()));
  EXPECT_EQ(GraphState(live.Graph()), State_Running);
  EXPECT_FALSE(live.Monitor().Running());

  // With the receiver closed the requests are refused before the graph is touched.
  open = false;
  EXPECT_EQ(live.StopLive(), 0);
  EXPECT_EQ(GraphState(live.Graph()), State_Running);
  open = true;

  live.ReleaseLiveGraph();
  EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::None);
  EXPECT_EQ(live.Graph(), nullptr);
  EXPECT_EQ(live.CaptureFilter(), nullptr);
  EXPECT_EQ(live.RendererFilter(), nullptr);
  EXPECT_EQ(live.RunLive(), 1);
  EXPECT_EQ(live.SetVolume(80), 0);
}

TEST(AudioLiveGraph, WithoutAGraphManagerNoGraphIsKeptOrUsed) {
  // COM is not initialised on this thread, so the filter graph manager cannot be created.
  std::thread([] {
    DirectShowLiveAudio live([] { return true; });
    EXPECT_LT(live.BuildLiveGraph(), 0);
    EXPECT_EQ(live.Built(), DirectShowLiveAudio::Sound::None);
    EXPECT_EQ(live.Graph(), nullptr);
    EXPECT_EQ(live.CaptureFilter(), nullptr);
    EXPECT_FALSE(live.Monitor().Running());
    EXPECT_EQ(live.RunLive(), 1) << "no graph";
    EXPECT_EQ(live.StopLive(), 1);
    EXPECT_EQ(live.SetVolume(50), 0);
    live.ReleaseLiveGraph();
  }).join();
}

TEST(AudioLiveGraph, CaptureBuffersAreSuggestedAndNegotiatedWithTheDirectSoundRenderer) {
  ComApartment com;
  for (bool negotiate : {true, false}) {
    SCOPED_TRACE(negotiate);
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph)), S_OK);
    TestSourceRecord record;
    ComPtr<IBaseFilter> source = MakeTestSourceFilter(&record);
    ASSERT_EQ(graph->AddFilter(source.Get(), L"FM_RADIO"), S_OK);
    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(AddFilterByClsid(graph.Get(), CLSID_DSoundRender, L"Speaker", &renderer), S_OK);

    EXPECT_EQ(ConnectFilters(nullptr, source.Get(), renderer.Get(), negotiate), E_POINTER);
    EXPECT_EQ(ConnectFilters(graph.Get(), source.Get(), renderer.Get(), negotiate), S_OK);
    EXPECT_TRUE(record.connected);
    EXPECT_EQ(record.suggested, negotiate);
    if (negotiate) {
      // Six buffers of half a second of 16 kHz stereo PCM.
      EXPECT_EQ(record.suggestion.cBuffers, 6);
      EXPECT_EQ(record.suggestion.cbBuffer, 32000);
      EXPECT_EQ(record.suggestion.cbAlign, 4);
      EXPECT_EQ(record.suggestion.cbPrefix, 0);
      EXPECT_EQ(record.agreed.cBuffers, 6);
      EXPECT_EQ(record.agreed.cbBuffer, 32000);
    }
    // Both pins are now taken.
    ComPtr<IPin> pin;
    EXPECT_EQ(FindUnconnectedPin(source.Get(), PINDIR_OUTPUT, &pin), E_FAIL);
    EXPECT_EQ(FindUnconnectedPin(renderer.Get(), PINDIR_INPUT, &pin), E_FAIL);
    EXPECT_EQ(ConnectFilters(graph.Get(), source.Get(), renderer.Get(), negotiate), E_FAIL);

    RemoveAllFilters(graph.Get());
    EXPECT_EQ(FilterCount(graph.Get()), 0);
  }
}

}  // namespace
