#include <windows.h>

#include "audio/LameBinding.h"

namespace {

class Win32Library final : public ISharedLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  void* Symbol(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<ISharedLibrary> OpenPlatformLibrary(const std::string& name) {
  HMODULE module = LoadLibraryA(name.c_str());
  if (!module) return nullptr;
  return std::make_unique<Win32Library>(module);
}
