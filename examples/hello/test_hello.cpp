// Hello played frame by frame, without the frame loop's sleeps.
#include <gtest/gtest.h>

#include <wendrel/GameManager.h>
#include <wendrel/ObjectListIterator.h>
#include <wendrel/ViewObject.h>

#include "hello.h"
#include "play_support.h"

namespace {

wd::Object* only(const std::string& type) {
  const wd::ObjectList list = wd::WorldManager::getInstance().objectsWithType(type);
  return list.getCount() == 1 ? wd::ObjectListIterator(&list).currentObject() : nullptr;
}

class Hello : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wd::GameManager::getInstance().startUp();
    ASSERT_EQ(setUpHello(), 0);
  }
  static void TearDownTestSuite() { wd::GameManager::getInstance().shutDown(); }

  void frames(int n) {
    for (int i = 0; i < n; i++) {
      wd::GameManager::getInstance().runFrame(nullptr);
    }
  }
};

TEST_F(Hello, ArrowsWalkWhileHeldAndQEndsTheGame) {
  wd::Object* p_hero = only("Hero");
  ASSERT_NE(p_hero, nullptr);
  const wd::Vector start = p_hero->getPosition();
  play::press(sf::Keyboard::Right);
  frames(4);
  play::release(sf::Keyboard::Right);
  frames(2);
  EXPECT_FLOAT_EQ(p_hero->getPosition().getX(), start.getX() + 4);
  play::press(sf::Keyboard::Up);
  frames(2);
  play::release(sf::Keyboard::Up);
  EXPECT_FLOAT_EQ(p_hero->getPosition().getY(), start.getY() - 1);

  EXPECT_FALSE(wd::GameManager::getInstance().getGameOver());
  play::press(sf::Keyboard::Q);
  EXPECT_TRUE(wd::GameManager::getInstance().getGameOver());
  wd::GameManager::getInstance().setGameOver(false);
}

TEST_F(Hello, WalkingIntoTheStarScoresAndMovesIt) {
  wd::Object* p_hero = only("Hero");
  wd::Object* p_star = only("Star");
  auto* p_score = static_cast<wd::ViewObject*>(only("ViewObject"));
  ASSERT_TRUE(p_hero && p_star && p_score);
  p_hero->setPosition(wd::Vector(50, 25));
  p_star->setPosition(wd::Vector(56, 25));

  wd::WorldManager::getInstance().draw();
  const sf::Image before = wd::DisplayManager::getInstance().captureFrame();
  play::saveScreenshot(before, "hello.png");
  EXPECT_GT(play::pixelsOver(before, p_hero, sf::Color::Yellow), 20);
  EXPECT_GT(play::pixelsOver(before, p_star, sf::Color::Cyan), 4);
  frames(1);

  play::press(sf::Keyboard::Right);
  frames(3);
  EXPECT_EQ(p_score->getValue(), 1);
  EXPECT_GT(p_hero->getPosition().getX(), 52);  // the star never blocks
  EXPECT_NE(p_star->getPosition().getX(), 56);
  play::release(sf::Keyboard::Right);
}

}  // namespace
