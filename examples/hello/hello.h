// Hello, the smallest complete Wendrel game: the arrow keys walk the hero,
// touching the star scores, Q quits.
#ifndef HELLO_H
#define HELLO_H

#include <wendrel/Object.h>

// The player's figure: walks while an arrow key is held.
class Hero : public wd::Object {
 public:
  Hero();
  int handleEvent(const wd::Event* p_e) override;
};

// Something to catch: touched by the hero, it rings, scores and jumps away.
class Star : public wd::Object {
 public:
  Star();
  int handleEvent(const wd::Event* p_e) override;
};

// Loads the sprites and the sound, then builds the world: the hero, the star
// and the score. 0 on success, -1 when a file is missing.
int setUpHello();

#endif
