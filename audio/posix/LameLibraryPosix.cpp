// Natively the encoder is Debian's libmp3lame, linked directly. This adapter offers it through
// the same entry points as lame_enc.dll and maps BE_CONFIG onto the library exactly as LAME's
// own Dll/BladeMP3EncDLL.c does, so that both builds produce the same stream.

#include <cstring>
#include <string>

#include "audio/LameBinding.h"

#if __has_include(<lame/lame.h>)
#include <lame/lame.h>
#define KESTRUNE_HAVE_LAME 1
#endif

#ifdef KESTRUNE_HAVE_LAME
namespace {

void ApplyPreset(lame_global_flags* gfp, int32_t preset) {
  switch (preset) {
    case 1: lame_set_quality(gfp, 9); break;
    case 2: lame_set_quality(gfp, 2); break;
    case 3: lame_set_mode(gfp, MONO); lame_set_preset(gfp, 56); break;
    case 4: lame_set_preset(gfp, R3MIX); break;
    case 5: lame_set_quality(gfp, 0); break;
    case 6: lame_set_preset(gfp, STANDARD); break;
    case 7: lame_set_preset(gfp, STANDARD_FAST); break;
    case 8: lame_set_preset(gfp, EXTREME); break;
    case 9: lame_set_preset(gfp, EXTREME_FAST); break;
    case 10: lame_set_preset(gfp, INSANE); break;
    case 13: lame_set_preset(gfp, MEDIUM); break;
    case 14: lame_set_preset(gfp, MEDIUM_FAST); break;
    default: break;  // 0, ABR and CBR are handled by the caller; the named presets are not used
  }
}

BE_ERR SetChannelMode(lame_global_flags* gfp, int32_t mode) {
  switch (mode) {
    case BE_MP3_MODE_STEREO: lame_set_mode(gfp, STEREO); lame_set_num_channels(gfp, 2); return 0;
    case BE_MP3_MODE_JSTEREO: lame_set_mode(gfp, JOINT_STEREO); lame_set_num_channels(gfp, 2); return 0;
    case BE_MP3_MODE_MONO: lame_set_mode(gfp, MONO); lame_set_num_channels(gfp, 1); return 0;
    case BE_MP3_MODE_DUALCHANNEL: lame_set_mode(gfp, DUAL_CHANNEL); lame_set_num_channels(gfp, 2); return 0;
    default: return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
}

extern "C" BE_ERR NativeInitStream(BE_CONFIG* source, uint32_t* samples, uint32_t* bufferSize,
                                   HBE_STREAM* stream) {
  lame_global_flags* gfp = lame_init();
  *stream = gfp;
  if (!gfp) return BE_ERR_INVALID_FORMAT_PARAMETERS;

  BE_CONFIG config{};
  if (source->dwConfig != BE_CONFIG_LAME) {
    // The old BladeEnc layout: quality and VBR are packed into the CRC word.
    const int crc = source->format.mp3.bCRC;
    const int vbr = (crc >> 12) & 0x0F;
    BE_CONFIG_LHV1& c = config.format.LHV1;
    c.dwSampleRate = source->format.mp3.dwSampleRate;
    c.nMode = source->format.mp3.byMode & 0x0F;
    c.dwBitrate = source->format.mp3.wBitrate;
    c.bPrivate = source->format.mp3.bPrivate;
    c.bOriginal = source->format.mp3.bOriginal;
    c.bCRC = crc & 0x01;
    c.bCopyright = source->format.mp3.bCopyright;
    c.dwStructSize = sizeof(BE_CONFIG);
    c.dwStructVersion = 1;
    if (vbr > 0) {
      c.bWriteVBRHeader = 1;
      c.bEnableVBR = 1;
      c.nVBRQuality = vbr - 1;
    }
    c.nPreset = (crc >> 8) & 0x0F;
  } else {
    size_t size = source->format.LHV1.dwStructSize;
    if (size > sizeof config) size = sizeof config;
    std::memcpy(&config, source, size);
  }
  const BE_CONFIG_LHV1& c = config.format.LHV1;

  lame_set_in_samplerate(gfp, static_cast<int>(c.dwSampleRate));
  lame_set_bWriteVbrTag(gfp, 0);
  if (c.nPreset == LQP_ABR) {
    int kbps = static_cast<int>(c.dwVbrAbr_bps / 1000);
    kbps = kbps > 320 ? 320 : kbps < 8 ? 8 : kbps;
    lame_set_preset(gfp, kbps);
  }
  if (c.nPreset == LQP_CBR) {
    lame_set_preset(gfp, static_cast<int>(c.dwBitrate));
    lame_set_VBR(gfp, vbr_off);
  }
  if (c.nPreset < LQP_STANDARD) {
    if (SetChannelMode(gfp, c.nMode) != 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (c.bEnableVBR) {
      lame_set_VBR_q(gfp, c.nVBRQuality);
      switch (c.nVbrMethod) {
        case 0: lame_set_VBR(gfp, vbr_default); break;
        case 1: lame_set_VBR(gfp, vbr_rh); break;
        case 2:
        case 3: lame_set_VBR(gfp, vbr_mtrh); break;
        case 4: lame_set_VBR(gfp, vbr_abr); break;
        default: lame_set_VBR(gfp, vbr_off); break;
      }
    } else {
      lame_set_VBR(gfp, vbr_off);
    }
    lame_set_brate(gfp, static_cast<int>(c.dwBitrate));
    if (c.dwVbrAbr_bps > 0) {
      lame_set_VBR(gfp, vbr_abr);
      int kbps = static_cast<int>((c.dwVbrAbr_bps + 500) / 1000);
      kbps = kbps > 320 ? 320 : kbps < 8 ? 8 : kbps;
      lame_set_VBR_mean_bitrate_kbps(gfp, kbps);
    }
  }
  if (c.nPreset != LQP_NOPRESET) ApplyPreset(gfp, c.nPreset);
  if (c.dwReSampleRate > 0) lame_set_out_samplerate(gfp, static_cast<int>(c.dwReSampleRate));
  if (c.nMode == BE_MP3_MODE_MONO) {
    lame_set_mode(gfp, MONO);
    lame_set_num_channels(gfp, 1);
  }
  lame_set_strict_ISO(gfp, c.bStrictIso ? 1 : 0);
  if (c.bCopyright) lame_set_copyright(gfp, 1);
  lame_set_original(gfp, c.bOriginal ? 1 : 0);
  lame_set_error_protection(gfp, c.bCRC ? 1 : 0);
  lame_set_extension(gfp, c.bPrivate ? 1 : 0);
  if (c.dwBitrate > 0) lame_set_VBR_min_bitrate_kbps(gfp, static_cast<int>(c.dwBitrate));
  if (c.dwMaxBitrate > 0) lame_set_VBR_max_bitrate_kbps(gfp, static_cast<int>(c.dwMaxBitrate));
  if (c.bNoRes) lame_set_disable_reservoir(gfp, 1);
  lame_set_bWriteVbrTag(gfp, c.bWriteVBRHeader ? 1 : 0);
  if ((c.nQuality & 0xFF) == ((~(c.nQuality >> 8)) & 0xFF)) lame_set_quality(gfp, c.nQuality & 0xFF);

  const int init = lame_init_params(gfp);
  if (init != 0) return static_cast<BE_ERR>(init);
  const int channels = lame_get_num_channels(gfp);
  *samples = static_cast<uint32_t>((lame_get_version(gfp) == 0 ? 576 : 1152) * channels);
  *bufferSize = static_cast<uint32_t>(1.25 * (*samples / channels) + 7200);
  return BE_ERR_SUCCESSFUL;
}

extern "C" BE_ERR NativeEncodeChunk(HBE_STREAM stream, uint32_t samples, int16_t* pcm,
                                    uint8_t* output, uint32_t* outputBytes) {
  auto* gfp = static_cast<lame_global_flags*>(stream);
  const int channels = lame_get_num_channels(gfp);
  int frames = static_cast<int>(samples) / channels;
  if (channels == 1 && samples == 2304) frames /= 2;
  const int produced = channels == 1 ? lame_encode_buffer(gfp, pcm, pcm, frames, output, 0)
                                     : lame_encode_buffer_interleaved(gfp, pcm, frames, output, 0);
  *outputBytes = produced < 0 ? 0 : static_cast<uint32_t>(produced);
  return produced < 0 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_SUCCESSFUL;
}

extern "C" BE_ERR NativeDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* outputBytes) {
  const int produced = lame_encode_flush(static_cast<lame_global_flags*>(stream), output, 0);
  *outputBytes = produced < 0 ? 0 : static_cast<uint32_t>(produced);
  return produced < 0 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_SUCCESSFUL;
}

extern "C" BE_ERR NativeCloseStream(HBE_STREAM stream) {
  // No VBR tag is ever requested, so the state can go now.
  lame_close(static_cast<lame_global_flags*>(stream));
  return BE_ERR_SUCCESSFUL;
}

extern "C" void NativeVersion(BE_VERSION*) {}
extern "C" BE_ERR NativeWriteVbrHeader(const char*) { return BE_ERR_INVALID_HANDLE; }
extern "C" BE_ERR NativeWriteInfoTag(HBE_STREAM, const char*) { return BE_ERR_INVALID_HANDLE; }

class NativeLame final : public ISharedLibrary {
 public:
  void* Symbol(const char* name) override {
    const std::string wanted = name;
    if (wanted == "beInitStream") return reinterpret_cast<void*>(&NativeInitStream);
    if (wanted == "beEncodeChunk") return reinterpret_cast<void*>(&NativeEncodeChunk);
    if (wanted == "beDeinitStream") return reinterpret_cast<void*>(&NativeDeinitStream);
    if (wanted == "beCloseStream") return reinterpret_cast<void*>(&NativeCloseStream);
    if (wanted == "beVersion") return reinterpret_cast<void*>(&NativeVersion);
    if (wanted == "beWriteVBRHeader") return reinterpret_cast<void*>(&NativeWriteVbrHeader);
    if (wanted == "beWriteInfoTag") return reinterpret_cast<void*>(&NativeWriteInfoTag);
    return nullptr;
  }
};

}  // namespace
#endif

std::unique_ptr<ISharedLibrary> OpenPlatformLibrary(const std::string& name) {
#ifdef KESTRUNE_HAVE_LAME
  if (name == "lame_enc.dll") return std::make_unique<NativeLame>();
#else
  (void)name;
#endif
  return nullptr;
}
