// The cave played frame by frame, without the frame loop's sleeps.
#include <gtest/gtest.h>

#include <cmath>

#include <wendrel/GameManager.h>
#include <wendrel/ObjectListIterator.h>
#include <wendrel/ViewObject.h>
#include <wendrel/utility.h>

#include "CaveRules.h"
#include "Explorer.h"
#include "Gem.h"
#include "naive_display.h"
#include "play_support.h"

namespace {

wd::WorldManager& world() { return wd::WorldManager::getInstance(); }

int countOf(const std::string& type) { return world().objectsWithType(type).getCount(); }

int counter(const std::string& caption) {
  const wd::ObjectList views = world().objectsWithType("ViewObject");
  for (wd::ObjectListIterator li(&views); !li.isDone(); li.next()) {
    const auto* p_view = static_cast<const wd::ViewObject*>(li.currentObject());
    if (p_view->getCaption() == caption) {
      return p_view->getValue();
    }
  }
  return -1;
}

class Cave : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wd::GameManager::getInstance().startUp();
    rules.setUp();
  }
  static void TearDownTestSuite() { wd::GameManager::getInstance().shutDown(); }

  // Puts the explorer at x (row 20) and holds an arrow key down for n frames.
  void walk(float x, sf::Keyboard::Key arrow, int n) {
    explorer()->setPosition(wd::Vector(x, 20));
    play::press(arrow);
    frames(n);
    play::release(arrow);
  }
  static void frames(int n) {
    for (int i = 0; i < n; i++) {
      wd::GameManager::getInstance().runFrame(&rules);
    }
  }
  static Explorer* explorer() { return rules.getExplorer(); }
  static float explorerX() { return explorer()->getPosition().getX(); }
  static float viewX() { return world().getView().getCorner().getX(); }

  static CaveRules rules;
};

CaveRules Cave::rules;

TEST_F(Cave, TheLeftWallBlocksAndTheViewFollowsTheExplorer) {
  ASSERT_NE(explorer(), nullptr);
  walk(10, sf::Keyboard::Left, 15);
  EXPECT_FLOAT_EQ(explorerX(), 3);  // one more step would touch the wall at x 0 to 2
  EXPECT_FLOAT_EQ(viewX(), 0);
  walk(150, sf::Keyboard::Right, 2);
  EXPECT_FLOAT_EQ(explorerX(), 152);
  EXPECT_FLOAT_EQ(viewX(), 102);
}

// Gems delete themselves when the explorer meets them, two in the same step as well, each
// counted once.
TEST_F(Cave, GemsAreCollectedOnTheWayThroughThem) {
  const int gems = countOf("Gem");
  const int collected = counter("Gems");
  new Gem(wd::Vector(153, 20));
  new Gem(wd::Vector(153, 20));
  walk(150, sf::Keyboard::Right, 5);
  EXPECT_FLOAT_EQ(explorerX(), 155);
  EXPECT_EQ(countOf("Gem"), gems);
  EXPECT_EQ(counter("Gems"), collected + 2);
}

TEST_F(Cave, AClickThrowsASparkThatDeletesItselfOnceItLeavesTheWorld) {
  explorer()->setPosition(wd::Vector(150, 20));
  frames(1);
  // Pixel (512, 90) is view cell (50, 5), world cell (150, 5) with the view at x 100.
  play::click(512, 90);
  frames(1);
  ASSERT_EQ(countOf("Spark"), 1);
  EXPECT_EQ(counter("Thrown"), 1);
  const wd::ObjectList sparks = world().objectsWithType("Spark");
  EXPECT_NEAR(wd::ObjectListIterator(&sparks).currentObject()->getPosition().getX(), 150.5, 0.01);
  world().draw();
  rules.frameRules();
  frames(12);
  EXPECT_EQ(countOf("Spark"), 0);
  EXPECT_EQ(counter("Lost"), 1);
}

// The torch lights the cells around the explorer, fading with distance, and flickers from frame to frame.
TEST_F(Cave, TheTorchLightsTheCaveAroundTheExplorer) {
  // A rock away from the world's edges, so that the view is centred on the explorer beside it.
  const wd::ObjectList rocks = world().objectsWithType("rock");
  wd::Vector rock;
  for (wd::ObjectListIterator li(&rocks); !li.isDone(); li.next()) {
    const wd::Vector where = li.currentObject()->getPosition();
    if (where.getX() > 80 && where.getX() < 220 && where.getY() > 40 && where.getY() < 60) {
      rock = where;
    }
  }
  ASSERT_GT(rock.getX(), 0);
  explorer()->setPosition(rock + wd::Vector(-7, 0));
  for (int i = 0; i < 3; i++) {
    new Gem(rock + wd::Vector(static_cast<float>(i * 3 - 10), 3));
  }
  frames(1);
  const auto drawFrame = [] {
    world().draw();
    rules.frameRules();
    const sf::Image frame = wd::DisplayManager::getInstance().captureFrame();
    wd::DisplayManager::getInstance().swapBuffers();
    return frame;
  };
  const sf::Image first = drawFrame();
  // The red of the background at the left edge of cells left of the explorer, summed over five rows.
  const wd::Vector view_pos = wd::toViewPosition(explorer()->getPosition());
  const auto lightAt = [&](const sf::Image& frame, int columns_away) {
    int red = 0;
    for (int row = -2; row <= 2; row++) {
      const float x = (view_pos.getX() - static_cast<float>(columns_away)) * wd::cellWidth() - 0.5f;
      const float y = (std::floor(view_pos.getY()) + static_cast<float>(row)) * wd::cellHeight() + 12;
      red += frame.getPixel(static_cast<unsigned int>(x), static_cast<unsigned int>(y)).r;
    }
    return red;
  };
  EXPECT_GT(lightAt(first, 2), lightAt(first, 8));
  EXPECT_GT(lightAt(first, 8), lightAt(first, 14));
  EXPECT_EQ(lightAt(first, 22), 0);  // beyond the light
  play::saveScreenshot(first, "cave.png");
  const sf::Image second = drawFrame();
  EXPECT_GT(wd_test::compareImages(first, second).pixels, 0);
}

TEST_F(Cave, TheSwarmFillsTheWorldUpToItsLimit) {
  const int before = world().getAllObjects().getCount();
  EXPECT_EQ(rules.fillSwarm(wd::MAX_OBJECTS), wd::MAX_OBJECTS - before);
  frames(1);
  EXPECT_EQ(world().getAllObjects().getCount(), wd::MAX_OBJECTS);
  EXPECT_EQ(rules.fillSwarm(1), 0);
}

}  // namespace
