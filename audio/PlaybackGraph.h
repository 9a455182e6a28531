#pragma once
// The graph that plays a recorded file: a file rendered to the speakers, with its run state,
// length, position, volume and completion event. Implemented over DirectShow on Windows; a fake
// serves the tests. Every operation is safe without a graph (it then does nothing and reports
// nothing), so the caller never has to know how far a failed start got.

#include <string>

// The graph's completion event (DirectShow's EC_COMPLETE).
constexpr long kGraphComplete = 1;

class IPlaybackGraph {
 public:
  virtual ~IPlaybackGraph() = default;
  // A new, empty graph with its run, event and position interfaces. False, holding nothing,
  // when any of them cannot be had.
  virtual bool Create() = 0;
  // Builds the chain that plays `path` (ANSI). False when the file cannot be rendered.
  virtual bool Render(const std::string& path) = 0;
  // The graph's events go to the main window as message 1035 from here on / no longer.
  virtual void AttachEvents() = 0;
  virtual void DetachEvents() = 0;
  virtual bool HasControl() const = 0;
  virtual bool HasPosition() const = 0;
  virtual void Run() = 0;
  virtual void Pause() = 0;
  virtual void Stop() = 0;
  // Seconds; 0 without a graph or when the graph cannot tell.
  virtual double Duration() = 0;
  virtual double CurrentPosition() = 0;
  virtual void SetCurrentPosition(double seconds) = 0;
  // Hundredths of a decibel, 0 full and -10000 silent.
  virtual void SetVolume(long centibels) = 0;
  // Takes one waiting event (waiting at most 1 ms) and frees what it carries. False when none
  // could be taken.
  virtual bool TakeEvent(long& code) = 0;
  // Stops the graph and lets go of everything: events detached, interfaces released.
  virtual void Release() = 0;
};
