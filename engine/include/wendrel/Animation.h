#ifndef WD_ANIMATION_H
#define WD_ANIMATION_H

#include <string>

#include "Box.h"
#include "Vector.h"

namespace wd {

class Sprite;

// Playback state of one sprite for one user; the sprite is shared, not owned.
class Animation {
 public:
  Animation();

  // Sets the sprite and rewinds to frame 0; the slowdown count is kept.
  void setSprite(Sprite* p_new_sprite);
  Sprite* getSprite() const;
  void setName(std::string new_name);
  std::string getName() const;
  void setIndex(int new_index);
  int getIndex() const;
  void setSlowdownCount(int new_slowdown_count);
  int getSlowdownCount() const;

  // Draws the current frame centred on position, then advances by the
  // sprite's slowdown. -1 without a sprite or while frozen.
  int draw(Vector position);

  // The sprite's extent as a box centred on the origin.
  Box getBox() const;

 private:
  Sprite* p_sprite;
  std::string name;
  int index;
  int slowdown_count;
};

}  // namespace wd

#endif
