#pragma once
// Decoding recorded MP3 files from the Wine suite with the real mpg123 of the host. Wine starts
// a Unix executable given to CreateProcess, but its process handle cannot be waited on, so the
// command leaves a marker file when it is done and the test polls for it (bounded).

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace wine_decode {

// Files shared by both sides live under the build folder: a Unix path for the host, the same
// path on Wine's Z: drive for Windows.
inline std::string UnixOutputFolder() { return std::string(KESTRUNE_BINARY_DIR) + "/audio-out"; }
inline std::string WindowsPath(const std::string& unixPath) {
  std::string out = "Z:" + unixPath;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

// Runs `command` with /bin/sh on the host; true when it finished within `timeoutMs` with exit 0.
inline bool RunOnHost(const std::string& command, DWORD timeoutMs = 60000) {
  static int serial = 0;
  const std::string marker = UnixOutputFolder() + "/done-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++serial);
  std::string line = "/bin/sh -c \"" + command + "; echo $? > '" + marker + ".tmp'; mv '" + marker +
                     ".tmp' '" + marker + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  const std::string winMarker = WindowsPath(marker);
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    std::ifstream in(winMarker);
    int code = -1;
    if (in >> code) {
      in.close();
      DeleteFileA(winMarker.c_str());
      return code == 0;
    }
    Sleep(50);
  }
  return false;
}

// Decodes `unixMp3` to interleaved 16-bit PCM at the stream's own rate.
inline std::vector<int16_t> DecodeMp3(const std::string& unixMp3) {
  const std::string raw = unixMp3 + ".raw";
  std::vector<int16_t> pcm;
  if (!RunOnHost("mpg123 -q -s '" + unixMp3 + "' > '" + raw + "' 2>/dev/null")) return pcm;
  std::ifstream in(WindowsPath(raw), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  pcm.resize(bytes.size() / 2);
  if (!pcm.empty()) memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
  in.close();
  DeleteFileA(WindowsPath(raw).c_str());
  return pcm;
}

}  // namespace wine_decode
