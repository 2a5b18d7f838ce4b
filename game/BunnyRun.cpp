#include "BunnyRun.h"

#include <cstdio>

#include "DisplayManager.h"
#include "GameManager.h"
#include "ReplaySwitches.h"
#include "ResourceManager.h"
#include "StartScreen.h"
#include "WorldManager.h"

const char* const BUNNY_RUN_NAME = "Bunny Run";

int runBunnyRun(int argc, const char* const* argv, GamePlay& game_play) {
  wd::ReplaySwitches switches;
  if (switches.read(argc, argv) != 0 || !switches.getOtherArguments().empty()) {
    std::fprintf(stderr, "bunny-run: %s\nusage: bunny-run %s %s\n",
                 switches.getError().empty() ? "unknown argument" : switches.getError().c_str(),
                 wd::ReplaySwitches::USAGE, wd::ReplaySwitches::WINDOW_USAGE);
    return 2;
  }
  // A recording that cannot be played is refused before the window opens.
  const auto report_score = [&game_play] {
    std::printf("final score: %d\n", game_play.getScore());
  };
  if (switches.apply(BUNNY_RUN_NAME, report_score) != 0) {
    return 2;
  }
  wd::GameManager& game_manager = wd::GameManager::getInstance();
  game_manager.startUp();

  // Without a window or a terminal no key can ever be read: the game would wait for ever.
  if (!wd::DisplayManager::getInstance().isOpen()) {
    std::printf("bunny-run: no display to open the game's window on (is DISPLAY set?)\n");
    game_manager.endSession();
    game_manager.shutDown();
    return 1;
  }

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
    // Closing the window ends the program as quitting does.
    if (wd::DisplayManager::getInstance().isCloseRequested()) {
      game_manager.shutDown();
      return 0;
    }
    game_manager.setGameOver(false);
  }
}
