// The main window as a screen reader meets it: its accessible object fetched through oleacc the
// way NVDA or Narrator fetch it, the tree walked with every control at a fixed child id, what a
// reader speaks without its focus moving (the live region's changes, each read back through
// AccessibleObjectFromEvent as NVDA reads it), and the keyboard alone moving through the controls
// and pressing them.
#include <windows.h>
#include <objbase.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/MainDlg.h"
#include "app/win32/UiaNotifier.h"
#include "audio/Recorder.h"
#include "base/win32/WideText.h"
#include "resources/resource.h"
#include "settings/MemoryKeyValueTree.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/MainWindowTestKit.h"
#include "tests/win/PixelGrab.h"

namespace {

// A recorder that takes every start: the readout only needs to see one running.
class AcceptingRecorder final : public IRecorder {
 public:
  bool StartRecorder(const std::string& path, uint16_t) override {
    path_ = path;
    running_ = true;
    return true;
  }
  RecorderStatus StopRecorder() override {
    running_ = false;
    return {};
  }
  bool IsRecording() const override { return running_; }
  std::string RecordingPath() const override { return path_; }

 private:
  std::string path_;
  bool running_ = false;
};

std::string Utf8(BSTR text) {
  if (!text) return {};
  std::string out = Utf8FromWide(text);
  SysFreeString(text);
  return out;
}

VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// Closes the About box with Escape once it shows.
void CALLBACK EscapeAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", "About");
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, id);
  PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
}

// What an out-of-context WinEvent hook received, as a reader receives it: the event, where it was
// raised, and for a live region the name AccessibleObjectFromEvent reads, which is what NVDA speaks.
struct Heard {
  DWORD event = 0;
  HWND window = nullptr;
  LONG object = 0, child = 0;
  std::string text;
};
std::vector<Heard> g_heard;

std::string NameFromEvent(HWND window, LONG object, LONG child) {
  Microsoft::WRL::ComPtr<IAccessible> target;
  VARIANT id;
  VariantInit(&id);
  if (AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), target.GetAddressOf(),
                                &id) != S_OK)
    return "(no object)";
  BSTR name = nullptr;
  target->get_accName(id, &name);
  return Utf8(name);
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  Heard heard{event, window, object, child, {}};
  if (event == kEventObjectLiveRegionChanged) heard.text = NameFromEvent(window, object, child);
  g_heard.push_back(heard);
}

// The events of this process between `first` and `last`, delivered through the thread's queue.
class EventHook {
 public:
  EventHook(DWORD first, DWORD last)
      : hook_(SetWinEventHook(first, last, nullptr, OnWinEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT)) {
    g_heard.clear();
  }
  ~EventHook() {
    if (hook_) UnhookWinEvent(hook_);
  }
  EventHook(const EventHook&) = delete;
  EventHook& operator=(const EventHook&) = delete;
  bool Ok() const { return hook_ != nullptr; }

 private:
  HWINEVENTHOOK hook_;
};

// The texts of the live region's changes heard since the last call.
std::vector<std::string> TakeSpoken() {
  std::vector<std::string> spoken;
  for (const Heard& h : g_heard)
    if (h.event == kEventObjectLiveRegionChanged) spoken.push_back(h.text);
  g_heard.clear();
  return spoken;
}

class MainAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The accessible object is handed over through COM's marshaling, as to another process.
    comEntered = SUCCEEDED(CoInitialize(nullptr));
    ReadyMainWindowRig(platform, receiver, 1);
    receiver.SetStations({{BandFM, 8000, 45}});
    for (auto [name, value] : {std::pair{"COUNTRY", "2"}, {"FM", "1"}, {"FREQ", "7810"}, {"VOLUME", "35"},
                               {"STEREO", "1"}, {"MP3BPS", "2"}, {"RECORDFOLDER", "C:\\KestruneA11yRec"}})
      PlantGeneral(tree, name, value);
    const std::string presets = std::string(kSettingsRoot) + "\\" + PresetKey(BandFM, RegionJapan);
    tree.PlantString(presets, "CH01_ID", "Channel01");
    tree.PlantString(presets, "CH01_FRQ", "7810");
    tree.PlantString(presets, "CH02_ID", "Morning");
    tree.PlantString(presets, "CH02_FRQ", "8000");
    tree.PlantString(presets, "CH03_ID", "R&B");
    tree.PlantString(presets, "CH03_FRQ", "8100");
    AppAdapters adapters = TestAdapters(platform, tree, clock);
    adapters.recorder = std::make_unique<AcceptingRecorder>();
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    hwnd = app->MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(ShowAndBringUp(*app, hwnd));
    SetForegroundWindow(hwnd);
    ASSERT_EQ(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIID_IAccessible,
                                         reinterpret_cast<void**>(acc.GetAddressOf())),
              S_OK);
  }
  void TearDown() override {
    acc.Reset();
    app.reset();
    DrainQuit();
    RemoveDirectoryA("C:\\KestruneA11yRec");
    if (comEntered) CoUninitialize();
  }
  // A key as the message loop hands it over: the window's accelerators and dialog keys first.
  void Key(UINT message, WPARAM key) {
    MSG msg{GetFocus() ? GetFocus() : hwnd, message, key, 0, 0, {}};
    if (!dlg->PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    PumpMessages(20);
  }
  // Whatever the window has to say is said, and the window is quiet long enough for the next
  // change to be said at once.
  void quiet() {
    PumpMessages(20);
    clock.Advance(CMainDlg::kAnnounceQuietMs);
    SendMessageA(hwnd, WM_TIMER, CMainDlg::kTimerAnnounce, 0);
    PumpMessages(50);
  }
  std::string Name(long child) {
    BSTR text = nullptr;
    acc->get_accName(Child(child), &text);
    return Utf8(text);
  }
  std::string Value(long child) {
    BSTR text = nullptr;
    acc->get_accValue(Child(child), &text);
    return Utf8(text);
  }
  long State(long child) {
    VARIANT v;
    acc->get_accState(Child(child), &v);
    return v.lVal;
  }
  // The child that carries `name`, 0 when none does.
  long Find(const std::string& name) {
    long count = 0;
    acc->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i)
      if (Name(i) == name) return i;
    return 0;
  }

  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  MessageLoop loop;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  HWND hwnd = nullptr;
  Microsoft::WRL::ComPtr<IAccessible> acc;
  bool comEntered = false;
};

TEST_F(MainAccessibleTest, TheTreeNamesEveryControlAndTheReadoutSaysWhatIsOn) {
  long count = 0;
  ASSERT_EQ(acc->get_accChildCount(&count), S_OK);
  std::vector<VARIANT> children(static_cast<size_t>(count));
  long got = 0;
  ASSERT_EQ(AccessibleChildren(acc.Get(), 0, count, children.data(), &got), S_OK);
  ASSERT_EQ(got, count);
  std::vector<std::string> names;
  for (const VARIANT& child : children) {
    ASSERT_EQ(child.vt, VT_I4);
    names.push_back(Name(child.lVal));
    VARIANT role;
    acc->get_accRole(child, &role);
    const std::string& name = names.back();
    const long expected = name == "Volume" || name == "Position" ? ROLE_SYSTEM_SLIDER
                          : name == "Radio"                        ? ROLE_SYSTEM_STATICTEXT
                                                                   : ROLE_SYSTEM_PUSHBUTTON;
    EXPECT_EQ(role.lVal, expected) << name;
    // Hidden controls are children too, so that no id moves when one shows.
    const bool hidden = name == "Position" || name == "SW";
    EXPECT_EQ((State(child.lVal) & STATE_SYSTEM_INVISIBLE) != 0, hidden) << name;
  }
  const std::vector<std::string> expected = {"About", "Minimise", "Close", "Previous preset",
                                             "Preset 1, Channel01, 78.10 MHz", "Preset 2, Morning, 80.00 MHz"};
  ASSERT_EQ(names.size(), 34u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6), expected);
  EXPECT_EQ(std::vector<std::string>(names.begin() + 16, names.end()),
            (std::vector<std::string>{"Next preset", "Radio", "Preferences", "Mute", "Volume", "Seek down", "Tune down",
                                      "Position", "Tune up", "Seek up", "Stereo", "AM", "FM", "SW", "Record", "Play",
                                      "Save to preset", "Timer settings"}));
  EXPECT_EQ(Value(Find("Volume")), "35 %");
  // The buttons' own windows carry the same names, for the system's objects of them.
  PumpMessages(20);
  char text[64] = {};
  GetWindowTextA(GetDlgItem(hwnd, IDC_PRESET1 + 1), text, sizeof text);
  EXPECT_STREQ(text, "Preset 2, Morning, 80.00 MHz");
  EXPECT_EQ(Value(Find("Radio")).rfind("FM 78.10 MHz, preset 1, Channel01, stereo, signal ", 0), 0u);
  BSTR key = nullptr;
  acc->get_accKeyboardShortcut(Child(5), &key);
  EXPECT_EQ(Utf8(key), "F1");
  EXPECT_TRUE(State(Find("Stereo")) & STATE_SYSTEM_PRESSED);
  EXPECT_FALSE(State(Find("Mute")) & STATE_SYSTEM_PRESSED);
  // A band switch leaves the band buttons disabled for a moment: unavailable to a reader too.
  SendCommand(hwnd, IDC_AM);
  EXPECT_TRUE(State(Find("FM")) & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_FALSE(State(Find("Record")) & STATE_SYSTEM_UNAVAILABLE);
  // The point of a button hits that button; the point of the glass the readout.
  RECT rc;
  GetWindowRect(GetDlgItem(hwnd, IDC_RECORD), &rc);
  VARIANT hit;
  ASSERT_EQ(acc->accHitTest(rc.left + 2, rc.top + 2, &hit), S_OK);
  EXPECT_EQ(Name(hit.lVal), "Record");
  VARIANT next;
  ASSERT_EQ(acc->accNavigate(NAVDIR_NEXT, Child(Find("Record")), &next), S_OK);
  EXPECT_EQ(Name(next.lVal), "Play");
  ASSERT_EQ(acc->accNavigate(NAVDIR_NEXT, Child(Find("Tune down")), &next), S_OK);
  EXPECT_EQ(Name(next.lVal), "Tune up");  // past the hidden position slider
  // By name, as a script or a reader's late binding calls it: oleacc's type library describes
  // the object, so the standard dispatch reaches the same methods.
  UINT infos = 0;
  ASSERT_EQ(acc->GetTypeInfoCount(&infos), S_OK);
  ASSERT_EQ(infos, 1u);
  OLECHAR accName[] = L"accName";
  LPOLESTR byName[] = {accName};
  DISPID dispid = 0;
  ASSERT_EQ(acc->GetIDsOfNames(IID_NULL, byName, 1, 0, &dispid), S_OK);
  EXPECT_EQ(dispid, DISPID_ACC_NAME);
  VARIANT argument = Child(Find("Record"));
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(acc->Invoke(DISPID_ACC_NAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(Utf8(result.bstrVal), "Record");
  // Only documented answers: an unavailable button has no action to do now.
  EXPECT_EQ(acc->accDoDefaultAction(Child(Find("FM"))), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(acc->accDoDefaultAction(Child(Find("Radio"))), DISP_E_MEMBERNOTFOUND);
}

TEST_F(MainAccessibleTest, ChangesAreSpokenOnceEachThroughTheLiveRegion) {
  // Wine 8's uiautomationcore has no UiaRaiseNotificationEvent: the choice made at run time falls
  // back to the live region, and no notification window is made.
  UniqueModule uia;
  const bool notifications = UiaEntryPoints::Find(uia).raiseNotification != nullptr;
  ASSERT_FALSE(notifications) << "this system raises UI Automation notifications: the live region stays quiet";
  EXPECT_EQ(dlg->Announcements().Notifications().Hwnd(), nullptr);
  HWND live = dlg->Announcements().Live().Hwnd();
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(GetParent(live), hwnd);

  EventHook hook(kEventObjectLiveRegionChanged, kEventObjectLiveRegionChanged);
  ASSERT_TRUE(hook.Ok());
  quiet();
  TakeSpoken();

  Key(WM_KEYDOWN, VK_F2);
  PumpMessages(50);
  // Raised on the live region itself, which oleacc's own object reads by its window text.
  for (const Heard& h : g_heard) EXPECT_TRUE(h.window == live && h.object == OBJID_CLIENT && h.child == CHILDID_SELF);
  const std::string f2 = "FM 80.00 MHz, preset 2, Morning, stereo";
  EXPECT_EQ(TakeSpoken(), std::vector<std::string>{f2});
  quiet();
  Key(WM_KEYDOWN, 'M');
  PumpMessages(50);
  EXPECT_EQ(TakeSpoken(), std::vector<std::string>{f2 + ", muted"});
  quiet();
  Key(WM_KEYDOWN, 'M');
  PumpMessages(50);
  EXPECT_EQ(TakeSpoken(), std::vector<std::string>{f2});

  // A recording by hand: its start and its end, and nothing on the heartbeat between them.
  quiet();
  SendCommand(hwnd, ID_REC_OPEN);
  PumpMessages(50);
  std::vector<std::string> spoken = TakeSpoken();
  ASSERT_EQ(spoken.size(), 1u);
  EXPECT_EQ(spoken[0].rfind("Recording started, " + f2 + ", 128 kbit/s, FM8000_", 0), 0u) << spoken[0];
  // The readout keeps what is on, with the running time, for a review.
  EXPECT_NE(Value(Find("Radio")).find(", recording 00:00:0"), std::string::npos);
  quiet();
  clock.Advance(1000);
  SendMessageA(hwnd, WM_TIMER, kTimerHeartbeat, 0);
  PumpMessages(50);
  EXPECT_TRUE(TakeSpoken().empty());
  SendCommand(hwnd, ID_STOP_NOW);
  PumpMessages(50);
  EXPECT_EQ(TakeSpoken(), std::vector<std::string>{"Recording stopped, " + f2});

  // A reservation's start as the scheduler makes it: tuned, then recorded; one announcement.
  quiet();
  Key(WM_KEYDOWN, VK_F1);
  quiet();
  TakeSpoken();
  dlg->Window().TuneForReservation(BandFM, 8000);
  ReservationStart start;
  start.index = 2;
  start.name = "Wine News";
  start.file = "C:\\KestruneA11yRec\\Wine News\\20261207_070000.mp3";
  start.kbps = 64;
  start.remainingSeconds = 60;
  ASSERT_TRUE(app->Recording().StartScheduledRecording(start));
  PumpMessages(50);
  spoken = TakeSpoken();
  ASSERT_EQ(spoken.size(), 1u);
  EXPECT_EQ(spoken[0].rfind("Scheduled recording Wine News started, FM 80.00 MHz", 0), 0u) << spoken[0];
  EXPECT_NE(spoken[0].find(", 64 kbit/s, 20261207_070000.mp3"), std::string::npos) << spoken[0];
  quiet();
  app->Recording().StopRecording(RecordingEndReason::TimeUp);
  dlg->Window().RestoreSavedStation();
  PumpMessages(50);
  spoken = TakeSpoken();
  ASSERT_EQ(spoken.size(), 1u);
  EXPECT_EQ(spoken[0].rfind("Scheduled recording Wine News ended, FM 78.10 MHz", 0), 0u) << spoken[0];
}

TEST_F(MainAccessibleTest, FiveQuickPressesAreSpokenAtMostTwiceAndAHiddenWindowSaysNothing) {
  EventHook hook(kEventObjectLiveRegionChanged, kEventObjectLiveRegionChanged);
  quiet();
  TakeSpoken();
  for (int i = 0; i < 5; ++i) {
    SendCommand(hwnd, IDC_TUNE_UP);
    PumpMessages(10);
    clock.Advance(100);
  }
  EXPECT_EQ(TakeSpoken(), std::vector<std::string>{"FM 78.20 MHz, stereo"});
  quiet();
  EXPECT_EQ(TakeSpoken(), std::vector<std::string>{"FM 78.60 MHz, stereo"});
  // In the tray nothing is raised, and shown again the window does not replay what happened.
  clock.Advance(CMainDlg::kAnnounceQuietMs);
  ShowWindow(hwnd, SW_HIDE);
  Key(WM_KEYDOWN, VK_F2);
  SendCommand(hwnd, IDC_PRESET1 + 1);
  PumpMessages(50);
  ShowWindow(hwnd, SW_SHOW);
  clock.Advance(CMainDlg::kAnnounceQuietMs);
  SendMessageA(hwnd, WM_TIMER, CMainDlg::kTimerAnnounce, 0);
  SendMessageA(hwnd, WM_TIMER, kTimerSignal, 0);
  PumpMessages(50);
  EXPECT_TRUE(TakeSpoken().empty());
}

// A control's own object, as a reader that follows the focused window (JAWS, Narrator) gets it.
Microsoft::WRL::ComPtr<IAccessible> OwnObject(HWND control) {
  Microsoft::WRL::ComPtr<IAccessible> object;
  AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIID_IAccessible,
                             reinterpret_cast<void**>(object.GetAddressOf()));
  return object;
}

std::string OwnText(const Microsoft::WRL::ComPtr<IAccessible>& object, bool value) {
  BSTR text = nullptr;
  if (value) object->get_accValue(Child(CHILDID_SELF), &text);
  else object->get_accName(Child(CHILDID_SELF), &text);
  return Utf8(text);
}

TEST_F(MainAccessibleTest, TheSlidersAndTheTogglesTellTheirOwnWindowsObjects) {
  HWND volume = GetDlgItem(hwnd, IDC_VOLUME);
  const auto slider = OwnObject(volume);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(OwnText(slider, false), "Volume");
  EXPECT_EQ(OwnText(slider, true), "35 %");
  Key(WM_KEYDOWN, VK_UP);  // the volume key
  EXPECT_EQ(OwnText(slider, true), "36 %");
  // A name with '&' reads as typed from the button's own window, not as a mnemonic.
  const auto rb = OwnObject(GetDlgItem(hwnd, IDC_PRESET1 + 2));
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(OwnText(rb, false), "Preset 3, R&B, 81.00 MHz");
  const auto position = OwnObject(GetDlgItem(hwnd, IDC_POSITION));
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(OwnText(position, false), "Position");
  // The hidden label right before each slider names it for the system's own label search too.
  char label[16] = {};
  GetWindowTextA(GetWindow(volume, GW_HWNDPREV), label, sizeof label);
  EXPECT_STREQ(label, "Volume");
  EXPECT_FALSE(IsWindowVisible(GetWindow(volume, GW_HWNDPREV)));

  // Stereo is on from the start, Mute off: the buttons' windows answer as system buttons do.
  HWND stereo = GetDlgItem(hwnd, IDC_STEREO), mute = GetDlgItem(hwnd, IDC_MUTE);
  EXPECT_EQ(SendMessageA(stereo, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(SendMessageA(stereo, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_EQ(SendMessageA(mute, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(SendMessageA(mute, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EventHook hook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE);
  SetFocus(mute);
  EXPECT_TRUE(SendMessageA(mute, BM_GETSTATE, 0, 0) & BST_FOCUS);
  Key(WM_KEYDOWN, VK_SPACE);
  Key(WM_KEYUP, VK_SPACE);
  PumpMessages(50);
  ASSERT_TRUE(app->Radio().Muted());
  EXPECT_EQ(SendMessageA(mute, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(SendMessageA(mute, BM_GETSTATE, 0, 0) & BST_PUSHED);
  // The change is raised on the button's own window and on its child of the main window's tree.
  std::vector<std::pair<HWND, LONG>> raised;
  for (const Heard& h : g_heard)
    if (h.object == OBJID_CLIENT) raised.emplace_back(h.window, h.child);
  EXPECT_EQ(raised, (std::vector<std::pair<HWND, LONG>>{{hwnd, Find("Mute")}, {mute, CHILDID_SELF}}));
}

TEST_F(MainAccessibleTest, ControlsKeepTheirIdsWhenOneShowsAndReadersHearItAppear) {
  const long play = Find("Play"), record = Find("Record"), timer = Find("Timer settings");
  const long position = Find("Position");
  ASSERT_NE(position, 0);
  EventHook hook(EVENT_OBJECT_SHOW, EVENT_OBJECT_HIDE);
  // Playback shows the position slider (through the window), and SW may be chosen.
  dlg->ShowControl(IDC_POSITION, true);
  dlg->ShowControl(IDC_SW, true);
  SendCommand(hwnd, IDC_SW);
  PumpMessages(50);
  EXPECT_EQ(Find("Play"), play);
  EXPECT_EQ(Find("Record"), record);
  EXPECT_EQ(Find("Timer settings"), timer);
  EXPECT_EQ(Find("Position"), position);
  EXPECT_FALSE(State(position) & STATE_SYSTEM_INVISIBLE);
  dlg->ShowControl(IDC_POSITION, false);
  PumpMessages(50);
  EXPECT_TRUE(State(position) & STATE_SYSTEM_INVISIBLE);
  // The window's own SHOW and HIDE for its child ids, beside the system's for the child windows.
  std::vector<std::pair<DWORD, LONG>> ours;
  for (const Heard& h : g_heard)
    if (h.window == hwnd && h.object == OBJID_CLIENT) ours.emplace_back(h.event, h.child);
  EXPECT_EQ(ours, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_SHOW, position},
                                                       {EVENT_OBJECT_SHOW, Find("SW")},
                                                       {EVENT_OBJECT_HIDE, position}}));
}

TEST_F(MainAccessibleTest, TabWalksTheControlsInReadingOrderAndSpaceOrEnterPressesTheFocusedOne) {
  EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDC_ABOUT));  // the first control at start-up
  std::vector<int> order;
  for (int i = 0; i < 40 && (order.empty() || GetFocus() != GetDlgItem(hwnd, IDC_ABOUT)); ++i) {
    order.push_back(GetDlgCtrlID(GetFocus()));
    Key(WM_KEYDOWN, VK_TAB);
  }
  std::vector<int> expected = {IDC_ABOUT, IDC_MINIMISE, IDC_CLOSE, IDC_PRESET_DOWN};
  for (int id = IDC_PRESET1; id <= IDC_PRESET12; ++id) expected.push_back(id);
  for (int id : {IDC_PRESET_UP, IDC_SETTINGS, IDC_MUTE, IDC_VOLUME, IDC_SEEK_DOWN, IDC_TUNE_DOWN, IDC_TUNE_UP, IDC_SEEK_UP,
                 IDC_STEREO, IDC_AM, IDC_FM, IDC_RECORD, IDC_PLAYBACK, IDC_SAVE_PRESET, IDC_TIMER_SETTINGS})
    expected.push_back(id);
  EXPECT_EQ(order, expected);
  // The keyboard has been used: the focus is marked.
  EXPECT_NE(GetPropA(hwnd, kFocusMarkProperty), nullptr);

  SetFocus(GetDlgItem(hwnd, IDC_MUTE));
  VARIANT focus;
  ASSERT_EQ(acc->get_accFocus(&focus), S_OK);
  EXPECT_EQ(Name(focus.lVal), "Mute");
  Key(WM_KEYDOWN, VK_SPACE);
  Key(WM_KEYUP, VK_SPACE);
  EXPECT_TRUE(app->Radio().Muted());
  EXPECT_TRUE(State(Find("Mute")) & STATE_SYSTEM_PRESSED);
  SetFocus(GetDlgItem(hwnd, IDC_STEREO));
  Key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(app->Radio().Stereo(), 0);
  EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDC_STEREO));
  // A dialog opened and closed: the focus is back where it was.
  SetTimer(nullptr, 0, 50, EscapeAboutBox);
  SendCommand(hwnd, IDC_ABOUT);
  EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDC_STEREO));
}

}  // namespace
