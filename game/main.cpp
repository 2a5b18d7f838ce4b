// The bunny runner: alternates between the start screen and games until the
// player quits.
//
//   bunny-run [--terminal] [--record FILE | --replay FILE [--fast]]
//
// --terminal (or WD_TERMINAL=1) plays in the terminal instead of a window.
#include "BunnyRun.h"

int main(int argc, char** argv) {
  GamePlay game_play;
  return runBunnyRun(argc, argv, game_play);
}
