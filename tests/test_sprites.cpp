// Frames, sprites, animation playback and view objects; drawing is checked on a real window's pixels.
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Animation.h"
#include "DisplayManager.h"
#include "EventStep.h"
#include "EventView.h"
#include "Sprite.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "test_support.h"

// Xlib's macros clash with other headers, so it comes last.
#include <X11/Xlib.h>

namespace {

using wd::Vector;
using wd::ViewObject;

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

void setView(float x, float y) { wd::WorldManager::getInstance().setView(wd::Box(Vector(x, y), 100, 50)); }

void expectAt(const ViewObject& view_object, float x, float y) {
  EXPECT_FLOAT_EQ(view_object.getPosition().getX(), x);
  EXPECT_FLOAT_EQ(view_object.getPosition().getY(), y);
}

TEST(ViewObjectTest, NinePlacesWithAndWithoutBorderFixedAtTheCall) {
  setView(0, 0);
  ViewObject view_object;
  expectAt(view_object, 50, 1);
  view_object.setBorder(false);
  expectAt(view_object, 50, 0);
  const float columns[] = {100.0f / 6, 50.0f, 500.0f / 6};
  const float rows[] = {1.0f, 125.0f / 6, 250.0f / 6};
  setView(20, 5);
  for (int border = 0; border < 2; border++) {
    view_object.setBorder(border == 1);
    for (int place = 0; place < 9; place++) {
      view_object.setLocation(static_cast<wd::Location>(place));
      SCOPED_TRACE("place " + std::to_string(place) + " border " + std::to_string(border));
      expectAt(view_object, 20 + columns[place % 3], 5 + (rows[place / 3] - 1 + border));
    }
  }
  setView(0, 0);
  expectAt(view_object, 20 + 500.0f / 6, 5 + 250.0f / 6);
  view_object.setLocation(static_cast<wd::Location>(9));
  expectAt(view_object, 0, 0);
  EXPECT_EQ(view_object.getLocation(), 9);
}

TEST(ViewObjectTest, ViewEventsWithTheCaptionChangeTheValue) {
  ViewObject view_object;
  view_object.setCaption("Points");
  const wd::EventView add("Points", 10, true), set("Points", 7, false), other("Score:", 10, true);
  const wd::EventStep step;
  wd::Event impostor;  // only claims to be a view event: must not be read as one
  impostor.setType("VIEW_EVENT");
  const wd::Event* events[] = {&add, &add, &set, &other, &step, &impostor};
  const int result_and_value[][2] = {{0, 10}, {0, 20}, {0, 7}, {-1, 7}, {-1, 7}, {-1, 7}};
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(view_object.handleEvent(events[i]), result_and_value[i][0]) << i;
    EXPECT_EQ(view_object.getValue(), result_and_value[i][1]) << i;
  }
  delete new wd::Object();  // which broadcasts a "Points" event
  EXPECT_EQ(view_object.getValue(), 17);
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

// Frames are centred on their position; a view object's text is centred on its position plus
// the boundary's corner.
TEST(DrawTest, FramesAndViewObjectsAreCentredOnTheirPositions) {
  // One connection held throughout keeps an X server without -noreset from resetting.
  Display* p_keep_alive = XOpenDisplay(nullptr);
  if (p_keep_alive == nullptr || !wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X server";
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  ASSERT_EQ(display.startUp(), 0);
  setView(0, 0);
  display.swapBuffers();
  EXPECT_EQ(wd::Frame(3, 1, "###").draw(Vector(5, 5), wd::CYAN), 0);
  wd::Frame(4, 2, "########").draw(Vector(10, 10), wd::RED);
  EXPECT_EQ(cellsIn(sf::Color::Cyan), (Cells{{4, 5}, {5, 5}, {6, 5}}));
  EXPECT_EQ(cellsIn(sf::Color::Red), (Cells{{8, 9}, {9, 9}, {10, 9}, {11, 9}, {8, 10}, {9, 10}, {10, 10}, {11, 10}}));

  wd::WorldManager::getInstance().setBoundary(wd::Box(Vector(2, 1), 100, 50));
  ViewObject view_object;
  view_object.setCaption("Score:");
  view_object.setValue(30);
  view_object.setColor(wd::CYAN);
  for (bool border : {true, false}) {
    view_object.setBorder(border);
    display.swapBuffers();
    EXPECT_EQ(view_object.draw(), 0);
    const sf::Image drawn = display.captureFrame();
    display.swapBuffers();
    display.drawString(view_object.getPosition() + Vector(2, 1), border ? " Score: 30 " : "Score: 30",
                       wd::ALIGN_CENTER, wd::CYAN);
    EXPECT_EQ(wd_test::compareImages(drawn, display.captureFrame()).pixels, 0) << border;
    EXPECT_GT(wd_test::litPixels(drawn), 500);
  }
  display.shutDown();
  XCloseDisplay(p_keep_alive);
}

}  // namespace
