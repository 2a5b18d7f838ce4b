#include "GameManager.h"

#include <cstdio>
#include <cstdlib>

#include <SFML/System/Err.hpp>

#include "Box.h"
#include "DiagnosticLog.h"
#include "DisplayManager.h"
#include "EventStep.h"
#include "FramePacer.h"
#include "GameRules.h"
#include "InputManager.h"
#include "InputRecorder.h"
#include "InputReplay.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "WorldManager.h"
#include "platform.h"

namespace wd {

namespace {

// SFML's diagnostics go to the log from the engine's start to the end of the
// program. Made before the resource manager, this outlives every audio
// object, so what they say while being destroyed at exit (on a machine with
// no sound device, a complaint each) still stays off the terminal.
DiagnosticLog& sfmlDiagnostics() {
  static DiagnosticLog diagnostics("SFML", sf::err());
  return diagnostics;
}

}  // namespace

GameManager::GameManager()
    : game_over(false),
      frame_time(FRAME_TIME_MS),
      base_ground_level(29.0f),
      ground_level(29.0f),
      jump_sprite_shown(false),
      step_count(0),
      player_dead(false),
      scroll_speed(SCROLL_SPEED_START),
      p_session(nullptr) {
  setType("GameManager");
}

GameManager& GameManager::getInstance() {
  static GameManager game_manager;
  return game_manager;
}

int GameManager::startUp() {
  platform::beginTimerPeriod();
  LogManager::getInstance().startUp();
  platform::quietAudioDrivers();
  sfmlDiagnostics();
  DisplayManager& display_manager = DisplayManager::getInstance();
  display_manager.startUp();
  InputManager::getInstance().startUp();
  WorldManager& world_manager = WorldManager::getInstance();
  world_manager.startUp();
  ResourceManager::getInstance().startUp();

  const Box window_cells(Vector(0, 0), static_cast<float>(display_manager.getColumns()),
                         static_cast<float>(display_manager.getRows()));
  world_manager.setBoundary(window_cells);
  world_manager.setView(window_cells);
  Manager::startUp();
  return 0;
}

void GameManager::shutDown() {
  const int session_result = endSession();
  platform::endTimerPeriod();
  sfmlDiagnostics().reportRepeats();
  LogManager::getInstance().shutDown();
  InputManager::getInstance().shutDown();
  DisplayManager::getInstance().shutDown();
  WorldManager::getInstance().shutDown();
  ResourceManager::getInstance().shutDown();
  setGameOver(true);
  Manager::shutDown();
  if (session_result != 0) {
    std::exit(REPLAY_MISMATCH_EXIT);
  }
}

int GameManager::startRecording(const std::string& file, const std::string& game_name) {
  std::unique_ptr<InputRecorder> p_recorder(new InputRecorder);
  if (p_recorder->open(file, game_name) != 0) {
    std::fprintf(stderr, "%s: cannot write the recording\n", file.c_str());
    return -1;
  }
  beginSession(std::move(p_recorder));
  return 0;
}

int GameManager::startReplay(const std::string& file, const std::string& game_name,
                             ReplaySpeed speed, std::function<void()> report) {
  RecordingReader reader;
  if (reader.readFile(file, game_name) != 0) {
    std::fprintf(stderr, "%s\n", reader.getError().c_str());
    return -1;
  }
  beginSession(std::unique_ptr<InputSession>(new InputReplay(file, reader, std::move(report))));
  const bool fast = speed == REPLAY_FAST;
  DisplayManager::getInstance().setRasterising(!fast);
  platform::setSleepsSkipped(fast);
  return 0;
}

int GameManager::endSession() {
  if (p_session == nullptr) {
    return 0;
  }
  InputManager::getInstance().setSession(nullptr);
  DisplayManager& display_manager = DisplayManager::getInstance();
  display_manager.getFrameFingerprint().setListener(nullptr);
  display_manager.setRasterising(true);
  platform::setSleepsSkipped(false);
  // Taken out first, so that ending the program from the session's end
  // cannot end it twice.
  std::unique_ptr<InputSession> p_ending = std::move(p_session);
  return p_ending->finish();
}

void GameManager::beginSession(std::unique_ptr<InputSession> p_new_session) {
  endSession();
  p_session = std::move(p_new_session);
  InputManager::getInstance().setSession(p_session.get());
  DisplayManager::getInstance().getFrameFingerprint().setListener(p_session.get());
}

void GameManager::run(GameRules* p_rules) {
  FramePacer pacer(frame_time);
  if (p_rules != nullptr) {
    p_rules->setUp();
  }
  while (!game_over) {
    pacer.startFrame();
    runFrame(p_rules);
    pacer.endFrame();
  }
  if (p_rules != nullptr) {
    p_rules->tail();
  }
}

void GameManager::runFrame(GameRules* p_rules) {
  const EventStep step;
  broadcastEvent(&step);
  InputManager::getInstance().pollInput();
  WorldManager& world_manager = WorldManager::getInstance();
  world_manager.update();
  world_manager.draw();
  if (p_rules != nullptr) {
    p_rules->frameRules();
  }
  DisplayManager::getInstance().swapBuffers();
}

bool GameManager::getGameOver() const { return game_over; }

void GameManager::setGameOver(bool new_game_over) { game_over = new_game_over; }

int GameManager::getFrameTime() const { return frame_time; }

float GameManager::getGroundLevel() const { return ground_level; }

void GameManager::setGroundLevel(float new_ground_level) { ground_level = new_ground_level; }

float GameManager::getBaseGroundLevel() const { return base_ground_level; }

bool GameManager::isJumpSpriteShown() const { return jump_sprite_shown; }

void GameManager::setJumpSpriteShown(bool shown) { jump_sprite_shown = shown; }

int GameManager::getStepCount() const { return step_count; }

void GameManager::incrementStepCount() { step_count++; }

bool GameManager::isPlayerDead() const { return player_dead; }

void GameManager::setPlayerDead(bool dead) { player_dead = dead; }

float GameManager::getScrollSpeed() const { return scroll_speed; }

void GameManager::setScrollSpeed(float new_scroll_speed) { scroll_speed = new_scroll_speed; }

}  // namespace wd
