#pragma once
// Names as the system stores them: text of the ANSI code page. On a double-byte code page (932
// on a Japanese system) a character may take two bytes whose second is '\', '|' or any other
// byte from 0x40 up, so names are filtered, cut and trimmed by character, never by byte.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Which bytes begin a two-byte character. Single-byte code pages have none.
class ICodePage {
 public:
  virtual ~ICodePage() = default;
  virtual bool IsLeadByte(unsigned char byte) const = 0;
};

// The code page names are stored in by this process (Windows: the system's ANSI code page;
// elsewhere single-byte). Lives for the whole process.
const ICodePage& AnsiCodePage();

// A code page given by its lead bytes, filled once.
class LeadByteTable : public ICodePage {
 public:
  bool IsLeadByte(unsigned char byte) const override { return lead_[byte]; }

 protected:
  void SetLead(unsigned char byte, bool lead) { lead_[byte] = lead; }

 private:
  std::array<bool, 256> lead_{};
};

// Bytes of the character at `at`: 2 for a lead byte with a byte after it, else 1. A lead byte
// that ends the text (cut data) stands alone.
size_t CharacterLength(const ICodePage& codePage, std::string_view text, size_t at);

// The longest start of `text` of at most `maxBytes` bytes that does not split a character.
std::string CutToBytes(const ICodePage& codePage, std::string_view text, size_t maxBytes);
