#include "schedule/win32/Win32StartTask.h"

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "base/win32/WideText.h"
#include "base/win32/Win32Handle.h"
#include "schedule/win32/ComText.h"

using Microsoft::WRL::ComPtr;

namespace {

// CLSID_TaskScheduler: MinGW declares it, and only its libtaskschd defines it.
constexpr CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// A COM apartment for the length of one call, unless the thread is in one already (the window's
// thread is; a multithreaded one answers RPC_E_CHANGED_MODE and serves as well).
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

bool NotThere(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

HRESULT Connect(ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& root) {
  HRESULT hr = CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service));
  if (FAILED(hr)) return hr;
  // This computer, as the current user.
  const Variant none;
  hr = service->Connect(none.Get(), none.Get(), none.Get(), none.Get());
  if (FAILED(hr)) return hr;
  return service->GetFolder(Bstr(L"\\").Get(), &root);
}

HRESULT OwnFolder(ITaskService& service, ITaskFolder& root, ComPtr<ITaskFolder>& folder) {
  HRESULT hr = service.GetFolder(Bstr(kStartTaskFolder).Get(), &folder);
  if (SUCCEEDED(hr) || !NotThere(hr)) return hr;
  const Variant inherited;  // the root's security descriptor
  hr = root.CreateFolder(Bstr(kStartTaskFolder + 1).Get(), inherited.Get(), &folder);
  // Made meanwhile by another copy of the program.
  if (hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)) hr = service.GetFolder(Bstr(kStartTaskFolder).Get(), &folder);
  return hr;
}

HRESULT Register(ITaskFolder& folder, const std::wstring& name, const std::wstring& xml) {
  // Run as the user who registers it, only while that user is logged on: no password is stored.
  const Variant user, password, sddl;
  ComPtr<IRegisteredTask> task;
  return folder.RegisterTask(Bstr(name).Get(), Bstr(xml).Get(), TASK_CREATE_OR_UPDATE, user.Get(), password.Get(),
                             TASK_LOGON_INTERACTIVE_TOKEN, sddl.Get(), &task);
}

HRESULT Delete(ITaskFolder& folder, const std::wstring& name) {
  const HRESULT hr = folder.DeleteTask(Bstr(name).Get(), 0);
  return NotThere(hr) ? S_OK : hr;
}

// True when the task `name` in `folder` is there and starts `exe`.
bool StartsProgram(ITaskFolder& folder, const std::wstring& name, const std::wstring& exe) {
  ComPtr<IRegisteredTask> task;
  ComPtr<ITaskDefinition> definition;
  if (FAILED(folder.GetTask(Bstr(name).Get(), &task)) || FAILED(task->get_Definition(&definition))) return false;
  Bstr command;
  Bstr description;
  ComPtr<IActionCollection> actions;
  LONG count = 0;
  // Wine answers E_NOTIMPL to the count: the description, which this program writes, names it then.
  if (SUCCEEDED(definition->get_Actions(&actions)) && SUCCEEDED(actions->get_Count(&count)) && count > 0) {
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (SUCCEEDED(actions->get_Item(1, &action)) && SUCCEEDED(action.As(&exec))) exec->get_Path(command.Out());
  }
  ComPtr<IRegistrationInfo> info;
  if (SUCCEEDED(definition->get_RegistrationInfo(&info))) info->get_Description(description.Out());
  return StartTaskStarts(command.Text(), description.Text(), exe);
}

}  // namespace

bool TaskSchedulerMayRun() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return true;
  SC_HANDLE service = OpenServiceW(manager, L"Schedule", SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  const bool known = service && QueryServiceStatus(service, &status);
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return !known || status.dwCurrentState == SERVICE_RUNNING;
}

std::wstring CurrentUserSid() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  const UniqueHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  const std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(text, &LocalFree);
  return owned.get();
}

Win32StartTaskStore::Win32StartTaskStore(std::wstring exe, bool (*serviceMayRun)())
    : exe_(std::move(exe)), serviceMayRun_(serviceMayRun) {
  const std::wstring sid = CurrentUserSid();
  const std::wstring suffix = sid.empty() ? std::wstring() : L" " + sid;
  name_ = L"Next reservation" + suffix;
  rootName_ = L"Kestrune next reservation" + suffix;
}

uint32_t Win32StartTaskStore::Write(const StartTaskPlan& plan, const std::string& name) {
  if (!serviceMayRun_()) return static_cast<uint32_t>(SCHED_E_SERVICE_NOT_RUNNING);
  const ComScope com;
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  HRESULT hr = Connect(service, root);
  if (FAILED(hr)) return static_cast<uint32_t>(hr);
  const std::wstring xml = StartTaskXml(plan, exe_, StartTaskDescription(plan, WideFromAnsi(name), exe_));
  ComPtr<ITaskFolder> folder;
  hr = OwnFolder(*service.Get(), *root.Get(), folder);
  if (SUCCEEDED(hr)) hr = Register(*folder.Get(), name_, xml);
  if (SUCCEEDED(hr)) {
    // One task only: a fall-back of an earlier run goes.
    Delete(*root.Get(), rootName_);
    return 0;
  }
  if (SUCCEEDED(Register(*root.Get(), rootName_, xml))) {
    if (folder) Delete(*folder.Get(), name_);
    return 0;
  }
  return static_cast<uint32_t>(hr);
}

uint32_t Win32StartTaskStore::Remove() { return RemoveTasks(false); }

uint32_t Win32StartTaskStore::RemoveOwn() { return RemoveTasks(true); }

uint32_t Win32StartTaskStore::RemoveTasks(bool onlyOwn) {
  if (!serviceMayRun_()) return static_cast<uint32_t>(SCHED_E_SERVICE_NOT_RUNNING);
  const ComScope com;
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  HRESULT hr = Connect(service, root);
  if (FAILED(hr)) return static_cast<uint32_t>(hr);
  auto removable = [&](ITaskFolder& folder, const std::wstring& name) {
    return !onlyOwn || StartsProgram(folder, name, exe_);
  };
  ComPtr<ITaskFolder> folder;
  hr = service->GetFolder(Bstr(kStartTaskFolder).Get(), &folder);
  if (SUCCEEDED(hr)) {
    if (removable(*folder.Get(), name_)) hr = Delete(*folder.Get(), name_);
    // Refused while a task is left in it (another copy's, another user's): theirs to remove.
    if (SUCCEEDED(hr)) root->DeleteFolder(Bstr(kStartTaskFolder + 1).Get(), 0);
  } else if (NotThere(hr)) {
    hr = S_OK;
  }
  const HRESULT rootHr = removable(*root.Get(), rootName_) ? Delete(*root.Get(), rootName_) : S_OK;
  return static_cast<uint32_t>(FAILED(hr) ? hr : rootHr);
}

bool AsksToRemoveStartTask(const char* commandLine) {
  if (commandLine == nullptr) return false;
  std::string text(commandLine);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t at = text.find("/removetask");
  if (at == std::string::npos) return false;
  const size_t end = at + std::strlen("/removetask");
  return (at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t') &&
         (end == text.size() || text[end] == ' ' || text[end] == '\t');
}
