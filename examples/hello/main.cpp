// Starts the engine, builds Hello's world and plays until Q.
#include <cstdio>

#include <wendrel/DisplayManager.h>
#include <wendrel/GameManager.h>

#include "hello.h"

int main() {
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  if (wd::DisplayManager::getInstance().getInputWindow() == nullptr || setUpHello() != 0) {
    std::printf("hello: no window, or files missing (see wendrel.log)\n");
    game.shutDown();
    return 1;
  }
  game.run();
  game.shutDown();
  return 0;
}
