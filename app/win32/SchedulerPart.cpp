#include "app/win32/SchedulerPart.h"

#include "device/win32/Win32Handle.h"

SchedulerPart::SchedulerPart(CMainDlg& dialog, PowerCalls calls)
    : dialog_(dialog),
      power_(calls),
      scheduler_(dialog.Window(), dialog.Window().Recording(), dialog.Window().Power(), power_, folders_, calendar_,
                 dialog.Window().WallClock(), dialog.Window().Clock(), dialog.Settings()) {
  scheduler_.SetReporter(&reporter_);
  MainWindowParts parts = dialog.Window().Parts();
  parts.scheduler = &scheduler_;
  dialog.Window().SetParts(parts);
  dialog.Hooks().powerBroadcast = [this](WPARAM event, LPARAM) {
    return static_cast<LRESULT>(scheduler_.OnPowerBroadcast(static_cast<unsigned>(event)));
  };
}

void SchedulerPart::AppendLog(const std::string& folder, const std::string& line) {
  const std::string path = folder + "\\" + kLogFileName;
  // Shared for reading: the user may have the log open in an editor.
  const UniqueHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool SchedulerPart::WindowHidden() { return !IsWindowVisible(dialog_.Hwnd()); }

void SchedulerPart::Notify(const std::string& title, const std::string& text) {
  if (dialog_.Hooks().notify) dialog_.Hooks().notify(title, text);
}
