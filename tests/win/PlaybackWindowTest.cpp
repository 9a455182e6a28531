// Recorded files played through the real main window under Wine: a recording the window made
// of the rig's "FM Radio" source, chosen in the real Open dialog, replaces the live graph,
// shows its texts and position, answers Mute, and gives the radio back at its end; long and
// damaged files set the slider and the rate text. Wine renders MP3 with its GStreamer bridge.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/win32/MainDlg.h"
#include "app/win32/PlaybackPart.h"
#include "audio/AudioPreparation.h"
#include "audio/Recorder.h"
#include "audio/win32/LiveGraph.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "resources/resource.h"
#include "settings/MemoryKeyValueTree.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/AudioWineDecode.h"
#include "tests/win/MainWindowTestKit.h"

namespace {

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

std::string Folder() { return wine_decode::WindowsPath(wine_decode::UnixOutputFolder()); }

// A silent file of `seconds`: MPEG-2.5 Layer III frames of 8 kbit/s at 8 kHz (576 samples, 72
// bytes each), the smallest MPEG audio there is.
std::string WriteSilence(const std::string& name, double seconds) {
  const std::string path = Folder() + "\\" + name;
  std::ofstream out(path, std::ios::binary);
  std::vector<char> frame(72, 0);
  frame[0] = '\xFF', frame[1] = '\xE3', frame[2] = '\x18', frame[3] = '\xC4';
  const long frames = static_cast<long>(seconds * 8000 / 576) + 1;
  std::vector<char> block;
  for (long i = 0; i < frames; ++i) block.insert(block.end(), frame.begin(), frame.end());
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  return path;
}

int GraphState(IUnknown* graph) {
  ComPtr<IMediaControl> control;
  OAFilterState state = -1;
  if (!graph || FAILED(graph->QueryInterface(IID_PPV_ARGS(&control)))) return -1;
  control->GetState(2000, &state);
  return static_cast<int>(state);
}

// The live sound's state: the graph's where it connected (Windows), the wave-in monitor's where
// it did not (Wine, where the live object holds no graph then).
int LiveState(const DirectShowLiveAudio& live) {
  if (!live.UsesMonitor()) return GraphState(live.Graph());
  return live.Monitor().Running() ? State_Running : State_Stopped;
}

std::string Text(HWND dialog, int id) {
  char text[512] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// Delivers the thread's messages until `done` holds or `ms` have passed.
template <class Done>
bool PumpUntil(Done done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
  return true;
}

// Waits on another thread for the Open dialog on `uiThread`, notes its title and the name it
// offers, types `path` and presses Open.
struct OpenDialogAnswer {
  std::string title, offeredName;
  bool answered = false;
};

void AnswerOpenDialog(DWORD uiThread, HWND mainWindow, const std::string& path, OpenDialogAnswer& answer) {
  for (int i = 0; i < 1000 && !answer.answered; ++i) {
    Sleep(20);
    struct Search {
      HWND main, found = nullptr;
    } search{mainWindow};
    EnumThreadWindows(
        uiThread,
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          char cls[32] = {};
          GetClassNameA(w, cls, sizeof cls);
          if (w != s->main && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) continue;
    Sleep(300);  // the dialog fills its lists after it shows
    char text[512] = {};
    GetWindowTextA(search.found, text, sizeof text);
    answer.title = text;
    // The file name field: a combo box (cmb13) in the Explorer look, an edit (edt1) before it.
    HWND name = GetDlgItem(search.found, 0x47c);
    if (!name) name = GetDlgItem(search.found, 0x480);
    if (!name) return;
    text[0] = 0;
    GetWindowTextA(name, text, sizeof text);
    answer.offeredName = text;
    SetWindowTextA(name, path.c_str());
    PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.found, IDOK)));
    answer.answered = true;
  }
}

class PlaybackWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyMainWindowRig(platform, receiver, 1);
    for (auto [name, value] : {std::pair{"COUNTRY", "2"}, {"FM", "1"}, {"FREQ", "7810"}, {"VOLUME", "80"},
                               {"MP3BPS", "2"}, {"AUTOSPEND", "0"}})
      PlantGeneral(tree, name, value);
    PlantGeneral(tree, "RECORDFOLDER", Folder());
  }
  void TearDown() override {
    app.reset();
    DrainQuit();
  }

  // The window as the process entry makes it, with the live graph over Wine's DirectShow and
  // the wave-in recorder, and the receiver brought up.
  void Open() {
    AppAdapters adapters = TestAdapters(platform, tree, clock);
    adapters.liveAudio = [this](std::function<bool()> receiverOpen) {
      auto graph = std::make_unique<DirectShowLiveAudio>(std::move(receiverOpen));
      live = graph.get();
      return graph;
    };
    adapters.recorder = WaveInRecorder();
    adapters.failures = &failures;
    adapters.playback = nullptr;  // the program's own
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    playback = &app->Playback();
    hwnd = app->MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(ShowAndBringUp(*app, hwnd));
  }
  void Command(int id) { SendCommand(hwnd, id); }
  bool Playing() const { return dlg->Window().Playing() != 0; }
  // Three seconds of the station, recorded by the window's own Record commands.
  std::string RecordThroughTheWindow() {
    std::filesystem::create_directories(Folder());
    Command(ID_REC_OPEN);
    EXPECT_EQ(app->Recording().IsRecording(), 1) << (failures.shown.empty() ? "" : failures.shown[0]);
    const std::string path = app->Recording().RecordingPath();
    PumpUntil([] { return false; }, 3000);
    Command(ID_STOP_NOW);
    EXPECT_EQ(app->Recording().IsRecording(), 0);
    // The stop does not wait for the file: its writer finishes it on a thread of its own.
    EXPECT_TRUE(app->Recorder()->WaitForWriters(10000).empty());
    return path;
  }

  ComApartment com;
  NotedFailures failures;
  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  MessageLoop loop;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  PlaybackPart* playback = nullptr;
  DirectShowLiveAudio* live = nullptr;
  HWND hwnd = nullptr;
};

TEST_F(PlaybackWindowTest, ARecordingChosenInTheOpenDialogPlaysInPlaceOfTheRadio) {
  Open();
  const std::string file = RecordThroughTheWindow();
  ASSERT_EQ(file.rfind(Folder() + "\\FM7810_", 0), 0u) << file;
  ASSERT_EQ(LiveState(*live), State_Running);

  OpenDialogAnswer answer;
  std::thread answering(AnswerOpenDialog, GetCurrentThreadId(), hwnd, file, std::ref(answer));
  Command(IDC_PLAYBACK);
  answering.join();
  ASSERT_TRUE(answer.answered) << "no Open dialog showed";
  EXPECT_EQ(answer.offeredName, "*.mp3");

  ASSERT_TRUE(Playing());
  EXPECT_EQ(playback->Control().PlayedPath(), file);
  EXPECT_EQ(Text(hwnd, IDC_TEXT_RATE), "128 Kbps");
  EXPECT_EQ(Text(hwnd, IDC_TEXT_TIME), "00:00:00 / 00:00:03");
  EXPECT_EQ(Text(hwnd, IDC_TEXT_FILE), file);
  EXPECT_EQ(LiveState(*live), State_Stopped) << "the live sound gives way";
  EXPECT_EQ(GraphState(playback->Graph().Graph()), State_Running);
  for (int id : {IDC_SEEK_DOWN, IDC_TUNE_DOWN, IDC_TUNE_UP, IDC_SEEK_UP}) EXPECT_FALSE(Visible(hwnd, id)) << id;
  EXPECT_TRUE(Visible(hwnd, IDC_POSITION));
  EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_POSITION, TBM_GETRANGEMAX, 0, 0), 3);

  // Timer 80 moves the clock and the slider on with the file.
  EXPECT_TRUE(PumpUntil([&] { return Text(hwnd, IDC_TEXT_TIME).rfind("00:00:01", 0) == 0; }, 5000))
      << Text(hwnd, IDC_TEXT_TIME);
  EXPECT_GE(SendDlgItemMessageA(hwnd, IDC_POSITION, TBM_GETPOS, 0, 0), 1);

  // Mute stops the file and leaves the live sound alone; unmute runs the file again.
  Command(IDC_MUTE);
  EXPECT_EQ(GraphState(playback->Graph().Graph()), State_Stopped);
  EXPECT_EQ(LiveState(*live), State_Stopped);
  Command(IDC_MUTE);
  EXPECT_EQ(GraphState(playback->Graph().Graph()), State_Running);

  // The end of the file (message 1035) gives the radio back.
  ASSERT_TRUE(PumpUntil([&] { return !Playing(); }, 20000)) << "the file never ended";
  EXPECT_EQ(playback->Graph().Graph(), nullptr);
  EXPECT_EQ(LiveState(*live), State_Running);
  for (int id : {IDC_SEEK_DOWN, IDC_TUNE_DOWN, IDC_TUNE_UP, IDC_SEEK_UP}) EXPECT_TRUE(Visible(hwnd, id)) << id;
  EXPECT_FALSE(Visible(hwnd, IDC_POSITION));
  for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE}) EXPECT_EQ(Text(hwnd, id), "") << id;
  DeleteFileA(file.c_str());
}

TEST_F(PlaybackWindowTest, LongFilesJunkAndThePlayButtonStop) {
  Open();
  const std::string threeHours = WriteSilence("playback-3h.mp3", 3 * 3600);
  playback->Control().StartPlayback(threeHours);
  ASSERT_TRUE(Playing());
  EXPECT_EQ(Text(hwnd, IDC_TEXT_RATE), "8 Kbps");
  EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_POSITION, TBM_GETRANGEMAX, 0, 0), 10800) << Text(hwnd, IDC_TEXT_TIME);

  const std::string tenHours = WriteSilence("playback-10h.mp3", 10 * 3600);
  playback->Control().StartPlayback(tenHours);
  ASSERT_TRUE(Playing());
  EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_POSITION, TBM_GETRANGEMAX, 0, 0), 32767) << Text(hwnd, IDC_TEXT_TIME);
  EXPECT_EQ(Text(hwnd, IDC_TEXT_TIME), "00:00:00 / 10:00:00");
  // Seeking by the slider: each step stands for 36000 / 32767 seconds.
  SendDlgItemMessageA(hwnd, IDC_POSITION, TBM_SETPOS, TRUE, 16384);
  SendMessageA(hwnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 16384), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_POSITION)));
  EXPECT_EQ(Text(hwnd, IDC_TEXT_TIME), "05:00:00 / 10:00:00");
  EXPECT_EQ(GraphState(playback->Graph().Graph()), State_Paused);
  SendMessageA(hwnd, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_POSITION)));
  EXPECT_EQ(GraphState(playback->Graph().Graph()), State_Running);

  // A hundred bytes of junk hide the first frame from the scan, not from the player.
  std::vector<char> bytes(100, 'A');
  {
    std::ifstream in(threeHours, std::ios::binary);
    bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const std::string junk = Folder() + "\\playback-junk.mp3";
  std::ofstream(junk, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  playback->Control().StartPlayback(junk);
  if (Playing()) {
    EXPECT_EQ(Text(hwnd, IDC_TEXT_RATE), "0 Kbps");
  }

  // The Play button while a file plays ends it at once.
  playback->Control().StartPlayback(threeHours);
  ASSERT_TRUE(Playing());
  Command(IDC_PLAYBACK);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(playback->Graph().Graph(), nullptr);
  EXPECT_EQ(LiveState(*live), State_Running);
  EXPECT_EQ(Text(hwnd, IDC_TEXT_RATE), "");
  for (const std::string& f : {threeHours, tenHours, junk}) DeleteFileA(f.c_str());
}

}  // namespace
