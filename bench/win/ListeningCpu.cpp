// What live listening costs (Windows build, run by hand inside the rig; not part of the tests):
// the CPU time of this process while Kestrune's live object plays the receiver, built, run and
// set to a slider level as the window does it, against a bare wave-in -> wave-out loop of the same
// device, format and block size, in alternating rounds of N seconds each (A B, then B A, ...).
// Each measure leaves out its first second, where the devices open. The audio daemon's CPU over
// the same spans is reported beside it when its pid file and /proc can be read, since every
// stream the program opens is mixed there too.
//   bench_ListeningCpu.exe [seconds per round] [rounds]
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/CaptureRules.h"
#include "audio/win32/CaptureFormat.h"
#include "audio/win32/LiveGraph.h"
#include "audio/win32/WaveCapture.h"
#include "audio/win32/WaveMonitor.h"
#include "base/win32/Win32Handle.h"

namespace {

constexpr DWORD kSettleMs = 1000;

// The reference: the receiver copied to the speakers with nothing else, the same blocks and
// queue depths as the monitor, no gain.
class BareLoop {
 public:
  explicit BareLoop(UINT inId) : thread_([this, inId] { Run(inId); }) {}
  ~BareLoop() {
    stop_ = true;
    thread_.join();
  }
  BareLoop(const BareLoop&) = delete;
  BareLoop& operator=(const BareLoop&) = delete;
  unsigned Played() const { return played_.load(); }
  bool Failed() const { return failed_.load(); }

 private:
  void Run(UINT inId) {
    WAVEFORMATEX format = CaptureWaveFormat();
    UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const auto callback = reinterpret_cast<DWORD_PTR>(event.Get());
    HWAVEIN in = nullptr;
    HWAVEOUT out = nullptr;
    if (waveInOpen(&in, inId, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      failed_ = true;
      return;
    }
    if (waveOutOpen(&out, WAVE_MAPPER, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      waveInClose(in);
      failed_ = true;
      return;
    }
    constexpr unsigned kIn = WaveMonitor::kInBlocks, kOut = WaveMonitor::kOutBlocks, kBytes = WaveMonitor::kBlockBytes;
    std::vector<char> memory(static_cast<size_t>(kIn + kOut) * kBytes);
    WAVEHDR inHeaders[kIn]{};
    WAVEHDR outHeaders[kOut]{};
    for (unsigned i = 0; i < kIn; ++i) {
      inHeaders[i].lpData = memory.data() + static_cast<size_t>(i) * kBytes;
      inHeaders[i].dwBufferLength = kBytes;
      waveInPrepareHeader(in, &inHeaders[i], sizeof(WAVEHDR));
      waveInAddBuffer(in, &inHeaders[i], sizeof(WAVEHDR));
    }
    for (unsigned i = 0; i < kOut; ++i) {
      outHeaders[i].lpData = memory.data() + static_cast<size_t>(kIn + i) * kBytes;
      waveOutPrepareHeader(out, &outHeaders[i], sizeof(WAVEHDR));
    }
    waveInStart(in);
    unsigned next = 0;
    while (!stop_.load()) {
      WaitForSingleObject(event.Get(), 50);
      while (inHeaders[next].dwFlags & WHDR_DONE) {
        WAVEHDR& filled = inHeaders[next];
        for (WAVEHDR& spare : outHeaders)
          if (!(spare.dwFlags & WHDR_INQUEUE)) {
            std::copy_n(filled.lpData, filled.dwBytesRecorded, spare.lpData);
            spare.dwBufferLength = filled.dwBytesRecorded;
            if (waveOutWrite(out, &spare, sizeof(WAVEHDR)) == MMSYSERR_NOERROR) played_.fetch_add(1);
            break;
          }
        filled.dwBytesRecorded = 0;
        waveInAddBuffer(in, &filled, sizeof(WAVEHDR));
        next = (next + 1) % kIn;
      }
    }
    waveInReset(in);
    for (WAVEHDR& header : inHeaders) waveInUnprepareHeader(in, &header, sizeof(WAVEHDR));
    waveInClose(in);
    waveOutReset(out);
    for (WAVEHDR& header : outHeaders) waveOutUnprepareHeader(out, &header, sizeof(WAVEHDR));
    waveOutClose(out);
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> failed_{false};
  std::atomic<unsigned> played_{0};
  std::thread thread_;  // last: it starts once the rest exists
};

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The audio daemon's CPU seconds from its /proc entry (clock ticks of 1/100 s), or -1.
class DaemonCpu {
 public:
  DaemonCpu() {
    char runtime[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("PULSE_RUNTIME_PATH", runtime, sizeof runtime)) return;
    std::ifstream pidFile(WindowsPath(std::string(runtime) + "/pid"));
    pidFile >> pid_;
  }
  double Seconds() const {
    if (pid_ <= 0) return -1;
    std::ifstream stat(WindowsPath("/proc/" + std::to_string(pid_) + "/stat"));
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return -1;
    // Fields after the command name: state is the 3rd of the line, utime and stime the 14th and 15th.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
      if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return double(utime + stime) / 100.0;
  }

 private:
  static std::string WindowsPath(std::string unixPath) {
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
  }
  long pid_ = 0;
};

// Waits `ms` delivering the thread's messages, as the window's thread would while it listens.
void PumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

struct Measure {
  double cpu = 0;     // share of one core for this process
  double daemon = 0;  // the same for the audio daemon, -1 when unknown
  double blocksPerSecond = 0;
};

template <class Played>
Measure MeasureSpan(DWORD ms, const DaemonCpu& daemon, Played played) {
  PumpFor(kSettleMs);
  const unsigned blocks0 = played();
  const ULONGLONG wall0 = GetTickCount64();
  const double cpu0 = ProcessCpuSeconds(), daemon0 = daemon.Seconds();
  PumpFor(ms);
  const double wall = double(GetTickCount64() - wall0) / 1000.0;
  const double cpu1 = ProcessCpuSeconds(), daemon1 = daemon.Seconds();
  return {(cpu1 - cpu0) / wall, daemon0 < 0 ? -1 : (daemon1 - daemon0) / wall, (played() - blocks0) / wall};
}

Measure MeasureKestrune(DWORD ms, const DaemonCpu& daemon, int& built) {
  DirectShowLiveAudio live([] { return true; });
  const int result = live.BuildLiveGraph();
  live.RunLive();
  live.SetVolume(50);
  built = (live.Graph() ? 1 : 0) + (live.UsesMonitor() ? 2 : 0);
  if (FAILED(result)) std::printf("BuildLiveGraph failed: 0x%08lx\n", static_cast<unsigned long>(result));
  const Measure m = MeasureSpan(ms, daemon, [&] { return live.Monitor().BlocksPlayed(); });
  live.ReleaseLiveGraph();
  return m;
}

Measure MeasureBare(DWORD ms, const DaemonCpu& daemon, UINT inId) {
  BareLoop loop(inId);
  const Measure m = MeasureSpan(ms, daemon, [&] { return loop.Played(); });
  if (loop.Failed()) std::printf("the bare loop could not open its devices\n");
  return m;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 6;
  CoInitialize(nullptr);  // the window's thread is a single-threaded apartment
  const UINT inId = FindWaveInId(kReceiverAudioName);
  if (inId == WAVE_MAPPER) {
    std::printf("no wave-in device named like \"%s\"\n", kReceiverAudioName);
    return 2;
  }
  const DaemonCpu daemon;
  const DWORD ms = static_cast<DWORD>(seconds) * 1000;
  const char* builtNames[] = {"nothing", "graph", "monitor", "monitor beside a graph"};

  std::vector<double> ratios, daemonRatios;
  double kestruneTotal = 0, bareTotal = 0;
  for (int round = 0; round < rounds; ++round) {
    Measure kestrune, bare;
    int built = 0;
    // Alternate which goes first, so that a slow drift of the machine's load favours neither.
    if (round % 2 == 0) {
      kestrune = MeasureKestrune(ms, daemon, built);
      bare = MeasureBare(ms, daemon, inId);
    } else {
      bare = MeasureBare(ms, daemon, inId);
      kestrune = MeasureKestrune(ms, daemon, built);
    }
    const double ratio = bare.cpu > 0 ? kestrune.cpu / bare.cpu : 0;
    ratios.push_back(ratio);
    kestruneTotal += kestrune.cpu;
    bareTotal += bare.cpu;
    std::printf("round %d: kestrune(%s) %.2f%% of a core, %.1f blocks/s; bare loop %.2f%%, %.1f blocks/s; "
                "ratio %.3f",
                round + 1, builtNames[built], kestrune.cpu * 100, kestrune.blocksPerSecond, bare.cpu * 100,
                bare.blocksPerSecond, ratio);
    if (kestrune.daemon >= 0 && bare.daemon > 0) {
      daemonRatios.push_back(kestrune.daemon / bare.daemon);
      std::printf("; audio daemon %.2f%% against %.2f%%", kestrune.daemon * 100, bare.daemon * 100);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  std::printf("seconds=%d rounds=%d kestrune=%.2f%% bare=%.2f%% ratio_of_means=%.3f ratio_median=%.3f "
              "ratio_min=%.3f ratio_max=%.3f",
              seconds, rounds, kestruneTotal / rounds * 100, bareTotal / rounds * 100,
              bareTotal > 0 ? kestruneTotal / bareTotal : 0, Median(ratios),
              *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
  if (!daemonRatios.empty())
    std::printf(" daemon_ratio_median=%.3f daemon_ratio_min=%.3f daemon_ratio_max=%.3f", Median(daemonRatios),
                *std::min_element(daemonRatios.begin(), daemonRatios.end()),
                *std::max_element(daemonRatios.begin(), daemonRatios.end()));
  std::printf("\n");
  CoUninitialize();
  return 0;
}
