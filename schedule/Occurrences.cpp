#include "schedule/Occurrences.h"

#include <algorithm>
#include <limits>

#include "schedule/ScheduleReport.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int64_t kDay = 86400;
// Starts further back than this are not looked for (as the missed report never did).
constexpr int64_t kLookBackSeconds = 366 * kDay;

int64_t TimeOfDay(const std::string& hhmmss) {
  auto field = [&](size_t at) { return int64_t{StrToIntLike(hhmmss.substr(at, 2))}; };
  return field(0) * 3600 + field(2) * 60 + field(4);
}

int64_t FloorDay(int64_t civil) { return civil / kDay - (civil % kDay < 0 ? 1 : 0); }

// A stored "LASTSTART" as the stamp it is, or nothing: text of any other shape counts as none.
std::string ValidStamp(const std::string& text) {
  LocalTime t;
  return ParseStamp(text, t) ? text : std::string();
}

// The first instant at which the clock shows `civil` or later. A time the clock skips (the hour
// of a spring-forward change) is the moment of the change, whatever the calendar makes of it.
int64_t InstantOf(int64_t civil, ISchedulerClock& calendar) {
  const int64_t at = calendar.LocalToSeconds(CivilTime(civil));
  if (CivilSeconds(calendar.SecondsToLocal(at)) == civil) return at;
  int64_t low = at - 2 * 3600, high = at + 2 * 3600;
  if (CivilSeconds(calendar.SecondsToLocal(low)) >= civil || CivilSeconds(calendar.SecondsToLocal(high)) < civil)
    return at;  // no change near: what the calendar says
  while (high - low > 1) {
    const int64_t mid = low + (high - low) / 2;
    (CivilSeconds(calendar.SecondsToLocal(mid)) >= civil ? high : low) = mid;
  }
  return high;
}

bool Terminal(OccurrenceState s) {
  return s == OccurrenceState::Done || s == OccurrenceState::Missed || s == OccurrenceState::Failed;
}

}  // namespace

std::vector<Occurrence> OccurrencesBetween(const ScheduleTable& table, int64_t fromCivil, int64_t toCivil,
                                           ISchedulerClock& calendar, int64_t oneDateTo) {
  std::vector<Occurrence> found;
  auto add = [&](size_t k, int64_t civil) {
    const ScheduleEntry& e = table[k];
    const LocalTime start = CivilTime(civil);
    if (!IsDueAt(e, start)) return;
    Occurrence o;
    o.index = k;
    o.start = start;
    o.startAt = InstantOf(civil, calendar);
    // The stop is a wall-clock time: across a daylight-saving change the recording lasts until
    // the clock shows it, an hour more or less than the plain count. A calendar that cannot
    // tell, or tells more than an hour's change, gives the plain count.
    const int64_t plain = o.startAt + int64_t{e.duration};
    const int64_t stopAt = InstantOf(civil + e.duration, calendar);
    o.stopAt = stopAt > o.startAt && stopAt >= plain - 3600 && stopAt <= plain + 3600 ? stopAt : plain;
    found.push_back(o);
  };
  if (toCivil < fromCivil) return found;
  for (size_t k = 0; k < table.size(); ++k) {
    const ScheduleEntry& e = table[k];
    // The loader keeps a reservation ON only with real times (and date).
    if (!e.active || e.start.size() != 6) continue;
    if (!e.weekly) {
      const int64_t civil = CivilSeconds({StrToIntLike(e.date.substr(0, 4)), StrToIntLike(e.date.substr(4, 2)),
                                          StrToIntLike(e.date.substr(6, 2)), 0, 0, 0, 0}) +
                            TimeOfDay(e.start);
      if (civil >= fromCivil && civil <= std::max(toCivil, oneDateTo)) add(k, civil);
      continue;
    }
    for (int64_t day = FloorDay(fromCivil); day <= FloorDay(toCivil); ++day) {
      const int64_t civil = day * kDay + TimeOfDay(e.start);
      if (civil >= fromCivil && civil <= toCivil) add(k, civil);
    }
  }
  // By start, and within a second by reservation.
  std::stable_sort(found.begin(), found.end(), [](const Occurrence& a, const Occurrence& b) {
    return a.StartCivil() != b.StartCivil() ? a.StartCivil() < b.StartCivil() : a.index < b.index;
  });
  return found;
}

void OccurrencePlan::SetTable(const ScheduleTable& table) {
  table_ = table;
  for (size_t k = 0; k < table_.size(); ++k) {
    const std::string stored = ValidStamp(table_[k].lastStart);
    if (stored > lastStart_[k]) lastStart_[k] = stored;
    // The key says less than this run knows (it could not be written, or was reset): write it.
    else if (stored != lastStart_[k]) lastStartChanged_[k] = true;
  }
}

std::vector<Occurrence> OccurrencePlan::Around(const LocalTime& nowLocal, int64_t daysBack, int64_t daysAhead,
                                               bool anyDate) const {
  const int64_t now = CivilSeconds(nowLocal);
  return OccurrencesBetween(table_, now - daysBack * kDay, now + daysAhead * kDay, calendar_,
                            anyDate ? std::numeric_limits<int64_t>::max() : 0);
}

OccurrenceState OccurrencePlan::State(const Occurrence& o) const {
  const auto it = entries_.find(KeyOf(o));
  if (it != entries_.end()) return it->second.state;
  return StampText(o.start) <= lastStart_[o.index] && !lastStart_[o.index].empty() ? OccurrenceState::Done
                                                                                    : OccurrenceState::Pending;
}

void OccurrencePlan::Take(const Occurrence& o) {
  const std::string stamp = StampText(o.start);
  if (stamp <= lastStart_[o.index]) return;
  lastStart_[o.index] = stamp;
  lastStartChanged_[o.index] = true;
}

bool OccurrencePlan::Move(const Occurrence& o, OccurrenceState state, int64_t at) {
  if (Terminal(State(o)) || state == OccurrenceState::Pending) return false;
  Entry& entry = entries_[KeyOf(o)];
  entry.occurrence = o;
  entry.state = state;
  entry.since = at;
  if (state == OccurrenceState::Recording) entry.recorded = true;
  Take(o);
  return true;
}

bool OccurrencePlan::Recorded(const Occurrence& o) const {
  const auto it = entries_.find(KeyOf(o));
  return it != entries_.end() && it->second.recorded;
}

int64_t OccurrencePlan::Since(const Occurrence& o) const {
  const auto it = entries_.find(KeyOf(o));
  return it == entries_.end() ? o.startAt : it->second.since;
}

void OccurrencePlan::OweAfterAction(const Occurrence& o, bool owed) {
  const auto it = entries_.find(KeyOf(o));
  if (it != entries_.end()) it->second.afterActionOwed = owed;
}

std::vector<Occurrence> OccurrencePlan::TakeAfterActions(int64_t now) {
  std::vector<Occurrence> due;
  for (auto& [key, entry] : entries_) {
    if (!entry.afterActionOwed || entry.state == OccurrenceState::Recording) continue;
    // Ended at its stop (the monotonic count said so), or its stop has come on the calendar.
    if (entry.state != OccurrenceState::Done && now < entry.occurrence.stopAt) continue;
    entry.afterActionOwed = false;
    due.push_back(entry.occurrence);
  }
  return due;
}

std::optional<Occurrence> OccurrencePlan::Due(int64_t now, const LocalTime& nowLocal) const {
  std::optional<Occurrence> chosen;
  // The longest reservation is a day; a day more covers a zone or daylight-saving shift.
  for (const Occurrence& o : Around(nowLocal, 2, 1)) {
    if (!o.Holds(now)) continue;
    const OccurrenceState s = State(o);
    if (s != OccurrenceState::Pending && s != OccurrenceState::Cut && s != OccurrenceState::Recording) continue;
    // Later starts come later in the list; within a second the lower reservation stays.
    if (!chosen || o.startAt > chosen->startAt) chosen = o;
  }
  return chosen;
}

std::vector<Occurrence> OccurrencePlan::Upcoming(int64_t now, const LocalTime& nowLocal) const {
  std::vector<Occurrence> upcoming;
  for (const Occurrence& o : Around(nowLocal, 1, 8, true))
    if (o.startAt > now && State(o) == OccurrenceState::Pending) upcoming.push_back(o);
  std::stable_sort(upcoming.begin(), upcoming.end(),
                   [](const Occurrence& a, const Occurrence& b) { return a.startAt < b.startAt; });
  return upcoming;
}

std::optional<Occurrence> OccurrencePlan::Next(int64_t now, const LocalTime& nowLocal) const {
  const std::vector<Occurrence> upcoming = Upcoming(now, nowLocal);
  if (upcoming.empty()) return std::nullopt;
  return upcoming.front();
}

std::vector<Occurrence> OccurrencePlan::TakeMissed(int64_t afterCivil, int64_t now, const LocalTime& nowLocal) {
  const int64_t nowCivil = CivilSeconds(nowLocal);
  std::vector<Occurrence> missed;
  for (const Occurrence& o :
       OccurrencesBetween(table_, std::max(afterCivil, nowCivil - kLookBackSeconds) + 1, nowCivil, calendar_)) {
    if (o.stopAt > now || State(o) != OccurrenceState::Pending) continue;
    Move(o, OccurrenceState::Missed);
    missed.push_back(o);
  }
  return missed;
}

std::vector<Occurrence> OccurrencePlan::TakeYielding(const Occurrence& o) {
  std::vector<Occurrence> yielding;
  for (const Occurrence& other : OccurrencesBetween(table_, o.StartCivil(), o.StartCivil(), calendar_)) {
    if (other == o || State(other) != OccurrenceState::Pending) continue;
    Move(other, OccurrenceState::Done);
    yielding.push_back(other);
  }
  return yielding;
}

int OccurrencePlan::Tries(const Occurrence& o) const {
  const auto it = entries_.find(KeyOf(o));
  return it == entries_.end() ? 0 : it->second.tries;
}

void OccurrencePlan::CountTry(const Occurrence& o, uint64_t retryAtMs, bool fresh) {
  const auto it = entries_.find(KeyOf(o));
  if (it == entries_.end()) return;
  it->second.tries = fresh ? 1 : it->second.tries + 1;
  it->second.retryAtMs = retryAtMs;
}

bool OccurrencePlan::MayTry(const Occurrence& o, uint64_t nowMs) const {
  const auto it = entries_.find(KeyOf(o));
  return it == entries_.end() || nowMs >= it->second.retryAtMs;
}

void OccurrencePlan::Prune(int64_t now) {
  std::erase_if(entries_, [&](const auto& item) {
    const Entry& e = item.second;
    return e.state != OccurrenceState::Recording && !e.afterActionOwed && e.occurrence.stopAt < now - 2 * kDay;
  });
}
