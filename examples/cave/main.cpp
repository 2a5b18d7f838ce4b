// The cave: the arrows walk, a click throws a spark, Q quits.
//
//   cave [--terminal] [--swarm N]
//
// --terminal (or WD_TERMINAL=1) plays in the terminal instead of a window.
// --swarm fills the world with N moving motes (as many as fit under the
// 5000-object limit) and prints the frames' mean and worst work time every
// three seconds: the engine's stress test.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <wendrel/DisplayManager.h>
#include <wendrel/FramePacer.h>
#include <wendrel/GameManager.h>
#include <wendrel/TerminalDisplay.h>
#include <wendrel/WorldManager.h>

#include "CaveRules.h"
#include "FrameStats.h"

namespace {

// N of "--swarm N", 0 without the switch, -1 for anything else.
int swarmSize(int argc, char** argv) {
  if (argc == 1) {
    return 0;
  }
  char* p_end = nullptr;
  const long size = argc == 3 && std::strcmp(argv[1], "--swarm") == 0
                        ? std::strtol(argv[2], &p_end, 10) : -1;
  const bool valid = p_end != nullptr && *p_end == '\0' && size >= 1 && size <= wd::MAX_OBJECTS;
  return valid ? static_cast<int>(size) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  wd::TerminalDisplay::getInstance().takeSwitch(argc, argv);
  const int swarm = swarmSize(argc, argv);
  if (swarm < 0) {
    std::fprintf(stderr, "usage: cave [--terminal] [--swarm N]   (N from 1 to %d)\n",
                 wd::MAX_OBJECTS);
    return 2;
  }
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  CaveRules rules;
  if (wd::DisplayManager::getInstance().getInputWindow() != nullptr ||
      wd::TerminalDisplay::getInstance().isActive()) {
    rules.setUp();
  }
  if (rules.getExplorer() == nullptr) {
    std::printf("cave: no window, or files missing (see wendrel.log)\n");
    game.shutDown();
    return 1;
  }
  if (swarm > 0) {
    const int added = rules.fillSwarm(swarm);
    std::printf("swarm: %d motes added, %d objects in the world\n", added,
                wd::WorldManager::getInstance().getAllObjects().getCount());
  }
  // The game manager's own loop, with each frame's work timed.
  wd::FramePacer pacer(game.getFrameTime());
  FrameStats stats(3000);
  while (!game.getGameOver()) {
    pacer.startFrame();
    const auto start = std::chrono::steady_clock::now();
    game.runFrame(&rules);
    const std::chrono::duration<double, std::milli> work = std::chrono::steady_clock::now() - start;
    if (stats.add(work.count()) && swarm > 0) {
      std::printf("%d frames: mean %.2f ms, worst %.2f ms of work\n", stats.getFrames(),
                  stats.getMean(), stats.getWorst());
      std::fflush(stdout);
    }
    pacer.endFrame();
  }
  rules.tail();
  game.shutDown();
  return 0;
}
