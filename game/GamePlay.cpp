#include "GamePlay.h"

#include <cstring>

#include "Box.h"
#include "DisplayManager.h"
#include "GameManager.h"
#include "GameResources.h"
#include "InputManager.h"
#include "WorldManager.h"
#include "platform.h"

namespace {

const int GAME_OVER_PAUSE_MS = 4000;
const float SPEED_GROWTH = 0.001f;
const int DEATH_FRAME_INDEX = 4;
const wd::Vector PICTURE_POSITION(50, 20);

wd::GameManager& game() { return wd::GameManager::getInstance(); }

}  // namespace

GamePlay::GamePlay()
    : jump_start(0),
      score(0),
      still_alive(true),
      game_over_pause(GAME_OVER_PAUSE_MS),
      jump_duration(JUMP_DURATION),
      p_score_view(nullptr),
      p_game_over_picture(nullptr) {}

GamePlay::~GamePlay() {}

void GamePlay::setUp() {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.setBoundary(wd::Box(wd::Vector(0, 0), 200, 50));
  world.setView(wd::Box(wd::Vector(0, 0), 100, 50));

  p_player = std::make_unique<Player>();
  jump_start = 0;
  score = 0;

  p_score_view = new wd::ViewObject;
  p_score_view->setCaption("Score:");
  p_score_view->setValue(0);
  p_score_view->setLocation(wd::TOP_CENTER);
  p_score_view->setColor(wd::CYAN);
  p_score_view->draw();

  p_chunk1 = std::make_unique<Chunk>(wd::Vector(50, 40));
  p_chunk1->addPiece("floor", wd::Vector(50, 40));
  p_chunk1->addPiece("platform", wd::Vector(90, 26));
  p_chunk1->addPiece("spikes", wd::Vector(90, 31));

  p_chunk2 = std::make_unique<Chunk>(wd::Vector(REFERENCE_FLOOR_X, 40));
  p_chunk2->addPiece("floor", wd::Vector(150, 40));
  p_chunk2->addPiece("spikes", wd::Vector(125, 31));
  p_chunk2->addPiece("spikes", wd::Vector(185, 31));
  p_chunk2->addPiece("platform", wd::Vector(125, 26));
  p_chunk2->addPiece("platform", wd::Vector(145, 22));
  p_chunk2->addPiece("platform", wd::Vector(185, 26));

  playMusicLoop("sounds/background.ogg", "music");
  still_alive = true;

  p_game_over_picture = new wd::Object;
  game_over_animation = loadAnimation("sprites/gameover-spr.txt", "gameover");
}

void GamePlay::frameRules() {
  drawScore();
  wd::DisplayManager::getInstance().drawString(wd::Vector(0, 3), std::string(100, '-'),
                                               wd::ALIGN_LEFT, wd::WHITE);
  p_chunk1->recycle();
  p_chunk2->recycle();
  const bool no_platform_1 = p_chunk1->noPlatformUnderPlayer();
  const bool no_platform_2 = p_chunk2->noPlatformUnderPlayer();
  p_chunk1->checkSpikes(p_player->getObject());
  p_chunk2->checkSpikes(p_player->getObject());
  settleGroundLevel(no_platform_1, no_platform_2);
  handleJumpKey();
  p_player->move(jump_duration, jump_start);
  chooseSprite();
  speedUp();
  if (game().isPlayerDead()) {
    playDeath();
  }
}

void GamePlay::tail() {
  if (!still_alive) {
    wd::platform::sleepMilliseconds(game_over_pause);
  }
  game().setPlayerDead(false);
  still_alive = true;
  game().setScrollSpeed(wd::SCROLL_SPEED_START);
}

void GamePlay::drawScore() {
  score++;
  p_score_view->setLocation(wd::TOP_CENTER);
  p_score_view->setValue(score);
  p_score_view->draw();
}

// Exactly one chunk with a platform under the bunny keeps the level that
// platform set; otherwise, and whenever the bunny is below the level, the
// bunny lands on the floor.
void GamePlay::settleGroundLevel(bool no_platform_1, bool no_platform_2) {
  const float base = game().getBaseGroundLevel();
  if (no_platform_1 == no_platform_2) {
    game().setGroundLevel(base);
  }
  const float row = p_player->getObject()->getPosition().getY();
  if (game().getGroundLevel() != row && row > game().getGroundLevel()) {
    game().setGroundLevel(base);
  }
}

// One key stroke counts once: the recorded name is cleared every frame.
void GamePlay::handleJumpKey() {
  wd::InputManager& input = wd::InputManager::getInstance();
  input.pollInput();
  const std::string button_string = input.getButtonName();
  game().incrementStepCount();
  if (button_string == "F11") {
    wd::DisplayManager::getInstance().toggleFullscreen();
  }
  if (button_string == "SPACE" && p_player->isOnGround()) {
    p_player->setJumping(true);
    jump_start = game().getStepCount();
    playSoundOnce("sounds/jump.ogg", "jump");
  }
  input.clearButtonName();
}

void GamePlay::chooseSprite() {
  wd::Object* p_bunny = p_player->getObject();
  const bool touching =
      !wd::WorldManager::getInstance().findCollisions(p_bunny, p_bunny->getPosition()).isEmpty() ||
      p_bunny->getPosition().getY() == game().getBaseGroundLevel();
  if (touching && !p_player->isJumping() && game().isJumpSpriteShown() &&
      p_player->isOnGround()) {
    game().setJumpSpriteShown(false);
    p_player->changeSprite("bunnyWalk");
    return;
  }
  if (!p_player->isOnGround() && !game().isJumpSpriteShown()) {
    game().setJumpSpriteShown(true);
    p_player->changeSprite("bunnyJump");
  }
}

void GamePlay::speedUp() {
  game().setScrollSpeed(game().getScrollSpeed() + SPEED_GROWTH);
  p_chunk1->setPieceSpeed();
  p_chunk2->setPieceSpeed();
}

void GamePlay::playDeath() {
  if (still_alive) {
    still_alive = false;
    p_player->changeSprite("bunnyDeath");
    p_game_over_picture->setAltitude(2);
    p_game_over_picture->setPosition(PICTURE_POSITION);
    p_game_over_picture->setSprite("gameover");
    p_game_over_picture->setAnimation(game_over_animation);
  }
  if (p_player->getObject()->getAnimation().getIndex() == DEATH_FRAME_INDEX) {
    game().setGameOver(true);
    playSoundOnce("sounds/short_end.ogg", "death");
    stopMusic("music");
  }
}

void GamePlay::setGameOverPause(int milliseconds) { game_over_pause = milliseconds; }

void GamePlay::setJumpDuration(float frames) { jump_duration = frames; }

Player* GamePlay::getPlayer() const { return p_player.get(); }

Chunk* GamePlay::getChunk1() const { return p_chunk1.get(); }

Chunk* GamePlay::getChunk2() const { return p_chunk2.get(); }

int GamePlay::getScore() const { return score; }

wd::ViewObject* GamePlay::getScoreView() const { return p_score_view; }

wd::Object* GamePlay::getGameOverPicture() const { return p_game_over_picture; }

bool GamePlay::isStillAlive() const { return still_alive; }
