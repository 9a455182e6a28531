#include "demo/win32/DemoFeed.h"

#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "audio/CaptureRules.h"
#include "audio/win32/CaptureFormat.h"

UINT FindWaveOutByName(const char* name) {
  const UINT count = waveOutGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    WAVEOUTCAPSA caps{};
    if (waveOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    if (ProductNameMatches(std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname)), name)) return id;
  }
  return WAVE_MAPPER;
}

bool DemoFeed::Start() {
  if (thread_) return true;
  stop_ = false;
  started_ = false;
  ready_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!ready_) return false;
  thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  if (!thread_) return false;
  HANDLE waits[] = {ready_.Get(), thread_.Get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (!started_) {
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  return started_;
}

void DemoFeed::Stop() {
  if (!thread_) return;
  stop_ = true;
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
}

DWORD WINAPI DemoFeed::ThreadMain(void* self) {
  static_cast<DemoFeed*>(self)->Run();
  return 0;
}

void DemoFeed::Run() {
  // 40 ms blocks, four queued: the receiver's sound follows a tune within a fifth of a second.
  constexpr unsigned kFrames = kCaptureRate / 25;
  constexpr unsigned kBlocks = 4;
  WAVEFORMATEX format = CaptureWaveFormat();

  UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const UINT id = FindWaveOutByName(kFeedDeviceName);
  intoFeed_ = id != WAVE_MAPPER;
  HWAVEOUT out = nullptr;
  if (!event || waveOutOpen(&out, id, &format, reinterpret_cast<DWORD_PTR>(event.Get()), 0, CALLBACK_EVENT) !=
                    MMSYSERR_NOERROR) {
    SetEvent(ready_.Get());
    return;
  }
  std::vector<int16_t> memory(static_cast<size_t>(kBlocks) * kFrames * 2);
  WAVEHDR headers[kBlocks]{};
  bool ok = true;
  for (unsigned i = 0; i < kBlocks; ++i) {
    headers[i].lpData = reinterpret_cast<char*>(memory.data() + static_cast<size_t>(i) * kFrames * 2);
    headers[i].dwBufferLength = kFrames * kCaptureBlockAlign;
    ok = ok && waveOutPrepareHeader(out, &headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  }
  started_ = ok;
  SetEvent(ready_.Get());

  while (ok && !stop_.load()) {
    for (WAVEHDR& header : headers) {
      if (header.dwFlags & WHDR_INQUEUE) continue;
      receiver_.RenderAudio(reinterpret_cast<int16_t*>(header.lpData), kFrames);
      if (waveOutWrite(out, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) ok = false;
    }
    WaitForSingleObject(event.Get(), 50);
  }
  waveOutReset(out);
  for (WAVEHDR& header : headers)
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(out, &header, sizeof(WAVEHDR));
  waveOutClose(out);
}
