// Any bytes a user's file may hold, scanned as an MP3 file: no crash, no hang, nothing read
// beyond the data, and the same answer however the file hands out its bytes.
#include <cstdint>
#include <cstdlib>

#include "audio/Mp3Info.h"
#include "tests/support/MemoryInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryInputFile whole(data, size);
  CMP3Info info;
  info.Scan(whole);

  // Short reads of a size taken from the data itself, as a slow share might give them.
  MemoryInputFile pieces(data, size, size > 0 ? 1 + data[size - 1] % 61 : 1);
  CMP3Info again;
  again.Scan(pieces);

  if (whole.delivered > size || pieces.delivered > size) std::abort();
  if (info.m_frames > CMP3Info::kMaxFrames || info.m_averageBitrate > 448) std::abort();
  if (info.m_found != (info.m_frames > 0)) std::abort();
  if (again.m_frames != info.m_frames || again.m_averageBitrate != info.m_averageBitrate ||
      again.m_sampleRate != info.m_sampleRate || again.m_version != info.m_version || again.m_layer != info.m_layer)
    std::abort();
  return 0;
}
