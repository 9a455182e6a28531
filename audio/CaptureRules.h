#pragma once
// The platform-free rules of the wave capture engine: its fixed PCM format, the receiver lookup
// by name, the recording-source selection on a mixer list control, and the bounded wait for
// buffers coming back from the driver.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// 16-bit stereo PCM at 16 kHz in 125 ms buffers that circulate between the driver and the
// capture thread.
constexpr uint32_t kCaptureChannels = 2;
constexpr uint32_t kCaptureBitsPerSample = 16;
constexpr uint32_t kCaptureRate = 16000;
constexpr uint32_t kCaptureBlockAlign = kCaptureChannels * kCaptureBitsPerSample / 8;
constexpr uint32_t kCaptureBytesPerSecond = kCaptureRate * kCaptureBlockAlign;
constexpr uint32_t kCaptureBufferBytes = kCaptureBytesPerSecond / 8;
// Two buffers leave the encoder 125 ms per block, which a loaded PC or a slow write overruns now
// and then; eight let the capture thread fall a second behind and catch up without a gap.
constexpr uint32_t kCaptureBufferCount = 8;

// The receiver's audio function as the wave-in and DirectShow device lists name it.
inline constexpr const char* kReceiverAudioName = "FM Radio";

// Wave-in lookup: `wanted` anywhere in `productName`, letter case ignored (ASCII).
bool ProductNameMatches(std::string_view productName, std::string_view wanted);
// Live-graph lookup: `wanted` anywhere in `friendlyName`, letter case significant.
bool FriendlyNameMatches(std::string_view friendlyName, std::string_view wanted);

// One list control of the wave-in destination (a MUX, single-select, multiple-select or mixer
// control) as read from the mixer: the items' names and their boolean values, `channels` values
// per item.
struct MixerListControl {
  bool singleSelect = false;
  uint32_t channels = 1;
  uint32_t items = 0;
  std::vector<std::string> itemNames;
  std::vector<int32_t> values;
};

// Marks the item named `lineName` (exact match) as selected in its first and last channel; a
// single-select control deselects every other item, an additive one leaves them. Returns true
// when some value changed. Tolerates arrays shorter than the counts claim.
bool SelectRecordingItem(MixerListControl& control, const std::string& lineName);

// Sleeps `step` at a time until `outstanding` (buffers still in the driver's hands) is 0 or
// `timeout` passes. True when every buffer came back.
bool WaitForReturn(const std::atomic<uint8_t>& outstanding, std::chrono::milliseconds timeout,
                   const std::function<void()>& sleepStep);
