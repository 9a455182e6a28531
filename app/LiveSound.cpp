#include "app/LiveSound.h"

#include <utility>

#include "audio/AudioPreparation.h"
#include "audio/LiveAudio.h"
#include "audio/Recorder.h"

LiveSound::LiveSound(std::unique_ptr<ILiveAudio> live, IAudioPreparation* preparation, IFailureBox* failures,
                     IRecorder* recorder)
    : live_(std::move(live)), preparation_(preparation), failures_(failures), recorder_(recorder) {}

LiveSound::~LiveSound() = default;

int LiveSound::Build() { return live_ && open_ ? live_->BuildLiveGraph() : 0; }
int LiveSound::Run() { return live_ && open_ ? live_->RunLive() : 0; }
int LiveSound::Stop() { return live_ && open_ ? live_->StopLive() : 0; }

void LiveSound::SetVolume(int level) {
  if (live_ && open_) live_->SetVolume(level);
}

void LiveSound::ReceiverOpened() {
  open_ = true;
  if (preparation_) openFailure_ = preparation_->PrepareRecordingInput();
  audioMissing_ = openFailure_ == kAudioDeviceNotFound;
}

bool LiveSound::PrepareAgain() {
  if (!audioMissing_) return true;
  if (!open_ || !preparation_) return false;
  openFailure_ = preparation_->PrepareRecordingInput();
  audioMissing_ = openFailure_ == kAudioDeviceNotFound;
  return !audioMissing_;
}

void LiveSound::ReceiverClosing() {
  open_ = false;
  // Both hang on the receiver's audio function, which goes with the handle.
  if (live_) live_->ReleaseLiveGraph();
  if (recorder_) recorder_->StopRecorder();
}

void LiveSound::ShowOpenFailure() {
  // Taken before it is shown: the box's loop may run another bring-up meanwhile.
  const std::string failure = std::exchange(openFailure_, {});
  if (!failure.empty() && failures_) failures_->Show(failure);
}
