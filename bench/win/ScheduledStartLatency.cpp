// Scheduled start latency for the Windows build (run under Wine inside the rig; not part of the
// tests): from the second a reservation starts to the first block the capture thread hands to
// its MP3 writer, through the real scheduler, recorder and wave-in capture, the receiver
// simulated behind the HID interface. Timer 1 is emulated at its 300 ms period with a phase of
// its own for every start, as a real window timer falls anywhere within the second.
//   bench_ScheduledStartLatency.exe [starts] [seconds per recording]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/LiveSound.h"
#include "app/MainWindow.h"
#include "audio/Recorder.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "schedule/Scheduler.h"
#include "schedule/win32/Win32Power.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"
#include "settings/TimerSetting.h"
#include "tests/support/SimulatedReceiver.h"

namespace {

int64_t SystemTicks() {
  FILETIME t{};
  GetSystemTimeAsFileTime(&t);
  return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

std::atomic<int64_t> g_firstBlock{0};

// The MP3 writer, noting when the first captured block reached it.
class TimedSink final : public IRecordingSink {
 public:
  explicit TimedSink(std::unique_ptr<IRecordingSink> next) : next_(std::move(next)) {}
  int Receive(const uint8_t* block, uint32_t bytes) override {
    int64_t expected = 0;
    g_firstBlock.compare_exchange_strong(expected, SystemTicks());
    return next_->Receive(block, bytes);
  }

 private:
  std::unique_ptr<IRecordingSink> next_;
};

struct Quiet final : ITimerHost, IMainView, IMainDisplay, IPowerActions {
  void SetTimer(unsigned, unsigned) override {}
  void KillTimer(unsigned) override {}
  void EnableControl(int, bool) override {}
  int FocusedControl() override { return 0; }
  bool ControlUsable(int) override { return false; }
  void FocusControl(int) override {}
  void SetVolumeSlider(int) override {}
  int VolumeSliderPosition() override { return 0; }
  void SetButtonCells(int, int, int) override {}
  void RedrawButton(int) override {}
  void SetTooltip(int, const std::string&) override {}
  void ShowMainWindow(ShowCommand) override {}
  void UnregisterDeviceNotifications() override {}
  void RegisterDeviceNotifications() override {}
  void DestroyMainWindow() override {}
  void ShowAboutBox() override {}
  WindowHandle Handle() const override { return nullptr; }
  void InvalidateReadout() override {}
  void ApplyButtonTips() override {}
  void RefreshPresetTips() override {}
  void BuildWindowRegion() override {}
  void ReloadStereoImages() override {}
  void SetExecutionState(uint32_t) override {}
  void ArmWakeTimer(int64_t) override {}
  void CloseWakeTimer() override {}
  void RequestWakeupLatency() override {}
  void Beep() override {}
  bool Suspend() override { return false; }
  bool ShutDown() override { return false; }
};

struct SystemWallClock final : IWallClock {
  LocalTime Now() override {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int length = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "kestrune-latency";
  CreateDirectoryA(folder.c_str(), nullptr);

  MemoryKeyValueTree tree;
  SettingsStore store(tree);
  store.WriteValue(kGeneralKey, "RECORDFOLDER", folder);
  SimulatedReceiver receiver(SteadyClock::Instance());
  receiver.readLatencyMs = 0;
  SimulatedHidPlatform platform(receiver);
  platform.PutReceiverAt(0);
  Recorder recorder(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(),
                    [sinks = Mp3SinkFactory()](const std::string& path, uint16_t kbps) -> std::unique_ptr<IRecordingSink> {
                      return std::make_unique<TimedSink>(sinks(path, kbps));
                    });
  Quiet quiet;
  SystemWallClock wall;
  PowerState power(quiet);
  // The window's part of the program, as the process builds it: the scheduler asks the window and
  // the session tells the scheduler, so they are made side by side.
  struct Program {
    Program(IHidPlatform& platform, IRecorder& recorder, SettingsStore& store, IWallClock& wall, Quiet& quiet,
            PowerState& power)
        : sound(nullptr, nullptr, [this] { recording.StopRecording(RecordingEndReason::ReceiverRemoved); }),
          device(platform, SteadyClock::Instance(), &sound),
          radio(store),
          recording(&recorder, sound, radio, SteadyClock::Instance(), wall, quiet, quiet, nullptr, &scheduler,
                    nullptr),
          window(device, sound, radio, recording, store, SteadyClock::Instance(), wall, quiet, quiet, quiet, power,
                 nullptr, &scheduler, nullptr),
          scheduler(window, recording, power, quiet, folders, calendar, wall, SteadyClock::Instance(), store) {}
    LiveSound sound;
    CMyKestrune device;
    Radio radio;
    RecordingController recording;
    MainWindow window;
    Win32RecordFolders folders;
    SystemSchedulerClock calendar;
    Scheduler scheduler;
  } program(platform, recorder, store, wall, quiet, power);
  CMyKestrune& device = program.device;
  MainWindow& window = program.window;
  Scheduler& scheduler = program.scheduler;
  window.ClearRunState();
  window.LoadPowerSettings();
  window.LoadRadioState();
  window.SetStartPending();
  window.DeferredStart();
  if (!device.IsOpen()) {
    std::fprintf(stderr, "the simulated receiver did not open\n");
    return 1;
  }

  std::vector<double> latencies;
  for (int i = 0; i < starts; ++i) {
    // Each start 3 s ahead, timer 1's phase moved on by a prime number of milliseconds.
    Sleep(static_cast<DWORD>(137 * (i + 1) % 300));
    const LocalTime start = CivilTime(CivilSeconds(wall.Now()) + 3);
    const std::string key = TimerKey(1);
    store.WriteValue(key, "ITEM", "Latency");
    store.WriteValue(key, "ACTIVE", "1");
    store.WriteValue(key, "FREQ", std::to_string(7600 + 20 * (i % 10)));
    store.WriteValue(key, "DATETYPE", "0");
    store.WriteValue(key, "DATE", DateText(start));
    store.WriteValue(key, "STARTTIME", TimeText(start));
    store.WriteValue(key, "ENDSTART", TimeText(CivilTime(CivilSeconds(start) + length)));
    scheduler.LoadSchedule();
    g_firstBlock = 0;
    bool started = false;
    for (;;) {
      window.OnTimer(kTimerHeartbeat);
      if (program.recording.IsRecording()) started = true;
      else if (started) break;  // the reservation ran its time and stopped
      Sleep(300);
    }
    // The start second's first instant on the system clock: local time is a whole number of
    // minutes away from it, so the second turns over at the same instant.
    const int64_t systemSeconds = SystemTicks() / 10000000;
    int64_t offset = CivilSeconds(wall.Now()) - systemSeconds + 30;
    offset -= ((offset % 60) + 60) % 60;  // floor to whole minutes: the offset is negative
    const int64_t boundary = (CivilSeconds(start) - offset) * 10000000;
    const double ms = (g_firstBlock - boundary) / 10000.0;
    latencies.push_back(ms);
    std::printf("start %d at %s: first captured block %.0f ms after the start second\n", i + 1,
                TimeText(start).c_str(), ms);
  }
  std::sort(latencies.begin(), latencies.end());
  std::printf("scheduled start to first block: median %.0f ms, worst %.0f ms (budget 1500 ms)\n",
              latencies[latencies.size() / 2], latencies.back());
  return latencies.back() <= 1500.0 ? 0 : 2;
}
