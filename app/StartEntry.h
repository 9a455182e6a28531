#pragma once
// Whether the current user's log-on start ("Run" value) starts this very copy of the program, and
// what Explorer's Startup apps switch (its "StartupApproved" record of the same name) says about
// it. Plain rules over the values' text and bytes; app/win32/StartWithWindows reads and writes the
// registry. Paths are UTF-16 on Windows (wchar_t); natively wchar_t is wider and holds the same
// letters.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/PathText.h"

// True when the command line `command` (a Run value, environment variables already expanded)
// starts the program `exe`: after any leading blanks, either `exe` in double quotes, or `exe`
// unquoted followed by the end or a blank; arguments after it do not matter. A quote that is never
// closed, an empty command or an empty `exe` names nothing.
bool StartCommandNames(std::wstring_view command, std::wstring_view exe);

// True when Explorer's StartupApproved record switches the entry off: its first byte is odd
// (02 or 06 on, 03 or 07 off, followed by the time it was switched off). An empty record does not.
bool StartupApprovedDisables(std::span<const uint8_t> record);

// The record that switches an entry back on as Explorer itself does: `record`'s first byte with its
// off bit cleared (so 03 becomes 02 and 07 becomes 06, keeping the flags Explorer set), then eleven
// zero bytes where the time of switching off was.
std::array<uint8_t, 12> StartupApprovedEnabled(std::span<const uint8_t> record);
