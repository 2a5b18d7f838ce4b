#ifndef WD_GAME_MANAGER_H
#define WD_GAME_MANAGER_H

#include "Manager.h"

namespace wd {

class GameRules;

// Target length of one frame in milliseconds.
const int FRAME_TIME_MS = 33;

// Cells per frame that the terrain scrolls at the start of a game.
const float SCROLL_SPEED_START = 1.5f;

// Starts and stops every other manager, runs the game's frame loop and keeps
// the few numbers that the game's pieces share during a game.
class GameManager : public Manager {
 public:
  static GameManager& getInstance();

  // Starts log, display, input, world and resources, then sets the world
  // boundary and the view to the window's size in cells. From the log's
  // start on, SFML's diagnostics go to the log and the audio drivers' own
  // messages nowhere (see platform::quietAudioDrivers). Returns 0.
  int startUp() override;

  // Writes the counts of SFML's repeated messages, then stops log, input,
  // display, world and resources and sets game over.
  void shutDown() override;

  // One game: the rules' set-up, the frame loop until game over, the rules'
  // tail. Without rules the loop runs the engine's frame alone.
  void run(GameRules* p_rules = nullptr);

  // One frame of play without the pacing: the step event, input, the world's
  // update and drawing, the game's rules and the buffer swap.
  void runFrame(GameRules* p_rules);

  bool getGameOver() const;
  void setGameOver(bool new_game_over = true);
  int getFrameTime() const;

  float getGroundLevel() const;
  void setGroundLevel(float new_ground_level);
  float getBaseGroundLevel() const;
  bool isJumpSpriteShown() const;
  void setJumpSpriteShown(bool shown);
  int getStepCount() const;
  void incrementStepCount();
  bool isPlayerDead() const;
  void setPlayerDead(bool dead);
  float getScrollSpeed() const;
  void setScrollSpeed(float new_scroll_speed);

 private:
  GameManager();

  bool game_over;
  int frame_time;
  float base_ground_level;
  float ground_level;
  bool jump_sprite_shown;
  int step_count;
  bool player_dead;
  float scroll_speed;
};

}  // namespace wd

#endif
