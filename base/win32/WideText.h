#pragma once
// Text between encodings, converted whole so that a double-byte character is never split. Empty
// for an empty text or one that cannot be converted.

#include <string>

// Text of the ANSI code page (names and paths as the registry and the dialogs keep them, 932 on a
// Japanese system) as Windows' UTF-16.
std::wstring WideFromAnsi(const std::string& text);

// UTF-16 as UTF-8, for messages and what tests print.
std::string Utf8FromWide(const std::wstring& text);
