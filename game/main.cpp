// The bunny runner: alternates between the start screen and games until the
// player quits.
#include <cstdio>

#include "DisplayManager.h"
#include "GameManager.h"
#include "GamePlay.h"
#include "ResourceManager.h"
#include "StartScreen.h"
#include "WorldManager.h"

int main() {
  wd::GameManager& game_manager = wd::GameManager::getInstance();
  game_manager.startUp();

  // Without a window no key can ever be read: the game would wait for ever.
  if (wd::DisplayManager::getInstance().getInputWindow() == nullptr) {
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
