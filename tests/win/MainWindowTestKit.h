#pragma once
// What the tests of the real main window share: the simulated receiver made ready, settings
// planted under the general key, the recorder kestrune.exe gives the window, and the window
// driven as a click or the start-up drives it.

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/win32/App.h"
#include "app/win32/MainDlg.h"
#include "audio/AudioPreparation.h"
#include "audio/Recorder.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "base/Clock.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"
#include "tests/support/PlaybackSlot.h"
#include "tests/support/SimulatedReceiver.h"

// The volume slider's class registered, the receiver plugged in as HID member `at`, and its
// reports answered at once.
inline void ReadyMainWindowRig(SimulatedHidPlatform& platform, SimulatedReceiver& receiver, unsigned at) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  platform.PutReceiverAt(at);
  receiver.readLatencyMs = 0;
}

// The interface-arrival broadcast of the receiver's HID interface, as Windows sends it; the
// window's answer.
inline LRESULT SendReceiverArrival(HWND hwnd) {
  const char path[] = "\\\\?\\hid#vid_10c4&pid_818a#7&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
  std::vector<char> block(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + sizeof path, 0);
  auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(block.data());
  record->dbcc_size = static_cast<DWORD>(block.size());
  record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  std::memcpy(record->dbcc_name, path, sizeof path);
  return SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record));
}

inline void PlantGeneral(MemoryKeyValueTree& tree, const std::string& name, const std::string& value) {
  tree.PlantString(std::string(kSettingsRoot) + "\\" + kGeneralKey, name, value);
}

// Takes a WM_QUIT the window posted off the queue, so later tests start clean.
inline void DrainQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// A command from control or menu item `id`, as its parent sees it.
inline void SendCommand(HWND window, int id, int code = 0) {
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// Keeps the failures a start by hand reports, which would otherwise stop the run in a message box.
class NotedFailures final : public IFailureBox {
 public:
  void Show(const std::string& message) override { shown.push_back(message); }
  std::vector<std::string> shown;
};

// The wave-in recorder over the rig's "FM Radio" source, as the process entry joins it.
inline std::unique_ptr<Recorder> WaveInRecorder() {
  return std::make_unique<Recorder>(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance());
}

// Shows the window and brings the receiver up as the deferred start does; true when it opened.
inline bool ShowAndBringUp(App& app, HWND window) {
  ShowWindow(window, SW_SHOW);
  SendMessageA(window, WM_TIMER, kTimerDeferredStart, 0);
  return app.Device().IsOpen();
}

// The parts a test of the window leaves out do nothing, as if the program had none.
class NoScheduler final : public ISchedulerControl {
 public:
  void LoadSchedule() override {}
  void SchedulerTick(const LocalTime&) override {}
};

// No icon; the pictures the window asks for go to `onPicture` when set.
class TrayStandIn final : public ITrayIcon {
 public:
  void AddTrayIcon(HWND) override {}
  void SetTrayPicture(int iconId) override {
    if (onPicture) onPicture(iconId);
  }
  LRESULT OnTrayNotify(HWND, WPARAM, LPARAM) override { return 0; }
  void ReAddTrayIcon(HWND) override {}
  bool OnTrayTimer(HWND, UINT_PTR id) override {
    timers.push_back(id);
    return false;
  }
  bool OnTrayCommand(int) override { return false; }
  void Notify(const std::string&, const std::string&) override {}
  std::function<void(int)> onPicture;
  std::vector<UINT_PTR> timers;  // the timers the window handed over
};

// The program as the tests build it: over the simulated receiver, the test's settings and clock;
// audio, dialogs and a failure box only as the test gives them, and no scheduler, playback or tray
// until the test takes the program's own (a null stand-in).
inline AppAdapters TestAdapters(IHidPlatform& hid, IKeyValueTree& tree, IClock& clock) {
  static NoScheduler noScheduler;
  static PlaybackSlot noPlayback;
  static TrayStandIn noTray;
  AppAdapters adapters;
  adapters.instance = GetModuleHandleA(nullptr);
  adapters.hid = &hid;
  adapters.program = false;
  adapters.clock = &clock;
  adapters.settingsTree = &tree;
  adapters.scheduler = &noScheduler;
  adapters.playback = &noPlayback;
  adapters.tray = &noTray;
  return adapters;
}
