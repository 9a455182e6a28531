#include "app/Announcements.h"

#include "schedule/ScheduleTable.h"

namespace accessible {

namespace {

std::string Sound(const Situation& s) { return s.muted ? ", muted" : ""; }

std::string VolumeOnly(const Situation& before, const Situation& now) {
  if (before.volume == now.volume) return {};
  return "Volume " + std::to_string(now.volume) + " %";
}

// Where the radio is and whether it records, for a change of station or mute.
std::string Current(const Situation& s) {
  std::string text = s.station + Sound(s);
  if (s.recording) text += ", recording";
  return text;
}

std::string RecordingStarted(const Situation& s) {
  std::string text = s.scheduled ? "Scheduled recording " : "Recording ";
  if (s.scheduled && !s.reservation.empty()) text += s.reservation + " ";
  text += "started, " + s.station + Sound(s) + ", " + std::to_string(s.kbps) + " kbit/s, " + s.recordFile;
  return text;
}

std::string RecordingEnded(const Situation& before, const Situation& now) {
  std::string text = before.scheduled ? "Scheduled recording " : "Recording ";
  if (before.scheduled && !before.reservation.empty()) text += before.reservation + " ";
  text += before.scheduled ? "ended, " : "stopped, ";
  return text + now.station + Sound(now);
}

}  // namespace

Situation SituationOf(const Facts& facts) {
  Situation s;
  s.station = StationText(facts);
  s.muted = facts.muted;
  s.recording = facts.shown.recording;
  if (s.recording) {
    s.scheduled = facts.scheduled;
    s.reservation = facts.reservationName;
    s.kbps = facts.recordKbps;
    s.recordFile = FileNameOf(facts.recordFile);
  }
  s.volume = facts.volume;
  s.playing = facts.shown.playing;
  if (s.playing) s.playFile = FileNameOf(facts.playFile);
  return s;
}

std::string AnnouncementText(const Situation& before, const Situation& now) {
  if (now.playing) {
    if (before.playing && before.playFile == now.playFile && before.muted == now.muted) return VolumeOnly(before, now);
    return "Playing " + now.playFile + Sound(now);
  }
  if (before.playing) return "Playback stopped, " + Current(now);
  if (now.recording && (!before.recording || before.recordFile != now.recordFile)) return RecordingStarted(now);
  if (before.recording && !now.recording) return RecordingEnded(before, now);
  const std::string text = Current(now);
  return text == Current(before) ? VolumeOnly(before, now) : text;
}

std::string AnnouncementGate::Offer(const Situation& now, std::uint64_t nowMs) {
  if (now == latest_) return {};
  latest_ = now;
  if (pending_ || nowMs < quietUntil_) {
    // Inside a burst: only where it ends will be said.
    pending_ = true;
    quietUntil_ = nowMs + quietMs_;
    return {};
  }
  std::string text = AnnouncementText(spoken_, now);
  spoken_ = now;
  if (!text.empty()) quietUntil_ = nowMs + quietMs_;
  return text;
}

std::string AnnouncementGate::Flush(std::uint64_t nowMs) {
  if (!pending_ || nowMs < quietUntil_) return {};
  pending_ = false;
  std::string text = AnnouncementText(spoken_, latest_);
  spoken_ = latest_;
  if (!text.empty()) quietUntil_ = nowMs + quietMs_;
  return text;
}

std::optional<std::uint64_t> AnnouncementGate::DueMs() const {
  if (!pending_) return std::nullopt;
  return quietUntil_;
}

void AnnouncementGate::Settle(const Situation& now) {
  spoken_ = latest_ = now;
  pending_ = false;
}

}  // namespace accessible
