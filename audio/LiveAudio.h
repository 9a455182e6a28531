#pragma once
// The live-listening graph as the device object drives it: the receiver's capture source
// rendered to the speakers. Implemented over DirectShow on Windows; a fake serves the tests.
// Every operation is safe to call in any state and returns 0 when it did nothing.

class ILiveAudio {
 public:
  virtual ~ILiveAudio() = default;
  virtual int BuildLiveGraph() = 0;
  virtual int RunLive() = 0;
  virtual int StopLive() = 0;
  // Slider level 0..100, mapped to the renderer's volume.
  virtual int SetVolume(int level) = 0;
  // Releases the graph; also stops a running recording.
  virtual void ReleaseLiveGraph() = 0;
};
