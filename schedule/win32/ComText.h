#pragma once
// Owners of the COM values Task Scheduler trades in: a BSTR freed with SysFreeString and a
// VARIANT cleared with VariantClear, each by the one object that holds it.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

class Bstr {
 public:
  Bstr() = default;
  // A copy of `text` (empty text gives an empty BSTR, not a null one).
  explicit Bstr(std::wstring_view text)
      : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr&& o) noexcept {
    if (this != &o) {
      SysFreeString(b_);
      b_ = std::exchange(o.b_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR Get() const { return b_; }
  // For an out parameter: what was held is freed first.
  BSTR* Out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::wstring Text() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  // By value, as COM methods take VARIANT parameters; the callee copies what it keeps.
  const VARIANT& Get() const { return v_; }

 private:
  VARIANT v_;
};
