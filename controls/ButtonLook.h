#pragma once
// How a flat skinned dialog button looks in each state, and which buttons get skinned. Pure
// decisions; controls/win32/WzButtonImpl paints them.

#include <cstdint>
#include <string_view>

namespace controls {

using Colour = std::uint32_t;  // COLORREF 0x00BBGGRR

// The colours a button is built with; system colours are filled in by the caller.
struct ButtonPalette {
  Colour face = 0xDEDEDE;
  Colour hoverFace = 0xD5C82B;
  Colour text = 0xFF0000;
  Colour hoverText = 0;  // system highlight-text colour
  Colour frame = 0x3E80FE;
  Colour grayText = 0;        // system grey text
  Colour inactiveBorder = 0;  // system inactive border
};

struct ButtonState {
  bool disabled = false;
  bool pressed = false;
  bool hover = false;
  bool flat = true;
  bool flatFrame = true;
  bool flatSelectionMarks = true;
  bool selected = false;
  bool defaultButton = false;
};

enum class Edge { None, Sunken, Raised, FlatFrame };

struct ButtonLook {
  bool blackOuterFrame;  // non-flat selected/default: 1-pixel black frame, rest drawn inside
  Colour face;
  Colour text;
  Colour frame;
  Edge edge;
  bool captionOffset;    // pressed: caption one pixel right and down
  bool selectionMarks;   // two red rectangles one and two pixels inside
};

constexpr Colour kSelectionMarkColour = 0x0000FF;

ButtonLook ChooseButtonLook(const ButtonState& state, const ButtonPalette& palette);

// Push buttons only: class "Button" in any case, style bits 2 and 4 clear, and not both 1 and 8
// (push 0, default push 1 and user button 8 pass; check boxes, radios, group boxes do not).
bool IsSkinnablePushButton(std::string_view className, std::uint32_t style);

// Trackbar click-to-position. Returns the position for a click at client x, clamped to the range.
int SliderClickPosition(int minimum, int maximum, int x, int channelLeft, int channelRight, int clientLeft);

}  // namespace controls
