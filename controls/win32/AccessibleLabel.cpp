#include "controls/win32/AccessibleLabel.h"

#include <oleacc.h>
#include <wrl/client.h>

#include "controls/win32/AccessibleDispatch.h"

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object of a control with our name and value in front of it.
class LabelledAccessible final : public IAccessible {
 public:
  LabelledAccessible(Microsoft::WRL::ComPtr<IAccessible> inner, std::weak_ptr<const AccessibleLabel::Texts> texts)
      : inner_(std::move(inner)), texts_(std::move(texts)) {}
  LabelledAccessible(const LabelledAccessible&) = delete;
  LabelledAccessible& operator=(const LabelledAccessible&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIID_IAccessible)) {
      *object = static_cast<IAccessible*>(this);
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

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    return dispatch_.GetTypeInfo(index, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return dispatch_.GetIDsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* badArgument) override {
    return dispatch_.Invoke(this, id, riid, flags, params, result, exception, badArgument);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    if (const auto texts = texts_.lock(); texts && IsSelf(child)) {
      *name = AnsiToBstr(texts->name);
      return *name ? S_OK : E_OUTOFMEMORY;
    }
    return inner_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!value) return E_POINTER;
    if (const auto texts = texts_.lock(); texts && texts->value && IsSelf(child)) {
      *value = AnsiToBstr(texts->value());
      return *value ? S_OK : E_OUTOFMEMORY;
    }
    return inner_->get_accValue(child, value);
  }

  // The rest is the system's.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return inner_->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return inner_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return inner_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override { return inner_->get_accRole(child, role); }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return inner_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return inner_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return inner_->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return inner_->get_accSelection(children); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return inner_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return inner_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return inner_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    return inner_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return inner_->accDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return inner_->put_accValue(child, value);
  }

 private:
  ~LabelledAccessible() = default;
  Microsoft::WRL::ComPtr<IAccessible> inner_;
  std::weak_ptr<const AccessibleLabel::Texts> texts_;
  AccessibleDispatch dispatch_;
  LONG references_ = 1;
};

}  // namespace

bool AccessibleLabel::Attach(HWND control, std::string name, ValueText value) {
  texts_ = std::make_shared<Texts>(Texts{std::move(name), std::move(value)});
  return subclass_.Attach(control, [this](UINT m, WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
}

LRESULT AccessibleLabel::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
    // Made without WM_GETOBJECT, so this does not come back here.
    Microsoft::WRL::ComPtr<IAccessible> system;
    if (SUCCEEDED(CreateStdAccessibleObject(Hwnd(), OBJID_CLIENT, kIID_IAccessible,
                                            reinterpret_cast<void**>(system.GetAddressOf())))) {
      auto* object = new LabelledAccessible(std::move(system), texts_);
      const LRESULT result = LresultFromObject(kIID_IAccessible, wParam, object);
      object->Release();
      return result;
    }
  }
  return subclass_.CallNext(msg, wParam, lParam);
}
