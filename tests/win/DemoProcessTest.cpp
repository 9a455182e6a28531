// kestrune-demo.exe as a user runs it: started from a folder with its stations beside it, it
// brings the demo receiver up, the station's programme goes through the receiver's feed into the
// "FM Radio" source and out of the speakers, and it changes as the window tunes and seeks. The
// rig's feed also carries its 1 kHz tone, so the stations here sing at 500 Hz and 1500 Hz.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "settings/SettingsStore.h"
#include "tests/win/ProgramProcess.h"
#include "tests/win/SpeakerProbe.h"

namespace {

using speaker_probe::Heard;
using speaker_probe::ListenToSpeakers;

void WriteSineWav(const std::string& path, double hertz) {
  std::vector<int16_t> samples;
  for (int i = 0; i < 16000; ++i) {
    const auto v = static_cast<int16_t>(16000 * std::sin(2 * 3.14159265358979 * hertz * i / 16000.0));
    samples.push_back(v);
    samples.push_back(v);
  }
  std::ofstream out(path, std::ios::binary);
  auto put32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
  out.write("RIFF", 4); put32(36 + bytes); out.write("WAVE", 4);
  out.write("fmt ", 4); put32(16); put16(1); put16(2); put32(16000); put32(64000); put16(4); put16(16);
  out.write("data", 4); put32(bytes);
  out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

void SetGeneral(const char* name, const char* value) {
  HKEY key = nullptr;
  const std::string path = std::string(kSettingsRoot) + "\\" + kGeneralKey;
  if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
  RegCloseKey(key);
}

class DemoProcess : public ::testing::Test {
 protected:
  void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot); }
  void TearDown() override {
    if (process) WaitForExit(process.Get(), 0);
    ClearWaveInDevices();
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
  }
  UniqueHandle process;
};

TEST_F(DemoProcess, TunedStationIsHeardAndChangesWithTuningAndSeeking) {
  std::string built = std::string("Z:") + KESTRUNE_BINARY_DIR + "/kestrune-demo.exe";
  for (char& c : built)
    if (c == '/') c = '\\';
  ASSERT_NE(GetFileAttributesA(built.c_str()), INVALID_FILE_ATTRIBUTES) << "kestrune-demo.exe not built";

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "kestrune-demo-" + std::to_string(GetCurrentProcessId());
  const std::string stations = folder + "\\demo-stations";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(stations.c_str(), nullptr);
  const std::string exe = folder + "\\kestrune-demo.exe";
  ASSERT_TRUE(CopyFileA(built.c_str(), exe.c_str(), FALSE));
  std::ofstream(stations + "\\stations.txt") << "FM 8930 52 Alpha\nFM 9790 60 Beta\n";
  WriteSineWav(stations + "\\FM8930.wav", 500);
  WriteSineWav(stations + "\\FM9790.wav", 1500);

  // Europe, FM 89.30 MHz, full volume.
  SetGeneral("COUNTRY", "1");
  SetGeneral("FM", "1");
  SetGeneral("FREQ", "8930");
  SetGeneral("VOLUME", "100");

  ASSERT_EQ(FindRunningInstance(), nullptr) << "another copy is running";
  process = StartProgram(exe, {}, folder);
  ASSERT_TRUE(process);
  HWND window = WaitForMainWindow();
  ASSERT_NE(window, nullptr) << "the demo never showed its window";

  // The deferred start brings the receiver up and starts live listening.
  Heard heard;
  for (int i = 0; i < 10 && heard.ShareAt(500) < 0.25; ++i) heard = ListenToSpeakers();
  EXPECT_GT(heard.ShareAt(500), 0.25) << "station Alpha on the speakers; level " << heard.rms;
  EXPECT_LT(heard.ShareAt(1500), 0.02);

  // One step up: Alpha through the hiss, fainter.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TUNE_UP, 0), 0);
  Sleep(300);
  const Heard offStation = ListenToSpeakers();
  EXPECT_LT(offStation.ShareAt(500), heard.ShareAt(500) * 0.8);
  EXPECT_GT(offStation.ShareAt(500), 0.01);

  // Seek up: the receiver walks to Beta, and Beta is heard.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SEEK_UP, 0), 0);
  heard = {};
  for (int i = 0; i < 15 && heard.ShareAt(1500) < 0.25; ++i) heard = ListenToSpeakers();
  EXPECT_GT(heard.ShareAt(1500), 0.25) << "station Beta after the seek";
  EXPECT_LT(heard.ShareAt(500), 0.02);

  // Mute acts on what the window plays, so the demo's sound went through the "FM Radio" source
  // and not straight to the speakers.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MUTE, 0), 0);
  Sleep(300);
  EXPECT_LT(ListenToSpeakers().rms, 20);

  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
  EXPECT_EQ(WaitForExit(process.Get()), 0u);

  DeleteFileA((stations + "\\stations.txt").c_str());
  DeleteFileA((stations + "\\FM8930.wav").c_str());
  DeleteFileA((stations + "\\FM9790.wav").c_str());
  RemoveDirectoryA(stations.c_str());
  DeleteFileA(exe.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
