// The live sound's gate and its ties to the receiver's handle: nothing reaches the graph unless the
// receiver is open, the graph and a recording into the receiver's audio go before the handle's
// last reports, and an open's preparation failure waits for the bring-up to ask for it.
#include <gtest/gtest.h>

#include "app/LiveSound.h"
#include "tests/native/MainWindowRig.h"

namespace {

using Log = std::vector<std::string>;

// The live graph that notes whether the receiver was still powered when it was released.
class ReleaseWatch final : public ILiveAudio {
 public:
  ReleaseWatch(Log& log, const SimulatedReceiver& receiver) : log_(log), receiver_(receiver) {}
  int BuildLiveGraph() override { log_.push_back("build"); return 0; }
  int RunLive() override { log_.push_back("run"); return 0; }
  int StopLive() override { log_.push_back("stop"); return 0; }
  int SetVolume(int level) override { log_.push_back("volume " + std::to_string(level)); return 1; }
  void ReleaseLiveGraph() override { log_.push_back(receiver_.Powered() ? "release powered" : "release"); }

 private:
  Log& log_;
  const SimulatedReceiver& receiver_;
};

struct LiveSoundRig {
  LiveSoundRig() { platform.PutReceiverAt(0); }
  Log log;
  Log messages;
  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  FakeRecorder recorder{log, messages};
  FakeAudioPreparation preparation{device};
  // The recording session's end, as the window's session would run it.
  LiveSound sound{std::make_unique<ReleaseWatch>(log, receiver), &preparation, [this] {
                    if (!recorder.running) return;
                    log.push_back("session end");
                    recorder.StopRecorder();
                  }};
  CMyKestrune device{platform, clock, &sound};
};

TEST(LiveSound, NothingReachesTheGraphWhileTheReceiverIsClosed) {
  LiveSoundRig rig;
  EXPECT_FALSE(rig.sound.ReceiverOpen());
  EXPECT_EQ(rig.sound.Build(), 0);
  EXPECT_EQ(rig.sound.Run(), 0);
  rig.sound.SetVolume(40);
  EXPECT_EQ(rig.log, Log{});

  ASSERT_EQ(rig.device.OpenDevice(nullptr), 1);
  EXPECT_TRUE(rig.sound.ReceiverOpen());
  rig.sound.Run();
  rig.sound.SetVolume(40);
  EXPECT_EQ(rig.log, (Log{"run", "volume 40"}));

  rig.log.clear();
  rig.device.ForgetDevice();  // pulled out
  EXPECT_FALSE(rig.sound.ReceiverOpen());
  rig.sound.Run();
  rig.sound.Stop();
  EXPECT_EQ(rig.log, Log{"release"}) << "a removed receiver's graph is released and then left alone";
}

TEST(LiveSound, TheGraphAndTheRecordingGoBeforeTheReceiversShutDownReports) {
  LiveSoundRig rig;
  ASSERT_EQ(rig.device.OpenDevice(nullptr), 1);
  rig.device.PowerUp();
  ASSERT_TRUE(rig.receiver.Powered());
  ASSERT_TRUE(rig.recorder.StartRecorder("C:\\Rec\\a.mp3", 128));
  rig.log.clear();
  rig.device.CloseDevice();
  EXPECT_EQ(rig.log, (Log{"release powered", "session end", "record stop"}));
  EXPECT_FALSE(rig.receiver.Powered());
  EXPECT_FALSE(rig.recorder.running);
}

// The receiver object's own end (the program's) tells nobody: the session may be gone already.
TEST(LiveSound, TheReceiverObjectsEndReleasesTheGraphAndEndsNoSession) {
  Log log, messages;
  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  platform.PutReceiverAt(0);
  LiveSound sound{std::make_unique<ReleaseWatch>(log, receiver), nullptr, [&] { log.push_back("session end"); }};
  {
    CMyKestrune device{platform, clock, &sound};
    ASSERT_EQ(device.OpenDevice(nullptr), 1);
  }
  EXPECT_EQ(log, Log{"release"});
  EXPECT_FALSE(sound.ReceiverOpen());
}

TEST(LiveSound, AnOpensPreparationFailureIsHandedOutOnceWhenTheBringUpAsks) {
  LiveSoundRig rig;
  rig.preparation.failure = "Device not found.";
  ASSERT_EQ(rig.device.OpenDevice(nullptr), 1);
  EXPECT_EQ(rig.sound.TakeOpenFailure(), "Device not found.");
  EXPECT_EQ(rig.sound.TakeOpenFailure(), "");
  // An open of a receiver that is open already prepares nothing again.
  ASSERT_EQ(rig.device.OpenDevice(nullptr), 1);
  EXPECT_EQ(rig.sound.TakeOpenFailure(), "");
}

}  // namespace
