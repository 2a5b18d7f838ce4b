// The bunny runner: alternates between the start screen and games until the
// player quits.
//
//   bunny-run [--record FILE | --replay FILE [--fast]]
#include "BunnyRun.h"

int main(int argc, char** argv) {
  GamePlay game_play;
  return runBunnyRun(argc, argv, game_play);
}
