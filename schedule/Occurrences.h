#pragma once
// The one place where the sixteen reservations become occurrences: one recording of one
// reservation on one date, with its start and stop as instants. The tick, the catch-up after a
// start-up, a resume, a clock step or the receiver's return, the missed report, the wake timer,
// Windows' task and the after-action's look-ahead all ask this plan; nothing else works out
// when a reservation records.
//
// Start and stop are wall-clock times of the reservation's own date, turned into instants by the
// calendar at the moment they are asked for: a daylight-saving change or a new time zone moves
// every occurrence after it with it. An occurrence's state only moves on: once done, missed or
// failed it never records again, and a reservation's "LASTSTART" (the latest start taken, by this
// run or an earlier one) only moves forward, so a clock set back does not record a start twice.

#include <cstdint>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "schedule/ScheduleTable.h"
#include "schedule/SchedulerPorts.h"

struct Occurrence {
  size_t index = 0;    // reservation 0..15
  LocalTime start;     // its local start: names the file and is its "LASTSTART" stamp
  int64_t startAt = 0;  // instants on the calendar's scale
  int64_t stopAt = 0;
  int64_t StartCivil() const { return CivilSeconds(start); }
  bool Holds(int64_t at) const { return startAt <= at && at < stopAt; }
  friend bool operator==(const Occurrence& a, const Occurrence& b) {
    return a.index == b.index && a.StartCivil() == b.StartCivil();
  }
};

enum class OccurrenceState {
  Pending,    // its start has not been taken
  Recording,  // its recording runs
  Cut,        // it recorded or was due, and stopped before its stop (receiver away, capture lost,
              // standby, a start that failed and is tried again): it goes on when it can
  Done,       // ended at its stop, by hand, handed over, or taken by an earlier run
  Missed,     // its time passed without a recording
  Failed,     // it cannot record (its file cannot be written, its starts kept failing)
};

// The occurrences of the ON reservations whose local start lies in [fromCivil, toCivil] (civil
// seconds of local time), by start and, within a second, by reservation. A one-date reservation's
// occurrence counts up to `oneDateTo` instead, when that is later: it has only one, however far.
std::vector<Occurrence> OccurrencesBetween(const ScheduleTable& table, int64_t fromCivil, int64_t toCivil,
                                           ISchedulerClock& calendar, int64_t oneDateTo = 0);

class OccurrencePlan {
 public:
  explicit OccurrencePlan(ISchedulerClock& calendar) : calendar_(calendar) {}

  // A schedule loaded anew: the states of this run's occurrences stay, and a reservation's
  // latest start never goes back, whatever its key says.
  void SetTable(const ScheduleTable& table);
  const ScheduleTable& Table() const { return table_; }

  // The occurrence that should be recording at `now` (an instant; `nowLocal` is the same moment
  // on the wall clock): of those whose [start, stop) holds now and that are pending, cut or
  // recording, the latest start wins, and within one second the lowest reservation. None when
  // nothing holds now.
  std::optional<Occurrence> Due(int64_t now, const LocalTime& nowLocal) const;
  // The pending occurrences starting after `now`, up to eight days ahead (a weekly reservation of
  // today's weekday whose start has passed comes next week), the earliest first.
  std::vector<Occurrence> Upcoming(int64_t now, const LocalTime& nowLocal) const;
  std::optional<Occurrence> Next(int64_t now, const LocalTime& nowLocal) const;
  // Pending occurrences whose start lies in (afterCivil, nowLocal] and whose stop has come:
  // missed. They are marked so, oldest first.
  std::vector<Occurrence> TakeMissed(int64_t afterCivil, int64_t now, const LocalTime& nowLocal);
  // Occurrences starting in the same second as `o` that yield to it (a higher reservation):
  // marked done.
  std::vector<Occurrence> TakeYielding(const Occurrence& o);

  OccurrenceState State(const Occurrence& o) const;
  // Moves `o` on at instant `at`; a done, missed or failed occurrence stays as it is (false
  // then). Every move takes the reservation's start (its "LASTSTART" moves forward, never back).
  bool Move(const Occurrence& o, OccurrenceState state, int64_t at = 0);
  // When `o` last changed state (a cut: when its recording stopped).
  int64_t Since(const Occurrence& o) const;
  // Whether `o` has recorded at all in this run (a start after a cut is a resume).
  bool Recorded(const Occurrence& o) const;

  // The after-action of an occurrence is owed once it recorded or was due, and runs once, after
  // its stop; a stop by hand or a hand-over lets it go.
  void OweAfterAction(const Occurrence& o, bool owed);
  // The occurrences that owe their after-action and whose time is over (stop passed, or ended
  // at it): each returned once, and no longer owed.
  std::vector<Occurrence> TakeAfterActions(int64_t now);

  // Failed starts (or captures lost soon after a start) of a cut occurrence, and when it may be
  // tried again (monotonic ms). `fresh` counts this one as the first.
  int Tries(const Occurrence& o) const;
  void CountTry(const Occurrence& o, uint64_t retryAtMs, bool fresh = false);
  bool MayTry(const Occurrence& o, uint64_t nowMs) const;

  // The latest start taken of reservation k ("YYYYMMDDHHMMSS"); empty when none.
  const std::string& LastStart(size_t k) const { return lastStart_[k]; }
  // Whether the reservation's latest start moved since asked last (its key needs writing).
  bool TakeLastStartChanged(size_t k) { return std::exchange(lastStartChanged_[k], false); }

  // Forgets the occurrences whose stop lies more than two days before `now`.
  void Prune(int64_t now);

 private:
  struct Entry {
    Occurrence occurrence;
    OccurrenceState state = OccurrenceState::Pending;
    int64_t since = 0;
    bool recorded = false;
    bool afterActionOwed = false;
    int tries = 0;
    uint64_t retryAtMs = 0;
  };
  using Key = std::pair<size_t, int64_t>;
  static Key KeyOf(const Occurrence& o) { return {o.index, o.StartCivil()}; }
  // `anyDate`: one-date occurrences however far ahead.
  std::vector<Occurrence> Around(const LocalTime& nowLocal, int64_t daysBack, int64_t daysAhead,
                                 bool anyDate = false) const;
  void Take(const Occurrence& o);

  ISchedulerClock& calendar_;
  ScheduleTable table_{};
  std::map<Key, Entry> entries_;
  std::array<std::string, 16> lastStart_{};
  std::array<bool, 16> lastStartChanged_{};
};
