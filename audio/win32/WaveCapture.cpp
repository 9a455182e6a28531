#include "audio/win32/WaveCapture.h"

#include <chrono>

#include "audio/CaptureRules.h"

namespace am = audio_messages;

// ---- mixer ---------------------------------------------------------------------------------

namespace {

bool GetWaveInDestination(HMIXEROBJ mixer, MIXERLINEA& destination) {
  destination = MIXERLINEA{};
  destination.cbStruct = sizeof destination;
  destination.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
  return mixerGetLineInfoA(mixer, &destination, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) ==
         MMSYSERR_NOERROR;
}

}  // namespace

void WaveInMixer::Open() {
  std::lock_guard<std::mutex> guard(lock_);
  if (handle_) return;
  // Wine takes the number given to mixerOpen with MIXER_OBJECTF_WAVEIN as a mixer index, and the
  // output devices' mixers come first: ask for the wave-in device's own mixer id instead.
  UINT mixerId = 0;
  HMIXER mixer = nullptr;
  if (mixerGetID(reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(deviceId_)), &mixerId,
                 MIXER_OBJECTF_WAVEIN) != MMSYSERR_NOERROR ||
      mixerOpen(&mixer, mixerId, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR)
    throw AudioError(am::kCantOpenMixer);

  // A mixer without a wave-in destination is not a recording device's: it has no line to select.
  MIXERLINEA destination;
  if (!GetWaveInDestination(reinterpret_cast<HMIXEROBJ>(mixer), destination)) {
    mixerClose(mixer);
    throw AudioError(am::kMixerLineNotFound);
  }
  handle_ = mixer;
  lines_.clear();
  for (DWORD source = 0; source < destination.cConnections; ++source) {
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwDestination = destination.dwDestination;
    line.dwSource = source;
    if (mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(mixer), &line,
                          MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
      continue;
    if (line.dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER) continue;
    lines_.emplace_back(mixer, line);
  }
}

MixerSourceLine WaveInMixer::SourceLine(uint8_t position) {
  std::lock_guard<std::mutex> guard(lock_);
  if (position == 0 || position > lines_.size()) throw AudioError(am::kMixerLineNotFound);
  return lines_[position - 1];
}

size_t WaveInMixer::LineCount() {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_.size();
}

void WaveInMixer::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!handle_) return;
  lines_.clear();
  mixerClose(handle_);
  handle_ = nullptr;
}

void MixerSourceLine::SelectForRecording() const {
  const auto mixer = reinterpret_cast<HMIXEROBJ>(mixer_);
  MIXERLINEA destination;
  if (!GetWaveInDestination(mixer, destination) || destination.cControls == 0) return;

  std::vector<MIXERCONTROLA> controls(destination.cControls);
  MIXERLINECONTROLSA query{};
  query.cbStruct = sizeof query;
  query.dwLineID = destination.dwLineID;
  query.cControls = destination.cControls;
  query.cbmxctrl = sizeof(MIXERCONTROLA);
  query.pamxctrl = controls.data();
  if (mixerGetLineControlsA(mixer, &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) !=
      MMSYSERR_NOERROR)
    return;

  const MIXERCONTROLA* list = nullptr;
  for (const MIXERCONTROLA& control : controls) {
    if ((control.dwControlType & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_LIST) {
      list = &control;
      break;
    }
  }
  if (!list) return;

  MixerListControl selection;
  selection.singleSelect = list->dwControlType == MIXERCONTROL_CONTROLTYPE_SINGLESELECT ||
                           list->dwControlType == MIXERCONTROL_CONTROLTYPE_MUX;
  selection.channels = (list->fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : destination.cChannels;
  selection.items = (list->fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? list->cMultipleItems : 0;
  if (selection.items == 0 || selection.channels == 0) return;
  const size_t count = static_cast<size_t>(selection.channels) * selection.items;

  std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(count);
  std::vector<MIXERCONTROLDETAILS_BOOLEAN> values(count);
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = list->dwControlID;
  details.cChannels = selection.channels;
  details.cMultipleItems = selection.items;
  details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);
  details.paDetails = texts.data();
  // Errors of these queries leave the defaults (empty names, all off) in place, as before.
  mixerGetControlDetailsA(mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT);
  details.cbDetails = sizeof(MIXERCONTROLDETAILS_BOOLEAN);
  details.paDetails = values.data();
  mixerGetControlDetailsA(mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);

  for (size_t i = 0; i < count; ++i) {
    selection.itemNames.emplace_back(texts[i].szName, strnlen(texts[i].szName, sizeof texts[i].szName));
    selection.values.push_back(values[i].fValue);
  }
  SelectRecordingItem(selection, std::string(line_.szName, strnlen(line_.szName, sizeof line_.szName)));
  for (size_t i = 0; i < count; ++i) values[i].fValue = selection.values[i];
  mixerSetControlDetails(mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}

// ---- capture device ------------------------------------------------------------------------

WaveCaptureDevice::WaveCaptureDevice(UINT deviceId, const WAVEINCAPSA& caps, WaveInCalls calls)
    : deviceId_(deviceId), caps_(caps), calls_(calls), mixer_(deviceId) {
  threadReady_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
}

WaveCaptureDevice::~WaveCaptureDevice() {
  Stop();
  // Freed buffers in a driver's hands would be written over whatever takes their place.
  if (!ReleasedByDriverLocked()) buffers_.release();
  mixer_.Close();
}

bool WaveCaptureDevice::IsCapturing() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return wave_ != nullptr;
}

bool WaveCaptureDevice::HeldByDriver() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return !ReleasedByDriverLocked();
}

bool WaveCaptureDevice::ReleasedByDriverLocked() {
  // One more try: a driver may accept the close some time after refusing it.
  if (heldWave_ && calls_.close(heldWave_) == MMSYSERR_NOERROR) heldWave_ = nullptr;
  return heldWave_ == nullptr;
}

DWORD WINAPI WaveCaptureDevice::ThreadMain(void* self) {
  static_cast<WaveCaptureDevice*>(self)->RunThread();
  return 0;
}

void WaveCaptureDevice::RunThread() {
  MSG msg;
  // A thread has no message queue until it asks for one; the driver's first messages would be
  // lost without it.
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(threadReady_.Get());

  while (state_.load() == kStarting) Sleep(1);
  if (state_.load() == kOpenFailed) return;

  while (GetMessageA(&msg, nullptr, 0, 0) == 1) {
    switch (msg.message) {
      case MM_WIM_CLOSE:
        return;
      case MM_WIM_DATA: {
        auto* header = reinterpret_cast<WAVEHDR*>(msg.lParam);
        IReceiver* receiver = receiver_.load();
        if (header->dwBytesRecorded != 0 && receiver)
          receiver->Receive(reinterpret_cast<const uint8_t*>(header->lpData), header->dwBytesRecorded);
        // The buffer stays counted while it goes straight back, so that the count never
        // touches 0 while a stop's reset may still have one to return.
        if (state_.load() == kStopping ||
            calls_.addBuffer(reinterpret_cast<HWAVEIN>(msg.wParam), header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
          outstanding_.fetch_sub(1);  // back for good; one that cannot be re-queued drops out
        break;
      }
      default:
        break;
    }
  }
}

bool WaveCaptureDevice::CloseDevice() {
  // waveInClose refuses while buffers are queued; a device that has vanished may refuse for
  // ever, so the retries end after the same time-out as the wait for the buffers.
  const ULONGLONG deadline = GetTickCount64() + kReturnTimeoutMs;
  while (calls_.close(wave_) != MMSYSERR_NOERROR) {
    if (GetTickCount64() >= deadline) {
      heldWave_ = wave_;
      return false;
    }
    Sleep(1);
  }
  return true;
}

void WaveCaptureDevice::EndThread() {
  if (!thread_) return;
  // Normally MM_WIM_CLOSE has ended the loop; the quit message ends it when the driver is gone.
  // Both come after any data message still queued, so every block is delivered first.
  PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
  threadId_ = 0;
}

void WaveCaptureDevice::UnprepareHeaders(uint32_t count) {
  for (uint32_t i = count; i-- > 0;) waveInUnprepareHeader(wave_, &buffers_->headers[i], sizeof(WAVEHDR));
}

void WaveCaptureDevice::FailStart(const char* message) {
  CloseDevice();
  EndThread();
  wave_ = nullptr;
  receiver_.store(nullptr);
  throw AudioError(message);
}

void WaveCaptureDevice::Start(IReceiver* receiver) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (wave_) return;
  // The buffers of a capture whose driver never let go stay with that driver; this one gets new.
  if (!ReleasedByDriverLocked()) {
    buffers_.release();
    heldWave_ = nullptr;
  }
  receiver_.store(receiver);
  state_.store(kStarting);
  outstanding_.store(0);

  // The thread is joined by Stop (rather than left detached) so that it can never run on after
  // this object is gone.
  thread_.Reset(CreateThread(nullptr, 0, &WaveCaptureDevice::ThreadMain, this, 0, &threadId_));
  if (!thread_) {
    receiver_.store(nullptr);
    throw AudioError(am::kCantCreateThread);
  }
  WaitForSingleObject(threadReady_.Get(), INFINITE);

  HWAVEIN wave = nullptr;
  if (waveInOpen(&wave, deviceId_, &format_, threadId_, 0, CALLBACK_THREAD) != MMSYSERR_NOERROR) {
    state_.store(kOpenFailed);
    EndThread();
    receiver_.store(nullptr);
    throw AudioError(am::kCantOpenWaveIn);
  }
  wave_ = wave;
  state_.store(kRunning);

  if (!buffers_) {
    buffers_.reset(static_cast<BufferBlock*>(
        VirtualAlloc(nullptr, sizeof(BufferBlock), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
    if (!buffers_) FailStart(am::kCantAllocateBuffer);
  }
  for (uint32_t i = 0; i < kCaptureBufferCount; ++i) {
    WAVEHDR& header = buffers_->headers[i];
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(buffers_->data + i * kCaptureBufferBytes);
    header.dwBufferLength = kCaptureBufferBytes;
  }
  for (uint32_t i = 0; i < kCaptureBufferCount; ++i) {
    if (waveInPrepareHeader(wave_, &buffers_->headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      UnprepareHeaders(i);
      FailStart(i == 0 ? am::kErrorPreparingHeader1 : am::kErrorPreparingHeader2);
    }
  }
  for (uint32_t i = 0; i < kCaptureBufferCount; ++i) {
    outstanding_.fetch_add(1);
    if (calls_.addBuffer(wave_, &buffers_->headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR) continue;
    outstanding_.fetch_sub(1);
    if (i == 0) {
      UnprepareHeaders(kCaptureBufferCount);
      FailStart(am::kErrorQueueingHeader1);
    }
    // The stop waits only for the buffers the driver took.
    Stop();
    throw AudioError(am::kErrorQueueingHeader2);
  }
  if (calls_.start(wave_) != MMSYSERR_NOERROR) {
    Stop();
    throw AudioError(am::kErrorStartingRecord);
  }
}

void WaveCaptureDevice::Stop() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!wave_) return;
  state_.store(kStopping);
  waveInReset(wave_);
  // The driver hands every buffer it holds back through the thread; a vanished device may never
  // do so. A block the thread took just before the state changed may be re-queued after the
  // reset and would then never come back: resetting again now and then returns it too.
  unsigned slept = 0;
  WaitForReturn(outstanding_, std::chrono::milliseconds(kReturnTimeoutMs), [&] {
    Sleep(1);
    if (++slept % kResetRepeatMs == 0) waveInReset(wave_);
  });
  UnprepareHeaders(kCaptureBufferCount);
  const bool closed = CloseDevice();
  EndThread();
  wave_ = nullptr;
  receiver_.store(nullptr);
  if (!closed) return;  // the headers are the driver's until it lets go
  for (WAVEHDR& header : buffers_->headers) header.dwFlags = 0;
}

// ---- device list ---------------------------------------------------------------------------

namespace {

struct WaveCaptureDeviceList {
  std::mutex lock;
  bool enumerated = false;
  std::vector<std::shared_ptr<WaveCaptureDevice>> devices;
};

WaveCaptureDeviceList& List() {
  // Never destroyed: a capture still running at exit is not torn down by a static destructor.
  static WaveCaptureDeviceList* list = new WaveCaptureDeviceList;
  return *list;
}

bool UsableWaveIn(UINT id, WAVEINCAPSA& caps) {
  caps = WAVEINCAPSA{};
  return waveInGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR && (caps.dwFormats & WAVE_FORMAT_4S16);
}

void EnumerateLocked(WaveCaptureDeviceList& list) {
  if (list.enumerated) return;
  const UINT count = waveInGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    WAVEINCAPSA caps;
    if (UsableWaveIn(id, caps)) list.devices.push_back(std::make_shared<WaveCaptureDevice>(id, caps));
  }
  list.enumerated = true;
}

}  // namespace

void EnumerateWaveInDevices() {
  WaveCaptureDeviceList& list = List();
  std::lock_guard<std::mutex> guard(list.lock);
  EnumerateLocked(list);
}

std::shared_ptr<WaveCaptureDevice> FindWaveInDevice(const std::string& name) {
  WaveCaptureDeviceList& list = List();
  std::lock_guard<std::mutex> guard(list.lock);
  EnumerateLocked(list);
  for (const auto& device : list.devices)
    if (ProductNameMatches(device->ProductName(), name)) return device;
  throw AudioError(am::kDeviceNotFound);
}

void ClearWaveInDevices() {
  std::vector<std::shared_ptr<WaveCaptureDevice>> forgotten;
  {
    WaveCaptureDeviceList& list = List();
    std::lock_guard<std::mutex> guard(list.lock);
    forgotten.swap(list.devices);
    list.enumerated = false;
  }
  // Released outside the list lock: a device that goes stops its capture, which may wait up to
  // its time-out for the driver.
}

UINT FindWaveInId(const std::string& name) {
  const UINT count = waveInGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    WAVEINCAPSA caps;
    if (!UsableWaveIn(id, caps)) continue;
    if (ProductNameMatches(std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname)), name)) return id;
  }
  return WAVE_MAPPER;
}

std::vector<std::string> ListedWaveInDevices() {
  WaveCaptureDeviceList& list = List();
  std::lock_guard<std::mutex> guard(list.lock);
  EnumerateLocked(list);
  std::vector<std::string> names;
  for (const auto& device : list.devices) names.push_back(device->ProductName());
  return names;
}
