// Frames, sprites, animation playback and view objects (their drawing is checked with the display's);
// the sprite file reader and its registry are checked in test_rich_sprites.cpp.
#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Animation.h"
#include "EventStep.h"
#include "EventView.h"
#include "Sprite.h"
#include "ViewObject.h"
#include "WorldManager.h"

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

// Placed once, at the call, one row higher without a border; changed by view events of its caption only.
TEST(ViewObjectTest, NinePlacesWithAndWithoutBorderAndViewEvents) {
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
  view_object.setCaption("Points");
  const wd::EventView add("Points", 10, true), set("Points", 7, false), other("Score:", 10, true);
  const wd::EventStep step;
  wd::Event impostor;  // only claims to be a view event: must not be read as one
  impostor.setType("VIEW_EVENT");
  const std::vector<std::tuple<const wd::Event*, int, int>> events = {
      {&add, 0, 10}, {&add, 0, 20}, {&set, 0, 7}, {&other, -1, 7}, {&step, -1, 7}, {&impostor, -1, 7}};
  for (const auto& [p_event, result, value] : events) {
    EXPECT_EQ(view_object.handleEvent(p_event), result) << value;
    EXPECT_EQ(view_object.getValue(), value);
  }
  delete new wd::Object();  // which broadcasts a "Points" event
  EXPECT_EQ(view_object.getValue(), 17);
}

}  // namespace
