// The cave played frame by frame, without the frame loop's sleeps.
#include <gtest/gtest.h>

#include <wendrel/GameManager.h>
#include <wendrel/ObjectListIterator.h>
#include <wendrel/ViewObject.h>

#include "CaveRules.h"
#include "Explorer.h"
#include "Gem.h"
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
  play::saveScreenshot(wd::DisplayManager::getInstance().captureFrame(), "cave.png");
  frames(12);
  EXPECT_EQ(countOf("Spark"), 0);
  EXPECT_EQ(counter("Lost"), 1);
}

TEST_F(Cave, TheSwarmFillsTheWorldUpToItsLimit) {
  const int before = world().getAllObjects().getCount();
  EXPECT_EQ(rules.fillSwarm(wd::MAX_OBJECTS), wd::MAX_OBJECTS - before);
  frames(1);
  EXPECT_EQ(world().getAllObjects().getCount(), wd::MAX_OBJECTS);
  EXPECT_EQ(rules.fillSwarm(1), 0);
}

}  // namespace
