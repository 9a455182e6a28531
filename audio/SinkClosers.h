#pragma once
// The writers of stopped recordings, finished off the window's thread: each stopped recording's
// sink goes to a thread of its own that hands on the queued blocks, flushes the encoder, closes
// the file and reports the outcome. A drive that hangs for minutes then holds up that one file,
// never the window or the next recording.

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/Recorder.h"

class SinkClosers {
 public:
  using Handler = std::function<void(const RecordingOutcome&)>;

  SinkClosers();
  // Leaves the writers still at work to finish on their own: each owns everything it touches,
  // and their outcomes never come. Returns once no handler call is under way, having dropped
  // the handlers of those left.
  ~SinkClosers();
  SinkClosers(const SinkClosers&) = delete;
  SinkClosers& operator=(const SinkClosers&) = delete;

  // Finishes `sink` on a new thread (on this one when no thread can be made). `outcome` holds
  // the recording's serial, path and the figures read at its stop; the writer adds the failures
  // it meets while finishing. `handler` (may be empty) gets the outcome on the writer's thread.
  void Close(std::unique_ptr<IRecordingSink> sink, RecordingOutcome outcome, Handler handler);
  // Waits up to `ms` in all for every writer handed over; the paths of those still at work.
  std::vector<std::string> Wait(unsigned ms);

 private:
  struct Shared;
  struct Writer;
  struct Entry {
    std::shared_ptr<Writer> writer;
    std::string path;
    std::thread thread;
  };

  static void Run(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Writer>& writer);
  // Joins the threads of writers that are through and forgets them.
  void JoinFinished();

  // Shared with every writer's thread, which may outlive this object.
  std::shared_ptr<Shared> shared_;
  // Touched by the owner's thread only.
  std::vector<Entry> entries_;
};
