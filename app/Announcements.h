#pragma once
// What a screen reader is told without its focus moving: one short text when the station, band,
// preset, stereo, mute, a recording or a playback changes, and when. Readers speak such a text as
// it comes and queue the next one behind it, so a held arrow key must not leave a queue of
// stations behind: the first change of a burst is said at once, the rest wait until the window
// has been quiet for a moment and are then said once, as the burst ended. Plain data; app/win32
// hands the texts to the live region or the UI Automation notification.

#include <cstdint>
#include <optional>
#include <string>

#include "app/AccessibleView.h"

namespace accessible {

// The part of the window's state announcements are made of: no running times, no signal (it is
// read half a second after every tune and would only repeat the station).
struct Situation {
  std::string station;  // "FM 80.00 MHz, preset 2, Morning, stereo", or "no receiver"
  bool muted = false;
  bool recording = false;
  bool scheduled = false;   // the recording is a reservation's
  std::string reservation;  // its name
  std::uint16_t kbps = 0;
  std::string recordFile;  // file names, without their folders
  bool playing = false;
  std::string playFile;
  int volume = 0;  // the slider's level, said alone when nothing else changed
  bool operator==(const Situation&) const = default;
};

Situation SituationOf(const Facts& facts);

// What to say when `now` follows `before`: what started or ended first, then where the radio is
// ("Recording stopped, FM 80.00 MHz, preset 2, Morning, stereo"), or the volume when only it
// changed; "" when nothing a listener cares about changed.
std::string AnnouncementText(const Situation& before, const Situation& now);

// When to say it. Times are monotonic milliseconds. The caller offers the situation after each
// change it made and calls Flush once DueMs() has come.
class AnnouncementGate {
 public:
  explicit AnnouncementGate(std::uint64_t quietMs) : quietMs_(quietMs) {}

  // The text to say now, or "" (nothing changed, or a burst is running and waits for its end).
  std::string Offer(const Situation& now, std::uint64_t nowMs);
  // What a burst ended on, once the window has been quiet for the gate's time; "" before that,
  // or when the burst came back to what was said last.
  std::string Flush(std::uint64_t nowMs);
  // When Flush has something to do; none when nothing waits.
  std::optional<std::uint64_t> DueMs() const;
  // Nothing is said and `now` becomes what listeners know: while the window is hidden its events
  // reach nobody (the tray's notifications speak for it), and shown again it must not repeat
  // the night.
  void Settle(const Situation& now);

 private:
  std::uint64_t quietMs_;
  Situation spoken_;  // what listeners know
  Situation latest_;
  bool pending_ = false;
  std::uint64_t quietUntil_ = 0;
};

}  // namespace accessible
