#ifndef WD_EVENT_COLLISION_H
#define WD_EVENT_COLLISION_H

#include "Event.h"
#include "Vector.h"

namespace wd {

class Object;

// Sent to both objects of a collision: object 1 is the mover, object 2 the one
// it runs into, and the position is where the mover is trying to go.
class EventCollision : public Event {
 public:
  EventCollision(Object* p_o1, Object* p_o2, Vector p);

  Object* getObject1() const;
  void setObject1(Object* p_new_o1);
  Object* getObject2() const;
  void setObject2(Object* p_new_o2);
  Vector getPosition() const;
  void setPosition(Vector new_pos);

 private:
  Vector pos;
  Object* p_obj1;
  Object* p_obj2;
};

}  // namespace wd

#endif
