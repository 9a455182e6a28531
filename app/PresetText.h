#pragma once
// Names of the preset values and the trimming applied to stored texts.

#include <cstdio>
#include <string>

// "CH%02d_ID" / "CH%02d_FRQ" for preset n.
inline std::string PresetValueName(int n, const char* suffix) {
  char name[24];
  std::snprintf(name, sizeof name, "CH%02d_%s", n, suffix);
  return name;
}

// Blanks on both sides removed, as the stored names and numbers are read.
inline std::string TrimBlanks(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
