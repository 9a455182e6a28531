#include "audio/BladeEnc.h"

#include <cstring>

void FillRecorderConfig(BE_CONFIG& config, uint32_t bitrateKbps, uint32_t inputRate,
                        uint32_t outputRate) {
  std::memset(&config, 0, sizeof config);
  config.dwConfig = BE_CONFIG_LAME;
  BE_CONFIG_LHV1& lhv1 = config.format.LHV1;
  lhv1.dwStructVersion = 1;
  lhv1.dwStructSize = sizeof(BE_CONFIG);
  lhv1.dwSampleRate = inputRate;
  lhv1.dwReSampleRate = outputRate;
  lhv1.nMode = BE_MP3_MODE_JSTEREO;
  lhv1.dwBitrate = bitrateKbps;
  lhv1.dwMaxBitrate = 0;
  lhv1.nPreset = LQP_CBR;
  lhv1.dwMpegVersion = bitrateKbps > 32 ? MPEG1 : MPEG2;
  lhv1.bPrivate = 1;
  lhv1.bCRC = 0;
  lhv1.bCopyright = 1;
  lhv1.bOriginal = 1;
  lhv1.bWriteVBRHeader = 0;
  lhv1.bEnableVBR = 0;
  lhv1.nVBRQuality = 0;
  lhv1.dwVbrAbr_bps = 0;
  lhv1.nVbrMethod = VBR_METHOD_NONE;
  lhv1.bNoRes = 1;
  lhv1.bStrictIso = 0;
  lhv1.nQuality = 0;
}
