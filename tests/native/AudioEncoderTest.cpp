#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "audio/AudioError.h"
#include "audio/BladeEnc.h"
#include "audio/Mp3Writer.h"
#include "audio/MonitorGain.h"
#include "audio/Volume.h"
#include "tests/support/AudioMp3Scan.h"

namespace {

uint32_t U32At(const BE_CONFIG& c, size_t offset) {
  uint32_t v;
  std::memcpy(&v, reinterpret_cast<const uint8_t*>(&c) + offset, 4);
  return v;
}

TEST(AudioVolume, SliderTableAndClamping) {
  const std::map<int, int> table = {{100, 0},     {99, -100},    {97, -100},  {96, -200},
                                    {90, -300},   {50, -1500},   {10, -2700}, {4, -2900},
                                    {3, -3000},   {1, -3000},    {0, -10000}};
  for (auto [level, volume] : table) EXPECT_EQ(SliderLevelToVolume(level), volume) << level;
  // The single-precision formula of the original mapping gives the same value everywhere.
  for (int v = 1; v <= 100; ++v) {
    const float f = 100.0f - 0.3f * static_cast<float>(100 - v);
    EXPECT_EQ(SliderLevelToVolume(v), (static_cast<int>(f) - 100) * 100) << v;
  }
  EXPECT_EQ(SliderLevelToVolume(-5), -10000);
  EXPECT_EQ(SliderLevelToVolume(250), 0);
}

TEST(AudioEncoderConfig, BytesOfTheRecorderConfigurationAtEveryOfferedBitrate) {
  // The recorder's four rates (indexes 0..3 of its table): only the bit rate word differs.
  for (uint32_t rate : {320u, 192u, 128u, 64u}) {
    BE_CONFIG c;
    std::memset(&c, 0xAB, sizeof c);
    FillRecorderConfig(c, rate, 16000, 44100);
    const std::map<size_t, uint32_t> words = {
        {0, 256}, {4, 1},  {8, 331}, {12, 16000}, {16, 44100}, {20, 1}, {24, rate}, {28, 0},
        {32, 12}, {36, 1}, {40, 0},  {44, 0},     {48, 1},     {52, 0}, {56, 1},    {60, 1},
        {64, 0},  {68, 0}, {72, 0},  {76, 0},     {80, 0xFFFFFFFFu}, {84, 1}, {88, 0}};
    for (auto [offset, value] : words) EXPECT_EQ(U32At(c, offset), value) << rate << " kbit/s, offset " << offset;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&c);
    for (size_t i = 92; i < sizeof c; ++i) EXPECT_EQ(bytes[i], 0) << rate << " kbit/s, byte " << i;
  }

  BE_CONFIG c;
  FillRecorderConfig(c, 33, 16000, 44100);
  EXPECT_EQ(U32At(c, 36), 1u) << "MPEG-1 above 32 kbit/s";
  for (uint32_t rate : {32u, 8u}) {
    FillRecorderConfig(c, rate, 16000, 44100);
    EXPECT_EQ(U32At(c, 36), 0u) << "MPEG-2 at " << rate;
  }
}

// A library made of test functions, any of which can be left out.
int g_openStreams = 0;
BE_ERR g_initResult = BE_ERR_SUCCESSFUL;
int g_dummyState = 0;
extern "C" BE_ERR FakeInit(BE_CONFIG*, uint32_t* samples, uint32_t* size, HBE_STREAM* stream) {
  *stream = &g_dummyState;  // like lame_enc.dll, a stream exists even when init fails
  ++g_openStreams;
  *samples = 2304;
  *size = 10000;
  return g_initResult;
}
extern "C" BE_ERR FakeEncode(HBE_STREAM, uint32_t, int16_t*, uint8_t*, uint32_t* out) {
  *out = 0;
  return 0;
}
extern "C" BE_ERR FakeDeinit(HBE_STREAM, uint8_t*, uint32_t* out) {
  *out = 0;
  return 0;
}
extern "C" BE_ERR FakeClose(HBE_STREAM) {
  --g_openStreams;
  return 0;
}
extern "C" void FakeVersion(BE_VERSION*) {}
extern "C" BE_ERR FakeVbr(const char*) { return 0; }
extern "C" BE_ERR FakeInfo(HBE_STREAM, const char*) { return 0; }

class FakeLibrary final : public ISharedLibrary {
 public:
  explicit FakeLibrary(std::string missing) : missing_(std::move(missing)) {}
  void* Symbol(const char* name) override {
    if (missing_ == name) return nullptr;
    const std::map<std::string, void*> table = {
        {"beInitStream", reinterpret_cast<void*>(&FakeInit)},
        {"beEncodeChunk", reinterpret_cast<void*>(&FakeEncode)},
        {"beDeinitStream", reinterpret_cast<void*>(&FakeDeinit)},
        {"beCloseStream", reinterpret_cast<void*>(&FakeClose)},
        {"beVersion", reinterpret_cast<void*>(&FakeVersion)},
        {"beWriteVBRHeader", reinterpret_cast<void*>(&FakeVbr)},
        {"beWriteInfoTag", reinterpret_cast<void*>(&FakeInfo)}};
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second;
  }

 private:
  std::string missing_;
};

std::string LoadFailure(LameBinding& binding) {
  try {
    binding.Load();
  } catch (const AudioError& e) {
    return e.what();
  }
  return "";
}

TEST(AudioLameBinding, RequiredEntryPointsAndRetryAfterFailedLoad) {
  for (const char* missing : {"beInitStream", "beEncodeChunk", "beDeinitStream", "beCloseStream",
                              "beVersion", "beWriteVBRHeader"}) {
    LameBinding binding([&](const std::string&) { return std::make_unique<FakeLibrary>(missing); });
    EXPECT_EQ(LoadFailure(binding), "Unable to get LAME interfaces") << missing;
    EXPECT_FALSE(binding.IsLoaded());
  }
  LameBinding noInfoTag([](const std::string&) { return std::make_unique<FakeLibrary>("beWriteInfoTag"); });
  EXPECT_EQ(LoadFailure(noInfoTag), "");
  EXPECT_TRUE(noInfoTag.IsLoaded());

  bool available = false;
  std::string askedFor;
  LameBinding later([&](const std::string& name) -> std::unique_ptr<ISharedLibrary> {
    askedFor = name;
    if (!available) return nullptr;
    return std::make_unique<FakeLibrary>("");
  });
  EXPECT_EQ(LoadFailure(later), "Error loading lame_enc.DLL");
  EXPECT_EQ(askedFor, "lame_enc.dll");
  available = true;
  EXPECT_EQ(LoadFailure(later), "");
  EXPECT_TRUE(later.IsLoaded());
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("kestrune-" + std::to_string(::getpid()) + "-" + name)).string();
}

TEST(AudioMp3Writer, FailedConstructionLeavesNoStreamOrFile) {
  LameBinding binding([](const std::string&) { return std::make_unique<FakeLibrary>(""); });
  g_openStreams = 0;
  g_initResult = 2;
  try {
    mp3Writer writer(TempPath("init.mp3"), 128, 44100, binding);
    ADD_FAILURE() << "constructed";
  } catch (const AudioError& e) {
    EXPECT_STREQ(e.what(), "ERRORR in beInitStream.");
  }
  EXPECT_EQ(g_openStreams, 0);
  EXPECT_FALSE(std::filesystem::exists(TempPath("init.mp3")));

  g_initResult = BE_ERR_SUCCESSFUL;
  try {
    mp3Writer writer(TempPath("no-such-folder") + "/x.mp3", 128, 44100, binding);
    ADD_FAILURE() << "constructed";
  } catch (const AudioError& e) {
    EXPECT_STREQ(e.what(), "Can't create MP3 file.");
  }
  EXPECT_EQ(g_openStreams, 0);
}

std::vector<int16_t> ToneBlock(size_t frames, size_t& phase) {
  std::vector<int16_t> pcm(frames * 2);
  for (size_t i = 0; i < frames; ++i, ++phase) {
    const auto v = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * phase / 16000.0));
    pcm[2 * i] = v;
    pcm[2 * i + 1] = v;
  }
  return pcm;
}

std::vector<int16_t> DecodeWithMpg123(const std::string& path) {
  std::vector<int16_t> pcm;
  const std::string command = "mpg123 -q -s '" + path + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return pcm;
  int16_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, sizeof(int16_t), 4096, pipe)) > 0) pcm.insert(pcm.end(), buffer, buffer + got);
  ::pclose(pipe);
  return pcm;
}

// The full chain through Debian's libmp3lame: capture-sized blocks in, a bare CBR stream out that
// a real decoder plays back as the same tone, with the encoder's tail flushed into the file.
TEST(AudioMp3Writer, LibMp3LameStreamDecodesAtEveryOfferedBitrate) {
  constexpr size_t kBlockFrames = 2000;  // 8000-byte capture blocks, 125 ms
  constexpr size_t kBlocks = 24;         // 3 s
  for (uint16_t kbps : {320, 192, 128, 64}) {
    const std::string path = TempPath("tone-" + std::to_string(kbps) + ".mp3");
    {
      mp3Writer writer(path, kbps, kRecordingSampleRate);
      size_t phase = 0;
      for (size_t b = 0; b < kBlocks; ++b) {
        const auto pcm = ToneBlock(kBlockFrames, phase);
        ASSERT_EQ(writer.Receive(reinterpret_cast<const uint8_t*>(pcm.data()), kBlockFrames * 4), 0);
      }
    }
    const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
    ASSERT_TRUE(info.valid) << info.problem;
    EXPECT_EQ(info.mpegVersion, 1);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.bitrateKbps, kbps);
    EXPECT_EQ(info.channelMode, 1) << "joint stereo";
    EXPECT_FALSE(info.crc);
    EXPECT_TRUE(info.privateBit && info.copyright && info.original);
    EXPECT_FALSE(info.hasXingOrInfo);

    // Every captured sample is in the file: 3 s at 44100 Hz plus LAME's 576-sample encoder delay,
    // padded to the end of the last frame.
    const double captured = kBlocks * kBlockFrames * 44100.0 / 16000.0;
    const double stream = info.frames * 1152.0;
    EXPECT_GE(stream, captured + 576) << kbps;
    EXPECT_LT(stream, captured + 576 + 2 * 1152) << kbps;

    const std::vector<int16_t> decoded = DecodeWithMpg123(path);
    ASSERT_EQ(decoded.size(), static_cast<size_t>(info.frames) * 1152 * 2) << "mpg123 output";
    const std::vector<int16_t> middle(decoded.begin() + 44100, decoded.begin() + 3 * 44100);
    EXPECT_GT(ToneShare(middle, 44100, 1000.0), 0.9) << kbps;
    EXPECT_LT(ToneShare(middle, 44100, 1500.0), 0.01) << kbps;
    std::filesystem::remove(path);
  }
}

TEST(AudioMp3Writer, ExistingFileIsReplacedAndOddOrHugeBlocksAreSafe) {
  const std::string path = TempPath("replace.mp3");
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("this is not audio, and it is longer than nothing at all", f);
    std::fclose(f);
  }
  {
    mp3Writer writer(path, 64, kRecordingSampleRate);
    size_t phase = 0;
    // Ten seconds in one call: far more than one output area's worth.
    const auto big = ToneBlock(160000, phase);
    EXPECT_EQ(writer.Receive(reinterpret_cast<const uint8_t*>(big.data()), 160000 * 4), 0);
    const auto odd = ToneBlock(100, phase);
    EXPECT_EQ(writer.Receive(reinterpret_cast<const uint8_t*>(odd.data()) + 1, 399), 0);
  }
  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
  ASSERT_TRUE(info.valid) << info.problem;
  EXPECT_GE(info.frames * 1152.0, 160000 * 44100.0 / 16000.0);
  std::filesystem::remove(path);
}

}  // namespace

TEST(AudioVolume, MonitorGainFollowsTheRendererCurve) {
  // Silence, unity, and the decibel steps of the slider as amplitude factors.
  EXPECT_EQ(AttenuationToGainQ16(SliderLevelToVolume(0)), 0u);
  EXPECT_EQ(AttenuationToGainQ16(-20000), 0u);
  EXPECT_EQ(AttenuationToGainQ16(SliderLevelToVolume(100)), 65536u);
  EXPECT_EQ(AttenuationToGainQ16(500), 65536u) << "never amplifies";
  EXPECT_NEAR(AttenuationToGainQ16(SliderLevelToVolume(50)) / 65536.0, 0.1778, 0.0005);   // -15 dB
  EXPECT_NEAR(AttenuationToGainQ16(SliderLevelToVolume(1)) / 65536.0, 0.03162, 0.0002);   // -30 dB

  int16_t samples[] = {32767, -32768, 1000, -1000, 0};
  ApplyGainQ16(samples, 5, 65536);
  EXPECT_EQ(samples[0], 32767);
  EXPECT_EQ(samples[1], -32768);
  ApplyGainQ16(samples, 5, 32768);
  EXPECT_EQ(samples[0], 16383);
  EXPECT_EQ(samples[1], -16384);
  EXPECT_EQ(samples[2], 500);
  EXPECT_EQ(samples[3], -500);
  ApplyGainQ16(samples, 4, 0);
  for (int16_t s : samples) EXPECT_EQ(s, 0);
}
