#pragma once
// Names of the preset values of a band's preset key.

#include <cstdio>
#include <string>

// "CH%02d_ID" / "CH%02d_FRQ" for preset n.
inline std::string PresetValueName(int n, const char* suffix) {
  char name[24];
  std::snprintf(name, sizeof name, "CH%02d_%s", n, suffix);
  return name;
}
