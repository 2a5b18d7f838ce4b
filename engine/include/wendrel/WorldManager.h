#ifndef WD_WORLD_MANAGER_H
#define WD_WORLD_MANAGER_H

#include <string>
#include <unordered_set>

#include "Box.h"
#include "CollisionIndex.h"
#include "Manager.h"
#include "ObjectList.h"
#include "Vector.h"

namespace wd {

class Object;

// Owns the world: every object in it, the objects to take out at the end of
// the frame, the world boundary, the view and the object the view follows.
//
// A game may delete any object, its own or another, from inside any callback
// that the engine makes into an object: the step, keyboard, mouse,
// collision, out and view handlers, and draw. From its deletion on, the
// engine never touches the object again: no further event, no position, box
// or solidness read, no draw. An event that would name a deleted object is
// not delivered: when a collision handler deletes one of the two objects,
// the other does not get its half of that collision, and when it deletes the
// mover, the move ends there. A new object that is given the address of a
// deleted one is not taken for it. Everything else happens as it would
// without the deletion; in particular the update and the draw walk the live
// world list, so a deletion at or before the place reached lets the object
// that follows sit that walk out for the frame.
class WorldManager : public Manager {
 public:
  static WorldManager& getInstance();

  // Empties the world list (without deleting anything). Returns 0.
  int startUp() override;

  // Deletes every object still in the world.
  void shutDown() override;

  // Appends the object; 1 when the world is full.
  int insertObject(Object* p_o);

  // Takes the first entry equal to p_o out of the world. Always 0.
  int removeObject(Object* p_o);

  // Brings the collision index up to date after the object's position, box
  // or solidness changed; the object's setters call it.
  void refreshObject(const Object* p_o);

  // Drops every reference the engine keeps to an object that is going away:
  // its removal mark, the following when it is the followed object, and its
  // entries in the lists that callbacks are being walked over.
  void forgetObject(const Object* p_o);

  ObjectList getAllObjects() const;
  ObjectList objectsWithType(std::string type) const;

  // Marks the object to leave the world at the end of the next update.
  // 0 when it was already marked, -1 after marking it.
  int markForRemoval(Object* p_o);

  // Moves every object by its velocity, then takes the marked ones out.
  void update();

  // Draws the objects of altitude 0 to 3 whose boxes meet the view.
  void draw();

  // The solid objects that p_o would touch at where, in world order.
  ObjectList findCollisions(const Object* p_o, Vector where) const;

  // Whether findCollisions asks the collision index (the default) or walks
  // every object of the world; both give the same answers.
  void useCollisionIndex(bool use);

  // Bytes held by the collision index.
  std::size_t collisionIndexMemory() const;

  // Moves p_o to where with collisions and the boundary test. 0 when moved;
  // -1 when a hard collision blocked it, when a collision handler deleted it,
  // or when it has just left the world.
  int moveObject(Object* p_o, Vector where);

  void setBoundary(Box new_boundary);
  Box getBoundary() const;
  void setView(Box new_view);
  Box getView() const;

  // Centres the view on a world position, kept within the boundary's extents.
  void setViewPosition(Vector view_pos);

  // Makes the view follow the object; null stops following. -1 when the
  // object is not in the world.
  int setFollowedObject(Object* p_new_followed);

 private:
  WorldManager();

  // Sends collision events for a move of p_o to where; true when the move
  // may not go on: a hard collision blocks it, or a handler deleted p_o.
  bool collide(Object* p_o, Vector where);

  // Takes every marked object out of the world and clears the marks.
  void takeOutMarked();

  ObjectList world_objects;
  ObjectList removals;
  // The objects of removals, for finding them without walking the list.
  std::unordered_set<const Object*> marked;
  Box boundary;
  Box view;
  Object* p_followed;
  CollisionIndex collision_index;
  bool collision_index_used;
};

}  // namespace wd

#endif
