#pragma once
// Typing rules of the two filtered edit fields. `ch` is the character of a WM_CHAR message.

#include <cstddef>
#include <string_view>

namespace controls {

constexpr char kBackspace = '\b';
constexpr std::size_t kNameLimit = 20;

// Numeric fields: digits, backspace, and one '.' in the whole text.
bool NumericEditAccepts(char ch, std::string_view currentText);
// Name fields: anything until the text holds kNameLimit characters; backspace always.
bool NameEditAccepts(char ch, std::size_t currentLength);

}  // namespace controls
