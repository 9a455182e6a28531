#include "app/win32/MainAccessible.h"

#include <algorithm>

#include "app/DisplayLayout.h"
#include "resources/resource.h"

namespace {

HRESULT ReturnText(const std::string& text, BSTR* out) {
  if (text.empty()) return S_FALSE;
  *out = AnsiToBstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

RECT ScreenRectOf(HWND window, int id) {
  RECT rc{};
  if (id == accessible::kReadoutId) {
    rc = {display::kReadoutRect.left, display::kReadoutRect.top, display::kReadoutRect.right,
          display::kReadoutRect.bottom};
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
  } else if (HWND control = GetDlgItem(window, id)) {
    GetWindowRect(control, &rc);
  }
  return rc;
}

void SetChild(VARIANT* out, long child) {
  out->vt = VT_I4;
  out->lVal = child;
}

// The readout is always there; a control while its window is.
bool Shown(HWND window, int id) {
  if (id == accessible::kReadoutId) return true;
  HWND control = GetDlgItem(window, id);
  return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE);
}

}  // namespace

std::vector<int> AccessibleChildIds(HWND window) {
  std::vector<int> ids;
  for (int id : accessible::ReadingOrder())
    if (id == accessible::kReadoutId || GetDlgItem(window, id)) ids.push_back(id);
  return ids;
}

long AccessibleChildId(HWND window, int id) {
  const std::vector<int> ids = AccessibleChildIds(window);
  const auto at = std::find(ids.begin(), ids.end(), id);
  return at == ids.end() ? 0L : static_cast<long>(at - ids.begin()) + 1;
}

HRESULT MainAccessible::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIID_IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG MainAccessible::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT MainAccessible::GetTypeInfoCount(UINT* count) { return dispatch_.GetTypeInfoCount(count); }

HRESULT MainAccessible::GetTypeInfo(UINT index, LCID, ITypeInfo** info) { return dispatch_.GetTypeInfo(index, info); }

HRESULT MainAccessible::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return dispatch_.GetIDsOfNames(names, count, ids);
}

HRESULT MainAccessible::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* badArgument) {
  return dispatch_.Invoke(this, id, riid, flags, params, result, exception, badArgument);
}

MainAccessible::Lookup MainAccessible::Find(const VARIANT& child) const {
  Lookup found;
  found.source = source_.lock();
  if (!found.source || !IsWindow(found.source->window)) {
    found.hr = CO_E_OBJNOTCONNECTED;
    return found;
  }
  if (child.vt != VT_I4) {
    found.hr = E_INVALIDARG;
    return found;
  }
  if (child.lVal == CHILDID_SELF) {
    found.self = true;
    return found;
  }
  const std::vector<int> ids = AccessibleChildIds(found.source->window);
  if (child.lVal < 1 || child.lVal > static_cast<long>(ids.size())) {
    found.hr = E_INVALIDARG;
    return found;
  }
  found.id = ids[static_cast<size_t>(child.lVal - 1)];
  return found;
}

HRESULT MainAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  const auto source = source_.lock();
  if (!source) return CO_E_OBJNOTCONNECTED;
  return AccessibleObjectFromWindow(source->window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                    reinterpret_cast<void**>(parent));
}

HRESULT MainAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  const auto source = source_.lock();
  if (!source) return CO_E_OBJNOTCONNECTED;
  *count = static_cast<long>(AccessibleChildIds(source->window).size());
  return S_OK;
}

HRESULT MainAccessible::get_accChild(VARIANT child, IDispatch** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  // Every child is a simple element of this object.
  return found.self ? E_INVALIDARG : S_FALSE;
}

HRESULT MainAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  if (found.self) return ReturnText("Kestrune", name);
  return ReturnText(accessible::ButtonName(found.id, found.source->facts(true)), name);
}

HRESULT MainAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  if (found.self) return S_FALSE;
  return ReturnText(accessible::Describe(found.id, found.source->facts(false), true).value, value);
}

HRESULT MainAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (!description) return E_POINTER;
  *description = nullptr;
  const Lookup found = Find(child);
  return FAILED(found.hr) ? found.hr : S_FALSE;
}

HRESULT MainAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  VariantInit(role);
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  long value = ROLE_SYSTEM_CLIENT;
  if (!found.self) {
    switch (accessible::Describe(found.id, found.source->facts(false), true).role) {
      case accessible::Role::PushButton: value = ROLE_SYSTEM_PUSHBUTTON; break;
      case accessible::Role::Slider: value = ROLE_SYSTEM_SLIDER; break;
      case accessible::Role::Text: value = ROLE_SYSTEM_STATICTEXT; break;
    }
  }
  SetChild(role, value);
  return S_OK;
}

HRESULT MainAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  VariantInit(state);
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  HWND window = found.source->window;
  long value = 0;
  if (found.self) {
    if (!IsWindowVisible(window)) value |= STATE_SYSTEM_INVISIBLE;
    if (GetFocus() == window) value |= STATE_SYSTEM_FOCUSED;
    value |= STATE_SYSTEM_FOCUSABLE;
  } else if (found.id == accessible::kReadoutId) {
    value = STATE_SYSTEM_READONLY;
  } else {
    HWND control = GetDlgItem(window, found.id);
    const bool enabled = IsWindowEnabled(control) != FALSE;
    const accessible::Element e = accessible::Describe(found.id, found.source->facts(false), enabled);
    value = STATE_SYSTEM_FOCUSABLE;
    if (e.unavailable) value |= STATE_SYSTEM_UNAVAILABLE;
    if (e.pressed) value |= STATE_SYSTEM_PRESSED;
    if (GetFocus() == control) value |= STATE_SYSTEM_FOCUSED;
    if (!Shown(window, found.id)) value = (value & ~STATE_SYSTEM_FOCUSABLE) | STATE_SYSTEM_INVISIBLE;
  }
  SetChild(state, value);
  return S_OK;
}

HRESULT MainAccessible::get_accHelp(VARIANT child, BSTR* help) {
  if (!help) return E_POINTER;
  *help = nullptr;
  const Lookup found = Find(child);
  return FAILED(found.hr) ? found.hr : S_FALSE;
}

HRESULT MainAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = -1;
  return S_FALSE;
}

HRESULT MainAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  if (!shortcut) return E_POINTER;
  *shortcut = nullptr;
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  return found.self ? S_FALSE : ReturnText(accessible::Shortcut(found.id), shortcut);
}

HRESULT MainAccessible::get_accFocus(VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  const auto source = source_.lock();
  if (!source) return CO_E_OBJNOTCONNECTED;
  HWND focus = GetFocus();
  if (focus == source->window) {
    SetChild(child, CHILDID_SELF);
    return S_OK;
  }
  if (!focus || GetParent(focus) != source->window) return S_FALSE;
  const long id = AccessibleChildId(source->window, GetDlgCtrlID(focus));
  if (id == 0) return S_FALSE;
  SetChild(child, id);
  return S_OK;
}

HRESULT MainAccessible::get_accSelection(VARIANT* children) {
  if (!children) return E_POINTER;
  VariantInit(children);
  return source_.expired() ? CO_E_OBJNOTCONNECTED : S_FALSE;
}

HRESULT MainAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  if (found.self) return S_FALSE;
  const accessible::Element e = accessible::Describe(found.id, found.source->facts(false), true);
  return e.role == accessible::Role::PushButton ? ReturnText("Press", action) : S_FALSE;
}

HRESULT MainAccessible::accSelect(long flags, VARIANT child) {
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
  HWND target = found.self ? found.source->window : GetDlgItem(found.source->window, found.id);
  // The readout and a hidden control cannot hold the focus.
  if (found.id == accessible::kReadoutId || !target || !IsWindowVisible(target)) return DISP_E_MEMBERNOTFOUND;
  SetFocus(target);
  return S_OK;
}

HRESULT MainAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  RECT rc{};
  if (found.self) {
    GetClientRect(found.source->window, &rc);
    MapWindowPoints(found.source->window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
  } else {
    rc = ScreenRectOf(found.source->window, found.id);
  }
  *left = rc.left;
  *top = rc.top;
  *width = rc.right - rc.left;
  *height = rc.bottom - rc.top;
  return S_OK;
}

HRESULT MainAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  const Lookup found = Find(start);
  if (FAILED(found.hr)) return found.hr;
  const std::vector<int> ids = AccessibleChildIds(found.source->window);
  const long count = static_cast<long>(ids.size());
  long from = 0, step = 0;
  if (found.self) {
    if (direction == NAVDIR_FIRSTCHILD) from = 0, step = 1;
    else if (direction == NAVDIR_LASTCHILD) from = count + 1, step = -1;
    else return S_FALSE;  // the window's siblings are the system's to tell
  } else {
    from = start.lVal;
    switch (direction) {
      case NAVDIR_NEXT:
      case NAVDIR_RIGHT:
      case NAVDIR_DOWN: step = 1; break;
      case NAVDIR_PREVIOUS:
      case NAVDIR_LEFT:
      case NAVDIR_UP: step = -1; break;
      default: return S_FALSE;
    }
  }
  // Hidden controls keep their ids but are passed over, as the Tab key passes them.
  for (long next = from + step; next >= 1 && next <= count; next += step) {
    if (Shown(found.source->window, ids[static_cast<size_t>(next - 1)])) {
      SetChild(end, next);
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT MainAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  const auto source = source_.lock();
  if (!source) return CO_E_OBJNOTCONNECTED;
  const POINT point{x, y};
  RECT client{};
  GetClientRect(source->window, &client);
  MapWindowPoints(source->window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (!PtInRect(&client, point)) return S_FALSE;
  const std::vector<int> ids = AccessibleChildIds(source->window);
  for (size_t i = 0; i < ids.size(); ++i) {
    const RECT rc = ScreenRectOf(source->window, ids[i]);
    // The readout lies under nothing; a control over it is what the point hits.
    if (ids[i] != accessible::kReadoutId && Shown(source->window, ids[i]) && PtInRect(&rc, point)) {
      SetChild(child, static_cast<long>(i) + 1);
      return S_OK;
    }
  }
  const auto readout = std::find(ids.begin(), ids.end(), accessible::kReadoutId);
  const RECT rc = ScreenRectOf(source->window, accessible::kReadoutId);
  SetChild(child, PtInRect(&rc, point) ? static_cast<long>(readout - ids.begin()) + 1 : CHILDID_SELF);
  return S_OK;
}

HRESULT MainAccessible::accDoDefaultAction(VARIANT child) {
  const Lookup found = Find(child);
  if (FAILED(found.hr)) return found.hr;
  if (found.self || found.id == accessible::kReadoutId) return DISP_E_MEMBERNOTFOUND;
  HWND control = GetDlgItem(found.source->window, found.id);
  const bool enabled = IsWindowEnabled(control) != FALSE;
  const accessible::Element e = accessible::Describe(found.id, found.source->facts(false), enabled);
  // A slider, or a button that cannot be used now (or hidden), has no action to do.
  if (e.role != accessible::Role::PushButton || e.unavailable || !IsWindowVisible(control))
    return DISP_E_MEMBERNOTFOUND;
  // Posted: the command may open a modal dialog, and the caller must not wait for it to close.
  PostMessageA(found.source->window, WM_COMMAND, MAKEWPARAM(found.id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  return S_OK;
}
