#pragma once
// The receiver's sound as one hears it live, and the one answer to "may live sound run": the
// live graph and the audio preparation are owned here, and every call on the graph passes the
// same gate, the receiver's handle being open. The receiver object tells it when the handle
// opens (the recording input is prepared then) and before the handle goes (the graph is released
// and a recording into the receiver's audio ends with it, through the recording session). One
// thread only: the window's.

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "audio/LiveAudio.h"
#include "device/ReceiverAudio.h"

class IAudioPreparation;

class LiveSound final : public IReceiverAudio {
 public:
  // Each part is optional: without a graph there is nothing to hear, without a preparation the
  // recording input is left as it is. `endRecording` ends a running recording the way every
  // recording ends (the recording session's end, told and logged); it is called before the
  // handle goes. `preparation` must outlive the object.
  LiveSound(std::unique_ptr<ILiveAudio> live, IAudioPreparation* preparation, std::function<void()> endRecording);
  ~LiveSound() override;
  LiveSound(const LiveSound&) = delete;
  LiveSound& operator=(const LiveSound&) = delete;

  // The receiver's handle is open: its sound may run and a recording may start.
  bool ReceiverOpen() const { return open_; }

  // The graph's answers (0 is S_OK); 0 also when there is no graph, the receiver is closed or
  // the sound is held, so that nothing waits for a sound that cannot come.
  int Build();
  int Run();
  int Stop();
  // Slider level 0..100.
  void SetVolume(int level);

  // A start in the tray at log-on waits for the user: while held, the graph is neither built nor
  // run, nor its volume set (no sound in the speakers, no capture of the receiver's input). A
  // reservation records without it. Release answers true once, when it lets held sound go: the
  // caller then starts it as a plain start does.
  void Hold() { held_ = true; }
  bool Release() { return std::exchange(held_, false); }
  bool Held() const { return held_; }

  // The failure the last open's preparation left, once; empty when there is none. Taken when a
  // bring-up is complete, by whoever decides how it is told.
  std::string TakeOpenFailure();

  // The receiver's audio function was not there when its handle opened (it comes a moment after
  // the HID interface when the receiver is plugged in).
  bool AudioMissing() const { return audioMissing_; }
  // Looks for it again; true once it is there (the recording input is prepared then).
  bool PrepareAgain();
  // Whether the receiver's audio function is there while its handle could not be opened (another
  // program holds it): a recording can still take its sound. Prepares it as recording input.
  bool AudioWithoutReceiver();

  // IReceiverAudio
  void ReceiverOpened() override;
  void ReceiverClosing() override;
  // A recording still running is left to the recorder's own end.
  void ReceiverDestroyed() override;

 private:
  bool Usable() const { return live_ && open_ && !held_; }

  std::unique_ptr<ILiveAudio> live_;
  IAudioPreparation* preparation_;
  std::function<void()> endRecording_;
  bool open_ = false;
  bool held_ = false;
  bool audioMissing_ = false;
  std::string openFailure_;
};
