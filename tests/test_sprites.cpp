// Frames, sprites and animation playback; drawing is checked on the pixels
// of a real window.
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Animation.h"
#include "DisplayManager.h"
#include "LogManager.h"
#include "Sprite.h"
#include "WorldManager.h"
#include "test_support.h"

// Xlib's macros clash with other headers, so it comes last.
#include <X11/Xlib.h>

namespace {

// A sprite of count frames of width x height, frame i filled with 'a' + i.
wd::Sprite* newSprite(int count, int width, int height, int slowdown) {
  wd::Sprite* p_sprite = new wd::Sprite(count);
  p_sprite->setWidth(width);
  p_sprite->setHeight(height);
  p_sprite->setSlowdown(slowdown);
  for (int i = 0; i < count; i++) {
    p_sprite->addFrame(wd::Frame(width, height, std::string(static_cast<std::size_t>(width * height), 'a' + i)));
  }
  return p_sprite;
}

// Frames drawn by `draws` successive draws, and the slowdown count after each.
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

TEST(SpriteTest, CapacityLimitsFramesAndBadIndexesGiveNothing) {
  wd::Sprite sprite(2);
  EXPECT_EQ(sprite.getColor(), wd::WHITE);
  EXPECT_EQ(sprite.getSlowdown(), 0);
  EXPECT_EQ(sprite.getLabel(), "");
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "b")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "c")), -1);
  EXPECT_EQ(sprite.getFrameCount(), 2);
  EXPECT_EQ(sprite.getFrame(1).getString(), "b");
  for (int index : {-1, 2, INT_MIN}) {
    const wd::Frame frame = sprite.getFrame(index);
    EXPECT_TRUE(frame.getString().empty() && frame.getWidth() == 0 && frame.getHeight() == 0) << index;
  }
  EXPECT_EQ(wd::Sprite(-5).addFrame(wd::Frame(1, 1, "a")), -1);
}

// Two billion frames up front would take tens of gigabytes.
TEST(SpriteTest, HugeCapacityCostsNothingUntilFramesArrive) {
  wd::Sprite sprite(2000000000);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(sprite.draw(1999999999, wd::Vector(0, 0)), 0);
}

// AddressSanitizer reports any read outside a string or the frames.
TEST(SpriteTest, DrawingStaysInsideFramesAndStrings) {
  wd::Sprite sprite(3);
  sprite.addFrame(wd::Frame(1, 1, "a"));
  EXPECT_EQ(sprite.draw(1, wd::Vector(0, 0)), 0);  // an unfilled slot draws nothing
  EXPECT_EQ(sprite.draw(3, wd::Vector(0, 0)), -1);
  EXPECT_EQ(sprite.draw(-1, wd::Vector(0, 0)), -1);
  EXPECT_EQ(wd::Sprite().draw(0, wd::Vector(0, 0)), -1);
  EXPECT_EQ(wd::Sprite(0).draw(0, wd::Vector(0, 0)), -1);

  EXPECT_EQ(wd::Frame().draw(wd::Vector(5, 5), wd::RED), -1);
  EXPECT_EQ(wd::Frame(3, 2, "ab").draw(wd::Vector(1, 1), wd::RED), 0);
  EXPECT_EQ(wd::Frame(-3, 2, "abc").draw(wd::Vector(1, 1), wd::RED), 0);
  EXPECT_EQ(wd::Frame(INT_MAX, INT_MAX, "x").draw(wd::Vector(1, 1), wd::RED), 0);
}

TEST(AnimationTest, SlowdownHoldsEachFrame) {
  wd::Sprite* p_sprite = newSprite(2, 1, 1, 3);
  wd::Animation animation;
  EXPECT_EQ(animation.draw(wd::Vector(1, 1)), -1);
  animation.setSprite(p_sprite);
  const auto [frames, counts] = playback(&animation, 7);
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 0, 1, 1, 1, 0}));
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));
  delete p_sprite;

  // Slowdowns 0, 1 and below all change frame on every draw.
  for (int slowdown : {0, 1, -4}) {
    wd::Sprite* p_fast = newSprite(3, 1, 1, slowdown);
    wd::Animation fast;
    fast.setSprite(p_fast);
    EXPECT_EQ(playback(&fast, 5).first, (std::vector<int>{0, 1, 2, 0, 1})) << slowdown;
    delete p_fast;
  }
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
  EXPECT_EQ(animation.draw(wd::Vector(0, 0)), -1);
  EXPECT_EQ(animation.draw(wd::Vector(0, 0)), -1);
  EXPECT_EQ(animation.getIndex(), 1);
  EXPECT_EQ(animation.getSlowdownCount(), -1);
  animation.setSlowdownCount(1);
  EXPECT_EQ(animation.draw(wd::Vector(0, 0)), 0);
  EXPECT_EQ(animation.getIndex(), 2);
  delete p_sprite;
}

// Values set from outside neither read outside the sprite nor overflow
// (UndefinedBehaviorSanitizer reports signed overflow).
TEST(AnimationTest, OutOfRangeStateWrapsSafely) {
  wd::Sprite* p_sprite = newSprite(2, 1, 1, 0);
  wd::Animation animation;
  animation.setSprite(p_sprite);
  for (int index : {2, 1000, INT_MAX}) {
    animation.setIndex(index);
    EXPECT_EQ(animation.draw(wd::Vector(0, 0)), 0) << index;
    EXPECT_EQ(animation.getIndex(), 0) << index;
  }
  animation.setSlowdownCount(INT_MAX);
  EXPECT_EQ(animation.draw(wd::Vector(0, 0)), 0);
  EXPECT_EQ(animation.getSlowdownCount(), 0);
  EXPECT_EQ(animation.getIndex(), 1);
  delete p_sprite;
}

TEST(AnimationTest, BoxIsCentredOnTheOrigin) {
  const wd::Box none = wd::Animation().getBox();
  EXPECT_FLOAT_EQ(none.getCorner().getX(), -0.5f);
  EXPECT_FLOAT_EQ(none.getHorizontal(), 0.99f);
  wd::Sprite* p_sprite = newSprite(1, 5, 4, 0);
  wd::Animation animation;
  animation.setSprite(p_sprite);
  const wd::Box box = animation.getBox();
  EXPECT_FLOAT_EQ(box.getCorner().getX(), -2.5f);
  EXPECT_FLOAT_EQ(box.getCorner().getY(), -2.0f);
  EXPECT_FLOAT_EQ(box.getHorizontal(), 5.0f);
  EXPECT_FLOAT_EQ(box.getVertical(), 4.0f);
  delete p_sprite;
}

using Cells = std::set<std::pair<int, int>>;

// Drawing into a real window and reading back which cells took a colour.
class FrameDrawTest : public ::testing::Test {
 protected:
  // An X server without -noreset resets when its last client leaves, and
  // refuses connections meanwhile; one connection held for the whole suite
  // keeps the short-lived display checks from resetting it.
  static void SetUpTestSuite() { p_keep_alive = XOpenDisplay(nullptr); }

  static void TearDownTestSuite() {
    if (p_keep_alive != nullptr) {
      XCloseDisplay(p_keep_alive);
    }
  }

  void SetUp() override {
    if (p_keep_alive == nullptr || !wd_test::displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
    wd::LogManager::getInstance().startUp();
    ASSERT_EQ(display().startUp(), 0);
    wd::WorldManager::getInstance().setView(wd::Box(wd::Vector(0, 0), 100, 50));
    display().swapBuffers();
  }

  void TearDown() override { display().shutDown(); }

  static wd::DisplayManager& display() { return wd::DisplayManager::getInstance(); }

  static inline Display* p_keep_alive = nullptr;

  // The cells among the first 20 x 20 whose middle shows the colour; glyphs
  // may reach past their cell's edges but never into a neighbour's middle.
  static Cells cellsIn(sf::Color color) {
    const sf::Image image = display().captureFrame();
    Cells cells;
    for (int y = 0; y < 20; y++) {
      for (int x = 0; x < 20; x++) {
        const int left = static_cast<int>(static_cast<float>(x) * wd::cellWidth());
        const int top = static_cast<int>(static_cast<float>(y) * wd::cellHeight());
        for (int p = 0; p < 40; p++) {
          if (image.getPixel(static_cast<unsigned>(left + 3 + p % 5), static_cast<unsigned>(top + 5 + p / 5)) == color) {
            cells.insert({x, y});
            break;
          }
        }
      }
    }
    return cells;
  }

  // The cells of a block with its upper-left cell at (x, y).
  static Cells block(int x, int y, int width, int height) {
    Cells cells;
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
  wd::Frame(4, 2, "########").draw(wd::Vector(10, 10), wd::RED);
  wd::Frame(1, 1, "#").draw(wd::Vector(7, 3), wd::GREEN);
  EXPECT_EQ(cellsIn(sf::Color::Cyan), block(4, 5, 3, 1));
  EXPECT_EQ(cellsIn(sf::Color::Red), block(8, 9, 4, 2));
  EXPECT_EQ(cellsIn(sf::Color::Green), block(7, 3, 1, 1));

  // A sprite draws its animation's current frame in the sprite's colour.
  wd::Sprite* p_sprite = newSprite(2, 3, 3, 0);
  p_sprite->setColor(wd::BLUE);
  p_sprite->addFrame(wd::Frame(3, 3, "#########"));
  wd::Animation animation;
  animation.setSprite(p_sprite);
  animation.setIndex(1);
  EXPECT_EQ(animation.draw(wd::Vector(16, 16)), 0);
  EXPECT_EQ(cellsIn(sf::Color::Blue), block(15, 15, 3, 3));
  delete p_sprite;
}

// A space is drawn like any character: it paints over what was there.
TEST_F(FrameDrawTest, SpacesHideWhatLiesBelow) {
  wd::Frame(5, 3, std::string(15, '#')).draw(wd::Vector(5, 5), wd::YELLOW);
  wd::Frame(3, 1, "# #").draw(wd::Vector(5, 5), wd::MAGENTA);
  Cells yellow = block(3, 4, 5, 3);
  for (int x = 4; x <= 6; x++) {
    yellow.erase({x, 5});
  }
  EXPECT_EQ(cellsIn(sf::Color::Yellow), yellow);
  EXPECT_EQ(cellsIn(sf::Color::Magenta), (Cells{{4, 5}, {6, 5}}));
}

}  // namespace
