#include "app/win32/LogWriter.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

#include "schedule/ScheduleReport.h"

namespace {

struct Entry {
  std::string folder;
  std::string line;
};

constexpr DWORD kBusyStepMs = 100;

std::string NowText() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  // The system's messages end in a line break. No trail byte of a double-byte character is a
  // space or a control byte, so this never cuts into one.
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  return message;
}

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

}  // namespace

struct LogWriter::State {
  explicit State(size_t lines) : capacity(std::max<size_t>(lines, 1)) {}

  std::mutex lock;
  std::condition_variable changed;  // a line queued, the end, or a flush waiting
  std::condition_variable drained;  // nothing queued and nothing being written
  std::deque<Entry> queue;
  const size_t capacity;
  uint64_t dropped = 0;
  bool writing = false;
  bool ending = false;
  int flushes = 0;
  uint64_t batches = 0;  // batches written so far
  // A flush gave up on the writer when `batches` was this; it has written nothing since while
  // they are equal.
  bool stuck = false;
  uint64_t stuckAt = 0;
  bool StuckSinceFlush() const { return stuck && stuckAt == batches && (writing || !queue.empty()); }

  // Only the one writing (`writing` set) touches these.
  bool fallbackLooked = false;
  std::wstring fallback;
  std::string noted;  // the log file whose failure the fallback last explained

  void Run();
  void WriteWaiting(std::unique_lock<std::mutex>& held);
  void WriteBatch(const std::deque<Entry>& batch);
  size_t WriteLines(HANDLE file, const std::deque<Entry>& batch, size_t from, size_t to, DWORD& error);
  void WriteToFallback(const std::string& path, DWORD error, const std::deque<Entry>& batch, size_t from, size_t to);
  template <class Open>
  UniqueHandle OpenForAppend(Open open, DWORD& error);
  bool MayWaitForBusyFile();
};

void LogWriter::State::Run() {
  std::unique_lock<std::mutex> held(lock);
  for (;;) {
    changed.wait(held, [this] { return ending || !queue.empty(); });
    if (queue.empty()) return;
    WriteWaiting(held);
  }
}

// Called and returns with `held` locked; writes without it.
void LogWriter::State::WriteWaiting(std::unique_lock<std::mutex>& held) {
  std::deque<Entry> batch;
  batch.swap(queue);
  const uint64_t lost = std::exchange(dropped, 0);
  writing = true;
  held.unlock();
  if (lost > 0) {
    const std::string count = std::to_string(lost);
    const char* what = lost == 1 ? " earlier line of this log was" : " earlier lines of this log were";
    batch.push_front(
        {batch.front().folder, NowText() + "  " + count + what + " lost: it could not be written for too long"});
  }
  WriteBatch(batch);
  held.lock();
  writing = false;
  ++batches;
  if (queue.empty()) drained.notify_all();
}

void LogWriter::State::WriteBatch(const std::deque<Entry>& batch) {
  // One open for each run of lines to the same folder: a burst (the misses of a night) opens
  // the file once, and a file that cannot be opened is tried once for the run.
  for (size_t from = 0; from < batch.size();) {
    size_t to = from + 1;
    while (to < batch.size() && batch[to].folder == batch[from].folder) ++to;
    const std::string path = batch[from].folder + "\\" + kLogFileName;
    DWORD error = 0;
    size_t written = 0;
    {
      // Shared for reading and writing: the user may have the log open in an editor.
      const UniqueHandle file = OpenForAppend(
          [&] {
            return CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
          },
          error);
      if (file) written = WriteLines(file.Get(), batch, from, to, error);
    }
    if (written > 0 && path == noted) noted.clear();
    if (from + written < to) WriteToFallback(path, error, batch, from + written, to);
    from = to;
  }
}

size_t LogWriter::State::WriteLines(HANDLE file, const std::deque<Entry>& batch, size_t from, size_t to,
                                    DWORD& error) {
  for (size_t i = from; i < to; ++i) {
    const std::string text = batch[i].line + "\r\n";
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
      error = GetLastError();
      return i - from;
    }
    if (written != text.size()) {
      error = ERROR_DISK_FULL;
      return i - from;
    }
  }
  return to - from;
}

void LogWriter::State::WriteToFallback(const std::string& path, DWORD error, const std::deque<Entry>& batch,
                                       size_t from, size_t to) {
  if (!fallbackLooked) {
    fallbackLooked = true;
    fallback = FallbackFolder();
  }
  if (fallback.empty()) return;  // nowhere left to put them
  // Already there is the usual case.
  CreateDirectoryW(fallback.c_str(), nullptr);
  const std::wstring fallbackPath = fallback + L"\\" + Widened(kLogFileName);
  DWORD ignored = 0;
  const UniqueHandle file = OpenForAppend(
      [&] {
        return CreateFileW(fallbackPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      },
      ignored);
  if (!file) return;
  // Once for a file that stays unwritable, so that a night on a pulled drive reads as one story.
  if (path != noted) {
    noted = path;
    const std::deque<Entry> why{
        {{}, NowText() + "  Could not write " + path + " (" + SystemMessage(error) + "); its lines follow here"}};
    if (WriteLines(file.Get(), why, 0, 1, ignored) != 1) return;
  }
  WriteLines(file.Get(), batch, from, to, ignored);
}

// A sharing violation is mostly brief (a virus scanner or a backup reading the file) and is
// tried again for a while; any other failure, or one during a flush or the end, is final.
template <class Open>
UniqueHandle LogWriter::State::OpenForAppend(Open open, DWORD& error) {
  for (DWORD waited = 0;; waited += kBusyStepMs) {
    UniqueHandle file(open());
    if (file) return file;
    error = GetLastError();
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (!busy || waited >= LogWriter::kBusyRetryMs || !MayWaitForBusyFile()) return {};
  }
}

bool LogWriter::State::MayWaitForBusyFile() {
  std::unique_lock<std::mutex> held(lock);
  return !changed.wait_for(held, std::chrono::milliseconds(kBusyStepMs), [this] { return ending || flushes > 0; });
}

LogWriter::LogWriter(size_t capacity, DWORD exitWaitMs)
    : state_(std::make_shared<State>(capacity)), exitWaitMs_(exitWaitMs) {
  auto threadsState = std::make_unique<std::shared_ptr<State>>(state_);
  thread_.Reset(CreateThread(nullptr, 0, ThreadMain, threadsState.get(), 0, nullptr));
  // The thread owns its reference from here on. Without a thread, Append writes on its caller's.
  if (thread_) threadsState.release();
}

LogWriter::~LogWriter() {
  {
    std::lock_guard<std::mutex> held(state_->lock);
    state_->ending = true;
  }
  state_->changed.notify_all();
  bool stuck = false;
  {
    std::lock_guard<std::mutex> held(state_->lock);
    stuck = state_->StuckSinceFlush();
  }
  // Past the wait the thread is left to itself; closing the handle does not end it.
  if (thread_ && !stuck) WaitForSingleObject(thread_.Get(), exitWaitMs_);
}

void LogWriter::Append(const std::string& folder, const std::string& line) {
  std::unique_lock<std::mutex> held(state_->lock);
  if (state_->queue.size() >= state_->capacity) {
    state_->queue.pop_front();
    ++state_->dropped;
  }
  state_->queue.push_back({folder, line});
  if (thread_) {
    state_->changed.notify_one();
    return;
  }
  // No thread: whoever is writing already takes this line too.
  if (state_->writing) return;
  while (!state_->queue.empty()) state_->WriteWaiting(held);
}

bool LogWriter::Flush(unsigned ms) {
  std::unique_lock<std::mutex> held(state_->lock);
  if (state_->StuckSinceFlush()) return false;
  ++state_->flushes;
  state_->changed.notify_all();
  const bool done = state_->drained.wait_for(held, std::chrono::milliseconds(ms),
                                             [this] { return state_->queue.empty() && !state_->writing; });
  --state_->flushes;
  if (!done) {
    state_->stuck = true;
    state_->stuckAt = state_->batches;
  }
  return done;
}

void LogWriter::WriteToFallbackNow(const std::string& line) {
  const std::wstring folder = FallbackFolder();
  if (folder.empty()) return;
  // Already there is the usual case.
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\" + Widened(kLogFileName);
  // Shared like the writer's own handle, which may be appending to the same file meanwhile.
  const UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  // Nowhere left to say that this failed.
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::wstring LogWriter::FallbackFolder() {
  wchar_t* localAppData = nullptr;
  // The profile's path may hold characters outside the ANSI code page: wide all the way.
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &localAppData);
  std::wstring folder = SUCCEEDED(found) && localAppData ? std::wstring(localAppData) + L"\\Kestrune" : L"";
  CoTaskMemFree(localAppData);
  return folder;
}

DWORD WINAPI LogWriter::ThreadMain(void* state) {
  const std::unique_ptr<std::shared_ptr<State>> own(static_cast<std::shared_ptr<State>*>(state));
  (*own)->Run();
  return 0;
}
