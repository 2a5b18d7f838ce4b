#ifndef CAVE_EXPLORER_H
#define CAVE_EXPLORER_H

#include <wendrel/Object.h>

// The player: walks while an arrow key is held, stopped by HARD walls, and
// throws a spark wherever the mouse clicks. Q ends the game.
class Explorer : public wd::Object {
 public:
  explicit Explorer(wd::Vector start);
  int handleEvent(const wd::Event* p_e) override;

  // Draws the explorer on the torch's light.
  int draw() override;

 private:
  int handleKey(const wd::Event* p_e);
  int handleMouse(const wd::Event* p_e);

  // Where the mouse last moved, in window pixels: a button press carries the
  // position only when the mouse moved in the same frame.
  wd::Vector mouse_pixels;
};

#endif
