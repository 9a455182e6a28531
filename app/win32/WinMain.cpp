// Process entry of kestrune.exe: one copy per desktop, the user-interface thread at the highest
// priority it is granted, and the main window's loop. The screen saver (and the lock that comes
// with it) stays the user's: the program runs all session long in the tray, and keeping the PC
// awake while it records is the keep-awake rule's work.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win32/MainDlg.h"
#include "app/win32/MainTray.h"
#include "app/win32/PlaybackPart.h"
#include "app/win32/SchedulerPart.h"
#include "app/win32/ProcessHidPlatform.h"
#include "app/win32/SettingsDialogs.h"
#include "app/win32/SingleInstance.h"
#include "app/win32/StartWithWindows.h"
#include "app/win32/WindowLayer.h"
#include "audio/win32/AudioPreparationWin32.h"
#include "audio/win32/LiveGraph.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "device/win32/Win32Hid.h"
#include "schedule/win32/Win32StartTask.h"
#include "settings/win32/RegistryTree.h"

#ifndef KESTRUNE_DEMO
std::unique_ptr<IHidPlatform> MakeProcessHidPlatform() { return std::make_unique<Win32HidPlatform>(); }
#endif

namespace {

// How long a second start waits for the first copy's window to show it.
constexpr DWORD kFirstCopyWaitMs = 20000;

// The thread's COM apartment, entered before the main window exists and left after everything
// that used it is gone: a screen reader asks the window for its accessible object (WM_GETOBJECT,
// answered through COM) as soon as the window is created, and the live region is marked polite
// through COM while the window initialises. The deferred start's live graph uses it too.
class ComApartment {
 public:
  ComApartment() = default;
  ~ComApartment() {
    if (entered_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  void Enter() { entered_ = SUCCEEDED(CoInitialize(nullptr)); }

 private:
  bool entered_ = false;
};

int RunMainWindow(HINSTANCE instance, int showCommand, bool inTray) {
  ComApartment com;  // first, so that it is left last
  MessageLoop loop;
  const std::unique_ptr<IHidPlatform> hidPlatform = MakeProcessHidPlatform();
  IHidPlatform& hid = *hidPlatform;
  RegistryTree registry;
  WaveInAudioPreparation audioPreparation;
  MessageFailureBox failureBox;
  SettingsDialogs settingsDialogs(registry);
  auto dialog = std::make_unique<CMainDlg>(instance, hid, registry, SteadyClock::Instance());
  MainWindowParts parts = dialog->Window().Parts();
  parts.dialogs = &settingsDialogs;
  parts.failures = &failureBox;
  dialog->Window().SetParts(parts);
  if (inTray) dialog->Window().SetStartedInTray();
  CMyKestrune& device = dialog->Device();
  device.SetLiveAudio(std::make_unique<DirectShowLiveAudio>([&device] { return device.IsOpen(); }));
  device.SetAudioPreparation(&audioPreparation, &failureBox);
  device.SetRecorder(
      std::make_unique<Recorder>(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(), &failureBox));
  MainTray tray(*dialog, instance);
  tray.Install();
  // Windows starts this very copy for the next reservation.
  Win32StartTaskStore startTask(ThisProgramPath());
  SchedulerPart scheduler(*dialog, SystemPowerCalls(), &startTask);
  com.Enter();
  HWND window = dialog->Create(instance, CMainDlg::kTemplateId, nullptr);
  if (!window) return 0;
  // Declared after the dialog's owner: the dialog is reset first, below, then playback goes.
  PlaybackPart playback(*dialog);
  dialog->CentreOnWorkArea();
  // In the tray (a start at log-on) everything runs as usual but the window stays hidden.
  ShowAsRunningInstance(window, inTray ? SW_HIDE : showCommand, nullptr);
  const int result = loop.Run();
  dialog.reset();
  return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  // The uninstaller's call: the user's task goes, nothing else happens (a running copy would
  // write it again at its next change, so the uninstaller runs this only once none runs).
  if (AsksToRemoveStartTask(commandLine)) return Win32StartTaskStore(ThisProgramPath()).Remove() == 0 ? 0 : 1;
  const bool inTray = IsTrayStart(commandLine);
  const InstanceLock lock;  // first of all, held until the end
  if (!lock.First() || FindRunningInstance()) {
    // A start in the tray leaves the running copy as it is; any other start shows it, once its
    // window is there.
    if (!inTray)
      if (HWND running = WaitForRunningInstance(kFirstCopyWaitMs)) ActivateInstance(running);
    return 0;
  }
  // Either may be refused (REALTIME needs a privilege): the program runs on regardless.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  return RunMainWindow(instance, showCommand, inTray);
}
