#include "app/win32/WindowAnnouncer.h"

#include <algorithm>
#include <string>
#include <tuple>

#include "app/DisplayLayout.h"
#include "app/win32/MainAccessible.h"
#include "app/win32/MainSkin.h"
#include "resources/resource.h"

void WindowAnnouncer::Attach(FactsSource facts) {
  facts_ = std::move(facts);
  // Where the readout is, so that a reader that looks for the live region finds it there.
  announcer_.Create(Hwnd(), IDC_ANNOUNCEMENT, POINT{display::kReadoutRect.left, display::kReadoutRect.top},
                    IDC_NOTIFICATIONS, UiaEntryPoints::Find(uiaModule_));
  // A listener meets the window as it is; what changes from here on is said (the receiver's
  // station once the deferred start has brought it up, not the "no receiver" before it).
  gate_.Settle(accessible::SituationOf(facts_(false)));
  for (auto [label, id, name] : {std::tuple{&volumeLabel_, IDC_VOLUME, "Volume"},
                                 std::tuple{&positionLabel_, IDC_POSITION, "Position"}})
    label->Attach(GetDlgItem(Hwnd(), id), name,
                  [this, id] { return accessible::Describe(id, facts_(false), true).value; });
}

void WindowAnnouncer::NoteChange() {
  if (pending_ || !Hwnd()) return;
  pending_ = PostMessageA(Hwnd(), kMessage, 0, 0) != FALSE;
}

void WindowAnnouncer::AnnounceChanges() {
  pending_ = false;
  const accessible::Facts facts = facts_(false);
  const accessible::Situation now = accessible::SituationOf(facts);
  if (!IsWindowVisible(Hwnd())) gate_.Settle(now);
  else Say(gate_.Offer(now, clock_.NowMs()));
  TellPressedStates(facts);
}

void WindowAnnouncer::FlushBurst() {
  ::KillTimer(Hwnd(), kTimer);
  if (!IsWindowVisible(Hwnd())) gate_.Settle(accessible::SituationOf(facts_(false)));
  else Say(gate_.Flush(clock_.NowMs()));
}

void WindowAnnouncer::Detach() {
  if (IsWindowVisible(Hwnd())) {
    AnnounceChanges();
    Say(gate_.Flush(UINT64_MAX));
  }
  ::KillTimer(Hwnd(), kTimer);
  announcer_.Destroy();
}

void WindowAnnouncer::Say(const std::string& text) {
  announcer_.Announce(text);
  if (const std::optional<uint64_t> due = gate_.DueMs()) {
    const uint64_t now = clock_.NowMs();
    const uint64_t wait = *due > now ? *due - now : 0;
    ::SetTimer(Hwnd(), kTimer, static_cast<UINT>(std::max<uint64_t>(wait, USER_TIMER_MINIMUM)), nullptr);
  }
}

void WindowAnnouncer::TellPressedStates(const accessible::Facts& facts) {
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

void WindowAnnouncer::NameButtons(const accessible::Facts& facts) {
  for (int id : accessible::ReadingOrder()) {
    HWND control = GetDlgItem(Hwnd(), id);
    if (!control || id == IDC_VOLUME || id == IDC_POSITION) continue;
    const std::string name = accessible::ButtonName(id, facts);
    if (name.empty()) continue;
    // A button's text is read with its '&' taken for a mnemonic ("R&B" would be "RB"): doubled,
    // it reads as typed.
    std::string text;
    for (char c : name) {
      text += c;
      if (c == '&') text += '&';
    }
    if (ControlText(Hwnd(), id) != text) SetWindowTextA(control, text.c_str());
  }
}
