#pragma once
// What hangs on the receiver's audio function (the live sound, a recording into it): readied once
// the receiver's HID handle is open, let go before that handle goes, whether the receiver is told
// (a close) or cannot be (it was pulled out). The receiver object knows nothing more of sound.

class IReceiverAudio {
 public:
  virtual ~IReceiverAudio() = default;
  // The handle is open and usable (region and band set), no report sent yet.
  virtual void ReceiverOpened() = 0;
  // The handle is about to go while the program runs (a close, a removal).
  virtual void ReceiverClosing() = 0;
  // The receiver object itself goes, with the program: what hangs on the audio is let go and
  // nobody is told (whoever would hear of it may be gone already).
  virtual void ReceiverDestroyed() = 0;
};
