#include "app/win32/MainDlg.h"

#include <tuple>

#include <commctrl.h>

#include "app/win32/DeviceChange.h"
#include "app/win32/WindowMessages.h"
#include "resources/resource.h"
#include "settings/RadioState.h"
#include "settings/win32/RecordFolder.h"

const UINT g_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

namespace {

static_assert(kHoldLostCode == kButtonHoldLostCode, "the Tune buttons' lost hold is the window's");

}  // namespace

CMainDlg::CMainDlg(HINSTANCE instance, MainWindow& window, const CMyKestrune& device, const Radio& radio,
                   const RecordingController& recording, SettingsStore& settings, IClock& clock,
                   HidArrivals& arrivals, ITrayIcon* tray, IPlaybackControl* playback, IPowerBroadcastSink* power,
                   IRecorder* recorder, RecorderOutcomes& outcomes)
    : MainView(*this, instance, device, radio, recording, playback, settings, clock, arrivals, tray),
      window_(window),
      power_(power),
      recorder_(recorder),
      outcomes_(outcomes) {}

CMainDlg::~CMainDlg() {
  if (Hwnd()) DestroyWindow(Hwnd());
  arrivals_.Unregister();
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
  skin_.RelayToTips(*msg);
  // Once the keyboard moves or uses the focus, the focused button shows it.
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_TAB || msg->wParam == VK_SPACE || msg->wParam == VK_RETURN) &&
      !GetPropA(Hwnd(), kFocusMarkProperty)) {
    SetPropA(Hwnd(), kFocusMarkProperty, reinterpret_cast<HANDLE>(1));
    if (HWND focus = GetFocus(); focus && GetParent(focus) == Hwnd()) InvalidateRect(focus, nullptr, FALSE);
  }
  // A focused slider takes the arrows for itself (the window's arrows are the presets and the
  // volume); Up raises it as Right does, as the window's Up raises the volume.
  const bool arrowKey = (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
                        (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT || msg->wParam == VK_UP || msg->wParam == VK_DOWN);
  if (const int focused = arrowKey ? FocusedControl() : 0; focused == IDC_VOLUME || focused == IDC_POSITION) {
    if (msg->wParam == VK_UP) msg->wParam = VK_RIGHT;
    else if (msg->wParam == VK_DOWN) msg->wParam = VK_LEFT;
    return IsDialogMessageA(Hwnd(), msg);
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
      if (!tray_) break;
      result = tray_->OnTrayNotify(Hwnd(), wParam, lParam);
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
      return OnTimerMessage(wParam);
    case kGraphEventMessage:
      if (!playback_) break;
      playback_->OnGraphEvent();
      result = 0;
      return true;
    case WM_POWERBROADCAST:
      if (!power_) break;
      result = power_->OnPowerBroadcast(wParam);
      return true;
    case WM_MOUSEMOVE:
      window_.OnMouseMove();
      return true;
    case WM_SHOWWINDOW:
      // However it is shown: the tray's command, a second start, a bring-up's show.
      if (wParam) window_.OnWindowShown();
      break;
    case RecorderOutcomes::kMessage:
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
      if (tray_ && tray_->OnTrayCommand(LOWORD(wParam))) return true;
      break;
    case WM_GETOBJECT:
      if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || !accessible_) break;
      {
        auto* object = new MainAccessible(accessible_);
        result = LresultFromObject(kIID_IAccessible, wParam, object);
        object->Release();
      }
      return true;
    case WindowAnnouncer::kMessage:
      announcer_.AnnounceChanges();
      return true;
    case WM_NOTIFY:
      // The volume slider's notifications are watched, then left to default processing.
      if (wParam == IDC_VOLUME) OnVolumeSlider();
      break;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(Hwnd(), IDC_VOLUME)) {
        // The keyboard's moves come as scrolls; the level is said, a held key's at its first step
        // and where it ends.
        OnVolumeSlider();
        return true;
      }
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(Hwnd(), IDC_POSITION) && playback_) {
        playback_->OnPositionScroll(LOWORD(wParam));
        // The focused slider's value is what a reader speaks of it once the move ends.
        if (LOWORD(wParam) == TB_ENDTRACK)
          NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, reinterpret_cast<HWND>(lParam), OBJID_CLIENT, CHILDID_SELF);
        return true;
      }
      break;
    default:
      if (msg == g_taskbarCreatedMessage && g_taskbarCreatedMessage != 0) {
        if (tray_) tray_->ReAddTrayIcon(Hwnd());
        return true;
      }
      break;
  }
  if (msg == WM_ERASEBKGND) {
    result = skin_.PaintSkin(Hwnd(), reinterpret_cast<HDC>(wParam), ReadoutState(), radio_.PresetName());
    return true;
  }
  if (skin_.HandleCtlColor(msg, wParam, lParam, result)) return true;
  return ReflectNotification(Hwnd(), msg, wParam, lParam, result);
}

void CMainDlg::OnVolumeSlider() {
  const int before = radio_.Volume();
  window_.OnVolumeSliderNotify();
  if (radio_.Volume() != before) announcer_.NoteChange();
}

bool CMainDlg::OnTimerMessage(UINT_PTR id) {
  if (id == kTimerAnnounce) {
    announcer_.FlushBurst();
    return true;
  }
  if (tray_ && tray_->OnTrayTimer(Hwnd(), id)) return true;
  if (id == kTimerFinishStart || id == kTimerDeferredStart) FinishStart();
  if (id != kTimerFinishStart) window_.OnTimer(static_cast<unsigned>(id));
  return true;
}

LRESULT CMainDlg::OnInitDialog() {
  accessible_ = std::make_shared<AccessibleSource>(AccessibleSource{Hwnd(), [this](bool presets) { return AccessibleFacts(presets); }});
  window_.ClearRunState();
  window_.LoadPowerSettings();
  EnsureRecordFolder(LoadRecordFolder(settings_));
  accelerators_ = LoadAcceleratorsA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME));
  SetWindowTextA(Hwnd(), "Kestrune");
  skin_.Bind(Hwnd());
  for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE, IDC_TEXT_LABEL}) SetDlgItemTextA(Hwnd(), id, "");
  MoveWindow(Hwnd(), 0, 0, 535, 252, FALSE);
  CentreOnWorkArea();
  window_.LoadRadioState();
  SetVolumeSlider(radio_.Volume());
  SendDlgItemMessageA(Hwnd(), IDC_POSITION, TBM_SETPOS, TRUE, 0);
  SendDlgItemMessageA(Hwnd(), IDC_POSITION, TBM_SETTICFREQ, 1, 0);
  skin_.Load(Hwnd(), radio_.Stereo());
  announcer_.Attach([this](bool presets) { return AccessibleFacts(presets); });
  // Lets the shell's broadcast through where message filtering exists (Vista and later).
  using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
  if (HMODULE user32 = GetModuleHandleA("user32.dll"))
    if (auto change = reinterpret_cast<ChangeFilter>(GetProcAddress(user32, "ChangeWindowMessageFilter")))
      change(g_taskbarCreatedMessage, 1);
  // A copy started as administrator would never hear its tray icon: UIPI drops the shell's
  // callback to a window of a higher integrity level unless the window lets it through.
  ChangeWindowMessageFilterEx(Hwnd(), kTrayCallbackMessage, MSGFLT_ALLOW, nullptr);
  if (MessageLoop* loop = MessageLoop::ForCurrentThread()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  outcomes_.SetTarget(Hwnd());
  if (recorder_)
    recorder_->SetFinishedHandler([&outcomes = outcomes_](const RecordingOutcome& outcome) { outcomes.Post(outcome); });
  window_.SetStartPending();
  BuildWindowRegion();
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
  for (auto [icon, size, cx, cy] : {std::tuple{&bigIcon_, ICON_BIG, SM_CXICON, SM_CYICON},
                                    std::tuple{&smallIcon_, ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
    icon->Reset(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                              GetSystemMetrics(cx), GetSystemMetrics(cy), 0)));
    if (*icon) SendMessageA(Hwnd(), WM_SETICON, size, reinterpret_cast<LPARAM>(icon->Get()));
  }
  skin_.LoadTips(radio_.Stereo());
  if (tray_) tray_->AddTrayIcon(Hwnd());
  arrivals_.Register(Hwnd());
  window_.LoadSchedule();
  RefreshPresetTips();
}

void CMainDlg::DeliverRecorderOutcomes() {
  for (const RecordingOutcome& outcome : outcomes_.Take()) window_.OnRecorderFinished(outcome);
}

void CMainDlg::OnDestroy() {
  // Whatever closed the window (Close, Exit, the end of the session, the receiver pulled out),
  // the files of the recordings it ended are finished before the process may end, in the exit's
  // one wait; a failure the writers find meanwhile is still told, on the line and in the log.
  window_.FinishRecordingFiles();
  outcomes_.SetTarget(nullptr);
  DeliverRecorderOutcomes();
  accessible_.reset();
  // What changed last (a reservation's end that closes the program) is still said.
  announcer_.Detach();
  RemovePropA(Hwnd(), kInstanceProperty);
  RemovePropA(Hwnd(), kFocusMarkProperty);
  if (MessageLoop* loop = MessageLoop::ForCurrentThread()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  PostQuitMessage(0);
}

LRESULT CMainDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  const DeviceChangeNotice notice = ReadDeviceChange(event, data);
  if (notice.kind == DeviceChangeNotice::Kind::InterfaceArrival) window_.OnDeviceArrival(notice.interfacePath);
  else if (notice.kind == DeviceChangeNotice::Kind::HandleRemoval) window_.OnDeviceRemoveComplete(notice.handle);
  else if (notice.kind == DeviceChangeNotice::Kind::HandleQueryRemove) window_.OnDeviceQueryRemove(notice.handle);
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
