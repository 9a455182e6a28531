#pragma once
// A test-only DirectShow source: one output pin offering 16 kHz 16-bit stereo PCM that supports
// IAMBufferNegotiation and IAMStreamConfig like a real capture pin, and records the buffer
// request it was given and the allocator properties it finally agreed with its peer.
#ifdef _WIN32
#include <windows.h>
#include <dshow.h>

#include <wrl/client.h>

struct TestSourceRecord {
  bool suggested = false;
  ALLOCATOR_PROPERTIES suggestion{};
  bool connected = false;
  ALLOCATOR_PROPERTIES agreed{};
};

// A new filter with one reference; `record` must outlive it.
Microsoft::WRL::ComPtr<IBaseFilter> MakeTestSourceFilter(TestSourceRecord* record);
#endif
