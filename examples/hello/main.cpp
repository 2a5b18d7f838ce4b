// Starts the engine, builds Hello's world and plays until Q.
//
//   hello [--terminal] [--record FILE | --replay FILE [--fast]]
//         [--resizable] [--fullscreen] [--size WxH] [--closable]
#include <cstdio>

#include <wendrel/DisplayManager.h>
#include <wendrel/GameManager.h>
#include <wendrel/ReplaySwitches.h>

#include "hello.h"

int main(int argc, char** argv) {
  wd::ReplaySwitches switches;
  if (switches.read(argc, argv) != 0 || !switches.getOtherArguments().empty()) {
    std::fprintf(stderr, "usage: hello %s %s\n", wd::ReplaySwitches::USAGE,
                 wd::ReplaySwitches::WINDOW_USAGE);
    return 2;
  }
  if (switches.apply("Hello") != 0) {
    return 2;
  }
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  if (!wd::DisplayManager::getInstance().isOpen() || setUpHello() != 0) {
    std::printf("hello: no window, or files missing (see wendrel.log)\n");
    game.shutDown();
    return 1;
  }
  game.run();
  game.shutDown();
  return 0;
}
