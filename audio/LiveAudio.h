#pragma once
// The live-listening graph as the live sound drives it: the receiver's capture source
// rendered to the speakers. Implemented over DirectShow on Windows; a fake serves the tests.
// Every operation is safe to call in any state. Results, as the callers read them:
//   BuildLiveGraph: 1 when it did nothing (receiver closed, graph already built), else the
//                   HRESULT of running the new graph (0 = playing).
//   RunLive/StopLive: 0 when the receiver is closed, 1 when there is no graph, else the
//                   HRESULT of the request (0 = success).
//   A run request whose sound could not start (the receiver's audio not there yet) fails, so
//   that the resume's retries repeat it; the next run request starts it again.
//   SetVolume: 1 when the volume was applied, 0 when there is no graph or it failed.

class ILiveAudio {
 public:
  virtual ~ILiveAudio() = default;
  virtual int BuildLiveGraph() = 0;
  virtual int RunLive() = 0;
  virtual int StopLive() = 0;
  // Slider level 0..100, mapped to the renderer's volume.
  virtual int SetVolume(int level) = 0;
  // Releases the graph. The live sound stops a running recording along with it.
  virtual void ReleaseLiveGraph() = 0;
};
