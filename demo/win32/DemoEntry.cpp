// kestrune-demo.exe: Kestrune's own process entry, with the demo receiver where the real
// receiver's HID interface would be and its sound playing into the receiver's audio feed. The
// stations come from the "demo-stations" folder beside the executable.
#include <windows.h>

#include <string>

#include "app/win32/ProcessHidPlatform.h"
#include "demo/DemoReceiver.h"
#include "demo/win32/DemoFeed.h"

namespace {

std::string StationFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  const size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
  return folder + "\\demo-stations";
}

// The demo receiver, its HID interfaces and its audio feed, for as long as the window runs.
class DemoProcess final : public IHidPlatform {
 public:
  DemoProcess() : receiver_(SteadyClock::Instance(), LoadDemoStations(StationFolder())), hid_(receiver_), feed_(receiver_) {
    feed_.Start();  // without any output the demo still tunes; it is only silent
  }
  ~DemoProcess() override { feed_.Stop(); }

  bool BeginEnumeration() override { return hid_.BeginEnumeration(); }
  std::unique_ptr<IHidDevice> OpenMember(unsigned index) override { return hid_.OpenMember(index); }
  void EndEnumeration() override { hid_.EndEnumeration(); }
  uintptr_t RegisterHandleNotification(WindowHandle owner, const IHidDevice& device) override {
    return hid_.RegisterHandleNotification(owner, device);
  }
  void UnregisterNotification(uintptr_t registration) override { hid_.UnregisterNotification(registration); }

 private:
  DemoReceiver receiver_;
  DemoHidPlatform hid_;
  DemoFeed feed_;
};

}  // namespace

std::unique_ptr<IHidPlatform> MakeProcessHidPlatform() { return std::make_unique<DemoProcess>(); }
