// Frames, sprites and animation playback; the drawing cases read the pixels
// of a real window back.
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Animation.h"
#include "DisplayManager.h"
#include "Frame.h"
#include "LogManager.h"
#include "Sprite.h"
#include "WorldManager.h"
#include "test_support.h"

namespace {

// A sprite of count frames of width x height, each filled with one letter
// ('a' for frame 0, 'b' for frame 1, ...).
wd::Sprite* newSprite(int count, int width, int height, int slowdown) {
  wd::Sprite* p_sprite = new wd::Sprite(count);
  p_sprite->setWidth(width);
  p_sprite->setHeight(height);
  p_sprite->setSlowdown(slowdown);
  for (int i = 0; i < count; i++) {
    p_sprite->addFrame(
        wd::Frame(width, height, std::string(static_cast<std::size_t>(width * height), 'a' + i)));
  }
  return p_sprite;
}

TEST(FrameTest, HoldsItsValuesAndEmptyMeansAbsent) {
  const wd::Frame empty;
  EXPECT_EQ(empty.getWidth(), 0);
  EXPECT_EQ(empty.getHeight(), 0);
  EXPECT_EQ(empty.getString(), "");
  EXPECT_EQ(empty.draw(wd::Vector(5, 5), wd::RED), -1);

  wd::Frame frame(3, 1, "(o)");
  frame.setWidth(1);
  frame.setHeight(3);
  frame.setString("abc");
  EXPECT_EQ(frame.getWidth(), 1);
  EXPECT_EQ(frame.getHeight(), 3);
  EXPECT_EQ(frame.getString(), "abc");
}

// Frames whose size disagrees with their string must stay inside the string
// (AddressSanitizer reports any read beyond it) and must not loop for ages.
TEST(FrameTest, DrawingAMalformedFrameStaysInsideItsString) {
  EXPECT_EQ(wd::Frame(3, 2, "ab").draw(wd::Vector(1, 1), wd::RED), 0);
  EXPECT_EQ(wd::Frame(-3, 2, "abc").draw(wd::Vector(1, 1), wd::RED), 0);
  EXPECT_EQ(wd::Frame(3, -2, "abc").draw(wd::Vector(1, 1), wd::RED), 0);
  EXPECT_EQ(wd::Frame(INT_MAX, INT_MAX, "x").draw(wd::Vector(1, 1), wd::RED), 0);
}

TEST(SpriteTest, NewSpriteDefaults) {
  const wd::Sprite sprite(2);
  EXPECT_EQ(sprite.getColor(), wd::WHITE);
  EXPECT_EQ(sprite.getSlowdown(), 0);
  EXPECT_EQ(sprite.getLabel(), "");
  EXPECT_EQ(sprite.getFrameCount(), 0);
  EXPECT_EQ(sprite.getWidth(), 0);
  EXPECT_EQ(sprite.getHeight(), 0);
}

TEST(SpriteTest, CapacityLimitsAddedFrames) {
  wd::Sprite sprite(2);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "b")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "c")), -1);
  EXPECT_EQ(sprite.getFrameCount(), 2);
  EXPECT_EQ(sprite.getFrame(1).getString(), "b");

  for (int index : {-1, 2, INT_MIN, INT_MAX}) {
    const wd::Frame frame = sprite.getFrame(index);
    EXPECT_EQ(frame.getString(), "") << index;
    EXPECT_EQ(frame.getWidth(), 0) << index;
    EXPECT_EQ(frame.getHeight(), 0) << index;
  }

  wd::Sprite negative(-5);
  EXPECT_EQ(negative.addFrame(wd::Frame(1, 1, "a")), -1);
  EXPECT_EQ(negative.getFrameCount(), 0);
}

// A capacity of two billion frames would need tens of gigabytes up front.
TEST(SpriteTest, HugeCapacityCostsNothingUntilFramesArrive) {
  wd::Sprite sprite(2000000000);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(sprite.getFrame(0).getString(), "a");
  EXPECT_EQ(sprite.draw(1999999999, wd::Vector(0, 0)), 0);
}

TEST(SpriteTest, DrawRefusesSlotsOutsideTheSprite) {
  wd::Sprite sprite(3);
  sprite.addFrame(wd::Frame(1, 1, "a"));
  EXPECT_EQ(sprite.draw(0, wd::Vector(0, 0)), 0);
  EXPECT_EQ(sprite.draw(1, wd::Vector(0, 0)), 0);  // an unfilled slot draws nothing
  EXPECT_EQ(sprite.draw(3, wd::Vector(0, 0)), -1);
  EXPECT_EQ(sprite.draw(-1, wd::Vector(0, 0)), -1);
  EXPECT_EQ(wd::Sprite().draw(0, wd::Vector(0, 0)), -1);
  EXPECT_EQ(wd::Sprite(0).draw(0, wd::Vector(0, 0)), -1);
}

// Frames drawn by successive draws, and the slowdown count after each.
std::pair<std::vector<int>, std::vector<int>> playback(wd::Animation* p_animation, int draws) {
  std::vector<int> frames;
  std::vector<int> counts;
  for (int i = 0; i < draws; i++) {
    frames.push_back(p_animation->getIndex());
    p_animation->draw(wd::Vector(10, 10));
    counts.push_back(p_animation->getSlowdownCount());
  }
  return {frames, counts};
}

TEST(AnimationTest, FreshAnimationDrawsNothing) {
  wd::Animation animation;
  EXPECT_EQ(animation.getSprite(), nullptr);
  EXPECT_EQ(animation.getName(), "");
  EXPECT_EQ(animation.draw(wd::Vector(1, 1)), -1);
  EXPECT_EQ(animation.getIndex(), 0);
  const wd::Box box = animation.getBox();
  EXPECT_FLOAT_EQ(box.getCorner().getX(), -0.5f);
  EXPECT_FLOAT_EQ(box.getCorner().getY(), -0.5f);
  EXPECT_FLOAT_EQ(box.getHorizontal(), 0.99f);
  EXPECT_FLOAT_EQ(box.getVertical(), 0.99f);
}

TEST(AnimationTest, SlowdownHoldsEachFrame) {
  wd::Sprite* p_sprite = newSprite(2, 1, 1, 3);
  wd::Animation animation;
  animation.setSprite(p_sprite);
  const auto [frames, counts] = playback(&animation, 7);
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 0, 1, 1, 1, 0}));
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));

  // Slowdowns 0, 1 and below all change frame on every draw.
  for (int slowdown : {0, 1, -4}) {
    wd::Sprite* p_fast = newSprite(3, 1, 1, slowdown);
    wd::Animation fast;
    fast.setSprite(p_fast);
    EXPECT_EQ(playback(&fast, 5).first, (std::vector<int>{0, 1, 2, 0, 1})) << slowdown;
    delete p_fast;
  }
  wd::Sprite* p_still = newSprite(1, 1, 1, 0);
  wd::Animation still;
  still.setSprite(p_still);
  EXPECT_EQ(playback(&still, 3).first, (std::vector<int>{0, 0, 0}));
  delete p_still;
  delete p_sprite;
}

TEST(AnimationTest, FreezeAndSetSprite) {
  wd::Sprite* p_sprite = newSprite(3, 1, 1, 2);
  wd::Animation animation;
  animation.setSprite(p_sprite);
  animation.setIndex(2);
  animation.setSlowdownCount(1);
  animation.setSprite(p_sprite);
  EXPECT_EQ(animation.getIndex(), 0);
  EXPECT_EQ(animation.getSlowdownCount(), 1);

  animation.setIndex(1);
  animation.setSlowdownCount(-1);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(animation.draw(wd::Vector(0, 0)), -1);
  }
  EXPECT_EQ(animation.getIndex(), 1);
  EXPECT_EQ(animation.getSlowdownCount(), -1);
  animation.setSlowdownCount(1);
  EXPECT_EQ(animation.draw(wd::Vector(0, 0)), 0);
  EXPECT_EQ(animation.getIndex(), 2);
  delete p_sprite;
}

// Indexes and counts set from outside must neither read outside the sprite
// nor overflow (UndefinedBehaviorSanitizer reports signed overflow).
TEST(AnimationTest, OutOfRangeStateWrapsSafely) {
  wd::Sprite* p_sprite = newSprite(2, 1, 1, 0);
  wd::Animation animation;
  animation.setSprite(p_sprite);
  for (int index : {2, 1000, INT_MAX}) {
    animation.setIndex(index);
    EXPECT_EQ(animation.draw(wd::Vector(0, 0)), 0) << index;
    EXPECT_EQ(animation.getIndex(), 0) << index;
  }
  animation.setIndex(-2);
  animation.draw(wd::Vector(0, 0));
  EXPECT_EQ(animation.getIndex(), -1);
  animation.setIndex(0);
  animation.setSlowdownCount(INT_MAX);
  EXPECT_EQ(animation.draw(wd::Vector(0, 0)), 0);
  EXPECT_EQ(animation.getSlowdownCount(), 0);
  EXPECT_EQ(animation.getIndex(), 1);
  delete p_sprite;
}

TEST(AnimationTest, BoxIsCentredOnTheOrigin) {
  const std::vector<std::pair<int, int>> sizes = {{5, 3}, {4, 2}, {1, 1}};
  for (const auto& [width, height] : sizes) {
    wd::Sprite* p_sprite = newSprite(1, width, height, 0);
    wd::Animation animation;
    animation.setSprite(p_sprite);
    const wd::Box box = animation.getBox();
    EXPECT_FLOAT_EQ(box.getCorner().getX(), -width / 2.0f);
    EXPECT_FLOAT_EQ(box.getCorner().getY(), -height / 2.0f);
    EXPECT_FLOAT_EQ(box.getHorizontal(), static_cast<float>(width));
    EXPECT_FLOAT_EQ(box.getVertical(), static_cast<float>(height));
    delete p_sprite;
  }
}

// Drawing into a real window and reading which cells took the colour.
class FrameDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wd_test::displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
    wd::LogManager::getInstance().startUp();
    ASSERT_EQ(display().startUp(), 0);
    wd::WorldManager::getInstance().setView(wd::Box(wd::Vector(0, 0), 100, 50));
    display().swapBuffers();
  }

  void TearDown() override { display().shutDown(); }

  static wd::DisplayManager& display() { return wd::DisplayManager::getInstance(); }

  // The cells of the rows and columns 0..19 whose middle shows the colour.
  static std::set<std::pair<int, int>> cellsIn(sf::Color color) {
    const sf::Image image = display().captureFrame();
    std::set<std::pair<int, int>> cells;
    for (int y = 0; y < 20; y++) {
      for (int x = 0; x < 20; x++) {
        if (middleShows(image, x, y, color)) {
          cells.insert({x, y});
        }
      }
    }
    return cells;
  }

  // True when a pixel near the cell's middle has the colour; glyphs reach
  // beyond their cell's edges, never into the neighbour's middle.
  static bool middleShows(const sf::Image& image, int x, int y, sf::Color color) {
    const int left = static_cast<int>(static_cast<float>(x) * wd::cellWidth());
    const int top = static_cast<int>(static_cast<float>(y) * wd::cellHeight());
    for (int py = top + 5; py < top + 13; py++) {
      for (int px = left + 3; px < left + 8; px++) {
        if (image.getPixel(static_cast<unsigned>(px), static_cast<unsigned>(py)) == color) {
          return true;
        }
      }
    }
    return false;
  }

  // The cells of a block of the given size with its upper-left cell at (x, y).
  static std::set<std::pair<int, int>> block(int x, int y, int width, int height) {
    std::set<std::pair<int, int>> cells;
    for (int row = y; row < y + height; row++) {
      for (int column = x; column < x + width; column++) {
        cells.insert({column, row});
      }
    }
    return cells;
  }
};

TEST_F(FrameDrawTest, FramesAreCentredOnTheirPosition) {
  EXPECT_EQ(wd::Frame(3, 1, "###").draw(wd::Vector(5, 5), wd::CYAN), 0);
  EXPECT_EQ(cellsIn(sf::Color::Cyan), block(4, 5, 3, 1));
  display().swapBuffers();

  EXPECT_EQ(wd::Frame(4, 2, "########").draw(wd::Vector(10, 10), wd::RED), 0);
  EXPECT_EQ(cellsIn(sf::Color::Red), block(8, 9, 4, 2));
  display().swapBuffers();

  EXPECT_EQ(wd::Frame(1, 1, "#").draw(wd::Vector(7, 3), wd::GREEN), 0);
  EXPECT_EQ(cellsIn(sf::Color::Green), block(7, 3, 1, 1));
  display().swapBuffers();
}

// A space is drawn like any character: it paints over what was there.
TEST_F(FrameDrawTest, SpacesHideWhatLiesBelow) {
  wd::Frame(5, 3, std::string(15, '#')).draw(wd::Vector(5, 5), wd::YELLOW);
  wd::Frame(3, 1, "# #").draw(wd::Vector(5, 5), wd::MAGENTA);
  std::set<std::pair<int, int>> yellow = block(3, 4, 5, 3);
  yellow.erase({4, 5});
  yellow.erase({5, 5});
  yellow.erase({6, 5});
  EXPECT_EQ(cellsIn(sf::Color::Yellow), yellow);
  EXPECT_EQ(cellsIn(sf::Color::Magenta), (std::set<std::pair<int, int>>{{4, 5}, {6, 5}}));
  display().swapBuffers();
}

TEST_F(FrameDrawTest, SpriteDrawsInItsColour) {
  wd::Sprite* p_sprite = newSprite(2, 3, 3, 0);
  p_sprite->setColor(wd::BLUE);
  wd::Animation animation;
  animation.setSprite(p_sprite);
  animation.setIndex(1);
  EXPECT_EQ(animation.draw(wd::Vector(12, 12)), 0);
  EXPECT_EQ(cellsIn(sf::Color::Blue), block(11, 11, 3, 3));
  display().swapBuffers();
  delete p_sprite;
}

}  // namespace
