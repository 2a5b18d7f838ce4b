// The game manager: start and stop of every manager, and the frame loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Clock.h"
#include "DisplayManager.h"
#include "Event.h"
#include "GameManager.h"
#include "GameRules.h"
#include "InputManager.h"
#include "LogManager.h"
#include "Object.h"
#include "ResourceManager.h"
#include "WorldManager.h"
#include "test_support.h"

using wd::GameManager;

namespace {

std::vector<std::string> journal;

// Notes the step events it hears, its moves and its draws.
class Witness : public wd::Object {
 public:
  Witness() {
    setAltitude(2);
    setPosition(wd::Vector(10, 10));
    setVelocity(wd::Vector(1, 0));
    setSolidness(wd::INTANGIBLE);
  }
  int handleEvent(const wd::Event* p_e) override {
    if (p_e->getType() == "wd::step") {
      journal.push_back("step at " + std::to_string(static_cast<int>(getPosition().getX())));
    }
    return 0;
  }
  int draw() override {
    journal.push_back("draw at " + std::to_string(static_cast<int>(getPosition().getX())));
    return 0;
  }
};

// Game rules that end the game after a number of frames.
class ShortGame : public wd::GameRules {
 public:
  explicit ShortGame(int frames) : frames_left(frames) {}
  void setUp() override { journal.push_back("set-up"); }
  void frameRules() override {
    journal.push_back("rules");
    if (--frames_left == 0) {
      GameManager::getInstance().setGameOver(true);
    }
  }
  void tail() override { journal.push_back("tail"); }

 private:
  int frames_left;
};

class GameManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wd_test::displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
  }
};

}  // namespace

TEST_F(GameManagerTest, StartsEveryManagerAndSetsBoundaryAndViewToTheWindow) {
  GameManager& game = GameManager::getInstance();
  ASSERT_EQ(0, game.startUp());

  EXPECT_TRUE(wd::LogManager::getInstance().isStarted());
  EXPECT_TRUE(wd::DisplayManager::getInstance().isStarted());
  EXPECT_TRUE(wd::InputManager::getInstance().isStarted());
  EXPECT_TRUE(wd::WorldManager::getInstance().isStarted());
  EXPECT_TRUE(wd::ResourceManager::getInstance().isStarted());
  for (const wd::Box& box : {wd::WorldManager::getInstance().getBoundary(),
                             wd::WorldManager::getInstance().getView()}) {
    EXPECT_EQ(0.0f, box.getCorner().getX());
    EXPECT_EQ(0.0f, box.getCorner().getY());
    EXPECT_EQ(100.0f, box.getHorizontal());
    EXPECT_EQ(50.0f, box.getVertical());
  }
}

TEST_F(GameManagerTest, FrameRunsStepMoveDrawAndRulesInOrder) {
  GameManager& game = GameManager::getInstance();
  game.startUp();
  game.setGameOver(false);
  journal.clear();
  new Witness;
  ShortGame rules(3);
  wd::Clock clock;
  game.run(&rules);
  const std::int64_t took = clock.elapsed();

  // The step event reaches the object before the world moves it; the world
  // draws it where it moved to; the game's rules come last.
  EXPECT_EQ((std::vector<std::string>{"set-up",
                                      "step at 10", "draw at 11", "rules",
                                      "step at 11", "draw at 12", "rules",
                                      "step at 12", "draw at 13", "rules",
                                      "tail"}),
            journal);
  // Three paced frames of 33 ms.
  EXPECT_GE(took, 90);
  EXPECT_LE(took, 200);
  game.setGameOver(false);
}

TEST_F(GameManagerTest, ShutDownStopsEveryManagerAndEndsTheGame) {
  GameManager& game = GameManager::getInstance();
  game.startUp();
  game.setGameOver(false);
  game.shutDown();
  EXPECT_TRUE(game.getGameOver());
  EXPECT_FALSE(game.isStarted());
  EXPECT_FALSE(wd::LogManager::getInstance().isStarted());
  EXPECT_FALSE(wd::DisplayManager::getInstance().isStarted());
  EXPECT_EQ(nullptr, wd::DisplayManager::getInstance().getWindow());
  EXPECT_FALSE(wd::InputManager::getInstance().isStarted());
  EXPECT_FALSE(wd::WorldManager::getInstance().isStarted());
  EXPECT_FALSE(wd::ResourceManager::getInstance().isStarted());
}
