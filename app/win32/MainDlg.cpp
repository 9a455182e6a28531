#include "app/win32/MainDlg.h"

#include <algorithm>
#include <tuple>

#include <commctrl.h>
#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}

#include "app/win32/DeviceChange.h"
#include "app/win32/PopupMenu.h"
#include "settings/win32/AboutDialog.h"
#include "resources/resource.h"
#include "settings/RadioState.h"

const UINT g_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

namespace {

constexpr UINT kTrayCallbackMessage = WM_USER + 10;  // 1034
constexpr UINT kGraphEventMessage = WM_USER + 11;    // 1035
constexpr UINT kAnnounceMessage = WM_APP + 1;
constexpr UINT kRecorderFinishedMessage = WM_APP + 2;
// One-shot timer of the start, outside the behaviour's timer ids.
constexpr UINT_PTR kTimerFinishStart = 0x4B53;

static_assert(kHoldLostCode == kButtonHoldLostCode, "the Tune buttons' lost hold is the window's");

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(std::max(GetWindowTextLengthA(control), 0)) + 1, '\0');
  text.resize(static_cast<size_t>(std::max(GetWindowTextA(control, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

constexpr RECT kReadoutRect{display::kReadoutRect.left, display::kReadoutRect.top, display::kReadoutRect.right,
                             display::kReadoutRect.bottom};

}  // namespace

CMainDlg::CMainDlg(HINSTANCE instance, IHidPlatform& hid, IKeyValueTree& settingsTree, IClock& clock)
    : instance_(instance),
      settings_(settingsTree),
      device_(hid, clock),
      window_(device_, settings_, clock, *this, *this, *this, *this, power_) {
  window_.SetRecordingView(*this);
}

CMainDlg::~CMainDlg() {
  if (Hwnd()) DestroyWindow(Hwnd());
  UnregisterHidArrivals();
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
  skin_.RelayToTips(*msg);
  // Once the keyboard moves or uses the focus, the focused button shows it.
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_TAB || msg->wParam == VK_SPACE || msg->wParam == VK_RETURN) &&
      !GetPropA(Hwnd(), kFocusMarkProperty)) {
    SetPropA(Hwnd(), kFocusMarkProperty, reinterpret_cast<HANDLE>(1));
    if (HWND focus = GetFocus(); focus && GetParent(focus) == Hwnd()) InvalidateRect(focus, nullptr, FALSE);
  }
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && accelerators_ &&
      TranslateAcceleratorA(Hwnd(), accelerators_, msg))
    return TRUE;
  return IsDialogMessageA(Hwnd(), msg);
}

bool CMainDlg::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return true;
    case WM_DESTROY:
      OnDestroy();
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
      // The whole background drags the caption-less window.
      SendMessageA(Hwnd(), WM_SYSCOMMAND, 0xF012, 0);
      return true;
    case kTrayCallbackMessage:
      if (!hooks_.trayNotify) break;
      result = hooks_.trayNotify(wParam, lParam);
      return true;
    case WM_DEVICECHANGE:
      result = OnDeviceChange(wParam, lParam);
      return true;
    case WM_QUERYENDSESSION:
      result = TRUE;  // never holds up a log-off or shutdown; the state is kept on WM_ENDSESSION
      return true;
    case WM_ENDSESSION:
      window_.OnEndSession(wParam != FALSE);
      result = 0;
      return true;
    case WM_TIMER:
      if (wParam == kTimerAnnounce) {
        FlushAnnouncement();
        return true;
      }
      if (hooks_.timer && hooks_.timer(wParam)) return true;
      if (wParam == kTimerFinishStart || wParam == kTimerDeferredStart) FinishStart();
      if (wParam != kTimerFinishStart) window_.OnTimer(static_cast<unsigned>(wParam));
      return true;
    case kGraphEventMessage:
      if (!hooks_.graphEvent) break;
      result = hooks_.graphEvent(wParam, lParam);
      return true;
    case WM_POWERBROADCAST:
      if (!hooks_.powerBroadcast) break;
      result = hooks_.powerBroadcast(wParam, lParam);
      return true;
    case WM_MOUSEMOVE:
      window_.OnMouseMove();
      return true;
    case kRecorderFinishedMessage:
      DeliverRecorderOutcomes();
      result = 0;
      return true;
    case WM_COMMAND:
      // The skinned buttons' focus reports are no commands: a screen reader hears which one has
      // the focus, by the name this window gives it.
      if (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == BN_KILLFOCUS) {
        if (HIWORD(wParam) == BN_SETFOCUS)
          if (const long child = AccessibleChildId(Hwnd(), LOWORD(wParam)))
            NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, child);
        return true;
      }
      if (window_.OnCommand(LOWORD(wParam), HIWORD(wParam))) return true;
      if (hooks_.trayCommand && hooks_.trayCommand(LOWORD(wParam))) return true;
      break;
    case WM_GETOBJECT:
      if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || !accessible_) break;
      {
        auto* object = new MainAccessible(accessible_);
        result = LresultFromObject(kIID_IAccessible, wParam, object);
        object->Release();
      }
      return true;
    case kAnnounceMessage:
      AnnounceChanges();
      return true;
    case WM_NOTIFY:
      // The volume slider's notifications are watched, then left to default processing.
      if (wParam == IDC_VOLUME) window_.OnVolumeSliderNotify();
      break;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(Hwnd(), IDC_POSITION) && hooks_.positionScroll) {
        hooks_.positionScroll(wParam, lParam);
        return true;
      }
      break;
    default:
      if (msg == g_taskbarCreatedMessage && g_taskbarCreatedMessage != 0) {
        if (hooks_.reAddTrayIcon) hooks_.reAddTrayIcon();
        return true;
      }
      break;
  }
  if (msg == WM_ERASEBKGND) {
    result = skin_.PaintSkin(Hwnd(), reinterpret_cast<HDC>(wParam), ReadoutState(), window_.Radio().PresetName());
    return true;
  }
  if (skin_.HandleCtlColor(msg, wParam, lParam, result)) return true;
  return ReflectNotification(Hwnd(), msg, wParam, lParam, result);
}

LRESULT CMainDlg::OnInitDialog() {
  accessible_ = std::make_shared<AccessibleSource>(AccessibleSource{Hwnd(), [this](bool presets) { return AccessibleFacts(presets); }});
  window_.ClearRunState();
  window_.LoadPowerSettings();
  EnsureRecordFolder();
  accelerators_ = LoadAcceleratorsA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME));
  SetWindowTextA(Hwnd(), "Kestrune");
  skin_.Bind(Hwnd());
  for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE, IDC_TEXT_LABEL}) SetDlgItemTextA(Hwnd(), id, "");
  MoveWindow(Hwnd(), 0, 0, 535, 252, FALSE);
  CentreOnWorkArea();
  window_.LoadRadioState();
  SetVolumeSlider(window_.Radio().Volume());
  SendDlgItemMessageA(Hwnd(), IDC_POSITION, TBM_SETPOS, TRUE, 0);
  SendDlgItemMessageA(Hwnd(), IDC_POSITION, TBM_SETTICFREQ, 1, 0);
  skin_.Load(Hwnd(), window_.Radio().Stereo());
  // Where the readout is, so that a reader that looks for the live region finds it there.
  announcer_.Create(Hwnd(), IDC_ANNOUNCEMENT, POINT{display::kReadoutRect.left, display::kReadoutRect.top},
                    IDC_NOTIFICATIONS, UiaEntryPoints::Find(uiaModule_));
  // A listener meets the window as it is; what changes from here on is said (the receiver's
  // station once the deferred start has brought it up, not the "no receiver" before it).
  gate_.Settle(accessible::SituationOf(AccessibleFacts(false)));
  for (auto [label, id, name] : {std::tuple{&volumeLabel_, IDC_VOLUME, "Volume"},
                                 std::tuple{&positionLabel_, IDC_POSITION, "Position"}})
    label->Attach(GetDlgItem(Hwnd(), id), name,
                  [this, id] { return accessible::Describe(id, AccessibleFacts(false), true).value; });
  // Lets the shell's broadcast through where message filtering exists (Vista and later).
  using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
  if (HMODULE user32 = GetModuleHandleA("user32.dll"))
    if (auto change = reinterpret_cast<ChangeFilter>(GetProcAddress(user32, "ChangeWindowMessageFilter")))
      change(g_taskbarCreatedMessage, 1);
  if (MessageLoop* loop = MessageLoop::ForCurrentThread()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  outcomeTarget_.store(Hwnd());
  if (IRecorder* recorder = device_.Recorder())
    recorder->SetFinishedHandler([this](const RecordingOutcome& outcome) { PostRecorderOutcome(outcome); });
  window_.SetStartPending();
  window_.Display().BuildWindowRegion();
  SetTimer(kTimerDeferredStart, 200);
  // A timer comes after all painting: the window is on the screen before the rest is done.
  ::SetTimer(Hwnd(), kTimerFinishStart, USER_TIMER_MINIMUM, nullptr);
  return TRUE;
}

void CMainDlg::FinishStart() {
  if (startFinished_) return;
  startFinished_ = true;
  ::KillTimer(Hwnd(), kTimerFinishStart);
  // The caption-less window shows no icon of its own: these are for the taskbar and Alt+Tab.
  bigIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  smallIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  if (bigIcon_) SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  if (smallIcon_) SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  skin_.LoadTips(window_.Radio().Stereo());
  if (hooks_.addTrayIcon) hooks_.addTrayIcon(Hwnd());
  RegisterHidArrivals();
  if (ISchedulerControl* scheduler = window_.Parts().scheduler) scheduler->LoadSchedule();
  window_.Display().RefreshPresetTips();
}

void CMainDlg::PostRecorderOutcome(const RecordingOutcome& outcome) {
  {
    std::lock_guard<std::mutex> guard(outcomesLock_);
    outcomes_.push_back(outcome);
  }
  if (HWND target = outcomeTarget_.load()) PostMessageA(target, kRecorderFinishedMessage, 0, 0);
}

void CMainDlg::DeliverRecorderOutcomes() {
  std::vector<RecordingOutcome> taken;
  {
    std::lock_guard<std::mutex> guard(outcomesLock_);
    taken.swap(outcomes_);
  }
  for (const RecordingOutcome& outcome : taken) window_.OnRecorderFinished(outcome);
}

void CMainDlg::OnDestroy() {
  // Whatever closed the window (Close, Exit, the end of the session, the receiver pulled out),
  // the files of the recordings it ended are finished before the process may end; a failure the
  // writers find meanwhile is still told.
  window_.WaitForRecordingFiles(MainWindow::kExitWaitMs);
  outcomeTarget_.store(nullptr);
  DeliverRecorderOutcomes();
  accessible_.reset();
  // What changed last (a reservation's end that closes the program) is still said: a UI
  // Automation notification carries its text along, though a live region is gone before a reader
  // could read it.
  if (IsWindowVisible(Hwnd())) {
    AnnounceChanges();
    Say(gate_.Flush(UINT64_MAX));
  }
  ::KillTimer(Hwnd(), kTimerAnnounce);
  announcer_.Destroy();
  RemovePropA(Hwnd(), kInstanceProperty);
  RemovePropA(Hwnd(), kFocusMarkProperty);
  if (MessageLoop* loop = MessageLoop::ForCurrentThread()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  PostQuitMessage(0);
}

void CMainDlg::EnsureRecordFolder() {
  const std::string folder = LoadRecordFolder(settings_);
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(folder.c_str(), &found);
  bool isDirectory = false;
  if (find != INVALID_HANDLE_VALUE) {
    isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    FindClose(find);
  }
  if (!isDirectory) CreateDirectoryA(folder.c_str(), nullptr);
}

void CMainDlg::RegisterHidArrivals() {
  if (hidArrivals_) return;
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  HidD_GetHidGuid(&filter.dbcc_classguid);
  hidArrivals_ = RegisterDeviceNotificationA(Hwnd(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CMainDlg::UnregisterHidArrivals() {
  if (!hidArrivals_) return;
  UnregisterDeviceNotification(hidArrivals_);
  hidArrivals_ = nullptr;
}

LRESULT CMainDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  const DeviceChangeNotice notice = ReadDeviceChange(event, data);
  if (notice.kind == DeviceChangeNotice::Kind::InterfaceArrival) window_.OnDeviceArrival(notice.interfacePath);
  else if (notice.kind == DeviceChangeNotice::Kind::HandleRemoval) window_.OnDeviceRemoveComplete(notice.handle);
  return TRUE;
}

void CMainDlg::CentreOnWorkArea() {
  RECT work{}, rect{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(Hwnd(), &rect);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  SetWindowPos(Hwnd(), nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- IMainView ----

void CMainDlg::EnableControl(int id, bool enable) {
  if (HWND control = GetDlgItem(Hwnd(), id)) EnableWindow(control, enable);
}

void CMainDlg::SetVolumeSlider(int position) {
  SendDlgItemMessageA(Hwnd(), IDC_VOLUME, TBM_SETPOS, TRUE, position);
}

int CMainDlg::VolumeSliderPosition() {
  return static_cast<int>(SendDlgItemMessageA(Hwnd(), IDC_VOLUME, TBM_GETPOS, 0, 0));
}

void CMainDlg::SetButtonCells(int id, int normalCell, int pushedCell) {
  skin_.SetButtonCells(id, {normalCell, pushedCell}, false);
  NoteDisplayChange();
}

void CMainDlg::RedrawButton(int id) {
  if (HWND control = GetDlgItem(Hwnd(), id)) {
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
  }
}

void CMainDlg::SetTooltip(int id, const std::string& text) { skin_.SetTip(id, text); }

void CMainDlg::ShowMainWindow(ShowCommand command) {
  ShowWindow(Hwnd(), command == ShowCommand::Hide ? SW_HIDE : command == ShowCommand::Show ? SW_SHOW : SW_SHOWNORMAL);
}

void CMainDlg::DestroyMainWindow() { DestroyWindow(Hwnd()); }

void CMainDlg::ShowAboutBox() {
  CAbout about;
  about.DoModal(GetActiveWindow());
}

void CMainDlg::SetTimer(unsigned id, unsigned periodMs) { ::SetTimer(Hwnd(), id, periodMs, nullptr); }
void CMainDlg::KillTimer(unsigned id) { ::KillTimer(Hwnd(), id); }

LocalTime CMainDlg::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}

void CMainDlg::SetExecutionState(uint32_t flags) { SetThreadExecutionState(static_cast<EXECUTION_STATE>(flags)); }

// ---- Display ----

void CMainDlg::InvalidateReadout() {
  InvalidateRect(Hwnd(), &kReadoutRect, TRUE);
  NoteDisplayChange();
}

void CMainDlg::ApplyButtonTips() { skin_.ApplyButtonTips(window_.Radio().Stereo()); }

void CMainDlg::RefreshPresetTips() {
  // The presets read once serve the tips and the buttons' names.
  const accessible::Facts facts = AccessibleFacts(true);
  skin_.RefreshPresetTips(window_.Radio().Band(), [&](int n) {
    const auto at = static_cast<size_t>(n - 1);
    return std::pair{facts.presetNames[at], facts.presetFrequencies[at]};
  });
  NameButtons(facts);
}

void CMainDlg::BuildWindowRegion() { skin::BuildWindowRegion(Hwnd()); }

void CMainDlg::ReloadStereoImages() { skin_.ReloadStereoList(); }

display::IndicatorState CMainDlg::ReadoutState() const {
  display::IndicatorState state;
  const Radio& radio = window_.Radio();
  state.playing = window_.Playing();
  state.recording = window_.Recording().IsRecording();
  state.deviceOpen = device_.IsOpen();
  state.band = radio.Band();
  state.frequency = radio.Frequency();
  state.preset = radio.Preset();
  state.stereo = radio.Stereo();
  state.signal = radio.Signal();
  return state;
}

void CMainDlg::ShowDisplayText(int id) {
  if (HWND text = GetDlgItem(Hwnd(), id)) ShowWindow(text, SW_SHOW);
}

void CMainDlg::RepaintDisplay() {
  InvalidateRect(Hwnd(), nullptr, TRUE);
  NoteDisplayChange();
}

void CMainDlg::SetTrayPicture(int iconId) {
  if (hooks_.setTrayPicture) hooks_.setTrayPicture(iconId);
}

void CMainDlg::TrackRecordMenu(int menuId) {
  UniqueMenu menu(LoadMenuA(instance_, MAKEINTRESOURCEA(menuId)));
  TrackPopupAtCursor(menu.Get(), Hwnd(), 0);
}

void CMainDlg::SetStaticText(int id, const std::string& text) {
  skin::SetStaticText(Hwnd(), id, text);
  NoteDisplayChange();
}

// ---- Screen readers ----

accessible::Facts CMainDlg::AccessibleFacts(bool presets) {
  accessible::Facts facts;
  facts.shown = ReadoutState();
  const Radio& radio = window_.Radio();
  facts.presetName = radio.PresetName();
  facts.muted = radio.Muted();
  facts.volume = radio.Volume();
  const RecordingController& recording = window_.Recording();
  if (facts.shown.recording) {
    facts.recordSeconds = static_cast<uint64_t>(recording.ElapsedSeconds());
    facts.recordKbps = recording.Kbps();
    facts.recordFile = device_.RecorderPath();
    // A reservation's recording shows its name on the glass.
    facts.scheduled = recording.RecordingReservation() >= 0;
    if (facts.scheduled) facts.reservationName = ControlText(Hwnd(), IDC_TEXT_LABEL);
  }
  if (facts.shown.playing) {
    facts.playFile = ControlText(Hwnd(), IDC_TEXT_FILE);
    facts.playPosition = ControlText(Hwnd(), IDC_TEXT_TIME);
  }
  if (!presets) return facts;
  const std::string key = radio.PresetKey();
  for (int n = 1; n <= 12; ++n) {
    facts.presetNames[n - 1] = settings_.ReadValue(key, PresetValueName(n, "ID"));
    facts.presetFrequencies[n - 1] = settings_.ReadValue(key, PresetValueName(n, "FRQ"));
  }
  return facts;
}

void CMainDlg::NoteDisplayChange() {
  if (announcePending_ || !Hwnd()) return;
  announcePending_ = PostMessageA(Hwnd(), kAnnounceMessage, 0, 0) != FALSE;
}

void CMainDlg::AnnounceChanges() {
  announcePending_ = false;
  const accessible::Facts facts = AccessibleFacts(false);
  const accessible::Situation now = accessible::SituationOf(facts);
  // Hidden in the tray, the window's events reach no reader (they speak the foreground only):
  // the tray's notifications tell the night, and the window shown again does not replay it.
  if (!IsWindowVisible(Hwnd())) gate_.Settle(now);
  else Say(gate_.Offer(now, window_.Clock().NowMs()));
  TellPressedStates(facts);
}

void CMainDlg::FlushAnnouncement() {
  ::KillTimer(Hwnd(), kTimerAnnounce);
  if (!IsWindowVisible(Hwnd())) gate_.Settle(accessible::SituationOf(AccessibleFacts(false)));
  else Say(gate_.Flush(window_.Clock().NowMs()));
}

void CMainDlg::Say(const std::string& text) {
  announcer_.Announce(text);
  if (const std::optional<uint64_t> due = gate_.DueMs()) {
    const uint64_t now = window_.Clock().NowMs();
    const uint64_t wait = *due > now ? *due - now : 0;
    ::SetTimer(Hwnd(), kTimerAnnounce, static_cast<UINT>(std::max<uint64_t>(wait, USER_TIMER_MINIMUM)), nullptr);
  }
}

void CMainDlg::TellPressedStates(const accessible::Facts& facts) {
  std::vector<std::pair<int, bool>> pressed;
  for (int id : {IDC_STEREO, IDC_MUTE, IDC_RECORD, IDC_PLAYBACK})
    pressed.emplace_back(id, accessible::Describe(id, facts, true).pressed);
  for (size_t i = 0; i < pressed.size(); ++i) {
    const auto [id, on] = pressed[i];
    if (i < pressedStates_.size() && pressedStates_[i].second != on)
      NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Hwnd(), OBJID_CLIENT, AccessibleChildId(Hwnd(), id));
    if (CBitmapButton* button = skin_.Button(id)) button->SetLatched(on);
  }
  pressedStates_ = std::move(pressed);
}

void CMainDlg::ShowControl(int id, bool show) {
  HWND control = GetDlgItem(Hwnd(), id);
  if (!control || ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0) == show) return;
  ShowWindow(control, show ? SW_SHOW : SW_HIDE);
  NotifyWinEvent(show ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, Hwnd(), OBJID_CLIENT, AccessibleChildId(Hwnd(), id));
}

void CMainDlg::NameButtons(const accessible::Facts& facts) {
  for (int id : accessible::ReadingOrder()) {
    HWND control = GetDlgItem(Hwnd(), id);
    if (!control || id == IDC_VOLUME || id == IDC_POSITION) continue;
    const std::string name = accessible::ButtonName(id, facts);
    if (!name.empty() && ControlText(Hwnd(), id) != name) SetWindowTextA(control, name.c_str());
  }
}
