#include "controls/win32/AccessibleDispatch.h"

#include "base/win32/WideText.h"

namespace {
// {1EA4DBF0-3C3B-11CF-810C-00AA00389B71}: oleacc's type library, version 1.1.
constexpr GUID kLibidAccessibility = {0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}  // namespace

BSTR AnsiToBstr(const std::string& text) {
  const std::wstring wide = WideFromAnsi(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

ITypeInfo* AccessibleDispatch::TypeInfo() {
  if (!loaded_) {
    loaded_ = true;
    Microsoft::WRL::ComPtr<ITypeLib> library;
    if (SUCCEEDED(LoadRegTypeLib(kLibidAccessibility, 1, 1, 0, library.GetAddressOf())) ||
        SUCCEEDED(LoadTypeLib(L"oleacc.dll", library.GetAddressOf())))
      library->GetTypeInfoOfGuid(kIID_IAccessible, typeInfo_.GetAddressOf());
  }
  return typeInfo_.Get();
}

HRESULT AccessibleDispatch::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = TypeInfo() ? 1 : 0;
  return S_OK;
}

HRESULT AccessibleDispatch::GetTypeInfo(UINT index, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* type = TypeInfo();
  if (!type) return E_NOTIMPL;
  type->AddRef();
  *info = type;
  return S_OK;
}

HRESULT AccessibleDispatch::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
  ITypeInfo* type = TypeInfo();
  return type ? DispGetIDsOfNames(type, names, count, ids) : E_NOTIMPL;
}

HRESULT AccessibleDispatch::Invoke(IAccessible* self, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* badArgument) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* type = TypeInfo();
  return type ? DispInvoke(self, type, id, flags, params, result, exception, badArgument) : E_NOTIMPL;
}
