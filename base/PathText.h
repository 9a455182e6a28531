#pragma once
// File names compared as Windows compares them: letter by letter, letter case aside. Shared by
// the log-on entry's and the reservation task's checks that an entry starts this very copy.

#include <string_view>

// The upper-case letter a file name comparison puts in place of `letter`, as Windows compares
// file names without regard to case. Covered: ASCII, Latin-1, Latin Extended-A, the Greek letters
// (with tonos and dialytika) and Cyrillic (U+0400..U+04FF); every other character stands for
// itself, so a folder in another script compares exactly and at worst shows the entry as not ours.
wchar_t PathLetterUpper(wchar_t letter);

// True when `a` and `b` name the same path as Windows compares names: letter by letter, case aside.
bool SamePathText(std::wstring_view a, std::wstring_view b);
