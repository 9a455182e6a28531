#pragma once
// What the tests of the real main window share: the simulated receiver made ready, settings
// planted under the general key, the recorder kestrune.exe gives the window, and the window
// driven as a click or the start-up drives it.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/win32/MainDlg.h"
#include "audio/AudioPreparation.h"
#include "audio/Recorder.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "base/Clock.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"
#include "tests/support/SimulatedReceiver.h"

// The volume slider's class registered, the receiver plugged in as HID member `at`, and its
// reports answered at once.
inline void ReadyMainWindowRig(SimulatedHidPlatform& platform, SimulatedReceiver& receiver, unsigned at) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  platform.PutReceiverAt(at);
  receiver.readLatencyMs = 0;
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

// Keeps the failures the recorder reports, which would otherwise stop the run in a message box.
class NotedFailures final : public IFailureBox {
 public:
  void Show(const std::string& message) override { shown.push_back(message); }
  std::vector<std::string> shown;
};

// The wave-in recorder over the rig's "FM Radio" source, as the process entry joins it.
inline std::unique_ptr<Recorder> WaveInRecorder(IFailureBox* failures) {
  return std::make_unique<Recorder>(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(), failures);
}

// Shows the window and brings the receiver up as the deferred start does; true when it opened.
inline bool ShowAndBringUp(CMainDlg& dlg, HWND window) {
  ShowWindow(window, SW_SHOW);
  SendMessageA(window, WM_TIMER, kTimerDeferredStart, 0);
  return dlg.Device().IsOpen();
}
