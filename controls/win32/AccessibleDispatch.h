#pragma once
// What every accessible object of the program shares: IAccessible's interface id (MinGW's oleacc
// import library resolves IID_IAccessible to an import thunk, not the GUID) and IDispatch through
// oleacc's own type library, for readers and scripts that call by name.

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>

inline constexpr GUID kIID_IAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// A name or value for a reader: text of the ANSI code page (preset names typed on a Japanese
// system included) as a BSTR the caller frees; null when out of memory.
BSTR AnsiToBstr(const std::string& text);

// IAccessible's description, loaded on first use by the object that owns this; null where
// oleacc's type library is neither registered nor in oleacc.dll.
class AccessibleDispatch {
 public:
  ITypeInfo* TypeInfo();
  HRESULT GetTypeInfoCount(UINT* count);
  HRESULT GetTypeInfo(UINT index, ITypeInfo** info);
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
  // `self` is the object whose vtable the type library describes.
  HRESULT Invoke(IAccessible* self, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* badArgument);

 private:
  Microsoft::WRL::ComPtr<ITypeInfo> typeInfo_;
  bool loaded_ = false;
};
