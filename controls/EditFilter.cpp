#include "controls/EditFilter.h"

namespace controls {

bool NumericEditAccepts(char ch, std::string_view text) {
  if (ch == kBackspace || (ch >= '0' && ch <= '9')) return true;
  return ch == '.' && text.find('.') == std::string_view::npos;
}

bool NameEditAccepts(char ch, std::size_t length) { return ch == kBackspace || length < kNameLimit; }

}  // namespace controls
