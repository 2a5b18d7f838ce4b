// The bunny runner: alternates between the start screen and games until the
// player quits.
//
//   bunny-run [--terminal] [--record FILE | --replay FILE [--fast]]
//             [--resizable] [--fullscreen] [--size WxH] [--closable]
//
// --terminal (or WD_TERMINAL=1) plays in the terminal instead of a window.
// The window's switches give a window the player may resize, full screen
// at start, or of a starting size, each with a close button that ends the
// game (--closable gives the close button alone); F11 switches full screen.
#include "BunnyRun.h"

int main(int argc, char** argv) {
  GamePlay game_play;
  return runBunnyRun(argc, argv, game_play);
}
