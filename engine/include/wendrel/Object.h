#ifndef WD_OBJECT_H
#define WD_OBJECT_H

#include <string>

#include "Animation.h"
#include "Box.h"
#include "Vector.h"

namespace wd {

class Event;

// How an object takes part in collisions.
enum Solidness {
  HARD = 0,        // collides, and two hard objects block each other
  SOFT = 1,        // collides but never blocks
  INTANGIBLE = 2,  // takes no part in collisions
};

// Everything that lives in the world. An object joins the world when it is
// constructed and leaves it when it is destroyed; it is created on the heap.
class Object {
 public:
  Object();
  virtual ~Object();

  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // Ignores every event and returns 0; derived classes react to events.
  virtual int handleEvent(const Event* p_e);

  // Draws the animation at the object's position.
  virtual int draw();

  int getId() const;
  void setId(int new_id);
  std::string getType() const;
  void setType(std::string new_type);
  Vector getPosition() const;
  void setPosition(Vector new_pos);
  int getAltitude() const;
  int setAltitude(int new_altitude);
  Solidness getSolidness() const;
  int setSolidness(Solidness new_solid);
  bool isSolid() const;

  Vector getDirection() const;
  void setDirection(Vector new_direction);
  float getSpeed() const;
  void setSpeed(float new_speed);
  Vector getVelocity() const;
  void setVelocity(Vector new_velocity);
  // Position plus velocity; nothing changes.
  Vector nextPosition() const;

  Box getBox() const;
  void setBox(Box new_box);
  Animation getAnimation() const;
  void setAnimation(Animation new_animation);

  // Gives the animation the registered sprite of that label and takes its box.
  // -1 when no sprite has the label.
  int setSprite(std::string sprite_label);

  std::string getLabel() const;
  void setLabel(std::string new_label);
  int getMarker() const;
  void setMarker(int new_marker);
  Vector getAnchor() const;
  void setAnchor(Vector new_anchor);

 private:
  int id;
  std::string type;
  Vector position;
  int altitude;
  Vector direction;
  float speed;
  Solidness solidness;
  Animation animation;
  Box box;
  std::string label;
  int marker;
  Vector anchor;
};

}  // namespace wd

#endif
