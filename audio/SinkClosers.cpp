#include "audio/SinkClosers.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <system_error>

struct SinkClosers::Shared {
  std::mutex lock;
  std::condition_variable changed;
  // The owner is gone: outcomes are no longer wanted, and whatever a handler refers to may be
  // gone with it.
  bool abandoned = false;
  // Handler calls under way; the owner does not leave while one runs.
  int reporting = 0;
};

struct SinkClosers::Writer {
  std::unique_ptr<IRecordingSink> sink;
  RecordingOutcome outcome;
  Handler handler;
  bool done = false;  // under Shared::lock
};

SinkClosers::SinkClosers() : shared_(std::make_shared<Shared>()) {}

SinkClosers::~SinkClosers() {
  JoinFinished();
  std::vector<bool> done;
  {
    std::unique_lock<std::mutex> guard(shared_->lock);
    shared_->abandoned = true;
    shared_->changed.wait(guard, [this] { return shared_->reporting == 0; });
    // A writer not yet through will see `abandoned` before it looks at its handler, so the
    // handler's copy can go here, on the owner's thread, with whatever it holds.
    for (Entry& entry : entries_) {
      done.push_back(entry.writer->done);
      if (!entry.writer->done) entry.writer->handler = nullptr;
    }
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (!entries_[i].thread.joinable()) continue;
    if (done[i])
      entries_[i].thread.join();
    else
      entries_[i].thread.detach();  // it holds its writer and the shared state itself
  }
}

void SinkClosers::Run(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Writer>& writer) {
  IRecordingSink& sink = *writer->sink;
  sink.Finish();
  writer->outcome.status.writeFailed = writer->outcome.status.writeFailed || sink.WriteFailed();
  writer->outcome.cutFailed = sink.CutFailed();
  writer->sink.reset();

  std::unique_lock<std::mutex> guard(shared->lock);
  if (!shared->abandoned && writer->handler) {
    ++shared->reporting;
    // Called without the lock: a handler may take its time (post to a window, write a log line)
    // without holding up a Wait that is only counting writers.
    guard.unlock();
    writer->handler(writer->outcome);
    guard.lock();
    --shared->reporting;
  }
  writer->done = true;
  shared->changed.notify_all();
}

void SinkClosers::Close(std::unique_ptr<IRecordingSink> sink, RecordingOutcome outcome, Handler handler) {
  JoinFinished();
  auto writer = std::make_shared<Writer>();
  writer->sink = std::move(sink);
  writer->outcome = std::move(outcome);
  writer->handler = std::move(handler);
  Entry entry{writer, writer->outcome.path, {}};
  try {
    entry.thread = std::thread([shared = shared_, writer] { Run(shared, writer); });
  } catch (const std::system_error&) {
    // Out of threads: the file is still finished and reported, only on the caller's time.
    Run(shared_, writer);
    return;
  }
  entries_.push_back(std::move(entry));
}

std::vector<std::string> SinkClosers::Wait(unsigned ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  {
    std::unique_lock<std::mutex> guard(shared_->lock);
    shared_->changed.wait_until(guard, deadline, [this] {
      return std::all_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.writer->done; });
    });
  }
  JoinFinished();
  std::vector<std::string> busy;
  for (const Entry& entry : entries_) busy.push_back(entry.path);
  return busy;
}

void SinkClosers::JoinFinished() {
  std::vector<Entry> finished;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    const auto through = std::stable_partition(entries_.begin(), entries_.end(),
                                               [](const Entry& e) { return !e.writer->done; });
    std::move(through, entries_.end(), std::back_inserter(finished));
    entries_.erase(through, entries_.end());
  }
  // A thread marked done has only its return left.
  for (Entry& entry : finished) entry.thread.join();
}
