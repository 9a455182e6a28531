#pragma once
// The priorities the program runs at, asked for once by the process entry (and by the soaks that
// stand in for it): the process at HIGH, the window thread one step above normal within it.
//
// Not REALTIME and TIME_CRITICAL: an elevated copy (or Wine's user, who counts as an
// administrator) would get them, and SetPriorityClass's documentation warns that a REALTIME
// process can keep disk caches from flushing and the mouse from moving; a TIME_CRITICAL window
// thread would also starve the capture thread and the writer it waits for. HIGH is what a
// standard user's copy obtained anyway when it asked for REALTIME.

#include <windows.h>

inline constexpr DWORD kProgramPriorityClass = HIGH_PRIORITY_CLASS;
inline constexpr int kWindowThreadPriority = THREAD_PRIORITY_ABOVE_NORMAL;

// Either may be refused: the program runs on regardless.
inline void RaiseProgramPriority() {
  SetPriorityClass(GetCurrentProcess(), kProgramPriorityClass);
  SetThreadPriority(GetCurrentThread(), kWindowThreadPriority);
}
