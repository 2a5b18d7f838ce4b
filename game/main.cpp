// The bunny runner: alternates between the start screen and games until the
// player quits.
//
//   bunny-run [--terminal]
//
// --terminal (or WD_TERMINAL=1) plays in the terminal instead of a window.
#include <cstdio>

#include "DisplayManager.h"
#include "GameManager.h"
#include "GamePlay.h"
#include "ResourceManager.h"
#include "StartScreen.h"
#include "TerminalDisplay.h"
#include "WorldManager.h"

int main(int argc, char** argv) {
  wd::TerminalDisplay::getInstance().takeSwitch(argc, argv);
  if (argc != 1) {
    std::fprintf(stderr, "usage: bunny-run [--terminal]\n");
    return 2;
  }
  wd::GameManager& game_manager = wd::GameManager::getInstance();
  game_manager.startUp();

  // Without a window or a terminal no key can ever be read: the game would wait for ever.
  if (wd::DisplayManager::getInstance().getInputWindow() == nullptr &&
      !wd::TerminalDisplay::getInstance().isActive()) {
    std::printf("bunny-run: no display to open the game's window on (is DISPLAY set?)\n");
    game_manager.shutDown();
    return 1;
  }

  GamePlay game_play;
  StartScreen start_screen;
  while (true) {
    wd::WorldManager& world = wd::WorldManager::getInstance();
    world.shutDown();
    world.startUp();
    wd::ResourceManager& resources = wd::ResourceManager::getInstance();
    resources.shutDown();
    resources.startUp();

    if (start_screen.run() == StartScreen::QUIT) {
      game_manager.setGameOver(true);
      game_manager.shutDown();
      return 0;
    }
    game_manager.run(&game_play);
    game_manager.setGameOver(false);
  }
}
