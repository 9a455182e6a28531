#pragma once
// The task that starts Kestrune for the next reservation, kept in Windows' Task Scheduler 2.0
// through ITaskService. Task names are the machine's, not the user's: each user who runs
// Kestrune gets a task of their own, named with their account's SID, in the folder "\Kestrune".
// Where Windows refuses a standard user that folder (it may allow tasks only in the root), the
// task goes to the root as "Kestrune next reservation <SID>" instead; a write removes the task
// from the other place, and a removal removes both and the folder once it is empty.
//
// The task is given to Task Scheduler as XML (StartTaskXml), which it validates as a whole.
// Works from any thread: each call enters a COM apartment of its own when the thread has none.

#include <string>

#include "schedule/StartTask.h"

inline constexpr const wchar_t* kStartTaskFolder = L"\\Kestrune";

// False only when the service control manager says the Task Scheduler service does not run.
// Windows' always runs, and its ITaskService::Connect fails without it. Wine's Connect starts the
// service itself instead, and in a prefix's first seconds that start hangs for half a minute (on
// the window's thread): it is not asked then, nor where nothing would run the task anyway.
bool TaskSchedulerMayRun();

class Win32StartTaskStore final : public IStartTaskStore {
 public:
  // `exe` is the program the task starts: the running copy's file, from GetModuleFileNameW.
  // Without the service (`serviceMayRun` false) nothing is asked of Task Scheduler and the result
  // is SCHED_E_SERVICE_NOT_RUNNING, as Windows' Connect answers then.
  explicit Win32StartTaskStore(std::wstring exe, bool (*serviceMayRun)() = TaskSchedulerMayRun);

  uint32_t Write(const StartTaskPlan& plan, const std::string& name) override;
  uint32_t Remove() override;
  // The uninstaller's removal: as Remove, but only a task that starts `exe` (StartTaskStarts);
  // another copy's task (a portable one's, elsewhere) is left in place, as the Run value is. 0
  // also when there was none or it was not this copy's.
  uint32_t RemoveOwn();

  // "Next reservation <SID>", in kStartTaskFolder.
  const std::wstring& TaskName() const { return name_; }
  // "Kestrune next reservation <SID>", in the root folder, where the folder was refused.
  const std::wstring& RootTaskName() const { return rootName_; }

 private:
  // Remove's work; with `onlyOwn`, RemoveOwn's.
  uint32_t RemoveTasks(bool onlyOwn);

  std::wstring exe_;
  bool (*serviceMayRun_)();
  std::wstring name_;
  std::wstring rootName_;
};

// The current user's SID as text ("S-1-5-21-…"); empty when the token does not say.
std::wstring CurrentUserSid();

// True when the command line asks the program only to remove the current user's task, when it
// starts this very copy, and end ("/removetask", any letter case): the uninstaller runs it before
// it deletes the program.
bool AsksToRemoveStartTask(const char* commandLine);
