#pragma once
// LAME's BladeEnc-style DLL interface (lame_enc.dll), declared with fixed-width types so that
// the same declarations serve the Windows DLL and the native libmp3lame adapter. The layout of
// BE_CONFIG is the published packed one: 331 bytes, LAME header version 1.

#include <cstddef>
#include <cstdint>

using BE_ERR = uint32_t;  // unsigned long on Windows: 32 bits
using HBE_STREAM = void*;  // a pointer since LAME 3.100, so 64-bit builds are safe

constexpr BE_ERR BE_ERR_SUCCESSFUL = 0;
constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 2;
constexpr BE_ERR BE_ERR_INVALID_HANDLE = 4;
constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 5;

constexpr uint32_t BE_CONFIG_MP3 = 0;
constexpr uint32_t BE_CONFIG_LAME = 256;
constexpr int32_t BE_MP3_MODE_STEREO = 0;
constexpr int32_t BE_MP3_MODE_JSTEREO = 1;
constexpr int32_t BE_MP3_MODE_DUALCHANNEL = 2;
constexpr int32_t BE_MP3_MODE_MONO = 3;
constexpr uint32_t MPEG1 = 1;
constexpr uint32_t MPEG2 = 0;
constexpr int32_t VBR_METHOD_NONE = -1;
constexpr int32_t LQP_NOPRESET = -1;
constexpr int32_t LQP_STANDARD = 6;
constexpr int32_t LQP_ABR = 11;
constexpr int32_t LQP_CBR = 12;

#pragma pack(push, 1)
struct BE_CONFIG_LHV1 {
  uint32_t dwStructVersion;
  uint32_t dwStructSize;
  uint32_t dwSampleRate;    // input
  uint32_t dwReSampleRate;  // output, 0 = the encoder decides
  int32_t nMode;
  uint32_t dwBitrate;
  uint32_t dwMaxBitrate;
  int32_t nPreset;
  uint32_t dwMpegVersion;
  uint32_t dwPsyModel;
  uint32_t dwEmphasis;
  int32_t bPrivate;
  int32_t bCRC;
  int32_t bCopyright;
  int32_t bOriginal;
  int32_t bWriteVBRHeader;
  int32_t bEnableVBR;
  int32_t nVBRQuality;
  uint32_t dwVbrAbr_bps;
  int32_t nVbrMethod;
  int32_t bNoRes;
  int32_t bStrictIso;
  uint16_t nQuality;  // applied only when the high byte is the complement of the low byte
  uint8_t btReserved[255 - 4 * sizeof(uint32_t) - sizeof(uint16_t)];
};

struct BE_CONFIG_MP3FORMAT {
  uint32_t dwSampleRate;
  uint8_t byMode;
  uint16_t wBitrate;
  int32_t bPrivate;
  int32_t bCRC;
  int32_t bCopyright;
  int32_t bOriginal;
};

struct BE_CONFIG {
  uint32_t dwConfig;
  union {
    BE_CONFIG_MP3FORMAT mp3;
    BE_CONFIG_LHV1 LHV1;
  } format;
};
#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == 331, "lame_enc.dll expects the packed 331-byte layout");
static_assert(offsetof(BE_CONFIG, format) == 4);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwStructVersion) == 4);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwSampleRate) == 12);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwReSampleRate) == 16);
static_assert(offsetof(BE_CONFIG, format.LHV1.nMode) == 20);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwBitrate) == 24);
static_assert(offsetof(BE_CONFIG, format.LHV1.nPreset) == 32);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwMpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, format.LHV1.bPrivate) == 48);
static_assert(offsetof(BE_CONFIG, format.LHV1.bWriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, format.LHV1.nVbrMethod) == 80);
static_assert(offsetof(BE_CONFIG, format.LHV1.bNoRes) == 84);
static_assert(offsetof(BE_CONFIG, format.LHV1.bStrictIso) == 88);
static_assert(offsetof(BE_CONFIG, format.LHV1.nQuality) == 92);
static_assert(offsetof(BE_CONFIG, format.LHV1.btReserved) == 94);

struct BE_VERSION;  // beVersion is bound but never called

// The entry points. x86-64 Windows has one calling convention, so no __cdecl is needed.
extern "C" {
using BEINITSTREAM = BE_ERR (*)(BE_CONFIG*, uint32_t* samples, uint32_t* bufferSize, HBE_STREAM*);
using BEENCODECHUNK = BE_ERR (*)(HBE_STREAM, uint32_t samples, int16_t* pcm, uint8_t* output,
                                 uint32_t* outputBytes);
using BEDEINITSTREAM = BE_ERR (*)(HBE_STREAM, uint8_t* output, uint32_t* outputBytes);
using BECLOSESTREAM = BE_ERR (*)(HBE_STREAM);
using BEVERSION = void (*)(BE_VERSION*);
using BEWRITEVBRHEADER = BE_ERR (*)(const char* fileName);
using BEWRITEINFOTAG = BE_ERR (*)(HBE_STREAM, const char* fileName);
}

// The recorder's configuration: CBR joint stereo, private/copyright/original set, no CRC, no
// bit reservoir, no VBR header. MPEG-1 above 32 kbit/s, else MPEG-2.
void FillRecorderConfig(BE_CONFIG& config, uint32_t bitrateKbps, uint32_t inputRate,
                        uint32_t outputRate);
