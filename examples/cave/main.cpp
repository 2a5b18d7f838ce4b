// The cave: the arrows walk, a click throws a spark, Q quits.
//
//   cave [--swarm N] [--terminal] [--record FILE | --replay FILE [--fast]]
//        [--resizable] [--fullscreen] [--size WxH] [--closable]
//
// --terminal (or WD_TERMINAL=1) plays in the terminal instead of a window.
// --swarm fills the world with N moving motes (as many as fit under the
// 5000-object limit) and prints the frames' mean and worst work time every
// three seconds (into the log when in the terminal): the engine's stress
// test. --record and --replay record a game and play it back (see the
// engine's ReplaySwitches).
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <wendrel/DisplayManager.h>
#include <wendrel/FramePacer.h>
#include <wendrel/GameManager.h>
#include <wendrel/LogManager.h>
#include <wendrel/ReplaySwitches.h>
#include <wendrel/TerminalDisplay.h>
#include <wendrel/WorldManager.h>

#include "CaveRules.h"
#include "FrameStats.h"

namespace {

// N of "--swarm N" among the arguments, 0 without the switch, -1 for anything else.
int swarmSize(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    return 0;
  }
  char* p_end = nullptr;
  const long size = arguments.size() == 2 && arguments[0] == "--swarm"
                        ? std::strtol(arguments[1].c_str(), &p_end, 10) : -1;
  const bool valid = p_end != nullptr && *p_end == '\0' && size >= 1 && size <= wd::MAX_OBJECTS;
  return valid ? static_cast<int>(size) : -1;
}

// Prints a line of the swarm's figures on standard output or, while the cave
// plays in the terminal, whose screen the line would scribble over, into the
// log.
__attribute__((format(printf, 1, 2))) void report(const char* format, ...) {
  char line[256];
  std::va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (wd::TerminalDisplay::getInstance().isActive()) {
    wd::LogManager::getInstance().writeMessage("%s\n", line);
    return;
  }
  std::printf("%s\n", line);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  wd::ReplaySwitches switches;
  const int swarm = switches.read(argc, argv) == 0 ? swarmSize(switches.getOtherArguments()) : -1;
  if (swarm < 0) {
    std::fprintf(stderr, "usage: cave [--swarm N] %s %s   (N from 1 to %d)\n",
                 wd::ReplaySwitches::USAGE, wd::ReplaySwitches::WINDOW_USAGE, wd::MAX_OBJECTS);
    return 2;
  }
  if (switches.apply("Cave") != 0) {
    return 2;
  }
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  CaveRules rules;
  if (wd::DisplayManager::getInstance().isOpen()) {
    rules.setUp();
  }
  if (rules.getExplorer() == nullptr) {
    std::printf("cave: no window, or files missing (see wendrel.log)\n");
    game.shutDown();
    return 1;
  }
  if (swarm > 0) {
    const int added = rules.fillSwarm(swarm);
    report("swarm: %d motes added, %d objects in the world", added,
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
      report("%d frames: mean %.2f ms, worst %.2f ms of work", stats.getFrames(), stats.getMean(),
             stats.getWorst());
    }
    pacer.endFrame();
  }
  rules.tail();
  game.shutDown();
  return 0;
}
