#include "input/MouseState.h"

#include <gtest/gtest.h>

namespace input {
namespace {

using namespace windowing;

Message mouseMessage(std::uint32_t id, int x = 0, int y = 0) {
  Message message;
  message.id = id;
  message.lParam = makePointParam(x, y);
  return message;
}

Message wheel(int delta) {
  Message message;
  message.id = kWmMouseWheel;
  message.wParam = static_cast<std::uintptr_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(delta))) << 16;
  return message;
}

struct MappingCase {
  int rawX;
  int rawY;
  ScreenMapping mapping;
  MousePoint expected;
};

TEST(MouseMappingTest, ClientPixelsToGamePixels) {
  const ScreenMapping fullHd{false, 1920, 1080, 640, 480};
  const ScreenMapping doubled{true, 1088, 832, 544, 416};
  const MappingCase cases[] = {
      {240, 0, fullHd, {0, 0}},
      {1679, 1079, fullHd, {639, 479}},
      {960, 540, fullHd, {320, 240}},
      {0, 0, fullHd, {0, 0}},  // on the left bar: clamped
      {1919, 540, fullHd, {639, 240}},
      {100, 101, doubled, {50, 50}},
      {-10, 2000, doubled, {-5, 1000}},  // windowed positions are not clamped
      {300, 200, ScreenMapping{true, 544, 416, 544, 416}, {300, 200}},
      {30, 40, ScreenMapping{false, 640, 480, 640, 480}, {30, 40}},
  };
  for (const MappingCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rawX << ", " << c.rawY);
    EXPECT_EQ(clientToScreen(c.rawX, c.rawY, c.mapping), c.expected);
  }
}

TEST(MouseStateTest, AClickBetweenUpdatesIsSeenForOneFrame) {
  MouseState mouse;
  mouse.handle(mouseMessage(kWmLButtonDown), {});
  mouse.handle(mouseMessage(kWmLButtonUp), {});
  mouse.swapRecords();
  EXPECT_TRUE(anyMasked(mouse.previous().down, kMouseLeft));
  EXPECT_TRUE(anyMasked(mouse.previous().up, kMouseLeft));
  EXPECT_FALSE(anyMasked(mouse.previous().down, kMouseRight | kMouseMiddle));
  EXPECT_FALSE(mouse.held(kMouseAny));
  mouse.swapRecords();
  EXPECT_EQ(mouse.previous(), MouseEvents{});
}

TEST(MouseStateTest, HeldButtonsAndDoubleClicks) {
  MouseState mouse;
  mouse.handle(mouseMessage(kWmRButtonDown), {});
  EXPECT_TRUE(mouse.held(kMouseRight));
  EXPECT_FALSE(mouse.held(kMouseLeft));
  mouse.handle(mouseMessage(kWmRButtonUp), {});
  mouse.handle(mouseMessage(kWmRButtonDblClk), {});
  mouse.swapRecords();
  EXPECT_TRUE(mouse.held(kMouseRight));
  EXPECT_EQ(mouse.previous().down[1], 1);
  EXPECT_EQ(mouse.previous().up[1], 0);  // the double click's down cleared the up before it
  EXPECT_EQ(mouse.previous().doubleClick[1], 1);
}

TEST(MouseStateTest, WheelSumsNotchesAndMovesConvertAtOnce) {
  MouseState mouse;
  mouse.handle(wheel(120), {});
  mouse.handle(wheel(120), {});
  mouse.handle(mouseMessage(kWmMouseMove, 100, 60), ScreenMapping{true, 1088, 832, 544, 416});
  EXPECT_EQ(mouse.position(), (MousePoint{50, 30}));
  mouse.swapRecords();
  EXPECT_EQ(mouse.previous().wheel, 240);
  EXPECT_EQ(mouse.previous().moved, 1);
  mouse.handle(wheel(-120), {});
  mouse.swapRecords();
  EXPECT_EQ(mouse.previous().wheel, -120);
}

TEST(MouseStateTest, SizeDivisorDividesRawPositionsAndRefusesZero) {
  MouseState mouse;
  EXPECT_FALSE(mouse.setSizeDivisor(0));
  EXPECT_FALSE(mouse.setSizeDivisor(-2));
  EXPECT_EQ(mouse.sizeDivisor(), 1);
  ASSERT_TRUE(mouse.setSizeDivisor(2));
  mouse.handle(mouseMessage(kWmMouseMove, 101, -7), ScreenMapping{true, 544, 416, 544, 416});
  EXPECT_EQ(mouse.position(), (MousePoint{50, -3}));
  mouse.handle(mouseMessage(kWmMouseMove, -10, -10), ScreenMapping{true, 544, 416, 544, 416});
  EXPECT_EQ(mouse.position(), (MousePoint{32763, -5})) << "x is divided unsigned, y signed";
}

}  // namespace
}  // namespace input
