#pragma once
// Whether this copy is the session's first, from what the system answered when it asked for the
// session's named lock.

enum class LockAnswer {
  Made,          // this copy made it
  AlreadyThere,  // opened: another copy made it
  Refused,       // access denied: another copy made it with a DACL this copy's token does not pass
                 // (one started as administrator)
  Failed,        // not made for another reason
};

// A lock that is there, opened or refused, is another copy's. A lock that could not be made at
// all keeps nobody from running.
constexpr bool IsFirstCopy(LockAnswer answer) {
  return answer == LockAnswer::Made || answer == LockAnswer::Failed;
}
