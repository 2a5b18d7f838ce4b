// Frames, sprites and animation playback; drawing is checked on a real window's pixels.
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Animation.h"
#include "DisplayManager.h"
#include "Sprite.h"
#include "WorldManager.h"
#include "test_support.h"

// Xlib's macros clash with other headers, so it comes last.
#include <X11/Xlib.h>

namespace {

using wd::Vector;

// "frame:count " for each of `draws` draws: the frame drawn, then the slowdown count.
std::string playback(wd::Animation* p_animation, int draws) {
  std::string trace;
  for (int i = 0; i < draws; i++) {
    trace += std::to_string(p_animation->getIndex()) + ":";
    p_animation->draw(Vector(10, 10));
    trace += std::to_string(p_animation->getSlowdownCount()) + " ";
  }
  return trace;
}

std::vector<float> boxOf(const wd::Animation& animation) {
  const wd::Box box = animation.getBox();
  return {box.getCorner().getX(), box.getCorner().getY(), box.getHorizontal(), box.getVertical()};
}

// A capacity is a limit, not an allocation: two billion frames cost nothing.
// AddressSanitizer reports any read outside a string or the frames.
TEST(SpriteTest, CapacityIsALimitAndDrawingStaysInBounds) {
  wd::Sprite sprite(2);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "b")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "c")), -1);
  EXPECT_EQ(sprite.getFrame(1).getString(), "b");
  for (int index : {-1, 2, INT_MIN}) {
    const wd::Frame frame = sprite.getFrame(index);
    EXPECT_TRUE(frame.getString().empty() && frame.getWidth() == 0 && frame.getHeight() == 0) << index;
    EXPECT_EQ(sprite.draw(index, Vector()), -1) << index;
  }
  EXPECT_EQ(wd::Sprite(-5).addFrame(wd::Frame(1, 1, "a")), -1);
  wd::Sprite huge(2000000000);
  EXPECT_EQ(huge.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(huge.draw(1999999999, Vector()), 0);  // an unfilled slot draws nothing
  EXPECT_EQ(wd::Frame().draw(Vector(5, 5), wd::RED), -1);
  for (const wd::Frame& frame : {wd::Frame(3, 2, "ab"), wd::Frame(-3, 2, "abc"), wd::Frame(INT_MAX, INT_MAX, "x")}) {
    EXPECT_EQ(frame.draw(Vector(1, 1), wd::RED), 0) << frame.getWidth();
  }
}

// State set from outside neither reads outside the sprite nor overflows
// (UndefinedBehaviorSanitizer reports signed overflow).
TEST(AnimationTest, SlowdownFreezeBoxAndOutOfRangeState) {
  wd::Animation animation;
  EXPECT_EQ(animation.draw(Vector(1, 1)), -1);
  EXPECT_EQ(boxOf(animation), (std::vector<float>{-0.5f, -0.5f, 0.99f, 0.99f}));
  wd::Sprite sprite(2);
  sprite.setWidth(5);
  sprite.setHeight(4);
  sprite.setSlowdown(3);
  sprite.addFrame(wd::Frame(1, 1, "a"));
  sprite.addFrame(wd::Frame(1, 1, "b"));
  animation.setSprite(&sprite);
  EXPECT_EQ(boxOf(animation), (std::vector<float>{-2.5f, -2.0f, 5.0f, 4.0f}));
  EXPECT_EQ(playback(&animation, 7), "0:1 0:2 0:0 1:1 1:2 1:0 0:1 ");
  // A count of -1 freezes the animation.
  animation.setIndex(1);
  animation.setSlowdownCount(-1);
  EXPECT_EQ(animation.draw(Vector()), -1);
  EXPECT_EQ(playback(&animation, 1), "1:-1 ");
  animation.setSlowdownCount(2);
  EXPECT_EQ(playback(&animation, 2), "1:0 0:1 ");
  // Slowdowns 0, 1 and below all change frame on every draw.
  for (int slowdown : {0, 1, -4}) {
    sprite.setSlowdown(slowdown);
    EXPECT_EQ(playback(&animation, 2), "0:0 1:0 ") << slowdown;
  }
  for (int index : {2, 1000, INT_MAX}) {
    animation.setIndex(index);
    EXPECT_EQ(playback(&animation, 2), std::to_string(index) + ":0 0:0 ") << index;
  }
  animation.setSlowdownCount(INT_MAX);
  EXPECT_EQ(playback(&animation, 2), "1:0 0:0 ");
}

using Cells = std::set<std::pair<int, int>>;

// The cells among the first 20 x 20 whose middle shows the colour (glyphs may overhang, not that far).
Cells cellsIn(sf::Color color) {
  const sf::Image image = wd::DisplayManager::getInstance().captureFrame();
  Cells cells;
  for (int cell = 0; cell < 400; cell++) {
    const int left = static_cast<int>(static_cast<float>(cell % 20) * wd::cellWidth()) + 3;
    const int top = static_cast<int>(static_cast<float>(cell / 20) * wd::cellHeight()) + 5;
    for (int p = 0; p < 40; p++) {
      if (image.getPixel(static_cast<unsigned>(left + p % 5), static_cast<unsigned>(top + p / 5)) == color) {
        cells.insert({cell % 20, cell / 20});
      }
    }
  }
  return cells;
}

TEST(FrameDrawTest, FramesAreCentredOnTheirPosition) {
  // One connection held throughout keeps an X server without -noreset from resetting.
  Display* p_keep_alive = XOpenDisplay(nullptr);
  if (p_keep_alive == nullptr || !wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X server";
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  ASSERT_EQ(display.startUp(), 0);
  wd::WorldManager::getInstance().setView(wd::Box(Vector(0, 0), 100, 50));
  display.swapBuffers();
  EXPECT_EQ(wd::Frame(3, 1, "###").draw(Vector(5, 5), wd::CYAN), 0);
  wd::Frame(4, 2, "########").draw(Vector(10, 10), wd::RED);
  EXPECT_EQ(cellsIn(sf::Color::Cyan), (Cells{{4, 5}, {5, 5}, {6, 5}}));
  EXPECT_EQ(cellsIn(sf::Color::Red), (Cells{{8, 9}, {9, 9}, {10, 9}, {11, 9}, {8, 10}, {9, 10}, {10, 10}, {11, 10}}));
  display.shutDown();
  XCloseDisplay(p_keep_alive);
}

}  // namespace
