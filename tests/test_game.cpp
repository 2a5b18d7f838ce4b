// The bunny runner's rules, played frame by frame without a window or sleeps; keys arrive as window
// events through the input manager.
#include <gtest/gtest.h>

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
using Rows = std::vector<float>;

namespace {

void sendSpace(sf::Event::EventType type) {
  sf::Event event{};
  event.type = type;
  event.key.code = sf::Keyboard::Space;
  wd::InputManager::getInstance().handleWindowEvent(event);
}

void pressSpace() { sendSpace(sf::Event::KeyPressed); }
void releaseSpace() { sendSpace(sf::Event::KeyReleased); }

std::string spriteOf(const wd::Object* p_o) { return p_o->getAnimation().getSprite()->getLabel(); }

bool musicPlays() { return wd::ResourceManager::getInstance().getMusic("music") != nullptr; }

// What the program entry does before every pass, then a fresh game's set-up.
class Game : public ::testing::Test {
 protected:
  void SetUp() override {
    wd::LogManager::getInstance().startUp();
    wd::WorldManager::getInstance().shutDown();
    wd::WorldManager::getInstance().startUp();
    wd::ResourceManager::getInstance().startUp();
    wd::InputManager::getInstance().clearButtonName();
    releaseSpace();  // arms the key name for the next press
    game.setGameOver(false);
    play.setGameOverPause(0);
    play.setUp();
  }

  // A game cut short never reached its death, which is where the music is unloaded.
  void TearDown() override {
    play.tail();
    game.setGameOver(false);
    while (musicPlays()) {
      stopMusic("music");
    }
  }

  void frame() { game.runFrame(&play); }

  wd::Object* bunny() const { return play.getPlayer()->getObject(); }

  // The bunny's row after each of the next frames.
  Rows rowsOverFrames(int frames) {
    Rows rows;
    for (int i = 0; i < frames; i++) {
      frame();
      rows.push_back(bunny()->getPosition().getY());
    }
    return rows;
  }

  GameManager& game = GameManager::getInstance();
  GamePlay play;
};

}  // namespace

TEST_F(Game, SpaceJumpsOncePerStrokeAndTheBunnyLandsOnAPlatform) {
  frame();
  pressSpace();
  EXPECT_EQ((Rows{29, 28, 27}), rowsOverFrames(3));
  EXPECT_EQ("bunnyJump", spriteOf(bunny()));
  releaseSpace();
  pressSpace();  // in the air: ignored, and not kept for later
  EXPECT_EQ((Rows{26, 25, 24, 23, 24, 25, 26, 27, 28, 29, 29}), rowsOverFrames(11));
  EXPECT_EQ("bunnyWalk", spriteOf(bunny()));
  pressSpace();  // a held key repeats without a release: no second jump
  EXPECT_EQ(Rows(5, 29), rowsOverFrames(5));

  // The first platform (row 26) comes under the bunny in mid-jump: it lands two rows above it and runs
  // along it, where a plain jump would fall on at once.
  releaseSpace();
  pressSpace();
  const Rows rows = rowsOverFrames(20);
  EXPECT_EQ((Rows{23, 24, 24, 24, 24, 24}), Rows(rows.begin() + 6, rows.begin() + 12));
  EXPECT_EQ(29.0f, rows.back());
}

// Left alone, the bunny runs into the first spikes; the game ends exactly when the death animation
// shows frame 4. Meanwhile the terrain is rebuilt twice, yet each sprite file is read once.
TEST_F(Game, ALoneRunScoresDiesOnSpikesAndReadsEachSpriteFileOnce) {
  wd_test::restartLog();
  EXPECT_FLOAT_EQ(1.5f, game.getScrollSpeed());
  bool ended = false;
  for (int i = 1; i <= 250; i++) {
    frame();
    if (game.isPlayerDead() && !ended) {
      ended = game.getGameOver();
      EXPECT_EQ(ended, bunny()->getAnimation().getIndex() == 4) << "frame " << i;
      EXPECT_EQ(!ended, musicPlays());
      EXPECT_EQ("bunnyDeath", spriteOf(bunny()));
      EXPECT_EQ("gameover", spriteOf(play.getGameOverPicture()));
    }
    if (i == 100) {
      EXPECT_EQ(100, play.getScore());
      EXPECT_EQ(100, play.getScoreView()->getValue());
      EXPECT_NEAR(1.6f, game.getScrollSpeed(), 1e-4);
      const wd::Object* p_floor = wd::ObjectListIterator(&play.getChunk1()->getPieces()).currentObject();
      EXPECT_NEAR(-game.getScrollSpeed(), p_floor->getVelocity().getX(), 1e-5);  // it keeps up
    }
  }
  ASSERT_TRUE(ended) << "the first spikes never ended the game";

  const wd::Sprite* p_title = loadAnimation("sprites/gamestart-spr.txt", "startScreen").getSprite();
  EXPECT_EQ(p_title, loadAnimation(spriteFileOf("startScreen"), "startScreen").getSprite());
  EXPECT_EQ(nullptr, loadAnimation(spriteFileOf("nothing"), "nothing").getSprite());
  EXPECT_EQ(nullptr, loadAnimation(spriteFileOf("nothing"), "nothing").getSprite());  // not read again
  const std::string log = wd_test::readLog();
  for (const char* file : {"gamestart", "bunnyWalk", "bunnyDeath", "gameover", "floor", "platform", "spikes",
                           "nothing"}) {
    const std::string loading = "Loading sprite 'sprites/" + std::string(file) + "-spr.txt'";
    EXPECT_EQ(log.find(loading), log.rfind(loading)) << file;
  }
  EXPECT_EQ(log.find("Error!"), log.rfind("Error!"));
  EXPECT_NE(std::string::npos, log.find("Error! Cannot open file 'sprites/nothing-spr.txt'"));
}

// A platform counts from a whole width right of the bunny's column 50 to half a width left of it;
// spikes kill within a width either side and two rows. The chunk is rebuilt once its floor is past
// column -50, truncated.
TEST_F(Game, PlatformAndSpikeBoundsAndTheRebuild) {
  const float PLATFORM = 12, SPIKES = 4;  // the widths the sprite files draw
  Chunk chunk(Vector(150, 40));
  chunk.addPiece("floor", Vector(-50.9f, 40));
  chunk.addPiece("platform", Vector(500, 26));
  chunk.addPiece("spikes", Vector(500, 31));
  const std::vector<wd::Object*> pieces = wd_test::contents(chunk.getPieces());
  wd::Object *p_floor = pieces[0], *p_platform = pieces[1], *p_spikes = pieces[2];

  const struct { float x, row, ground; } platforms[] = {
      {50 + PLATFORM, 26, 29}, {50 + PLATFORM - 0.5f, 26, 24}, {50 - PLATFORM / 2 + 0.5f, 22, 20},
      {50 - PLATFORM / 2, 22, 29}};
  for (const auto& c : platforms) {
    game.setGroundLevel(29);
    p_platform->setPosition(Vector(c.x, c.row));
    EXPECT_EQ(c.ground == 29, chunk.noPlatformUnderPlayer()) << c.x;
    EXPECT_EQ(c.ground, game.getGroundLevel()) << c.x;
  }
  const struct { float x, bunny_row; bool kills; } spikes[] = {
      {50 + SPIKES - 0.5f, 29, true}, {50 - SPIKES + 0.5f, 29, true}, {50 + SPIKES, 29, false},
      {50 - SPIKES, 29, false},       {50, 28, false}, {50, 32, true}, {50, 33, false}};
  for (const auto& c : spikes) {
    game.setPlayerDead(false);
    p_spikes->setPosition(Vector(c.x, 31));
    bunny()->setPosition(Vector(50, c.bunny_row));
    chunk.checkSpikes(bunny());
    EXPECT_EQ(c.kills, game.isPlayerDead()) << c.x << ", row " << c.bunny_row;
  }
  game.setPlayerDead(false);

  chunk.recycle();
  EXPECT_EQ(p_floor, wd::ObjectListIterator(&chunk.getPieces()).currentObject());
  const auto worldCount = [] { return wd::WorldManager::getInstance().getAllObjects().getCount(); };
  const int world_before = worldCount();
  p_floor->setPosition(Vector(-51, 40));
  chunk.recycle();
  p_floor = wd::ObjectListIterator(&chunk.getPieces()).currentObject();
  EXPECT_EQ("floor", p_floor->getType());
  EXPECT_EQ(149.0f, p_floor->getPosition().getX());
  // The old pieces and the staging pieces are gone from the world.
  EXPECT_EQ(world_before - 3 + chunk.getPieces().getCount(), worldCount());
}

// The first terrain is fixed, so a game that starts afresh (score 0, speed 1.5) always ends on the
// same frame.
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
    EXPECT_FALSE(game.isPlayerDead() || musicPlays());
    EXPECT_FLOAT_EQ(1.5f, game.getScrollSpeed());
    game.setGameOver(false);
  }
  EXPECT_GT(final_scores[0], 20);
  EXPECT_EQ(std::vector<int>(3, final_scores[0]), final_scores);
}
