#include "base/PathText.h"

namespace {

bool Between(wchar_t c, wchar_t first, wchar_t last) { return c >= first && c <= last; }

// Blocks where capital and small letters alternate; `upperEven` says which of each pair is capital.
wchar_t PairUpper(wchar_t c, bool upperEven) {
  // The small letter follows its capital in both kinds of block.
  return ((c % 2) == 0) == upperEven ? c : static_cast<wchar_t>(c - 1);
}

}  // namespace

wchar_t PathLetterUpper(wchar_t c) {
  if (Between(c, L'a', L'z')) return static_cast<wchar_t>(c - 0x20);
  if (c < 0xE0) return c;
  // Latin-1: à..þ without ÷; ÿ's capital lives in Latin Extended-A.
  if (Between(c, 0xE0, 0xFE)) return c == 0xF7 ? c : static_cast<wchar_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  // Latin Extended-A: pairs, with the dotless i, kra, ŉ and long s standing alone (Windows' file
  // names do not fold them).
  if (Between(c, 0x100, 0x12F) || Between(c, 0x132, 0x137) || Between(c, 0x14A, 0x177)) return PairUpper(c, true);
  if (Between(c, 0x139, 0x148) || Between(c, 0x179, 0x17E)) return PairUpper(c, false);
  // Greek: the small letters sit 0x20 above the capitals; final sigma has no capital in Windows'
  // table; the letters with tonos are scattered.
  if (Between(c, 0x3B1, 0x3CB)) return c == 0x3C2 ? c : static_cast<wchar_t>(c - 0x20);
  if (c == 0x3AC) return 0x386;
  if (Between(c, 0x3AD, 0x3AF)) return static_cast<wchar_t>(c - 0x25);
  if (c == 0x3CC) return 0x38C;
  if (Between(c, 0x3CD, 0x3CE)) return static_cast<wchar_t>(c - 0x3F);
  // Cyrillic.
  if (Between(c, 0x430, 0x44F)) return static_cast<wchar_t>(c - 0x20);
  if (Between(c, 0x450, 0x45F)) return static_cast<wchar_t>(c - 0x50);
  if (Between(c, 0x460, 0x481) || Between(c, 0x48A, 0x4BF) || Between(c, 0x4D0, 0x4FF)) return PairUpper(c, true);
  if (Between(c, 0x4C1, 0x4CE)) return PairUpper(c, false);
  if (c == 0x4CF) return 0x4C0;
  return c;
}

bool SamePathText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (PathLetterUpper(a[i]) != PathLetterUpper(b[i])) return false;
  return true;
}
