// What a whole copy of the program costs, measured from outside as a user runs it (Windows build,
// run by hand inside the rig; not part of the tests): the CPU time of its process over N seconds
// while it waits hidden after a start in the tray ("/tray", as at log-on), then while a plain
// start plays the receiver, each after the bring-up has settled. Without a receiver in the rig,
// kestrune.exe brings nothing up; kestrune-demo.exe (the default) has its software receiver, whose
// feed into "Receiver Feed" runs in the same process in both modes.
//   bench_HiddenCpu.exe [seconds, default 60] [program, default kestrune-demo.exe beside this one]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "app/win32/SingleInstance.h"
#include "base/win32/Win32Handle.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kSettleMs = 5000;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Wine answers GetProcessTimes for another process with zeros: the process is found among the
// host's, by its program's name and this prefix, and its CPU read from its /proc entry.
int UnixPid(const std::string& exe) {
  char prefix[MAX_PATH] = {};
  GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  const std::string name = exe.substr(exe.find_last_of('\\') + 1);
  const std::string ours = std::string("WINEPREFIX=") + prefix + '\0';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int pid = 0;
  do {
    const int candidate = std::atoi(found.cFileName);
    if (candidate <= 0) continue;
    const std::string entry = std::string("Z:\\proc\\") + found.cFileName;
    if (ReadAll(entry + "\\cmdline").find(name) == std::string::npos) continue;
    if (*prefix && ReadAll(entry + "\\environ").find(ours) == std::string::npos) continue;
    pid = candidate;
  } while (!pid && FindNextFileA(search, &found));
  FindClose(search);
  return pid;
}

// utime + stime of /proc/<pid>/stat, in clock ticks of 1/100 s; -1 when unreadable.
double CpuSeconds(int pid) {
  const std::string stat = ReadAll("Z:\\proc\\" + std::to_string(pid) + "\\stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i)
    if (i >= 14) ticks += std::atof(field.c_str());
  return ticks / 100;
}

std::string Beside(const char* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  folder.erase(folder.find_last_of('\\') + 1);
  return folder + name;
}

// One run: the program started with `arguments`, measured for `seconds`, then ended by its Exit.
// The share of one core in percent; negative when it could not be measured.
double Measure(const std::string& exe, const char* arguments, int seconds) {
  std::string commandLine = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return -1;
  const UniqueHandle process(info.hProcess);
  CloseHandle(info.hThread);
  const HWND window = WaitForRunningInstance(30000);
  if (!window) {
    TerminateProcess(process.Get(), 1);
    return -1;
  }
  Sleep(kSettleMs);
  const int pid = UnixPid(exe);
  if (!pid) {
    std::printf("%s: its process is not found in /proc\n", exe.c_str());
    TerminateProcess(process.Get(), 1);
    return -1;
  }
  const double before = CpuSeconds(pid);
  const ULONGLONG start = GetTickCount64();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  const double used = CpuSeconds(pid) - before;
  const double elapsed = static_cast<double>(GetTickCount64() - start) / 1000;
  std::printf("%-8s window %s: %.2f s of CPU in %.1f s = %.2f%% of a core (%.0f ticks of 100 per second)\n",
              *arguments ? arguments : "plain", IsWindowVisible(window) ? "shown " : "hidden", used, elapsed,
              100 * used / elapsed, used * 100);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
  if (WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) TerminateProcess(process.Get(), 1);
  return 100 * used / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const std::string exe = argc > 2 ? argv[2] : Beside("kestrune-demo.exe");
  std::printf("%s, %d s each after %lu ms of settling\n", exe.c_str(), seconds, kSettleMs);
  if (FindRunningInstance()) {
    std::printf("another copy runs: close it first\n");
    return 1;
  }
  const double hidden = Measure(exe, "/tray", seconds);
  const double listening = Measure(exe, "", seconds);
  if (hidden < 0 || listening < 0) {
    std::printf("the program did not come up\n");
    return 1;
  }
  std::printf("hidden / listening: %.2f\n", listening > 0 ? hidden / listening : 0.0);
  return 0;
}
