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

class Win32StartTaskStore final : public IStartTaskStore {
 public:
  // `exe` is the program the task starts: the running copy's file, from GetModuleFileNameW.
  explicit Win32StartTaskStore(std::wstring exe);

  uint32_t Write(const StartTaskPlan& plan, const std::string& name) override;
  uint32_t Remove() override;

  // "Next reservation <SID>", in kStartTaskFolder.
  const std::wstring& TaskName() const { return name_; }
  // "Kestrune next reservation <SID>", in the root folder, where the folder was refused.
  const std::wstring& RootTaskName() const { return rootName_; }

 private:
  std::wstring exe_;
  std::wstring name_;
  std::wstring rootName_;
};

// The current user's SID as text ("S-1-5-21-…"); empty when the token does not say.
std::wstring CurrentUserSid();

// True when the command line asks the program only to remove the current user's task and end
// ("/removetask", any letter case): the uninstaller runs it before it deletes the program.
bool AsksToRemoveStartTask(const char* commandLine);
