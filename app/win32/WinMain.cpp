// Process entry of kestrune.exe: one copy per desktop, the user-interface thread above the others
// of a high-priority process, the thread's COM apartment, and the program. The screen saver (and
// the lock that comes with it) stays the user's: the program runs all session long in the tray,
// and keeping the PC awake while it records is the keep-awake rule's work.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win32/App.h"
#include "app/win32/ProcessHidPlatform.h"
#include "app/win32/ProgramPriority.h"
#include "app/win32/SingleInstance.h"
#include "app/win32/StartWithWindows.h"
#include "app/win32/WindowLayer.h"
#include "device/win32/Win32Hid.h"
#include "schedule/win32/Win32StartTask.h"

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

int RunProgram(HINSTANCE instance, int showCommand, bool inTray) {
  ComApartment com;  // first, so that it is left last
  MessageLoop loop;
  const std::unique_ptr<IHidPlatform> hid = MakeProcessHidPlatform();
  // Windows starts this very copy for the next reservation.
  Win32StartTaskStore startTask(ThisProgramPath());
  AppAdapters adapters;
  adapters.instance = instance;
  adapters.hid = hid.get();
  adapters.startTask = &startTask;
  App app(std::move(adapters));
  com.Enter();
  return app.Run(loop, showCommand, inTray);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  // The uninstaller's call: the user's task goes when it starts this copy, nothing else happens
  // (a running copy would write it again at its next change, so the uninstaller runs this only
  // once none runs).
  if (AsksToRemoveStartTask(commandLine)) return Win32StartTaskStore(ThisProgramPath()).RemoveOwn() == 0 ? 0 : 1;
  const bool inTray = IsTrayStart(commandLine);
  const InstanceLock lock;  // first of all, held until the end
  if (!lock.First() || FindRunningInstance()) {
    // A start in the tray leaves the running copy as it is; any other start shows it, once its
    // window is there.
    if (!inTray)
      if (HWND running = WaitForRunningInstance(kFirstCopyWaitMs)) ActivateInstance(running);
    return 0;
  }
  RaiseProgramPriority();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  return RunProgram(instance, showCommand, inTray);
}
