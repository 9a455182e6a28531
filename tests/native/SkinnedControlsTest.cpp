// The skinned controls' plain logic: the button look table, the edit fields' filter and the slider's click.
#include <gtest/gtest.h>

#include <string>

#include "controls/ButtonLook.h"
#include "controls/EditFilter.h"

using namespace controls;

namespace {
std::string Type(const std::string& keys) {
  std::string text;
  for (char k : keys)
    if (NumericEditAccepts(k, text)) {
      if (k == kBackspace) {
        if (!text.empty()) text.pop_back();
      } else {
        text += k;
      }
    }
  return text;
}
}  // namespace

TEST(EditFilter, NumericTakesDigitsAndOnePoint) {
  EXPECT_EQ(Type("87..5"), "87.5");
  EXPECT_EQ(Type("1a2-b3 "), "123");
  EXPECT_EQ(Type("9.\b.5"), "9.5");
  EXPECT_TRUE(NumericEditAccepts(kBackspace, "1.2"));
}

TEST(EditFilter, NameStopsAtTwentyButKeepsBackspace) {
  EXPECT_TRUE(NameEditAccepts('x', 19));
  EXPECT_FALSE(NameEditAccepts('x', 20));
  EXPECT_FALSE(NameEditAccepts(' ', 25));
  EXPECT_TRUE(NameEditAccepts(kBackspace, 20));
}

TEST(ButtonLook, StateColoursEdgesAndMarks) {
  ButtonPalette p;
  p.hoverText = 0x111111;
  p.grayText = 0x808080;
  p.inactiveBorder = 0x222222;
  ButtonState s;
  ButtonLook l = ChooseButtonLook(s, p);
  EXPECT_EQ(l.face, 0xDEDEDEu);
  EXPECT_EQ(l.text, 0xFF0000u);
  EXPECT_EQ(l.edge, Edge::FlatFrame);
  EXPECT_FALSE(l.blackOuterFrame);

  s.hover = true;
  l = ChooseButtonLook(s, p);
  EXPECT_EQ(l.face, 0xD5C82Bu);
  EXPECT_EQ(l.text, 0x111111u);
  EXPECT_EQ(l.edge, Edge::Raised);

  s.disabled = true;  // grey text on the normal face whatever the hover
  l = ChooseButtonLook(s, p);
  EXPECT_EQ(l.face, 0xDEDEDEu);
  EXPECT_EQ(l.text, 0x808080u);
  EXPECT_EQ(l.frame, 0x222222u);

  s = {};
  s.pressed = true;
  l = ChooseButtonLook(s, p);
  EXPECT_EQ(l.edge, Edge::Sunken);
  EXPECT_TRUE(l.captionOffset);
  EXPECT_EQ(l.face, 0xD5C82Bu);

  s = {};
  s.flatFrame = false;
  EXPECT_EQ(ChooseButtonLook(s, p).edge, Edge::None);
  s.selected = true;
  EXPECT_TRUE(ChooseButtonLook(s, p).selectionMarks);
  s.flatSelectionMarks = false;
  EXPECT_FALSE(ChooseButtonLook(s, p).selectionMarks);
  s.flat = false;
  l = ChooseButtonLook(s, p);
  EXPECT_TRUE(l.selectionMarks);
  EXPECT_TRUE(l.blackOuterFrame);
  EXPECT_EQ(l.edge, Edge::Raised);
}

TEST(ButtonLook, OnlyPushButtonsAreSkinned) {
  EXPECT_TRUE(IsSkinnablePushButton("Button", 0x50010000));  // BS_PUSHBUTTON
  EXPECT_TRUE(IsSkinnablePushButton("BUTTON", 0x1));         // BS_DEFPUSHBUTTON
  EXPECT_TRUE(IsSkinnablePushButton("button", 0x8));         // BS_USERBUTTON
  for (unsigned type : {0x2u, 0x3u, 0x4u, 0x5u, 0x6u, 0x7u, 0x9u, 0xBu})  // checks, radios, group, owner-draw
    EXPECT_FALSE(IsSkinnablePushButton("Button", type)) << type;
  EXPECT_FALSE(IsSkinnablePushButton("Static", 0));
  EXPECT_FALSE(IsSkinnablePushButton("Buttons", 0));
}

TEST(SliderClick, PositionFromChannel) {
  EXPECT_EQ(SliderClickPosition(0, 100, 65, 10, 120, 0), 50);
  EXPECT_EQ(SliderClickPosition(0, 100, 10, 10, 120, 0), 0);
  EXPECT_EQ(SliderClickPosition(0, 100, 2, 10, 120, 0), 0);     // left of the channel
  EXPECT_EQ(SliderClickPosition(0, 100, 400, 10, 120, 0), 100);  // right of it
  EXPECT_EQ(SliderClickPosition(0, 100, 40, 10, 10, 0), 0);     // empty channel
  EXPECT_EQ(SliderClickPosition(0, 3, 74, 10, 120, 0), 1);      // truncated toward zero
}
