#ifndef BUNNY_PLAYER_H
#define BUNNY_PLAYER_H

#include <string>

#include "Object.h"

// Frames a jump keeps rising.
const float JUMP_DURATION = 5.0f;

// The bunny: one world object at a fixed column that jumps, falls one row a
// frame and lands on the game's current ground level. The world owns the
// object; the player only drives it.
class Player {
 public:
  Player();
  virtual ~Player();

  wd::Object* getObject() const;
  bool isJumping() const;
  void setJumping(bool new_jumping);
  bool isOnGround() const;
  void setOnGround(bool new_on_ground);

  // Shows the sprite of "sprites/<label>-spr.txt", loaded under that label.
  wd::Object* changeSprite(std::string label);

  // The per-frame jump, fall and landing rule, for a jump that began at the
  // step count jump_start and rises for jump_duration frames.
  void move(float jump_duration, int jump_start);

 private:
  wd::Object* p_object;
  bool jumping;
  bool on_ground;
};

#endif
