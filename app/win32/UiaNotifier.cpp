#include "app/win32/UiaNotifier.h"

#include "controls/win32/AccessibleDispatch.h"

namespace {

// Of uiautomationcoreapi.h, whose MinGW copy does not compile as C++.
constexpr LONG kUiaRootObjectId = -25;
constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);

constexpr const wchar_t* kWindowClass = L"KestruneNotifications";
// Values of UI Automation's headers that MinGW's copies lack.
constexpr PROPERTYID kNameProperty = 30005;
constexpr PROPERTYID kControlTypeProperty = 30003;
constexpr long kTextControlType = 50020;
constexpr int kNotificationKindOther = 4;
// What is being said ends before the newest of this activity is said; older ones are dropped.
constexpr int kCurrentThenMostRecent = 4;
constexpr const wchar_t* kActivity = L"Kestrune.Radio";
constexpr PATTERNID kWindowPattern = 10009;
constexpr PROPERTYID kIsWindowPatternAvailable = 30044;
constexpr int kVisualStateNormal = 0;
constexpr int kReadyForUserInteraction = 2;

// UI Automation's Window control pattern, which MinGW's headers lack (uiautomationcore.idl order).
constexpr IID kIID_IWindowProvider = {0x987df77b, 0xdb06, 0x4d77, {0x8f, 0x8a, 0x86, 0xa9, 0xc3, 0xbb, 0x90, 0xb9}};
struct IWindowProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetVisualState(int state) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE WaitForInputIdle(int milliseconds, BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanMaximize(BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanMinimize(BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsModal(BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WindowVisualState(int* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WindowInteractionState(int* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsTopmost(BOOL* result) = 0;
};

}  // namespace

const IID& NotificationWindowPatternIid() { return kIID_IWindowProvider; }

// The provider of the notification window: a text element named for what it carries. It lives
// as long as UI Automation holds it; the window's end disconnects it. The main window it sits in
// is a WS_POPUP, and UiaRaiseNotificationEvent's page asks a popup's provider to implement the
// Window control pattern and answer WM_GETOBJECT, or Narrator may pass its notifications over:
// the pattern is here, on the one window that serves UI Automation (the main window must not,
// or NVDA would drop its MSAA events). It reports a window that cannot be resized or closed.
class NotificationProvider final : public IRawElementProviderSimple, public IWindowProvider {
 public:
  NotificationProvider(HWND window, UiaEntryPoints::HostProviderFromHwnd host) : window_(window), host_(host) {}
  NotificationProvider(const NotificationProvider&) = delete;
  NotificationProvider& operator=(const NotificationProvider&) = delete;
  void Disconnect() { window_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IRawElementProviderSimple))) {
      *object = static_cast<IRawElementProviderSimple*>(this);
      AddRef();
      return S_OK;
    }
    if (IsEqualIID(riid, kIID_IWindowProvider)) {
      *object = static_cast<IWindowProvider*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override {
    if (!options) return E_POINTER;
    // Called on the window's thread through COM, like the window's MSAA object.
    *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider | ProviderOptions_UseComThreading);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID id, IUnknown** pattern) override {
    if (!pattern) return E_POINTER;
    *pattern = nullptr;
    if (!window_) return kElementNotAvailable;
    if (id == kWindowPattern) {
      *pattern = static_cast<IWindowProvider*>(this);
      AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    if (!window_) return kElementNotAvailable;
    if (property == kNameProperty) {
      value->vt = VT_BSTR;
      value->bstrVal = SysAllocString(L"Radio announcements");
      return value->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    if (property == kControlTypeProperty) {
      value->vt = VT_I4;
      value->lVal = kTextControlType;
    }
    if (property == kIsWindowPatternAvailable) {
      value->vt = VT_BOOL;
      value->boolVal = VARIANT_TRUE;
    }
    return S_OK;  // VT_EMPTY: UI Automation asks the window's own provider
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override {
    if (!host) return E_POINTER;
    *host = nullptr;
    if (!window_) return kElementNotAvailable;
    return host_(window_, host);
  }

  // IWindowProvider: a fixed part of the window, always ready.
  HRESULT STDMETHODCALLTYPE SetVisualState(int) override { return window_ ? kInvalidOperation : kElementNotAvailable; }
  HRESULT STDMETHODCALLTYPE Close() override { return window_ ? kInvalidOperation : kElementNotAvailable; }
  HRESULT STDMETHODCALLTYPE WaitForInputIdle(int, BOOL* result) override { return Flag(result, TRUE); }
  HRESULT STDMETHODCALLTYPE get_CanMaximize(BOOL* result) override { return Flag(result, FALSE); }
  HRESULT STDMETHODCALLTYPE get_CanMinimize(BOOL* result) override { return Flag(result, FALSE); }
  HRESULT STDMETHODCALLTYPE get_IsModal(BOOL* result) override { return Flag(result, FALSE); }
  HRESULT STDMETHODCALLTYPE get_WindowVisualState(int* result) override { return Number(result, kVisualStateNormal); }
  HRESULT STDMETHODCALLTYPE get_WindowInteractionState(int* result) override {
    return Number(result, kReadyForUserInteraction);
  }
  HRESULT STDMETHODCALLTYPE get_IsTopmost(BOOL* result) override { return Flag(result, FALSE); }

 private:
  HRESULT Flag(BOOL* result, BOOL value) const {
    if (!result) return E_POINTER;
    *result = value;
    return window_ ? S_OK : kElementNotAvailable;
  }
  HRESULT Number(int* result, int value) const {
    if (!result) return E_POINTER;
    *result = value;
    return window_ ? S_OK : kElementNotAvailable;
  }
  ~NotificationProvider() = default;
  HWND window_;
  UiaEntryPoints::HostProviderFromHwnd host_;
  LONG references_ = 1;
};

UiaEntryPoints UiaEntryPoints::Find(UniqueModule& module) {
  UiaEntryPoints found;
  if (!module) module.Reset(LoadLibraryW(L"uiautomationcore.dll"));
  if (!module) return found;
  HMODULE dll = module.Get();
  found.raiseNotification = reinterpret_cast<RaiseNotification>(GetProcAddress(dll, "UiaRaiseNotificationEvent"));
  found.returnProvider = reinterpret_cast<ReturnRawElementProvider>(GetProcAddress(dll, "UiaReturnRawElementProvider"));
  found.hostProvider = reinterpret_cast<HostProviderFromHwnd>(GetProcAddress(dll, "UiaHostProviderFromHwnd"));
  return found;
}

UiaNotifier::UiaNotifier() = default;
UiaNotifier::~UiaNotifier() { Destroy(); }

bool UiaNotifier::Create(HWND parent, int id, const UiaEntryPoints& uia) {
  if (!uia.Complete() || hwnd_) return false;
  uia_ = uia;
  static const ATOM registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &UiaNotifier::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  if (!registered) return false;
  // Visible but of no size: an element UI Automation reports, over nothing on the screen.
  hwnd_ = CreateWindowExW(0, kWindowClass, L"Radio announcements", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  provider_.Attach(new NotificationProvider(hwnd_, uia_.hostProvider));
  return true;
}

void UiaNotifier::Destroy() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  hwnd_ = nullptr;
  if (provider_) provider_->Disconnect();
  // Tells UI Automation the window's provider is gone (its documented release call).
  uia_.returnProvider(window, 0, 0, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  provider_.Reset();
}

IRawElementProviderSimple* UiaNotifier::Provider() const { return provider_.Get(); }

bool UiaNotifier::Notify(const std::string& text) {
  if (!hwnd_ || !provider_) return false;
  BSTR spoken = AnsiToBstr(text);
  BSTR activity = SysAllocString(kActivity);
  const HRESULT hr = spoken && activity ? uia_.raiseNotification(provider_.Get(), kNotificationKindOther,
                                                                 kCurrentThenMostRecent, spoken, activity)
                                        : E_OUTOFMEMORY;
  SysFreeString(spoken);
  SysFreeString(activity);
  return SUCCEEDED(hr);
}

LRESULT CALLBACK UiaNotifier::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<UiaNotifier*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_GETOBJECT && self && self->provider_ &&
      static_cast<LONG>(static_cast<DWORD>(lParam)) == kUiaRootObjectId)
    return self->uia_.returnProvider(hwnd, wParam, lParam, self->provider_.Get());
  if (msg == WM_DESTROY && self && self->hwnd_ == hwnd) {
    // Destroyed with its parent before Destroy ran: the same release, from here.
    self->hwnd_ = nullptr;
    if (self->provider_) self->provider_->Disconnect();
    self->uia_.returnProvider(hwnd, 0, 0, nullptr);
    self->provider_.Reset();
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
