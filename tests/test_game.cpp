// The bunny runner's rules, played frame by frame without a window or sleeps;
// keys arrive as window events through the input manager.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <SFML/Window/Event.hpp>

#include "Chunk.h"
#include "GameManager.h"
#include "GamePlay.h"
#include "GameResources.h"
#include "InputManager.h"
#include "LogManager.h"
#include "ObjectListIterator.h"
#include "Player.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "WorldManager.h"
#include "test_support.h"

using wd::GameManager;
using wd::Vector;

namespace {

void sendKey(sf::Event::EventType type, sf::Keyboard::Key code) {
  sf::Event event{};
  event.type = type;
  event.key.code = code;
  wd::InputManager::getInstance().handleWindowEvent(event);
}

void pressSpace() { sendKey(sf::Event::KeyPressed, sf::Keyboard::Space); }
void releaseSpace() { sendKey(sf::Event::KeyReleased, sf::Keyboard::Space); }

float rowOf(const wd::Object* p_o) { return p_o->getPosition().getY(); }

// What the program entry does before every pass, then a fresh game's set-up.
class Game : public ::testing::Test {
 protected:
  void SetUp() override {
    wd::LogManager::getInstance().startUp();
    wd::WorldManager& world = wd::WorldManager::getInstance();
    world.shutDown();
    world.startUp();
    wd::ResourceManager::getInstance().startUp();
    wd::InputManager::getInstance().clearButtonName();
    releaseSpace();  // arms the key name for the next press
    game.setGameOver(false);
    play.setGameOverPause(0);
    play.setUp();
  }

  // A game cut short by the test never reached its death, which is where the
  // music is unloaded.
  void TearDown() override {
    play.tail();
    game.setGameOver(false);
    while (wd::ResourceManager::getInstance().getMusic("music") != nullptr) {
      stopMusic("music");
    }
  }

  void frame() { game.runFrame(&play); }

  wd::Object* bunny() const { return play.getPlayer()->getObject(); }

  // The bunny's row after each of the next frames.
  std::vector<float> rowsOverFrames(int frames) {
    std::vector<float> rows;
    for (int i = 0; i < frames; i++) {
      frame();
      rows.push_back(rowOf(bunny()));
    }
    return rows;
  }

  // The only piece of chunk, made far off the bunny, and its sprite's width.
  wd::Object* onlyPiece(Chunk& chunk, const char* name, float row, float& width) {
    EXPECT_EQ(0, chunk.addPiece(name, Vector(500, row)));
    const wd::Sprite* p_sprite = wd::ResourceManager::getInstance().getSprite(name);
    width = p_sprite != nullptr ? static_cast<float>(p_sprite->getWidth()) : 0;
    EXPECT_GT(width, 0);
    return wd::ObjectListIterator(&chunk.getPieces()).currentObject();
  }

  GameManager& game = GameManager::getInstance();
  GamePlay play;
};

const std::vector<float> JUMP_CURVE = {29, 28, 27, 26, 25, 24, 23, 24, 25, 26, 27, 28, 29, 29};

}  // namespace

TEST_F(Game, ScoreAndSpeedGrowEveryFrame) {
  EXPECT_FLOAT_EQ(1.5f, game.getScrollSpeed());
  for (int i = 0; i < 100; i++) {
    frame();
  }
  EXPECT_EQ(100, play.getScore());
  EXPECT_EQ(100, play.getScoreView()->getValue());
  EXPECT_EQ("Score:", play.getScoreView()->getCaption());
  EXPECT_NEAR(1.6f, game.getScrollSpeed(), 1e-4);
  // The terrain moves at the new speed.
  const wd::ObjectList floors = wd::WorldManager::getInstance().objectsWithType("floor");
  ASSERT_GT(floors.getCount(), 0);
  const wd::Object* p_floor = wd::ObjectListIterator(&floors).currentObject();
  EXPECT_NEAR(-game.getScrollSpeed(), p_floor->getVelocity().getX(), 1e-5);
}

TEST_F(Game, SpaceJumpsSixRowsUpAndBackOncePerStroke) {
  frame();
  pressSpace();
  std::vector<float> rows = rowsOverFrames(3);
  EXPECT_EQ("bunnyJump", bunny()->getAnimation().getSprite()->getLabel());
  releaseSpace();
  pressSpace();  // in the air: ignored, and not kept for later
  for (float row : rowsOverFrames(static_cast<int>(JUMP_CURVE.size()) - 3)) {
    rows.push_back(row);
  }
  EXPECT_EQ(JUMP_CURVE, rows);
  EXPECT_EQ("bunnyWalk", bunny()->getAnimation().getSprite()->getLabel());
  EXPECT_STREQ("", wd::InputManager::getInstance().getButtonName());
  pressSpace();  // a held key repeats without a release: no second jump
  for (float row : rowsOverFrames(5)) {
    EXPECT_EQ(29.0f, row);
  }
}

TEST_F(Game, DeathOnSpikesEndsTheGameWhenTheDeathAnimationReachesFrameFour) {
  int frames = 0;
  while (!game.isPlayerDead() && frames < 200) {
    frame();
    frames++;
  }
  ASSERT_TRUE(game.isPlayerDead()) << "the first spikes never reached the bunny";
  EXPECT_FALSE(play.isStillAlive());
  EXPECT_EQ("bunnyDeath", bunny()->getAnimation().getSprite()->getLabel());
  const wd::Object* p_picture = play.getGameOverPicture();
  EXPECT_EQ(2, p_picture->getAltitude());
  EXPECT_EQ(50.0f, p_picture->getPosition().getX());
  EXPECT_EQ(20.0f, p_picture->getPosition().getY());
  EXPECT_EQ("gameover", p_picture->getAnimation().getSprite()->getLabel());
  ASSERT_NE(nullptr, wd::ResourceManager::getInstance().getMusic("music"));

  while (!game.getGameOver() && frames < 400) {
    EXPECT_NE(4, bunny()->getAnimation().getIndex());
    frame();
    frames++;
  }
  ASSERT_TRUE(game.getGameOver());
  EXPECT_EQ(4, bunny()->getAnimation().getIndex());
  EXPECT_EQ(nullptr, wd::ResourceManager::getInstance().getMusic("music"));
}

TEST_F(Game, PlatformCountsAsUnderTheBunnyAWholeWidthEarly) {
  Chunk chunk(Vector(150, 40));
  float width = 0;
  wd::Object* p_platform = onlyPiece(chunk, "platform", 26, width);

  game.setGroundLevel(29);
  EXPECT_TRUE(chunk.noPlatformUnderPlayer());
  p_platform->setPosition(Vector(50 + width, 26));  // not yet: the bound is strict
  EXPECT_TRUE(chunk.noPlatformUnderPlayer());
  EXPECT_EQ(29.0f, game.getGroundLevel());
  p_platform->setPosition(Vector(50 + width - 0.5f, 26));
  EXPECT_FALSE(chunk.noPlatformUnderPlayer());
  EXPECT_EQ(24.0f, game.getGroundLevel());
  p_platform->setPosition(Vector(50 - width / 2 + 0.5f, 22));
  EXPECT_FALSE(chunk.noPlatformUnderPlayer());
  EXPECT_EQ(20.0f, game.getGroundLevel());
  p_platform->setPosition(Vector(50 - width / 2, 22));
  EXPECT_TRUE(chunk.noPlatformUnderPlayer());
}

TEST_F(Game, SpikesKillWithinTheirWidthAndTwoRows) {
  Chunk chunk(Vector(150, 40));
  float width = 0;
  wd::Object* p_spikes = onlyPiece(chunk, "spikes", 31, width);
  wd::Object* p_bunny = bunny();

  auto killsAt = [&](float spikes_x, float bunny_row) {
    game.setPlayerDead(false);
    p_spikes->setPosition(Vector(spikes_x, 31));
    p_bunny->setPosition(Vector(50, bunny_row));
    chunk.checkSpikes(p_bunny);
    return game.isPlayerDead();
  };
  EXPECT_TRUE(killsAt(50 + width - 0.5f, 29));
  EXPECT_TRUE(killsAt(50 - width + 0.5f, 29));
  EXPECT_FALSE(killsAt(50 + width, 29));
  EXPECT_FALSE(killsAt(50 - width, 29));
  EXPECT_FALSE(killsAt(50, 28));  // 28 + 2 < 31: cleared
  EXPECT_TRUE(killsAt(50, 32));
  EXPECT_FALSE(killsAt(50, 33));  // 31 is not above 33 - 2
  game.setPlayerDead(false);
}

TEST_F(Game, ChunkRebuildsOnceItsFloorIsPastColumnMinusFiftyAndHoldsTwentyPieces) {
  Chunk chunk(Vector(150, 40));
  chunk.addPiece("floor", Vector(-50.9f, 40));
  chunk.addPiece("spikes", Vector(-40, 31));
  wd::Object* p_old_floor = wd::ObjectListIterator(&chunk.getPieces()).currentObject();
  chunk.recycle();
  ASSERT_EQ(2, chunk.getPieces().getCount());
  EXPECT_EQ(p_old_floor, wd::ObjectListIterator(&chunk.getPieces()).currentObject());

  const auto worldCount = [] { return wd::WorldManager::getInstance().getAllObjects().getCount(); };
  const int world_before = worldCount();
  p_old_floor->setPosition(Vector(-51, 40));
  chunk.recycle();
  const wd::ObjectList& pieces = chunk.getPieces();
  ASSERT_GE(pieces.getCount(), 6);
  ASSERT_LE(pieces.getCount(), 7);
  wd::ObjectListIterator li(&pieces);
  const wd::Object* p_new_floor = li.currentObject();
  EXPECT_EQ("floor", p_new_floor->getType());
  EXPECT_EQ(149.0f, p_new_floor->getPosition().getX());
  EXPECT_EQ(40.0f, p_new_floor->getPosition().getY());
  // Every piece moved by the same offset and scrolls at the game's speed.
  for (li.next(); !li.isDone(); li.next()) {
    const wd::Object* p_piece = li.currentObject();
    EXPECT_EQ(p_piece->getAnchor().getX(), p_piece->getPosition().getX());
    EXPECT_EQ(p_piece->getType(), p_piece->getLabel());
    EXPECT_FLOAT_EQ(-game.getScrollSpeed(), p_piece->getVelocity().getX());
  }
  // The old pieces and the staging pieces are gone from the world.
  EXPECT_EQ(world_before - 2 + pieces.getCount(), worldCount());

  // Twenty pieces at most: a twenty-first is refused and made nowhere.
  while (pieces.getCount() < 20) {
    ASSERT_EQ(0, chunk.addPiece("spikes", Vector(300, 31)));
  }
  const int world_count = worldCount();
  EXPECT_EQ(1, chunk.addPiece("spikes", Vector(500, 31)));
  EXPECT_EQ(world_count, worldCount());
}

// Frames and terrain rebuilds set their sprites up again and again; each file
// is read once, so the registry never fills and the log stays quiet.
TEST_F(Game, EverySpriteFileIsReadOnceEvenWhenItIsMissing) {
  wd_test::restartLog();
  for (int i = 0; i < 250; i++) {
    frame();  // two terrain rebuilds, a death and its game-over picture
  }
  const wd::Sprite* p_title = loadAnimation("sprites/gamestart-spr.txt", "startScreen").getSprite();
  for (const char* label : {"startScreen", "nothing", "nothing"}) {
    const wd::Animation again = loadAnimation(spriteFileOf(label), label);
    EXPECT_EQ(label == std::string("nothing") ? nullptr : p_title, again.getSprite());
  }
  const std::string log = wd_test::readLog();
  for (const char* file : {"gamestart", "bunnyWalk", "bunnyDeath", "gameover", "floor",
                           "platform", "spikes", "nothing"}) {
    const std::string loading = "Loading sprite 'sprites/" + std::string(file) + "-spr.txt'";
    EXPECT_EQ(log.find(loading), log.rfind(loading)) << file;
  }
  EXPECT_EQ(log.find("Error!"), log.rfind("Error!"));
  EXPECT_NE(std::string::npos, log.find("Error! Cannot open file 'sprites/nothing-spr.txt'"));
}

// The first terrain is fixed, so a game that starts afresh (score 0, speed
// 1.5) always ends on the same frame.
TEST(Games, ThreeGamesInARowEachStartAfresh) {
  GameManager& game = GameManager::getInstance();
  GamePlay play;
  play.setGameOverPause(0);
  std::vector<int> final_scores;
  for (int round = 0; round < 3; round++) {
    wd::WorldManager::getInstance().shutDown();
    wd::WorldManager::getInstance().startUp();
    game.run(&play);  // paced frames until the bunny has died on the spikes
    final_scores.push_back(play.getScore());
    EXPECT_FALSE(game.isPlayerDead());
    EXPECT_FLOAT_EQ(1.5f, game.getScrollSpeed());
    EXPECT_EQ(nullptr, wd::ResourceManager::getInstance().getMusic("music"));
    game.setGameOver(false);
  }
  EXPECT_GT(final_scores[0], 20);
  EXPECT_EQ(std::vector<int>(3, final_scores[0]), final_scores);
}
