#pragma once
// The window's recording controls as the scheduler drives them.

#include "app/MainWindow.h"
#include "schedule/SchedulerPorts.h"

class WindowScheduledRecording final : public IScheduledRecording {
 public:
  explicit WindowScheduledRecording(MainWindow& window) : window_(window) {}
  bool IsRecording() override { return window_.m_recording != 0; }
  void StopRecording() override { window_.StopRecording(); }
  void CancelRecordLimit() override { window_.CancelRecordLimit(); }
  bool StartScheduledRecording(const std::string& file, uint16_t kbps, const std::string& name,
                               int64_t startSeconds) override {
    return window_.BeginRecording(file, kbps, name, startSeconds);
  }

 private:
  MainWindow& window_;
};
