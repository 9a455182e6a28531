#include "settings/AnsiText.h"

size_t CharacterLength(const ICodePage& codePage, std::string_view text, size_t at) {
  return codePage.IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

std::string CutToBytes(const ICodePage& codePage, std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + CharacterLength(codePage, text, end);
    if (next > maxBytes) break;
    end = next;
  }
  return std::string(text.substr(0, end));
}
