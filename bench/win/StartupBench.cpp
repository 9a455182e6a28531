// Start-up benchmark (run by hand under Wine inside the rig; not part of the tests): how long
// kestrune.exe takes from process creation to its painted main window, and its peak working set,
// against a minimal Win32 window of the same size, both started alternately from this process
// under the same warm wineserver.
//   bench_StartupBench.exe [runs per program, default 15] [path of kestrune.exe]
// "Painted" is the first moment the new process is idle (WaitForInputIdle: its thread waits in
// its message loop with nothing left to do, paint included) and shows a visible top-level window.
// The reference is bench_MinimalWindow.exe beside this program.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

struct FindContext {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context) {
  auto* find = reinterpret_cast<FindContext*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == find->processId && IsWindowVisible(window)) {
    find->found = window;
    return FALSE;
  }
  return TRUE;
}

struct Run {
  double ms = -1;
  double peakMiB = 0;
};

Run StartOnce(const std::wstring& exe, const std::wstring& arguments, bool isKestrune) {
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return {};
  Run run;
  FindContext find{process.dwProcessId, nullptr};
  for (int i = 0; i < 20000 && !find.found; ++i) {
    if (WaitForInputIdle(process.hProcess, 10) == WAIT_FAILED) Sleep(1);
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&find));
    if (find.found) {
      // Visible now: wait for the idle that follows its first paint.
      WaitForInputIdle(process.hProcess, 5000);
    }
  }
  QueryPerformanceCounter(&end);
  if (find.found) run.ms = double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
    run.peakMiB = double(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
  if (find.found) {
    if (isKestrune) PostMessageW(find.found, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
    else PostMessageW(find.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder = folder.substr(0, folder.find_last_of(L"\\/"));
  const std::wstring minimalWindow = folder + L"\\bench_MinimalWindow.exe";
  std::wstring kestrune = folder + L"\\kestrune.exe";
  if (argc > 2) {
    const int length = MultiByteToWideChar(CP_ACP, 0, argv[2], -1, nullptr, 0);
    kestrune.assign(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, kestrune.data(), length);
    kestrune.resize(static_cast<size_t>(length) - 1);
  }

  // One start of each first: the file cache and the prefix are warm for the measured runs.
  StartOnce(minimalWindow, L"", false);
  StartOnce(kestrune, L"", true);
  std::vector<double> minimalMs, minimalMiB, kestruneMs, kestruneMiB;
  for (int i = 0; i < runs; ++i) {
    const Run minimal = StartOnce(minimalWindow, L"", false);
    const Run program = StartOnce(kestrune, L"", true);
    if (minimal.ms < 0 || program.ms < 0) {
      std::printf("run %d: a window never appeared\n", i + 1);
      return 1;
    }
    minimalMs.push_back(minimal.ms);
    minimalMiB.push_back(minimal.peakMiB);
    kestruneMs.push_back(program.ms);
    kestruneMiB.push_back(program.peakMiB);
  }
  const double mm = Median(minimalMs), km = Median(kestruneMs);
  std::printf("start-up to the painted window, median of %d runs each (alternating, warm Wine):\n", runs);
  std::printf("  minimal window  %7.1f ms  peak working set %6.1f MiB\n", mm, Median(minimalMiB));
  std::printf("  kestrune.exe    %7.1f ms  peak working set %6.1f MiB\n", km, Median(kestruneMiB));
  std::printf("  ratio           %7.2fx                      %6.2fx\n", mm > 0 ? km / mm : 0,
              Median(minimalMiB) > 0 ? Median(kestruneMiB) / Median(minimalMiB) : 0);
  return 0;
}
