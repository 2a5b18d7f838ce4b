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

namespace {

std::vector<std::string> journal;

// Notes the step events it hears and its draws, with the column it stands on.
struct Witness : wd::Object {
  Witness() { setVelocity(wd::Vector(1, 0)); }
  int handleEvent(const wd::Event* p_e) override { return p_e->getType() == "wd::step" ? note("step") : 0; }
  int draw() override { return note("draw"); }
  int note(const std::string& what) {
    journal.push_back(what + " at " + std::to_string(static_cast<int>(getPosition().getX())));
    return 0;
  }
};

// Game rules that note their calls and end the game after three frames.
struct ShortGame : wd::GameRules {
  void setUp() override { journal.push_back("set-up"); }
  void frameRules() override {
    journal.push_back("rules");
    wd::GameManager::getInstance().setGameOver(--frames_left == 0);
  }
  void tail() override { journal.push_back("tail"); }
  int frames_left = 3;
};

}  // namespace

TEST(GameManagerTest, StartsEveryManagerRunsPacedFramesAndStopsThemAll) {
  ASSERT_TRUE(wd_test::displayAvailable());
  wd::GameManager& game = wd::GameManager::getInstance();
  wd::WorldManager& world = wd::WorldManager::getInstance();
  const std::vector<const wd::Manager*> managers = {&wd::LogManager::getInstance(), &wd::DisplayManager::getInstance(),
                                                    &wd::InputManager::getInstance(), &world,
                                                    &wd::ResourceManager::getInstance()};
  ASSERT_EQ(0, game.startUp());
  for (const wd::Manager* p_manager : managers) {
    EXPECT_TRUE(p_manager->isStarted()) << p_manager->getType();
  }
  for (const wd::Box& box : {world.getBoundary(), world.getView()}) {  // the window's cells
    EXPECT_EQ(100.0f, box.getHorizontal());
    EXPECT_EQ(50.0f, box.getVertical());
  }

  // The step event reaches the object before the world moves it, the world draws it where it moved
  // to, and the game's rules come last.
  new Witness;
  ShortGame rules;
  const wd::Clock clock;
  game.run(&rules);
  EXPECT_EQ((std::vector<std::string>{"set-up", "step at 0", "draw at 1", "rules", "step at 1", "draw at 2", "rules",
                                      "step at 2", "draw at 3", "rules", "tail"}),
            journal);
  EXPECT_GE(clock.elapsed(), 90);  // three paced frames of 33 ms
  EXPECT_LE(clock.elapsed(), 200);

  game.setGameOver(false);
  game.shutDown();
  EXPECT_TRUE(game.getGameOver());
  for (const wd::Manager* p_manager : managers) {
    EXPECT_FALSE(p_manager->isStarted()) << p_manager->getType();
  }
  EXPECT_EQ(nullptr, wd::DisplayManager::getInstance().getWindow());
  EXPECT_TRUE(world.getAllObjects().isEmpty());
}
