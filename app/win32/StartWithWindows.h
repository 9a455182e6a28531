#pragma once
// The current user's Run entry that starts Kestrune in the tray at log-on, as the installer's
// checkbox and the tray menu's "Start with Windows" write it, and Explorer's Startup apps switch
// for it. Everything that reaches Windows goes through the wide API: the program's folder may hold
// letters the ANSI code page lacks (a Cyrillic user name on a Western system).

#include <string>

// The key and value names are ASCII, the same in the wide and the ANSI API.
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Kestrune";
inline constexpr const wchar_t* kRunKeyW = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kRunValueW = L"Kestrune";
// Explorer's record of the Startup apps switch: a binary value named as the Run value.
inline constexpr const wchar_t* kStartupApprovedKeyW =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// This program's file as Windows started it, at any length.
std::wstring ThisProgramPath();
// "\"<exe>\" /tray".
std::wstring StartCommandFor(const std::wstring& exe);
// This program's command in UTF-8, for messages and tests that compare it with ASCII paths.
std::string StartWithWindowsCommand();

// True when the entry starts `exe` at log-on: the Run value names it (StartCommandNames) and
// Startup apps has not switched it off. A value naming another copy, or a moved one, is false.
bool StartsWithWindows(const std::wstring& exe = ThisProgramPath());

// on: writes the Run value for `exe` (over another copy's) and, when Startup apps had switched the
// entry off, switches it on again; a missing StartupApproved record stays missing (Windows starts
// such an entry). off: removes the Run value and its StartupApproved record when the value names
// `exe`; another copy's entry is left as it is. False when the registry refused a change.
bool SetStartWithWindows(bool on, const std::wstring& exe = ThisProgramPath());

// True when the command line asks for a start in the tray ("/tray", any letter case).
bool IsTrayStart(const char* commandLine);
