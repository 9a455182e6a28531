#pragma once
// A recording sink that hands every captured block to a thread of its own, which feeds the
// encoder and the file. The capture thread then never waits for an encode or a write: a busy PC
// or a disk that stalls for seconds delays the file, not the capture, and no block is lost.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/Recorder.h"

class QueuedSink final : public IRecordingSink {
 public:
  // A minute of capture may wait; past that the writer is stuck, and a block that finds the
  // queue full is dropped rather than holding up the capture.
  static constexpr size_t kDefaultCapacityBytes = 60 * 64000;

  explicit QueuedSink(std::unique_ptr<IRecordingSink> next, size_t capacityBytes = kDefaultCapacityBytes);
  // Finishes (unless done), then destroys `next`.
  ~QueuedSink() override;
  QueuedSink(const QueuedSink&) = delete;
  QueuedSink& operator=(const QueuedSink&) = delete;

  // Copies the block into the queue: 0, or -1 when the queue was full and the block dropped.
  int Receive(const uint8_t* block, uint32_t bytes) override;
  bool WriteFailed() const override { return next_->WriteFailed(); }
  bool CutFailed() const override { return next_->CutFailed(); }
  // Hands every waiting block to `next`, ends the thread, then finishes `next` (which flushes
  // and closes its file).
  void Finish() override;
  uint64_t DroppedBytes() const override { return dropped_.load(std::memory_order_relaxed); }
  uint64_t BlocksReceived() const override { return received_.load(std::memory_order_relaxed); }

 private:
  void Run();

  std::unique_ptr<IRecordingSink> next_;
  const size_t capacityBytes_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::vector<uint8_t>> waiting_;
  // Emptied blocks kept for reuse, so that a steady recording allocates nothing per block.
  std::vector<std::vector<uint8_t>> spare_;
  size_t waitingBytes_ = 0;
  bool ending_ = false;
  std::atomic<uint64_t> dropped_{0};
  std::atomic<uint64_t> received_{0};
  std::thread thread_;
};
