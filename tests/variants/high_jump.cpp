// Bunny Run with a jump one cell higher: a changed rule whose first changed
// frame a replay of an unchanged game's recording must find.
#include "BunnyRun.h"
#include "Player.h"

int main(int argc, char** argv) {
  GamePlay game_play;
  game_play.setJumpDuration(JUMP_DURATION + 1);
  return runBunnyRun(argc, argv, game_play);
}
