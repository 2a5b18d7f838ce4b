#ifndef CAVE_RULES_H
#define CAVE_RULES_H

#include <vector>

#include <wendrel/GameRules.h>
#include <wendrel/ViewObject.h>

class Explorer;

// The cave: a walled world three views wide and two high that the view
// follows the explorer through, gems to collect, moss to walk over, and
// counters in the view's corners. Along the top runs a tunnel, rows 3 to
// TUNNEL_BOTTOM, that holds nothing but moss; the explorer starts in it.
class CaveRules : public wd::GameRules {
 public:
  static const int WORLD_WIDTH = 300;
  static const int WORLD_HEIGHT = 100;
  static const int TUNNEL_BOTTOM = 28;

  CaveRules();

  // Loads the sprites and the sound and builds the cave. A missing file
  // leaves the explorer null.
  void setUp() override;

  // Places and draws the counters where the view now is.
  void frameRules() override;

  void tail() override {}

  // Adds up to count moving motes, as many as the world still takes;
  // returns how many were added.
  int fillSwarm(int count);

  Explorer* getExplorer() const;

 private:
  wd::ViewObject* addCounter(const char* caption, wd::Location location, wd::Color color);
  void buildWalls();

  Explorer* p_explorer;
  wd::ViewObject* p_objects;
  std::vector<wd::ViewObject*> counters;
};

#endif
