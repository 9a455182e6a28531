#pragma once
// Text of the ANSI code page (names and paths as the registry and the dialogs keep them, 932 on a
// Japanese system) as Windows' UTF-16, converted whole so that a double-byte character is never
// split. Empty for an empty text or one the code page cannot convert.

#include <string>

std::wstring WideFromAnsi(const std::string& text);
