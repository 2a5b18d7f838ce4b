#ifndef WD_GAME_MANAGER_H
#define WD_GAME_MANAGER_H

#include <functional>
#include <memory>
#include <string>

#include "InputReplay.h"
#include "Manager.h"

namespace wd {

class GameRules;
class InputSession;

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

  // Ends a recording or replay (see endSession), writes the counts of
  // SFML's repeated messages, then stops log, input, display, world and
  // resources and sets game over. After a replay that did not match, or a
  // recording that could not be written in full, ends the program with
  // REPLAY_MISMATCH_EXIT.
  void shutDown() override;

  // Records the game's input and frames into file, a recording of
  // game_name, from the next frame on: 0, or -1 (with the reason on
  // standard error) when the file cannot be written.
  int startRecording(const std::string& file, const std::string& game_name);

  // Replays the recording of game_name in file, at speed, from the next
  // frame on; report, when set, runs when the replay has matched to its
  // end. 0, or -1 (with the file, line and reason on standard error) when
  // the recording cannot be played.
  int startReplay(const std::string& file, const std::string& game_name, ReplaySpeed speed,
                  std::function<void()> report = nullptr);

  // Ends the recording or replay under way: 0, or -1 when a recording could
  // not be written or a replay did not match. The game runs as it does
  // without either from then on.
  int endSession();

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

  // Hands the input and the frames' fingerprints to p_new_session.
  void beginSession(std::unique_ptr<InputSession> p_new_session);

  bool game_over;
  int frame_time;
  float base_ground_level;
  float ground_level;
  bool jump_sprite_shown;
  int step_count;
  bool player_dead;
  float scroll_speed;
  std::unique_ptr<InputSession> p_session;
};

}  // namespace wd

#endif
