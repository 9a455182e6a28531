// Start-up benchmark (run by hand under Wine inside the rig; not part of the tests): how long
// kestrune.exe takes from process creation to its painted main window, and its peak working set,
// against a minimal Win32 window of the same size, both started alternately from this process
// under the same warm wineserver.
//   bench_StartupBench.exe [runs per program, default 15] [path of kestrune.exe]
// "Painted" is the first moment the new process shows a visible top-level window whose update
// region is empty, and so are those of its visible child windows: every part of it has been
// through WM_PAINT. (WaitForInputIdle is no help here: under Wine it is signalled only after the
// receiver's bring-up, long after the window is on the screen.)
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

BOOL CALLBACK FindUnpaintedChild(HWND child, LPARAM unpainted) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(unpainted) = true;
    return FALSE;
  }
  return TRUE;
}

bool Painted(HWND window) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  bool unpainted = false;
  EnumChildWindows(window, FindUnpaintedChild, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

struct Run {
  double visibleMs = -1;  // the window first seen visible
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
  bool painted = false;
  for (int i = 0; i < 200000 && !painted; ++i) {
    if (!find.found) {
      EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&find));
      if (find.found) {
        QueryPerformanceCounter(&end);
        run.visibleMs = double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart);
      }
    }
    painted = find.found && Painted(find.found);
    if (!painted) Sleep(1);
  }
  QueryPerformanceCounter(&end);
  if (painted) run.ms = double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart);
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
  std::vector<double> minimalMs, minimalMiB, kestruneMs, kestruneMiB, minimalVisible, kestruneVisible;
  for (int i = 0; i < runs; ++i) {
    const Run minimal = StartOnce(minimalWindow, L"", false);
    const Run program = StartOnce(kestrune, L"", true);
    if (minimal.ms < 0 || program.ms < 0) {
      std::printf("run %d: a window never appeared\n", i + 1);
      return 1;
    }
    minimalMs.push_back(minimal.ms);
    minimalVisible.push_back(minimal.visibleMs);
    kestruneVisible.push_back(program.visibleMs);
    minimalMiB.push_back(minimal.peakMiB);
    kestruneMs.push_back(program.ms);
    kestruneMiB.push_back(program.peakMiB);
  }
  const double mm = Median(minimalMs), km = Median(kestruneMs);
  std::printf("start-up to the painted window, median of %d runs each (alternating, warm Wine):\n", runs);
  std::printf("  minimal window  %7.1f ms  peak working set %6.1f MiB  (visible at %.1f ms)\n", mm,
              Median(minimalMiB), Median(minimalVisible));
  std::printf("  kestrune.exe    %7.1f ms  peak working set %6.1f MiB  (visible at %.1f ms)\n", km,
              Median(kestruneMiB), Median(kestruneVisible));
  std::printf("  ratio           %7.2fx                      %6.2fx\n", mm > 0 ? km / mm : 0,
              Median(minimalMiB) > 0 ? Median(kestruneMiB) / Median(minimalMiB) : 0);
  return 0;
}
