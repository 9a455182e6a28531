#include "app/LiveSound.h"

#include <utility>

#include "audio/AudioPreparation.h"
#include "audio/LiveAudio.h"

LiveSound::LiveSound(std::unique_ptr<ILiveAudio> live, IAudioPreparation* preparation,
                     std::function<void()> endRecording)
    : live_(std::move(live)), preparation_(preparation), endRecording_(std::move(endRecording)) {}

LiveSound::~LiveSound() = default;

int LiveSound::Build() { return Usable() ? live_->BuildLiveGraph() : 0; }
int LiveSound::Run() { return Usable() ? live_->RunLive() : 0; }
int LiveSound::Stop() { return Usable() ? live_->StopLive() : 0; }

void LiveSound::SetVolume(int level) {
  if (Usable()) live_->SetVolume(level);
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

bool LiveSound::AudioWithoutReceiver() {
  return preparation_ && preparation_->PrepareRecordingInput() != kAudioDeviceNotFound;
}

void LiveSound::ReceiverClosing() {
  open_ = false;
  // Both hang on the receiver's audio function, which goes with the handle.
  if (live_) live_->ReleaseLiveGraph();
  if (endRecording_) endRecording_();
}

void LiveSound::ReceiverDestroyed() {
  open_ = false;
  if (live_) live_->ReleaseLiveGraph();
}

std::string LiveSound::TakeOpenFailure() { return std::exchange(openFailure_, {}); }
