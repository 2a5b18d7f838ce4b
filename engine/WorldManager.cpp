#include "WorldManager.h"

#include <cmath>

#include "EventCollision.h"
#include "EventOut.h"
#include "Object.h"
#include "ObjectListIterator.h"
#include "ObjectWalk.h"
#include "utility.h"

namespace wd {

namespace {

const int LOWEST_DRAWN_ALTITUDE = 0;
const int HIGHEST_DRAWN_ALTITUDE = 3;

// One axis of the view's corner: centred on the position, stopped at the
// boundary's far edge and never below 0.
float clampedViewStart(float centre, float view_extent, float boundary_extent) {
  float start = centre - view_extent / 2;
  if (start + view_extent > boundary_extent) {
    start = std::fabs(boundary_extent - view_extent);
  }
  if (start < 0) {
    start = 0;
  }
  return start;
}

}  // namespace

WorldManager::WorldManager()
    : p_followed(nullptr), collision_index(&world_objects), collision_index_used(true) {
  setType("WorldManager");
  marked.reserve(MAX_OBJECTS);
}

WorldManager& WorldManager::getInstance() {
  static WorldManager world_manager;
  return world_manager;
}

int WorldManager::startUp() {
  Manager::startUp();
  world_objects.clear();
  collision_index.clear();
  return 0;
}

void WorldManager::shutDown() {
  ObjectList doomed = world_objects;
  for (ObjectWalk walk(&doomed); !walk.isDone(); walk.next()) {
    delete walk.currentObject();
  }
  Manager::shutDown();
}

int WorldManager::insertObject(Object* p_o) {
  if (world_objects.insert(p_o) != 0) {
    return 1;
  }
  collision_index.insert(p_o);
  return 0;
}

int WorldManager::removeObject(Object* p_o) {
  if (world_objects.remove(p_o) == 0) {
    collision_index.remove(p_o);
  }
  return 0;
}

void WorldManager::refreshObject(const Object* p_o) { collision_index.refresh(p_o); }

void WorldManager::forgetObject(const Object* p_o) {
  if (marked.erase(p_o) > 0) {
    removals.remove(const_cast<Object*>(p_o));
  }
  if (p_followed == p_o) {
    p_followed = nullptr;
  }
  ObjectWalk::forgetEverywhere(p_o);
}

ObjectList WorldManager::getAllObjects() const { return world_objects; }

ObjectList WorldManager::objectsWithType(std::string type) const {
  ObjectList matches;
  for (ObjectListIterator li(&world_objects); !li.isDone(); li.next()) {
    if (li.currentObject()->getType() == type) {
      matches.insert(li.currentObject());
    }
  }
  return matches;
}

int WorldManager::markForRemoval(Object* p_o) {
  if (marked.count(p_o) > 0) {
    return 0;
  }
  if (removals.insert(p_o) == 0) {
    marked.insert(p_o);
  }
  return -1;
}

void WorldManager::update() {
  for (ObjectListIterator li(&world_objects); !li.isDone(); li.next()) {
    Object* p_o = li.currentObject();
    moveObject(p_o, p_o->nextPosition());
  }
  takeOutMarked();
}

void WorldManager::takeOutMarked() {
  if (removals.isEmpty()) {
    return;
  }
  // One pass over the world instead of one search per marked object. The
  // marked objects are distinct, so each loses its first entry whatever the
  // order, as removeObject would take it.
  ObjectList kept;
  for (ObjectListIterator li(&world_objects); !li.isDone(); li.next()) {
    if (marked.erase(li.currentObject()) == 0) {
      kept.insert(li.currentObject());
    }
  }
  world_objects = kept;
  for (ObjectListIterator li(&removals); !li.isDone(); li.next()) {
    if (marked.count(li.currentObject()) == 0) {  // it was in the world
      collision_index.remove(li.currentObject());
    }
  }
  marked.clear();
  removals.clear();
}

void WorldManager::draw() {
  for (ObjectListIterator li(&world_objects); !li.isDone(); li.next()) {
    Object* p_o = li.currentObject();
    const int altitude = p_o->getAltitude();
    if (altitude >= LOWEST_DRAWN_ALTITUDE && altitude <= HIGHEST_DRAWN_ALTITUDE &&
        boxesOverlap(worldBoxOf(p_o), view)) {
      p_o->draw();
    }
  }
}

ObjectList WorldManager::findCollisions(const Object* p_o, Vector where) const {
  ObjectList collision_list;
  const Box moved_box = worldBoxOf(p_o, where);
  if (collision_index_used && collision_index.findOverlaps(p_o, moved_box, collision_list)) {
    return collision_list;
  }
  for (ObjectListIterator li(&world_objects); !li.isDone(); li.next()) {
    Object* p_other = li.currentObject();
    if (p_other != p_o && boxesOverlap(moved_box, worldBoxOf(p_other)) && p_other->isSolid()) {
      collision_list.insert(p_other);
    }
  }
  return collision_list;
}

void WorldManager::useCollisionIndex(bool use) { collision_index_used = use; }

std::size_t WorldManager::collisionIndexMemory() const { return collision_index.memoryUsage(); }

bool WorldManager::collide(Object* p_o, Vector where) {
  bool blocked = false;
  ObjectList collisions = findCollisions(p_o, where);
  if (collisions.isEmpty()) {
    return false;  // most moves: no walk to follow deletions in
  }
  // A collision event names both objects: once either is deleted, what is
  // left of that collision is dropped, and once the mover is, the move.
  for (ObjectWalk walk(&collisions, p_o); !walk.isDone(); walk.next()) {
    Object* p_other = walk.currentObject();
    const EventCollision collision(p_o, p_other, where);
    p_o->handleEvent(&collision);
    if (walk.getSubject() == nullptr) {
      return true;
    }
    if (walk.currentObject() == nullptr) {
      continue;
    }
    p_other->handleEvent(&collision);
    if (walk.getSubject() == nullptr) {
      return true;
    }
    if (walk.currentObject() != nullptr && p_o->getSolidness() == HARD && p_other->getSolidness() == HARD) {
      blocked = true;
    }
  }
  return blocked;
}

int WorldManager::moveObject(Object* p_o, Vector where) {
  if (p_o->isSolid() && collide(p_o, where)) {
    return -1;
  }
  const Box orig_box = worldBoxOf(p_o);
  p_o->setPosition(where);
  const Box new_box = worldBoxOf(p_o);
  if (p_followed == p_o) {
    setViewPosition(p_o->getPosition());
  }
  if (!boxesOverlap(orig_box, boundary) || boxesOverlap(new_box, boundary)) {
    return 0;
  }
  const EventOut out;
  p_o->handleEvent(&out);
  return -1;
}

void WorldManager::setBoundary(Box new_boundary) { boundary = new_boundary; }

Box WorldManager::getBoundary() const { return boundary; }

void WorldManager::setView(Box new_view) { view = new_view; }

Box WorldManager::getView() const { return view; }

void WorldManager::setViewPosition(Vector view_pos) {
  const float x = clampedViewStart(view_pos.getX(), view.getHorizontal(), boundary.getHorizontal());
  const float y = clampedViewStart(view_pos.getY(), view.getVertical(), boundary.getVertical());
  view.setCorner(Vector(x, y));
}

int WorldManager::setFollowedObject(Object* p_new_followed) {
  if (p_new_followed == nullptr) {
    p_followed = nullptr;
    return 0;
  }
  if (!collision_index.contains(p_new_followed)) {
    return -1;
  }
  p_followed = p_new_followed;
  setViewPosition(p_new_followed->getPosition());
  return 0;
}

}  // namespace wd
