#include "app/win32/LiveRegion.h"

namespace {

// LiveSetting_Property_GUID and its Polite value, of UI Automation's annotation properties.
constexpr GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr long kPolite = 1;
// MinGW's uuid library has these as import thunks for some SDK versions: defined here as GUIDs.
constexpr GUID kClsidAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIidAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};

}  // namespace

bool LiveRegion::Create(HWND parent, int id, POINT at) {
  hwnd_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, at.x, at.y, 1, 1, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd_) return false;
  quiet_.Attach(hwnd_, [this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_PAINT) {
      ValidateRect(hwnd_, nullptr);
      return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return quiet_.CallNext(msg, wParam, lParam);
  });
  // Windows 8 and later read it as a polite live region; oleacc without the annotation service
  // (Windows 7, Wine) leaves the element as it is, which readers still speak.
  if (SUCCEEDED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                                 reinterpret_cast<void**>(props_.GetAddressOf())))) {
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    if (FAILED(props_->SetHwndProp(hwnd_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty, polite)))
      props_.Reset();
  }
  return true;
}

void LiveRegion::Destroy() {
  if (props_ && hwnd_) {
    MSAAPROPID live = kLiveSettingProperty;
    props_->ClearHwndProps(hwnd_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &live, 1);
  }
  props_.Reset();
  quiet_.Detach();
  hwnd_ = nullptr;
}

void LiveRegion::SetText(const std::string& text) {
  if (hwnd_) SetWindowTextA(hwnd_, text.c_str());
}

void LiveRegion::Announce(const std::string& text) {
  if (!hwnd_) return;
  SetText(text);
  NotifyWinEvent(kEventObjectLiveRegionChanged, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}
