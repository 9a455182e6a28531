#pragma once
// The main window's accessible object (MSAA), served for WM_GETOBJECT: the skinned window's
// controls as one flat list of children in reading order, named for what they do, with the
// readout as a text whose value says what is on. Screen readers (NVDA, JAWS, Narrator) read this
// instead of the bare child windows, which carry no useful names. Every control is a child for the
// life of the window, a hidden one (the position slider while no file plays, SW) marked invisible,
// so that a child's id never moves under a reader that keeps it. IDispatch is the standard
// dispatch over oleacc's type library, for readers and scripts that call by name.

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AccessibleView.h"
#include "controls/win32/AccessibleDispatch.h"

// What the object reads, owned by the window; the object holds it weakly, so that a screen reader
// that keeps the object after the window has gone is told it is disconnected.
struct AccessibleSource {
  HWND window = nullptr;
  // The stored presets are read (from the registry) only when `presets` asks for them: only the
  // buttons' names need them.
  std::function<accessible::Facts(bool presets)> facts;
};

// The window's children: its controls and the readout, in reading order, shown or hidden. The
// child id of each is its place here, counted from 1.
std::vector<int> AccessibleChildIds(HWND window);
// The child id of control `id` (or the readout), 0 when the window has none such.
long AccessibleChildId(HWND window, int id);

class MainAccessible final : public IAccessible {
 public:
  explicit MainAccessible(std::weak_ptr<const AccessibleSource> source) : source_(std::move(source)) {}
  MainAccessible(const MainAccessible&) = delete;
  MainAccessible& operator=(const MainAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* badArgument) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~MainAccessible() = default;
  // The element of child `child` (1-based), or none: self (CHILDID_SELF), out of range, or the
  // window gone. `hr` says which.
  struct Lookup {
    HRESULT hr = S_OK;
    bool self = false;
    int id = 0;  // control id or accessible::kReadoutId
    std::shared_ptr<const AccessibleSource> source;
  };
  Lookup Find(const VARIANT& child) const;

  std::weak_ptr<const AccessibleSource> source_;
  AccessibleDispatch dispatch_;
  LONG references_ = 1;
};
