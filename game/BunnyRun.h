#ifndef BUNNY_BUNNY_RUN_H
#define BUNNY_BUNNY_RUN_H

#include "GamePlay.h"

// The name a recording of Bunny Run carries.
extern const char* const BUNNY_RUN_NAME;

// The whole program with the rules of game_play: reads the shared switches
// (--record FILE, --replay FILE, --fast), starts the engine and alternates
// between the start screen and games until the player quits. Returns the
// program's exit status.
int runBunnyRun(int argc, const char* const* argv, GamePlay& game_play);

#endif
