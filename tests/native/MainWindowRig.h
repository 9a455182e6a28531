#pragma once
// The main window's behaviour wired to the simulated receiver, an in-memory settings tree, a
// manual clock and fakes of the view: window timers fire as the manual clock passes their due
// time, so whole seeks run in no time and every wait can be checked.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/LiveSound.h"
#include "app/MainWindow.h"
#include "app/PlaybackControl.h"
#include "audio/AudioPreparation.h"
#include "audio/LiveAudio.h"
#include "audio/PlaybackGraph.h"
#include "audio/Recorder.h"
#include "resources/resource.h"
#include "schedule/ScheduleTable.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"
#include "tests/support/ManualClock.h"
#include "tests/support/PlaybackSlot.h"
#include "tests/support/SimulatedReceiver.h"

class FakeTimers final : public ITimerHost {
 public:
  explicit FakeTimers(ManualClock& clock) : clock_(clock) {}
  void SetTimer(unsigned id, unsigned periodMs) override {
    active[id] = {periodMs, clock_.NowMs() + periodMs, ++generation_};
    armed.push_back({id, periodMs});
  }
  void KillTimer(unsigned id) override { active.erase(id); }
  bool IsActive(unsigned id) const { return active.count(id) != 0; }
  unsigned Period(unsigned id) const { return active.count(id) ? active.at(id).period : 0; }

  // Fires every timer that falls due before `ms` have passed, in due order.
  void RunFor(uint64_t ms, MainWindow& window) {
    const uint64_t end = clock_.NowMs() + ms;
    for (;;) {
      unsigned next = 0;
      uint64_t due = UINT64_MAX;
      for (const auto& [id, t] : active)
        if (t.due < due) { due = t.due; next = id; }
      if (next == 0 || due > end) break;
      if (due > clock_.NowMs()) clock_.Advance(due - clock_.NowMs());
      const uint64_t fired = clock_.NowMs();
      const uint64_t gen = active[next].generation;
      window.OnTimer(next);
      // A window timer comes round one period after it fired, unless re-armed meanwhile.
      if (auto it = active.find(next); it != active.end() && it->second.generation == gen)
        it->second.due = fired + it->second.period;
    }
    if (clock_.NowMs() < end) clock_.Advance(end - clock_.NowMs());
  }

  struct Timer {
    unsigned period;
    uint64_t due;
    uint64_t generation;
  };
  std::map<unsigned, Timer> active;
  std::vector<std::pair<unsigned, unsigned>> armed;  // every SetTimer, in order

 private:
  ManualClock& clock_;
  uint64_t generation_ = 0;
};

class FakeView final : public IMainView {
 public:
  void EnableControl(int id, bool enable) override {
    if (enable) {
      disabled.erase(id);
    } else {
      disabled.insert(id);
      // As Windows does: a disabled control's focus goes to nothing.
      if (focused == id) focused = 0;
    }
  }
  int FocusedControl() override { return focused; }
  bool ControlUsable(int id) override { return disabled.count(id) == 0 && hidden.count(id) == 0; }
  void FocusControl(int id) override { focused = id; }
  void SetVolumeSlider(int position) override { slider = position < 0 ? 0 : position > 100 ? 100 : position; }
  int VolumeSliderPosition() override { return slider; }
  void SetButtonCells(int id, int normal, int pushed) override { cells[id] = {normal, pushed}; }
  void RedrawButton(int) override {}
  void SetTooltip(int id, const std::string& text) override { tips[id] = text; }
  void ShowMainWindow(ShowCommand command) override { shows.push_back(command); }
  void UnregisterDeviceNotifications() override { ++unregistered; }
  void RegisterDeviceNotifications() override { ++registered; }
  void DestroyMainWindow() override { destroyed = true; }
  void ShowAboutBox() override { ++aboutBoxes; }
  WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(0x1234); }

  bool Enabled(int id) const { return disabled.count(id) == 0; }

  std::set<int> disabled;
  std::set<int> hidden = {IDC_SW, IDC_POSITION};
  int focused = 0;
  int slider = 0;
  std::map<int, std::pair<int, int>> cells;
  std::map<int, std::string> tips;
  std::vector<ShowCommand> shows;
  int unregistered = 0;
  int registered = 0;
  bool destroyed = false;
  int aboutBoxes = 0;
};

class FakeDisplay final : public IMainDisplay {
 public:
  void InvalidateReadout() override { ++invalidations; }
  void ApplyButtonTips() override { ++buttonTips; }
  void RefreshPresetTips() override { ++presetTips; }
  void BuildWindowRegion() override {}
  void ReloadStereoImages() override {}
  int invalidations = 0, buttonTips = 0, presetTips = 0;
};

// Records what the window asks of the live graph; the volume it last set is what one hears.
class FakeLiveAudio final : public ILiveAudio {
 public:
  explicit FakeLiveAudio(std::vector<std::string>& log) : log_(log) {}
  // Results as the DirectShow graph gives them: 0 is S_OK, 1 S_FALSE (not running yet).
  int BuildLiveGraph() override {
    log_.push_back("build");
    if (built_) return 1;
    built_ = true;
    return 0;
  }
  int RunLive() override {
    log_.push_back("run");
    if (runResults.empty()) return 0;
    const int result = runResults.front();
    runResults.erase(runResults.begin());
    return result;
  }
  int StopLive() override { log_.push_back("stop"); return 0; }
  int SetVolume(int level) override {
    log_.push_back("volume " + std::to_string(level));
    volume = level;
    return 1;
  }
  void ReleaseLiveGraph() override { log_.push_back("release"); built_ = false; }
  int volume = -1;
  std::vector<int> runResults;  // answers of the next RunLive calls; S_OK once used up

 private:
  std::vector<std::string>& log_;
  bool built_ = false;
};

// Recorded-file playback: what the window asked of it, in order, in the same log as the live graph.
class FakePlayback final : public IPlaybackControl {
 public:
  explicit FakePlayback(std::vector<std::string>& log) : log_(log) {}
  bool IsPlaying() const override { return playing; }
  void EndForClose() override { log_.push_back("playback end"); playing = false; }
  void StopPlayback() override { log_.push_back("playback stop"); playing = false; }
  void RunGraph() override { log_.push_back("playback run"); }
  void StopGraph() override { log_.push_back("playback pause"); }
  void SetGraphVolume(long centibels) override { log_.push_back("playback volume " + std::to_string(centibels)); }
  void OnPlayButton() override {}
  void OnPlaybackTimer() override {}
  bool playing = false;

 private:
  std::vector<std::string>& log_;
};

// The playback graph as the window drives it, in the same log as the live graph; its answers
// (creation, rendering, length, position, the next event) are set by the test.
class FakePlaybackGraph final : public IPlaybackGraph {
 public:
  explicit FakePlaybackGraph(std::vector<std::string>& log) : log_(log) {}
  bool Create() override {
    log_.push_back("graph create");
    exists = createResult;
    return createResult;
  }
  bool Render(const std::string& path) override {
    log_.push_back("graph render " + path);
    return renderResult;
  }
  void AttachEvents() override { log_.push_back("graph attach"); }
  void DetachEvents() override { if (exists) log_.push_back("graph detach"); }
  bool HasControl() const override { return exists; }
  bool HasPosition() const override { return exists; }
  void Run() override { if (exists) log_.push_back("graph run"); }
  void Pause() override { if (exists) log_.push_back("graph pause"); }
  void Stop() override { if (exists) log_.push_back("graph stop"); }
  double Duration() override { return exists ? duration : 0; }
  double CurrentPosition() override { return exists ? position : 0; }
  void SetCurrentPosition(double seconds) override {
    if (exists) log_.push_back("graph seek " + std::to_string(static_cast<long long>(seconds)));
  }
  void SetVolume(long centibels) override { if (exists) log_.push_back("graph volume " + std::to_string(centibels)); }
  bool TakeEvent(long& code) override {
    if (!exists || events.empty()) return false;
    code = events.front();
    events.erase(events.begin());
    return true;
  }
  void Release() override {
    if (exists) log_.push_back("graph release");
    exists = false;
  }

  bool createResult = true, renderResult = true, exists = false;
  double duration = 0, position = 0;
  std::vector<long> events;

 private:
  std::vector<std::string>& log_;
};

// The controls playback shows: texts, visibility, the position slider, the Play button cell,
// and the file the Open dialog gives (nothing when `picked` is empty: the user cancelled).
class FakePlaybackView final : public IPlaybackView {
 public:
  bool PickFile(const std::string& folder, std::string& path) override {
    pickedFrom = folder;
    if (picked.empty()) return false;
    path = picked;
    return true;
  }
  bool FileExists(const std::string& path) override { return existing.count(path) != 0; }
  void SetText(int id, const std::string& text) override { texts[id] = text; }
  void ShowControl(int id, bool show) override {
    if (show) hidden.erase(id);
    else hidden.insert(id);
  }
  void ResetPositionSlider(int max) override {
    sliderMax = max;
    slider = 0;
    ++sliderResets;
  }
  void SetSliderPosition(int position) override { slider = position < 0 ? 0 : position > sliderMax ? sliderMax : position; }
  int SliderPosition() override { return slider; }
  int SliderMax() override { return sliderMax; }
  void SetPlayButtonCell(int cell) override { playCell = cell; }
  void RepaintDisplay() override { ++repaints; }

  std::string picked, pickedFrom;
  std::set<std::string> existing;
  std::map<int, std::string> texts;
  std::set<int> hidden{IDC_POSITION};
  int slider = 0, sliderMax = 0, sliderResets = 0, playCell = 1, repaints = 0;
};

class FakePower final : public IPowerControl {
 public:
  void SetExecutionState(uint32_t flags) override { states.push_back(flags); }
  std::vector<uint32_t> states;
};

// The open-time audio preparation: fails with `failure` unless it is empty, and notes the
// device object's region and band at the moment it runs (the handle is already usable then).
class FakeAudioPreparation final : public IAudioPreparation {
 public:
  explicit FakeAudioPreparation(const CMyKestrune& device) : device_(device) {}
  std::string PrepareRecordingInput() override {
    regionSeen.push_back(device_.RegionOfLastConfig());
    bandSeen.push_back(device_.BandForPowerUp());
    return failure;
  }
  std::string failure;
  std::vector<int> regionSeen, bandSeen;

 private:
  const CMyKestrune& device_;
};

// How failures reach the user: the box (a start by hand), whose modal loop would dispatch the
// window's messages (`whileShown` plays what arrives meanwhile), and the window's failure line,
// which waits for nobody. `shown` holds every failure told either way, `boxes` the modal ones.
class FakeFailureBox final : public IFailureBox, public IFailureLine {
 public:
  void Show(const std::string& message) override {
    shown.push_back(message);
    boxes.push_back(message);
    if (whileShown) whileShown();
  }
  void ShowFailure(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
  std::vector<std::string> boxes;
  std::function<void()> whileShown;
};

// The night's log at the exit: what went to the fallback log at once, and the flushes, in one
// list in the order they came (with the scheduler's report of the unfinished files, when a test
// puts `events` there too).
class FakeExitLog final : public IExitLog {
 public:
  explicit FakeExitLog(std::vector<std::string>& events) : events_(events) {}
  void WriteToFallbackNow(const std::string& line) override {
    fallback.push_back(line);
    events_.push_back("fallback " + line);
  }
  bool Flush(unsigned ms) override {
    events_.push_back("flush " + std::to_string(ms));
    return true;
  }
  std::vector<std::string> fallback;

 private:
  std::vector<std::string>& events_;
};

class FakeWallClock final : public IWallClock {
 public:
  LocalTime Now() override { return now; }
  // Moves the local time on by whole seconds, across days and months.
  void Advance(int64_t seconds) { now = CivilTime(CivilSeconds(now) + seconds); }
  LocalTime now{2026, 12, 7, 1, 10, 0, 0};
};

// The recording session's recorder: what it was asked, a failure on demand (kept as the real
// recorder keeps it, and noted in `failed`), and the figures a running capture would report:
// blocks keep coming at every look unless `stalled`, and a write failure or dropped audio on
// demand. Outcomes wait until the test lets the writer finish (FinishWriters); writers `stuck`
// at the exit take the whole wait, on `clock` when one is given.
class FakeRecorder final : public IRecorder {
 public:
  FakeRecorder(std::vector<std::string>& log, std::vector<std::string>& failed) : log_(log), failed_(failed) {}
  bool StartRecorder(const std::string& path, uint16_t kbps) override {
    if (running) {
      log_.push_back("record refused");
      return false;
    }
    log_.push_back("record " + path + " " + std::to_string(kbps));
    ++starts;
    asked = path;
    this->kbps = kbps;
    lastFailure_ = failure;
    if (!failure.empty()) {
      failed_.push_back(failure);
      return false;
    }
    running = true;
    // A name taken is never written over: "_2" and on, as the recorder does.
    path_ = FreeRecordingPath(path, [this](const std::string& p) { return written_.count(p) > 0; });
    written_.insert(path_);
    ++serial_;
    status = {};
    return true;
  }
  RecorderStatus StopRecorder() override {
    if (!running) return {};
    log_.push_back("record stop");
    running = false;
    pending_.push_back({serial_, path_, status, false});
    return status;
  }
  bool IsRecording() const override { return running; }
  std::string RecordingPath() const override { return path_; }
  uint64_t Serial() const override { return serial_; }
  RecorderStatus Status() const override {
    if (running && !stalled) ++status.blocksReceived;
    return status;
  }
  std::string LastFailure() const override { return lastFailure_; }
  void SetFinishedHandler(std::function<void(const RecordingOutcome&)> handler) override { finished_ = std::move(handler); }
  std::vector<std::string> WaitForWriters(unsigned ms) override {
    waits.push_back(ms);
    if (stuck.empty()) return {};
    if (clock) clock->Advance(ms);
    return stuck;
  }
  // The writers of the stopped recordings are through; `writeFailed` is what the last of them
  // found while draining.
  void FinishWriters(bool writeFailedAtEnd = false) {
    std::vector<RecordingOutcome> done = std::exchange(pending_, {});
    if (!done.empty() && writeFailedAtEnd) done.back().status.writeFailed = true;
    for (const RecordingOutcome& outcome : done)
      if (finished_) finished_(outcome);
  }

  bool running = false;
  bool stalled = false;
  mutable RecorderStatus status;
  int starts = 0;        // every start asked for, failed ones included
  std::string asked;     // the path of the last start asked for
  uint16_t kbps = 0;
  std::string failure;  // the message of the next starts, empty for success
  std::vector<std::string> stuck;  // files whose writers never finish
  ManualClock* clock = nullptr;
  std::vector<unsigned> waits;  // every wait for the writers, in ms

 private:
  std::vector<std::string>& log_;
  std::vector<std::string>& failed_;
  std::string lastFailure_;
  std::string path_;
  std::set<std::string> written_;
  uint64_t serial_ = 0;
  std::vector<RecordingOutcome> pending_;
  std::function<void(const RecordingOutcome&)> finished_;
};

// The display statics, the tray picture and the Record menus as the window left them.
class FakeRecordingView final : public IRecordingView {
 public:
  void SetDisplayText(int id, const std::string& text) override { texts[id] = text; }
  void ShowDisplayText(int id) override { shownTexts.insert(id); }
  void RepaintDisplay() override { ++repaints; }
  void SetTrayPicture(int iconId) override { trayPictures.push_back(iconId); }
  void TrackRecordMenu(int menuId) override { menus.push_back(menuId); }
  std::map<int, std::string> texts;
  std::set<int> shownTexts;
  int repaints = 0;
  std::vector<int> trayPictures;
  std::vector<int> menus;
};

// The parts a test joins to the window after the rig is built: the window is given these slots at
// construction, and they pass on to what the test puts in them (nothing: the part is missing).
class SchedulerSlot final : public ISchedulerControl {
 public:
  void LoadSchedule() override { if (target) target->LoadSchedule(); }
  void SchedulerTick(const LocalTime& now) override { if (target) target->SchedulerTick(now); }
  void OnRecordingEnded(const RecordingEnd& end) override { if (target) target->OnRecordingEnded(end); }
  void OnClosing() override { if (target) target->OnClosing(); }
  bool HasActiveReservation() const override { return target && target->HasActiveReservation(); }
  void OnReceiverRemoved() override { if (target) target->OnReceiverRemoved(); }
  void OnReceiverArrived() override { if (target) target->OnReceiverArrived(); }
  void OnRecordingFilesDone(const std::vector<std::string>& unfinished) override {
    if (target) target->OnRecordingFilesDone(unfinished);
  }
  ISchedulerControl* target = nullptr;
};

class DialogsSlot final : public IWindowDialogs {
 public:
  bool RunPreferences(uint8_t region, uint8_t band, PreferencesResult& result) override {
    return target && target->RunPreferences(region, band, result);
  }
  void RunTimerDialog(uint8_t region) override { if (target) target->RunTimerDialog(region); }
  IWindowDialogs* target = nullptr;
};

// The recorder the recording session was given, exchangeable by a test (a real recorder, one
// that logs elsewhere).
class RecorderSlot final : public IRecorder {
 public:
  void Use(std::unique_ptr<IRecorder> recorder) { current_ = std::move(recorder); }
  bool StartRecorder(const std::string& path, uint16_t kbps) override { return current_ && current_->StartRecorder(path, kbps); }
  std::string LastFailure() const override { return current_ ? current_->LastFailure() : std::string(); }
  RecorderStatus StopRecorder() override { return current_ ? current_->StopRecorder() : RecorderStatus{}; }
  bool IsRecording() const override { return current_ && current_->IsRecording(); }
  std::string RecordingPath() const override { return current_ ? current_->RecordingPath() : std::string(); }
  uint64_t Serial() const override { return current_ ? current_->Serial() : 0; }
  RecorderStatus Status() const override { return current_ ? current_->Status() : RecorderStatus{}; }
  void SetFinishedHandler(std::function<void(const RecordingOutcome&)> handler) override {
    if (current_) current_->SetFinishedHandler(std::move(handler));
  }
  std::vector<std::string> WaitForWriters(unsigned ms) override {
    return current_ ? current_->WaitForWriters(ms) : std::vector<std::string>{};
  }

 private:
  std::unique_ptr<IRecorder> current_;
};

struct RigParts {
  IPlaybackControl* playback = nullptr;
  ISchedulerControl* scheduler = nullptr;
  IWindowDialogs* dialogs = nullptr;
};

struct MainWindowRig {
  MainWindowRig() {
    platform.PutReceiverAt(2);
    UseRecorder(std::make_unique<FakeRecorder>(audioLog, messages));
  }

  // The parts the window works with from here on.
  void Join(const RigParts& parts) {
    playbackSlot.target = parts.playback;
    schedulerSlot.target = parts.scheduler;
    dialogsSlot.target = parts.dialogs;
  }
  // The recorder from here on; `recorder` points to it when it is a fake, whose writers' outcomes
  // reach the window as soon as the test lets them finish.
  void UseRecorder(std::unique_ptr<IRecorder> next) {
    recorder = dynamic_cast<FakeRecorder*>(next.get());
    if (recorder)
      recorder->SetFinishedHandler([this](const RecordingOutcome& outcome) { window.OnRecorderFinished(outcome); });
    recorderSlot.Use(std::move(next));
  }
  IRecorder* Recorder() { return &recorderSlot; }

  // Settings as a user left them, then the window's start-up and its deferred start.
  void Start() {
    window.ClearRunState();
    window.LoadPowerSettings();
    window.LoadRadioState();
    view.SetVolumeSlider(radio.Volume());
    window.SetStartPending();
    timers.SetTimer(kTimerDeferredStart, 200);
    timers.RunFor(200, window);
  }
  void Set(const std::string& name, const std::string& text) { tree.PlantString(std::string(kSettingsRoot) + "\\" + kGeneralKey, name, text); }
  void SetPreset(const std::string& key, int n, const std::string& name, const std::string& freq) {
    char id[16], frq[16];
    std::snprintf(id, sizeof id, "CH%02d_ID", n);
    std::snprintf(frq, sizeof frq, "CH%02d_FRQ", n);
    tree.PlantString(std::string(kSettingsRoot) + "\\" + key, id, name);
    tree.PlantString(std::string(kSettingsRoot) + "\\" + key, frq, freq);
  }
  std::string Get(const std::string& key, const std::string& name) { return store.ReadValue(key, name); }
  void Command(int id, int code = 0) { window.OnCommand(id, code); }
  void Run(uint64_t ms) { timers.RunFor(ms, window); }
  // The short reports the receiver got since the log was last cleared (first four bytes each).
  std::vector<std::vector<uint8_t>> Reports() const { return receiver.LogPrefixes(4); }
  std::vector<uint8_t> LastReport() const { return receiver.LogPrefixes(4).back(); }

  std::vector<std::string> audioLog;  // outlives the device, whose graph and recorder log into it
  std::vector<std::string> messages;  // failure messages the recorder returned
  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  SettingsStore store{tree};
  FakeWallClock wall;
  FakeTimers timers{clock};
  FakeView view;
  FakeDisplay display;
  FakePower power;
  PowerState powerState{power};
  FakeFailureBox failureBox;
  std::vector<std::string> exitEvents;
  FakeExitLog exitLog{exitEvents};
  FakeRecordingView recordingView;
  FakeRecorder* recorder = nullptr;
  RecorderSlot recorderSlot;
  SchedulerSlot schedulerSlot;
  PlaybackSlot playbackSlot;
  DialogsSlot dialogsSlot;
  FakeLiveAudio* audio = nullptr;
  FakeAudioPreparation preparation{device};  // looks at the device only when it opens
  // The session is made after the sound; the receiver closes only once the rig is built.
  LiveSound sound{MakeLive(), &preparation, [this] { recording.StopRecording(RecordingEndReason::ReceiverRemoved); }};
  CMyKestrune device{platform, clock, &sound};
  Radio radio{store};
  RecordingController recording{&recorderSlot, sound,  radio,          clock,          wall,        timers,
                                view,          &recordingView, &schedulerSlot, &failureBox, &failureBox};
  MainWindow window{device,     sound,      radio,         recording,      store,        clock,
                    wall,       timers,     view,          display,        powerState,   &playbackSlot,
                    &schedulerSlot, &dialogsSlot, &exitLog};

 private:
  std::unique_ptr<ILiveAudio> MakeLive() {
    auto live = std::make_unique<FakeLiveAudio>(audioLog);
    audio = live.get();
    return live;
  }
};
