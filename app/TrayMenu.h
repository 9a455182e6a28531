#pragma once
// What the tray menu shows in place of "Preset 1" .. "Preset12": the preset names of the band in
// use, read afresh each time the menu opens.

#include <array>
#include <cstdint>
#include <string>

#include "settings/AnsiText.h"

class SettingsStore;

// The menu's text buffer holds this many characters with its terminator.
constexpr size_t kTrayMenuTextChars = 100;

// A stored name as a menu item: trimmed, and cut to fit the text buffer without splitting a
// character of `codePage`. Never longer than kTrayMenuTextChars - 1 bytes.
std::string TrayMenuItemText(const std::string& storedName, const ICodePage& codePage = AnsiCodePage());

// The twelve names of `band` (0..2) in `region`; all empty for any other band.
std::array<std::string, 12> TrayPresetNames(SettingsStore& settings, uint8_t band, uint8_t region,
                                            const ICodePage& codePage = AnsiCodePage());
