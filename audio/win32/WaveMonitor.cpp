#include "audio/win32/WaveMonitor.h"

#include <cstring>
#include <vector>

#include "audio/CaptureRules.h"
#include "audio/win32/CaptureFormat.h"
#include "audio/win32/WaveCapture.h"
#include "audio/MonitorGain.h"

bool WaveMonitor::Start(const std::string& name) {
  if (thread_.Running()) return true;
  name_ = name;
  played_ = 0;
  openedId_ = WAVE_MAPPER;
  return thread_.Start([this](DeviceThread& thread) { Run(thread); });
}

void WaveMonitor::Stop() { thread_.Stop(); }

void WaveMonitor::Run(DeviceThread& thread) {
  WAVEFORMATEX format = CaptureWaveFormat();

  // Both devices signal the one event: a filled capture block and a played output block are
  // both reasons to look again.
  UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  // The recorder's lookup: live listening and recording take the same device, "USB FM RADIO"
  // as well as "FM Radio".
  const UINT inId = FindWaveInId(name_);
  HWAVEIN in = nullptr;
  HWAVEOUT out = nullptr;
  const auto callback = reinterpret_cast<DWORD_PTR>(event.Get());
  if (!event || inId == WAVE_MAPPER ||
      waveInOpen(&in, inId, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR)
    return;
  if (waveOutOpen(&out, WAVE_MAPPER, &format, callback, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    waveInClose(in);
    return;
  }
  UINT openedId = WAVE_MAPPER;
  waveInGetID(in, &openedId);
  openedId_.store(openedId);

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
  thread.Opened(ok);

  unsigned nextIn = 0;  // the driver fills the capture blocks in the order they were queued
  while (ok && !thread.Stopping()) {
    WaitForSingleObject(event.Get(), 50);
    while (!thread.Stopping() && (inHeaders[nextIn].dwFlags & WHDR_DONE)) {
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
