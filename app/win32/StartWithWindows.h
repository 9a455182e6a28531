#pragma once
// The current user's Run entry that starts Kestrune in the tray at log-on, as the installer's
// checkbox and the tray menu's "Start with Windows" write it.

#include <string>

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Kestrune";

// "\"<this program's path>\" /tray".
std::string StartWithWindowsCommand();
// True when the entry is there (whichever copy of the program it names).
bool StartsWithWindows();
// Writes the entry for this program, or removes it; false when the registry refused.
bool SetStartWithWindows(bool on);
// True when the command line asks for a start in the tray ("/tray", any letter case).
bool IsTrayStart(const char* commandLine);
