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
  return thread_.Start([this](DeviceThread& thread) { Run(thread); });
}

void DemoFeed::Stop() { thread_.Stop(); }

void DemoFeed::Run(DeviceThread& thread) {
  // 40 ms blocks, four queued: the receiver's sound follows a tune within a fifth of a second.
  constexpr unsigned kFrames = kCaptureRate / 25;
  constexpr unsigned kBlocks = 4;
  WAVEFORMATEX format = CaptureWaveFormat();

  UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const UINT id = FindWaveOutByName(kFeedDeviceName);
  intoFeed_ = id != WAVE_MAPPER;
  HWAVEOUT out = nullptr;
  if (!event || waveOutOpen(&out, id, &format, reinterpret_cast<DWORD_PTR>(event.Get()), 0, CALLBACK_EVENT) !=
                    MMSYSERR_NOERROR)
    return;
  std::vector<int16_t> memory(static_cast<size_t>(kBlocks) * kFrames * 2);
  WAVEHDR headers[kBlocks]{};
  bool ok = true;
  for (unsigned i = 0; i < kBlocks; ++i) {
    headers[i].lpData = reinterpret_cast<char*>(memory.data() + static_cast<size_t>(i) * kFrames * 2);
    headers[i].dwBufferLength = kFrames * kCaptureBlockAlign;
    ok = ok && waveOutPrepareHeader(out, &headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  }
  thread.Opened(ok);

  while (ok && !thread.Stopping()) {
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
