#pragma once
// What hangs on the receiver's audio function (the live sound, a recording into it): readied once
// the receiver's HID handle is open, let go before that handle goes, whether the receiver is told
// (a close) or cannot be (it was pulled out). The receiver object knows nothing more of sound.

class IReceiverAudio {
 public:
  virtual ~IReceiverAudio() = default;
  // The handle is open and usable (region and band set), no report sent yet.
  virtual void ReceiverOpened() = 0;
  // The handle is about to go; also when the receiver object itself goes.
  virtual void ReceiverClosing() = 0;
};
