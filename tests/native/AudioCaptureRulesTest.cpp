#include <gtest/gtest.h>

#include <thread>

#include "audio/CaptureRules.h"

namespace {

TEST(AudioCaptureRules, FormatAndNameLookups) {
  EXPECT_EQ(kCaptureBufferBytes, 8000u);
  EXPECT_EQ(kCaptureBytesPerSecond, 64000u);
  EXPECT_TRUE(ProductNameMatches("USB FM Radio Audio", "FM Radio"));
  EXPECT_TRUE(ProductNameMatches("usb fm radio look-alike", "FM Radio"));
  EXPECT_FALSE(ProductNameMatches("FM Radi", "FM Radio"));
  EXPECT_TRUE(FriendlyNameMatches("Line (FM Radio)", "FM Radio"));
  EXPECT_FALSE(FriendlyNameMatches("usb fm radio look-alike", "FM Radio"));
  EXPECT_FALSE(FriendlyNameMatches("FM RADIO", "FM Radio"));
}

TEST(AudioCaptureRules, RecordingItemSelection) {
  MixerListControl mux;
  mux.singleSelect = true;
  mux.items = 3;
  mux.itemNames = {"Microphone", "FM Radio", "Line In"};
  mux.values = {1, 0, 0};
  EXPECT_TRUE(SelectRecordingItem(mux, "FM Radio"));
  EXPECT_EQ(mux.values, (std::vector<int32_t>{0, 1, 0}));
  EXPECT_FALSE(SelectRecordingItem(mux, "FM Radio")) << "already selected";

  // An additive (mixer) control keeps the other sources on; names compare exactly.
  MixerListControl mixer = mux;
  mixer.singleSelect = false;
  mixer.values = {1, 0, 0};
  SelectRecordingItem(mixer, "FM Radio");
  EXPECT_EQ(mixer.values, (std::vector<int32_t>{1, 1, 0}));
  mixer.values = {0, 0, 0};
  EXPECT_FALSE(SelectRecordingItem(mixer, "fm radio"));

  // Two channels per item: the item's first and last channel value are set, walking in steps
  // of the channel count while below the item count.
  MixerListControl stereo;
  stereo.singleSelect = true;
  stereo.channels = 2;
  stereo.items = 4;
  stereo.itemNames = {"Line", "Line", "FM Radio", "FM Radio"};
  stereo.values = {1, 1, 0, 0};
  SelectRecordingItem(stereo, "FM Radio");
  EXPECT_EQ(stereo.values, (std::vector<int32_t>{0, 0, 1, 1}));

  // Counts larger than what the mixer returned are not trusted.
  MixerListControl shortArrays;
  shortArrays.singleSelect = true;
  shortArrays.items = 10;
  shortArrays.itemNames = {"FM Radio"};
  shortArrays.values = {0, 1};
  SelectRecordingItem(shortArrays, "FM Radio");
  EXPECT_EQ(shortArrays.values, (std::vector<int32_t>{1, 0}));
}

TEST(AudioCaptureRules, WaitForReturnedBuffersEndsEitherWay) {
  std::atomic<uint8_t> outstanding{2};
  int sleeps = 0;
  // The driver never hands the buffers back (device gone): the wait gives up.
  EXPECT_FALSE(WaitForReturn(outstanding, std::chrono::milliseconds(30), [&] {
    ++sleeps;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }));
  EXPECT_GT(sleeps, 0);

  std::thread driver([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    outstanding.fetch_sub(1);
    outstanding.fetch_sub(1);
  });
  EXPECT_TRUE(WaitForReturn(outstanding, std::chrono::seconds(10),
                            [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }));
  driver.join();
}

}  // namespace
