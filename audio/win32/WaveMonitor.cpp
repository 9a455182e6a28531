#include "audio/win32/WaveMonitor.h"

#include <cstring>
#include <vector>

#include "audio/CaptureRules.h"
#include "audio/win32/CaptureFormat.h"
#include "audio/MonitorGain.h"

UINT FindWaveInByName(const std::string& name) {
  const UINT count = waveInGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    WAVEINCAPSA caps{};
    if (waveInGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    if (FriendlyNameMatches(std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname)), name))
      return id;
  }
  return WAVE_MAPPER;
}

bool WaveMonitor::Start(const std::string& name) {
  if (thread_) return true;
  name_ = name;
  stop_ = false;
  started_ = false;
  played_ = 0;
  ready_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!ready_) return false;
  thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  if (!thread_) return false;
  // The thread either signals that it runs or ends after closing what it opened.
  HANDLE waits[] = {ready_.Get(), thread_.Get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (!started_) {
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    return false;
  }
  return true;
}

void WaveMonitor::Stop() {
  if (!thread_) return;
  stop_ = true;
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
}

DWORD WINAPI WaveMonitor::ThreadMain(void* self) {
  static_cast<WaveMonitor*>(self)->Run();
  return 0;
}

void WaveMonitor::Run() {
  WAVEFORMATEX format = CaptureWaveFormat();

  // Both devices signal the one event: a filled capture block and a played output block are
  // both reasons to look again.
  UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const UINT inId = FindWaveInByName(name_);
  HWAVEIN in = nullptr;
  HWAVEOUT out = nullptr;
  const auto callback = reinterpret_cast<DWORD_PTR>(event.Get());
  if (!event || inId == WAVE_MAPPER ||
      waveInOpen(&in, inId, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    SetEvent(ready_.Get());
    return;
  }
  if (waveOutOpen(&out, WAVE_MAPPER, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    waveInClose(in);
    SetEvent(ready_.Get());
    return;
  }

  std::vector<char> memory(static_cast<size_t>(kInBlocks + kOutBlocks) * kBlockBytes);
  WAVEHDR inHeaders[kInBlocks]{};
  WAVEHDR outHeaders[kOutBlocks]{};
  bool ok = true;
  for (unsigned i = 0; i < kInBlocks; ++i) {
    inHeaders[i].lpData = memory.data() + static_cast<size_t>(i) * kBlockBytes;
    inHeaders[i].dwBufferLength = kBlockBytes;
    ok = ok && waveInPrepareHeader(in, &inHeaders[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
         waveInAddBuffer(in, &inHeaders[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  }
  for (unsigned i = 0; i < kOutBlocks; ++i) {
    outHeaders[i].lpData = memory.data() + static_cast<size_t>(kInBlocks + i) * kBlockBytes;
    outHeaders[i].dwBufferLength = kBlockBytes;
    ok = ok && waveOutPrepareHeader(out, &outHeaders[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  }
  ok = ok && waveInStart(in) == MMSYSERR_NOERROR;
  started_ = ok;
  SetEvent(ready_.Get());

  unsigned nextIn = 0;  // the driver fills the capture blocks in the order they were queued
  while (ok && !stop_.load()) {
    WaitForSingleObject(event.Get(), 50);
    while (!stop_.load() && (inHeaders[nextIn].dwFlags & WHDR_DONE)) {
      WAVEHDR& filled = inHeaders[nextIn];
      WAVEHDR* spare = nullptr;
      for (WAVEHDR& candidate : outHeaders)
        if (!(candidate.dwFlags & WHDR_INQUEUE)) {
          spare = &candidate;
          break;
        }
      // With every output block still queued the speakers are behind: dropping this block keeps
      // the delay from growing.
      if (spare && filled.dwBytesRecorded > 0) {
        const DWORD bytes = filled.dwBytesRecorded - filled.dwBytesRecorded % kCaptureBlockAlign;
        std::memcpy(spare->lpData, filled.lpData, bytes);
        ApplyGainQ16(reinterpret_cast<int16_t*>(spare->lpData), bytes / 2,
                     AttenuationToGainQ16(attenuation_.load()));
        spare->dwBufferLength = bytes;
        if (waveOutWrite(out, spare, sizeof(WAVEHDR)) == MMSYSERR_NOERROR) played_.fetch_add(1);
      }
      filled.dwBytesRecorded = 0;
      if (waveInAddBuffer(in, &filled, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) ok = false;
      nextIn = (nextIn + 1) % kInBlocks;
    }
  }

  waveInReset(in);
  for (WAVEHDR& header : inHeaders)
    if (header.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(in, &header, sizeof(WAVEHDR));
  waveInClose(in);
  waveOutReset(out);
  for (WAVEHDR& header : outHeaders)
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(out, &header, sizeof(WAVEHDR));
  waveOutClose(out);
}
