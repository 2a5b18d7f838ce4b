#ifndef BUNNY_GAME_PLAY_H
#define BUNNY_GAME_PLAY_H

#include <memory>

#include "Animation.h"
#include "Chunk.h"
#include "GameRules.h"
#include "Object.h"
#include "Player.h"
#include "ViewObject.h"

// The rules of one run of the bunny over the scrolling terrain, handed to
// the game manager's frame loop: the set-up, the rules of each frame and the
// tail after game over.
class GamePlay : public wd::GameRules {
 public:
  GamePlay();
  ~GamePlay() override;

  void setUp() override;
  void frameRules() override;
  void tail() override;

  // Milliseconds the last frame stays on screen after the bunny's death.
  void setGameOverPause(int milliseconds);

  // Frames a jump keeps rising (JUMP_DURATION unless changed).
  void setJumpDuration(float frames);

  Player* getPlayer() const;
  Chunk* getChunk1() const;
  Chunk* getChunk2() const;
  int getScore() const;
  wd::ViewObject* getScoreView() const;
  wd::Object* getGameOverPicture() const;
  bool isStillAlive() const;

 private:
  void drawScore();
  void settleGroundLevel(bool no_platform_1, bool no_platform_2);
  void handleJumpKey();
  void chooseSprite();
  void speedUp();
  void playDeath();

  int jump_start;
  int score;
  bool still_alive;
  int game_over_pause;
  float jump_duration;
  // The player and the chunks are the game's; the objects they drive
  // belong to the world, which empties itself before the next game.
  std::unique_ptr<Player> p_player;
  std::unique_ptr<Chunk> p_chunk1;
  std::unique_ptr<Chunk> p_chunk2;
  wd::ViewObject* p_score_view;
  wd::Object* p_game_over_picture;
  wd::Animation game_over_animation;
};

#endif
