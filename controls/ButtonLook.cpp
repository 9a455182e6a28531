#include "controls/ButtonLook.h"

#include <algorithm>
#include <cctype>

namespace controls {

ButtonLook ChooseButtonLook(const ButtonState& s, const ButtonPalette& p) {
  ButtonLook look{};
  look.blackOuterFrame = !s.flat && (s.selected || s.defaultButton);
  if (s.disabled) {
    look.face = p.face;
    look.text = p.grayText;
    look.frame = p.inactiveBorder;
  } else if (s.hover || s.pressed) {
    look.face = p.hoverFace;
    look.text = p.hoverText;
    look.frame = p.frame;
  } else {
    look.face = p.face;
    look.text = p.text;
    look.frame = p.frame;
  }
  if (s.pressed)
    look.edge = Edge::Sunken;
  else if (!s.flat || s.hover)
    look.edge = Edge::Raised;
  else if (s.flatFrame)
    look.edge = Edge::FlatFrame;
  else
    look.edge = Edge::None;
  look.captionOffset = s.pressed;
  look.selectionMarks = s.selected && (!s.flat || s.flatSelectionMarks);
  return look;
}

bool IsSkinnablePushButton(std::string_view className, std::uint32_t style) {
  constexpr std::string_view kButton = "button";
  if (className.size() != kButton.size()) return false;
  for (std::size_t i = 0; i < kButton.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(className[i])) != kButton[i]) return false;
  const std::uint32_t type = style & 0xF;
  return (type & 0x6) == 0 && (type & 0x9) != 0x9;
}

int SliderClickPosition(int minimum, int maximum, int x, int channelLeft, int channelRight, int clientLeft) {
  const int width = channelRight - channelLeft;
  if (width <= 0 || maximum < minimum) return minimum;
  const double offset = static_cast<double>(x - channelLeft - clientLeft);
  const int pos = minimum + static_cast<int>(static_cast<double>(maximum - minimum) * offset / width);
  return std::clamp(pos, minimum, maximum);
}

}  // namespace controls
