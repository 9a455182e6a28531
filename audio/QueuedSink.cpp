#include "audio/QueuedSink.h"

QueuedSink::QueuedSink(std::unique_ptr<IRecordingSink> next, size_t capacityBytes)
    : next_(std::move(next)), capacityBytes_(capacityBytes), thread_([this] { Run(); }) {}

QueuedSink::~QueuedSink() {
  Finish();
  next_.reset();
}

void QueuedSink::Finish() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(lock_);
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
  next_->Finish();
}

int QueuedSink::Receive(const uint8_t* block, uint32_t bytes) {
  if (!block || bytes == 0) return 0;
  received_.fetch_add(1, std::memory_order_relaxed);
  std::unique_lock<std::mutex> guard(lock_);
  if (waitingBytes_ + bytes > capacityBytes_) {
    dropped_.fetch_add(bytes, std::memory_order_relaxed);
    return -1;
  }
  std::vector<uint8_t> copy;
  if (!spare_.empty()) {
    copy = std::move(spare_.back());
    spare_.pop_back();
  }
  copy.assign(block, block + bytes);
  waitingBytes_ += bytes;
  waiting_.push_back(std::move(copy));
  guard.unlock();
  changed_.notify_all();
  return 0;
}

void QueuedSink::Run() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    changed_.wait(guard, [this] { return ending_ || !waiting_.empty(); });
    if (waiting_.empty()) return;  // ending, and everything handed on
    std::vector<uint8_t> block = std::move(waiting_.front());
    waiting_.pop_front();
    guard.unlock();
    // The writer keeps its own failure (WriteFailed), which the recording's outcome reads once
    // the queue is through.
    next_->Receive(block.data(), static_cast<uint32_t>(block.size()));
    guard.lock();
    waitingBytes_ -= block.size();
    spare_.push_back(std::move(block));
  }
}
