#pragma once
// The record folder made when it is missing: at start-up, when the preferences are accepted, and
// when a reservation is about to record into it.

#include <string>

// True when `path` (ANSI code page) is a folder now, made if need be (its parent must exist).
// False when it cannot be made or a file has the name.
bool EnsureRecordFolder(const std::string& path);
