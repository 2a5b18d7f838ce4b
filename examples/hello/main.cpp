// Starts the engine, builds Hello's world and plays until Q.
//
//   hello [--terminal]
#include <cstdio>

#include <wendrel/DisplayManager.h>
#include <wendrel/GameManager.h>
#include <wendrel/TerminalDisplay.h>

#include "hello.h"

int main(int argc, char** argv) {
  wd::TerminalDisplay::getInstance().takeSwitch(argc, argv);
  if (argc != 1) {
    std::fprintf(stderr, "usage: hello [--terminal]\n");
    return 2;
  }
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  const bool has_input = wd::DisplayManager::getInstance().getInputWindow() != nullptr ||
                         wd::TerminalDisplay::getInstance().isActive();
  if (!has_input || setUpHello() != 0) {
    std::printf("hello: no window, or files missing (see wendrel.log)\n");
    game.shutDown();
    return 1;
  }
  game.run();
  game.shutDown();
  return 0;
}
