#pragma once
// Windows' Task Scheduler as a test reads it, through ITaskService and apart from the program's
// own adapter: the service started where it may not run yet (Wine), a task read back field by
// field, and a task put in place as an earlier run would have left it.
//
// Wine 8 keeps a registered task's registration info and settings, but drops its triggers and
// its actions' contents (it stores <Triggers/> and an empty <Exec/>; their collections answer
// E_NOTIMPL to get_Count) and the principal's logon type (E_NOTIMPL). Those fields are read where
// the system has them, as Windows does, and stay empty here otherwise.

#include <windows.h>
#include <objbase.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <cstdio>
#include <optional>
#include <string>

#include "base/win32/WideText.h"
#include "schedule/win32/ComText.h"

namespace {

constexpr CLSID kTaskSchedulerClassForTests = {0x0f87369f, 0xa4e5, 0x4cfc,
                                               {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// Starts the Task Scheduler service and waits until it runs; true when it runs. Windows' always
// does. Wine's is started by scripts/rig.sh ("net start schedule", the same service control API)
// and by Wine's own ITaskService::Connect; but in a prefix only seconds old a start times out
// (ERROR_SERVICE_REQUEST_TIMEOUT) and leaves the service stopped, and a later start succeeds: it
// is tried again for up to a minute.
inline bool EnsureTaskSchedulerRunning() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return false;
  SC_HANDLE service = OpenServiceW(manager, L"Schedule", SERVICE_START | SERVICE_QUERY_STATUS);
  bool running = false;
  if (service) {
    const DWORD until = GetTickCount() + 60000;
    SERVICE_STATUS status{};
    while (!running && static_cast<LONG>(until - GetTickCount()) > 0 && QueryServiceStatus(service, &status)) {
      running = status.dwCurrentState == SERVICE_RUNNING;
      if (status.dwCurrentState == SERVICE_STOPPED && !StartServiceW(service, 0, nullptr))
        std::printf("[Task Scheduler service] start refused: error %lu\n", GetLastError());
      if (!running) Sleep(500);
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return running;
}

// A task as Task Scheduler gives it back.
struct TaskSeen {
  bool exists = false;
  std::wstring path;
  std::wstring xml;  // as the service stores it
  std::wstring description;
  bool wakeToRun = false;
  TASK_INSTANCES_POLICY instances = TASK_INSTANCES_PARALLEL;
  std::wstring executionTimeLimit;
  bool disallowStartOnBatteries = true;
  bool stopOnBatteries = true;
  // Dropped by Wine 8; Windows keeps them.
  std::optional<std::wstring> trigger;  // the first time trigger's start boundary
  std::optional<std::wstring> command;  // the first exec action's path
  std::optional<std::wstring> arguments;
  std::optional<TASK_LOGON_TYPE> logonType;
};

class TaskSchedulerReader {
 public:
  TaskSchedulerReader() : com_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
    if (SUCCEEDED(CoCreateInstance(kTaskSchedulerClassForTests, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&service_)))) {
      const Variant none;
      connected_ = SUCCEEDED(service_->Connect(none.Get(), none.Get(), none.Get(), none.Get()));
    }
  }
  ~TaskSchedulerReader() {
    service_.Reset();
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  TaskSchedulerReader(const TaskSchedulerReader&) = delete;
  TaskSchedulerReader& operator=(const TaskSchedulerReader&) = delete;

  bool Connected() const { return connected_; }

  bool FolderExists(const std::wstring& folder) {
    Microsoft::WRL::ComPtr<ITaskFolder> f;
    return connected_ && SUCCEEDED(service_->GetFolder(Bstr(folder).Get(), &f));
  }

  TaskSeen Read(const std::wstring& folder, const std::wstring& name) {
    using Microsoft::WRL::ComPtr;
    TaskSeen seen;
    ComPtr<ITaskFolder> f;
    ComPtr<IRegisteredTask> task;
    if (!connected_ || FAILED(service_->GetFolder(Bstr(folder).Get(), &f)) ||
        FAILED(f->GetTask(Bstr(name).Get(), &task)))
      return seen;
    seen.exists = true;
    Bstr text;
    if (SUCCEEDED(task->get_Path(text.Out()))) seen.path = text.Text();
    if (SUCCEEDED(task->get_Xml(text.Out()))) seen.xml = text.Text();
    ComPtr<ITaskDefinition> definition;
    if (FAILED(task->get_Definition(&definition))) return seen;
    ComPtr<IRegistrationInfo> info;
    if (SUCCEEDED(definition->get_RegistrationInfo(&info)) && SUCCEEDED(info->get_Description(text.Out())))
      seen.description = text.Text();
    ComPtr<ITaskSettings> settings;
    if (SUCCEEDED(definition->get_Settings(&settings))) {
      VARIANT_BOOL flag = VARIANT_FALSE;
      if (SUCCEEDED(settings->get_WakeToRun(&flag))) seen.wakeToRun = flag != VARIANT_FALSE;
      if (SUCCEEDED(settings->get_DisallowStartIfOnBatteries(&flag))) seen.disallowStartOnBatteries = flag != VARIANT_FALSE;
      if (SUCCEEDED(settings->get_StopIfGoingOnBatteries(&flag))) seen.stopOnBatteries = flag != VARIANT_FALSE;
      settings->get_MultipleInstances(&seen.instances);
      if (SUCCEEDED(settings->get_ExecutionTimeLimit(text.Out()))) seen.executionTimeLimit = text.Text();
    }
    ComPtr<ITriggerCollection> triggers;
    LONG count = 0;
    if (SUCCEEDED(definition->get_Triggers(&triggers)) && SUCCEEDED(triggers->get_Count(&count)) && count > 0) {
      ComPtr<ITrigger> trigger;
      if (SUCCEEDED(triggers->get_Item(1, &trigger)) && SUCCEEDED(trigger->get_StartBoundary(text.Out())))
        seen.trigger = text.Text();
    }
    ComPtr<IActionCollection> actions;
    count = 0;
    if (SUCCEEDED(definition->get_Actions(&actions)) && SUCCEEDED(actions->get_Count(&count)) && count > 0) {
      ComPtr<IAction> action;
      ComPtr<IExecAction> exec;
      if (SUCCEEDED(actions->get_Item(1, &action)) && SUCCEEDED(action.As(&exec))) {
        if (SUCCEEDED(exec->get_Path(text.Out()))) seen.command = text.Text();
        if (SUCCEEDED(exec->get_Arguments(text.Out()))) seen.arguments = text.Text();
      }
    }
    ComPtr<IPrincipal> principal;
    TASK_LOGON_TYPE logon = TASK_LOGON_NONE;
    if (SUCCEEDED(definition->get_Principal(&principal)) && SUCCEEDED(principal->get_LogonType(&logon)))
      seen.logonType = logon;
    return seen;
  }

  // Registers `xml` as `name` in the existing `folder`.
  HRESULT Plant(const std::wstring& folder, const std::wstring& name, const std::wstring& xml) {
    Microsoft::WRL::ComPtr<ITaskFolder> f;
    Microsoft::WRL::ComPtr<IRegisteredTask> task;
    HRESULT hr = connected_ ? service_->GetFolder(Bstr(folder).Get(), &f) : E_FAIL;
    const Variant none;
    if (SUCCEEDED(hr))
      hr = f->RegisterTask(Bstr(name).Get(), Bstr(xml).Get(), TASK_CREATE_OR_UPDATE, none.Get(), none.Get(),
                           TASK_LOGON_INTERACTIVE_TOKEN, none.Get(), &task);
    return hr;
  }

 private:
  HRESULT com_;
  Microsoft::WRL::ComPtr<ITaskService> service_;
  bool connected_ = false;
};

// UTF-8, as the test's output and its messages are read on the host.
inline std::string Narrow(const std::wstring& text) { return Utf8FromWide(text); }

}  // namespace
