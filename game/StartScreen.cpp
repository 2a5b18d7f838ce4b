#include "StartScreen.h"

#include <string>

#include "DisplayManager.h"
#include "FramePacer.h"
#include "GameManager.h"
#include "GameResources.h"
#include "InputManager.h"
#include "Object.h"
#include "ResourceManager.h"
#include "WorldManager.h"
#include "platform.h"

namespace {

const int QUIT_PAUSE_MS = 1000;
const int TITLE_ALTITUDE = 2;
const wd::Vector TITLE_POSITION(50, 20);

}  // namespace

StartScreen::StartScreen() : quit_pause(QUIT_PAUSE_MS), p_title(nullptr) {}

void StartScreen::setQuitPause(int milliseconds) { quit_pause = milliseconds; }

StartScreen::Choice StartScreen::run() {
  wd::InputManager& input = wd::InputManager::getInstance();
  wd::WorldManager& world = wd::WorldManager::getInstance();
  playMusicLoop("sounds/start.ogg", "musicStart");
  p_title = new wd::Object;
  wd::FramePacer pacer(wd::GameManager::getInstance().getFrameTime());
  bool start = false;
  while (!start) {
    pacer.startFrame();
    input.pollInput();
    world.update();
    world.draw();
    showTitle();
    input.pollInput();
    const std::string button_string = input.getButtonName();
    if (wd::DisplayManager::getInstance().isCloseRequested()) {
      stopMusic("musicStart");
      return QUIT;
    }
    if (button_string == "F11") {
      wd::DisplayManager::getInstance().toggleFullscreen();
      input.clearButtonName();
    }
    if (button_string == "P") {
      world.shutDown();
      world.startUp();
      p_title = nullptr;
      stopMusic("musicStart");
      start = true;
      playSoundOnce("sounds/play.ogg", "play");
    } else if (button_string == "Q") {
      stopMusic("musicStart");
      playSoundOnce("sounds/quit.ogg", "quit");
      wd::platform::sleepMilliseconds(quit_pause);
      return QUIT;
    } else {
      wd::DisplayManager::getInstance().swapBuffers();
      pacer.endFrame();
    }
  }
  return PLAY;
}

// The title is set up again every frame; its sprite is read from file once.
void StartScreen::showTitle() {
  const wd::Animation title_animation = loadAnimation("sprites/gamestart-spr.txt", "startScreen");
  p_title->setAltitude(TITLE_ALTITUDE);
  p_title->setPosition(TITLE_POSITION);
  p_title->setSprite("startScreen");
  p_title->setAnimation(title_animation);
}
