// Live listening where the graph cannot connect (Wine): the receiver is heard through the wave-in
// -> wave-out monitor. The rig's speakers are a null sink whose monitor is itself a wave-in
// device, so the test hears what the user would: the "FM Radio" source's 1 kHz tone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <string>

#include "audio/win32/DeviceThread.h"
#include "audio/win32/LiveGraph.h"
#include "audio/win32/WaveMonitor.h"
#include "tests/win/AudioWineDecode.h"
#include "tests/win/SpeakerProbe.h"

namespace {

using speaker_probe::Heard;
using speaker_probe::ListenToSpeakers;

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

// The playback streams that Wine processes hold in the rig's audio daemon, by the daemon's own
// list: Wine opens one for every wave-out device it opens and one for every DirectSound device
// (a DirectSound renderer's, running or not). The rig's daemon serves this test process and the
// tone's feeder alone. (Wine's client takes its name from the executable's version resource, and
// a Windows process cannot read its own Unix pid from /proc, whose paths Wine's server opens: the
// program that opened a stream is told apart by its binary.) -1 when the daemon cannot be asked.
int WinePlaybackStreams() {
  const std::string folder = wine_decode::UnixOutputFolder();
  CreateDirectoryA(wine_decode::WindowsPath(folder).c_str(), nullptr);
  const std::string listing = folder + "/sink-inputs-" + std::to_string(GetCurrentProcessId());
  if (!wine_decode::RunOnHost("pactl list sink-inputs > '" + listing + "'")) return -1;
  int count = 0;
  {
    std::ifstream in(wine_decode::WindowsPath(listing));
    for (std::string line; std::getline(in, line);)
      if (line.find("application.process.binary = \"wine") != std::string::npos) ++count;
  }
  DeleteFileA(wine_decode::WindowsPath(listing).c_str());
  return count;
}

class AudioLiveMonitor : public ::testing::Test {
 protected:
  void TearDown() override { ClearWaveInDevices(); }
};

// What the window does when the receiver comes up: build, run, set the slider's volume. The
// monitor is then the one stream this process plays: no graph, no DirectSound renderer beside it.
TEST_F(AudioLiveMonitor, SpeakersCarryTheReceiverThroughTheMonitorAloneAtTheSliderVolumeAndNothingWhileMuted) {
  ComApartment com;
  ASSERT_EQ(WinePlaybackStreams(), 0) << "the daemon answers, and nothing plays yet";
  bool open = true;
  DirectShowLiveAudio live([&] { return open; });
  ASSERT_EQ(live.BuildLiveGraph(), S_OK);
  ASSERT_TRUE(FAILED(live.LastConnectResult())) << "this check is for a graph that cannot connect";
  ASSERT_TRUE(live.UsesMonitor());
  EXPECT_EQ(live.RunLive(), S_OK);
  ASSERT_TRUE(live.Monitor().Running()) << "the FM Radio wave-in device and the speakers open";
  EXPECT_EQ(live.Graph(), nullptr);
  EXPECT_EQ(live.RendererFilter(), nullptr);
  EXPECT_EQ(live.CaptureFilter(), nullptr);

  EXPECT_EQ(live.SetVolume(100), 1);
  const Heard full = ListenToSpeakers();
  EXPECT_GT(full.rms, 5000) << "the half-scale tone reaches the speakers";
  EXPECT_GT(full.MedianShareAt(1000), 0.8) << "and it is the source's 1 kHz tone, not noise";
  EXPECT_GT(live.Monitor().BlocksPlayed(), 0u);
  EXPECT_EQ(WinePlaybackStreams(), 1) << "the monitor's wave-out stream and nothing else";

  // The renderer's curve: level 50 is -15 dB, an amplitude of 0.178.
  EXPECT_EQ(live.SetVolume(50), 1);
  const Heard half = ListenToSpeakers();
  ASSERT_GT(full.rms, 0);
  EXPECT_NEAR(half.rms / full.rms, 0.178, 0.03);

  // Mute (and the seek's silence) is level 0: silence, though the monitor keeps running.
  EXPECT_EQ(live.SetVolume(0), 1);
  const Heard muted = ListenToSpeakers();
  EXPECT_LT(muted.rms, 20);
  EXPECT_TRUE(live.Monitor().Running());

  // Stopped (a file playing) frees the devices: no stream of silence stays open either.
  EXPECT_EQ(live.StopLive(), S_OK);
  EXPECT_FALSE(live.Monitor().Running());
  EXPECT_LT(ListenToSpeakers().rms, 20);
  EXPECT_EQ(WinePlaybackStreams(), 0);
  EXPECT_EQ(live.RunLive(), S_OK);
  EXPECT_TRUE(live.Monitor().Running());
  EXPECT_EQ(live.SetVolume(100), 1);
  EXPECT_GT(ListenToSpeakers().rms, 5000);
  EXPECT_EQ(WinePlaybackStreams(), 1);

  live.ReleaseLiveGraph();
  EXPECT_FALSE(live.Monitor().Running());
  EXPECT_FALSE(live.UsesMonitor());
  EXPECT_LT(ListenToSpeakers().rms, 20);
  EXPECT_EQ(WinePlaybackStreams(), 0);
}

// The count above would see an unconnected renderer: a DirectSound renderer that exists, running
// nothing, holds a stream of its own beside the monitor's.
TEST_F(AudioLiveMonitor, TheStreamCountSeesADirectSoundRendererBesideTheMonitor) {
  ComApartment com;
  WaveMonitor monitor;
  ASSERT_TRUE(monitor.Start(kReceiverAudioName));
  EXPECT_EQ(WinePlaybackStreams(), 1);
  ComPtr<IBaseFilter> renderer;
  ASSERT_EQ(CoCreateInstance(CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer)), S_OK);
  EXPECT_EQ(WinePlaybackStreams(), 2);
  renderer.Reset();
  EXPECT_EQ(WinePlaybackStreams(), 1);
  monitor.Stop();
  EXPECT_EQ(WinePlaybackStreams(), 0);
}

TEST_F(AudioLiveMonitor, ADeviceThatCannotBeOpenedLeavesNoThreadAndStopStaysSafe) {
  WaveMonitor monitor;
  EXPECT_FALSE(monitor.Start("no such device"));
  EXPECT_FALSE(monitor.Running());
  monitor.Stop();
  // Once failed, a later start on the real device still runs, and a second start is a no-op.
  ASSERT_TRUE(monitor.Start("FM Radio"));
  EXPECT_TRUE(monitor.Start("FM Radio"));
  EXPECT_TRUE(monitor.Running());
  monitor.Stop();
  EXPECT_FALSE(monitor.Running());
}

// The first seconds after a resume, before the receiver's audio function is back: no device
// matches. Every run request must fail, so that the resume's retries try the sound again.
TEST_F(AudioLiveMonitor, ASoundThatCannotStartFailsEveryRunRequest) {
  ComApartment com;
  bool open = true;
  DirectShowLiveAudio live([&] { return open; }, "Shortwave Converter");
  EXPECT_EQ(live.BuildLiveGraph(), VFW_E_NO_CAPTURE_HARDWARE);
  ASSERT_TRUE(live.UsesMonitor());
  EXPECT_EQ(live.Graph(), nullptr);
  for (int request = 0; request < 3; ++request) {
    EXPECT_EQ(live.RunLive(), VFW_E_NO_CAPTURE_HARDWARE);
    EXPECT_FALSE(live.Monitor().Running());
  }
  EXPECT_EQ(WinePlaybackStreams(), 0) << "nothing plays while the sound waits for its device";
  EXPECT_EQ(live.SetVolume(0), 1) << "the waiting monitor takes the slider's level";
  EXPECT_EQ(live.StopLive(), S_OK);
  EXPECT_EQ(live.BuildLiveGraph(), 1) << "the graph stays built";
  live.ReleaseLiveGraph();
}

// A name in another letter case finds the device the recorder would record. Wine numbers its
// wave-in devices anew in each run, so the expected ids are looked up here, and the id checked is
// the one Wine gives for the handle the monitor opened.
TEST_F(AudioLiveMonitor, TheMonitorOpensTheDeviceTheRecordersLookupFindsInAnyLetterCase) {
  UINT lookAlike = WAVE_MAPPER;
  for (UINT id = 0; id < waveInGetNumDevs(); ++id) {
    WAVEINCAPSA caps{};
    if (waveInGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR &&
        std::strcmp(caps.szPname, "usb fm radio look-alike") == 0)
      lookAlike = id;
  }
  ASSERT_NE(lookAlike, static_cast<UINT>(WAVE_MAPPER));

  WaveMonitor monitor;
  ASSERT_TRUE(monitor.Start("USB FM RADIO"));
  EXPECT_EQ(monitor.OpenedDeviceId(), lookAlike);
  monitor.Stop();
  ASSERT_TRUE(monitor.Start(kReceiverAudioName));
  EXPECT_EQ(monitor.OpenedDeviceId(), FindWaveInDevice(kReceiverAudioName)->Id());
  monitor.Stop();
}

// A body that ends on its own after opening its devices stands for a monitor whose driver failed.
TEST(AudioDeviceThread, ABodyThatEndedOnItsOwnIsNotRunningAndTheNextStartRunsItAgain) {
  std::atomic<int> runs{0};
  const DeviceThread::Body failsAfterOpening = [&](DeviceThread& thread) {
    runs.fetch_add(1);
    thread.Opened(true);
  };
  DeviceThread thread;
  ASSERT_TRUE(thread.Start(failsAfterOpening));
  for (int i = 0; i < 200 && thread.Running(); ++i) Sleep(10);
  EXPECT_FALSE(thread.Running());
  EXPECT_TRUE(thread.Start(failsAfterOpening));
  for (int i = 0; i < 200 && runs.load() < 2; ++i) Sleep(10);
  EXPECT_EQ(runs.load(), 2);
  thread.Stop();
  EXPECT_FALSE(thread.Running());
}

}  // namespace
