#ifndef CAVE_GEM_H
#define CAVE_GEM_H

#include <wendrel/Object.h>

// A SOFT pickup: the explorer walks through it and collects it.
class Gem : public wd::Object {
 public:
  explicit Gem(wd::Vector where);
  int handleEvent(const wd::Event* p_e) override;

  // Draws the gem in its own colour, twinkling, on the torch's light.
  int draw() override;
};

#endif
