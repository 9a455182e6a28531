#pragma once
// The consumer of captured audio. The capture engine calls Receive on its own thread for every
// filled block (interleaved 16-bit stereo PCM), never after its Stop has returned, and never
// owns or deletes the receiver.

#include <cstdint>

class IReceiver {
 public:
  // 0 on success; the capture engine ignores the status, so a receiver must cope with its own
  // failures and stay usable for the next block.
  virtual int Receive(const uint8_t* block, uint32_t bytes) = 0;

 protected:
  // Receivers are never deleted through this interface.
  ~IReceiver() = default;
};
