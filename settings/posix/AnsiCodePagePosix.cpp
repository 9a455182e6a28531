#include "settings/AnsiText.h"

namespace {

// The native build stores names as single bytes.
class SingleByteCodePage final : public ICodePage {
 public:
  bool IsLeadByte(unsigned char) const override { return false; }
};

}  // namespace

const ICodePage& AnsiCodePage() {
  static const SingleByteCodePage page;
  return page;
}
