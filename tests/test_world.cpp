// Objects, object lists and the world manager: lifetime, update, collisions,
// the boundary and the view.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "EventCollision.h"
#include "EventView.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"
#include "utility.h"

using wd::Box;
using wd::Object;
using wd::ObjectList;
using wd::ObjectListIterator;
using wd::Vector;
using wd::WorldManager;

namespace {

// One line per event an object received, in the order received.
std::vector<std::string> journal;

// An object that writes every event it receives into the journal.
class Recorder : public Object {
 public:
  explicit Recorder(std::string name, Vector where = Vector(), wd::Solidness solidness = wd::HARD)
      : name(std::move(name)) {
    setPosition(where);
    setSolidness(solidness);
    setBox(Box(Vector(0, 0), 1, 1));
  }

  int handleEvent(const wd::Event* p_e) override {
    std::string entry = name + ":" + p_e->getType();
    if (p_e->getType() == "COLLISION_EVENT") {
      auto* p_collision = static_cast<const wd::EventCollision*>(p_e);
      auto* p_mover = static_cast<Recorder*>(p_collision->getObject1());
      auto* p_other = static_cast<Recorder*>(p_collision->getObject2());
      entry += "(" + p_mover->name + "->" + p_other->name + " at " +
               wd::toString(static_cast<int>(p_collision->getPosition().getX())) + ")";
    }
    journal.push_back(entry);
    return 0;
  }

  std::string name;
};

// An object that counts its draws instead of drawing.
class DrawCounter : public Object {
 public:
  int draw() override {
    draws++;
    return 0;
  }
  int draws = 0;
};

class World : public ::testing::Test {
 protected:
  void SetUp() override {
    world.shutDown();  // deletes whatever an earlier test left behind
    world.startUp();
    world.setBoundary(Box(Vector(0, 0), 200, 50));
    world.setView(Box(Vector(0, 0), 100, 50));
    world.setFollowedObject(nullptr);
    journal.clear();
  }

  WorldManager& world = WorldManager::getInstance();
};

int indexIn(const ObjectList& list, const Object* p_o) {
  int index = 0;
  for (ObjectListIterator li(&list); !li.isDone(); li.next(), index++) {
    if (li.currentObject() == p_o) {
      return index;
    }
  }
  return -1;
}

}  // namespace

TEST(ObjectListTest, InsertRemoveAndClearKeepTheOrder) {
  int a = 0, b = 0, c = 0;
  auto* pa = reinterpret_cast<Object*>(&a);
  auto* pb = reinterpret_cast<Object*>(&b);
  auto* pc = reinterpret_cast<Object*>(&c);
  ObjectList list;
  EXPECT_TRUE(list.isEmpty());
  EXPECT_FALSE(list.isFull());
  list.insert(pa);
  list.insert(pb);
  list.insert(pc);
  EXPECT_EQ(3, list.getCount());
  EXPECT_EQ(0, list.remove(pb));  // the middle one
  EXPECT_EQ(2, list.getCount());
  EXPECT_EQ(0, indexIn(list, pa));
  EXPECT_EQ(1, indexIn(list, pc));
  EXPECT_EQ(-1, list.remove(pb));
  EXPECT_EQ(2, list.getCount());
  EXPECT_EQ(0, list.remove(pc));  // the last one
  EXPECT_EQ(1, list.getCount());
  EXPECT_EQ(0, indexIn(list, pa));

  // A pointer inserted twice loses only its earlier entry.
  list.insert(pb);
  list.insert(pa);
  EXPECT_EQ(0, list.remove(pa));
  EXPECT_EQ(0, indexIn(list, pb));
  EXPECT_EQ(1, indexIn(list, pa));
  list.clear();
  EXPECT_TRUE(list.isEmpty());
}

TEST(ObjectListTest, FullListRefusesAndCopiesAreIndependent) {
  int dummy = 0;
  auto* p = reinterpret_cast<Object*>(&dummy);
  auto full = std::make_unique<ObjectList>();
  for (int i = 0; i < wd::MAX_OBJECTS; i++) {
    ASSERT_EQ(0, full->insert(p));
  }
  EXPECT_TRUE(full->isFull());
  EXPECT_EQ(1, full->insert(p));
  EXPECT_EQ(wd::MAX_OBJECTS, full->getCount());

  auto copy = std::make_unique<ObjectList>(*full);
  EXPECT_EQ(wd::MAX_OBJECTS, copy->getCount());
  full->clear();
  EXPECT_EQ(wd::MAX_OBJECTS, copy->getCount());
  *full = *copy;
  EXPECT_TRUE(full->isFull());
  EXPECT_EQ(0, full->remove(p));
  EXPECT_EQ(wd::MAX_OBJECTS - 1, full->getCount());
}

TEST(ObjectListTest, IteratorWalksTheListAsItStandsAtEachStep) {
  int a = 0, b = 0, c = 0;
  auto* pa = reinterpret_cast<Object*>(&a);
  auto* pb = reinterpret_cast<Object*>(&b);
  auto* pc = reinterpret_cast<Object*>(&c);
  ObjectList list;
  ObjectListIterator empty(&list);
  EXPECT_TRUE(empty.isDone());

  list.insert(pa);
  list.insert(pb);
  list.insert(pc);
  std::vector<Object*> seen;
  ObjectListIterator li(&list);
  for (; !li.isDone(); li.next()) {
    seen.push_back(li.currentObject());
  }
  EXPECT_EQ((std::vector<Object*>{pa, pb, pc}), seen);
  li.next();
  EXPECT_TRUE(li.isDone());

  // Removing the current entry moves the next one into its place, so the
  // walk skips it.
  seen.clear();
  for (ObjectListIterator walk(&list); !walk.isDone(); walk.next()) {
    seen.push_back(walk.currentObject());
    if (walk.currentObject() == pa) {
      list.remove(pa);
    }
  }
  EXPECT_EQ((std::vector<Object*>{pa, pc}), seen);

  // A list that shrinks by two under the walk ends the walk instead of
  // reading past its entries.
  list.clear();
  list.insert(pa);
  list.insert(pb);
  list.insert(pc);
  ObjectListIterator shrinking(&list);
  shrinking.next();
  shrinking.next();
  list.remove(pa);
  list.remove(pb);
  EXPECT_TRUE(shrinking.isDone());
}

TEST_F(World, ObjectsJoinOnConstructionAndLeaveOnDestruction) {
  auto* p_first = new Object;
  auto* p_second = new Object;
  EXPECT_EQ(p_first->getId() + 1, p_second->getId());
  EXPECT_EQ("Object", p_first->getType());
  EXPECT_EQ(2, p_first->getAltitude());
  EXPECT_EQ(wd::HARD, p_first->getSolidness());
  EXPECT_EQ(0.0f, p_first->getSpeed());
  EXPECT_EQ(2, world.getAllObjects().getCount());
  const int second_id = p_second->getId();
  delete p_first;
  EXPECT_EQ(1, world.getAllObjects().getCount());
  EXPECT_EQ(0, indexIn(world.getAllObjects(), p_second));
  auto* p_third = new Object;  // ids are never reused
  EXPECT_EQ(second_id + 1, p_third->getId());
}

TEST_F(World, VelocityIsKeptAsDirectionAndSpeed) {
  Object o;
  o.setVelocity(Vector(3, 4));
  EXPECT_FLOAT_EQ(5.0f, o.getSpeed());
  EXPECT_FLOAT_EQ(0.6f, o.getDirection().getX());
  EXPECT_FLOAT_EQ(3.0f, o.getVelocity().getX());
  EXPECT_FLOAT_EQ(4.0f, o.getVelocity().getY());
  o.setPosition(Vector(10, 10));
  EXPECT_FLOAT_EQ(13.0f, o.nextPosition().getX());
  EXPECT_FLOAT_EQ(14.0f, o.nextPosition().getY());
  EXPECT_FLOAT_EQ(10.0f, o.getPosition().getX());

  o.setVelocity(Vector(0, 0));
  EXPECT_EQ(0.0f, o.getSpeed());
  EXPECT_EQ(0.0f, o.getDirection().getX());

  o.setSpeed(3);
  o.setDirection(Vector(2, 0));  // not normalised
  EXPECT_EQ(6.0f, o.getVelocity().getX());
}

TEST_F(World, DestroyedObjectsRaiseThePointsDisplays) {
  // A view event tagged "Points" reaches every object; the dying one is
  // already a plain object by then and ignores it.
  Recorder watcher("w");
  auto* p_doomed = new Recorder("d");
  delete p_doomed;
  EXPECT_EQ((std::vector<std::string>{"w:VIEW_EVENT"}), journal);
}

TEST_F(World, UpdateRemovesMarkedObjectsWithoutDeletingThem) {
  auto* p_first = new Object;
  auto* p_second = new Object;
  EXPECT_EQ(-1, world.markForRemoval(p_first));
  EXPECT_EQ(0, world.markForRemoval(p_first));  // marked once only
  world.update();
  EXPECT_EQ(1, world.getAllObjects().getCount());
  EXPECT_EQ(0, indexIn(world.getAllObjects(), p_second));
  EXPECT_EQ(0, world.removeObject(p_second));
  EXPECT_EQ(0, world.removeObject(p_second));  // absent: still 0
  EXPECT_TRUE(world.getAllObjects().isEmpty());
  // Both still exist; the world no longer holds them.
  p_first->setMarker(7);
  EXPECT_EQ(7, p_first->getMarker());
  delete p_first;
  delete p_second;
}

// Objects built one after another in the same place get the same address,
// which is what a later allocation may do after a delete.
TEST_F(World, AMarkedObjectDestroyedBeforeTheUpdateIsForgotten) {
  alignas(Object) unsigned char slot[sizeof(Object)];
  Object* p_doomed = new (slot) Object;
  world.markForRemoval(p_doomed);
  p_doomed->~Object();
  Object* p_newcomer = new (slot) Object;
  ASSERT_EQ(static_cast<void*>(p_doomed), static_cast<void*>(p_newcomer));
  world.update();
  EXPECT_EQ(0, indexIn(world.getAllObjects(), p_newcomer));
  p_newcomer->~Object();
}

TEST_F(World, ADestroyedFollowedObjectIsNoLongerFollowed) {
  alignas(Object) unsigned char slot[sizeof(Object)];
  Object* p_leader = new (slot) Object;
  p_leader->setPosition(Vector(120, 10));
  ASSERT_EQ(0, world.setFollowedObject(p_leader));
  EXPECT_EQ(70.0f, world.getView().getCorner().getX());
  p_leader->~Object();
  Object* p_newcomer = new (slot) Object;
  world.moveObject(p_newcomer, Vector(180, 10));
  EXPECT_EQ(70.0f, world.getView().getCorner().getX());
  p_newcomer->~Object();
}

TEST_F(World, StartUpEmptiesTheListAndShutDownDeletesWhatIsLeft) {
  auto* p_kept = new Recorder("kept");
  auto* p_orphan = new Recorder("orphan");
  world.startUp();
  EXPECT_TRUE(world.getAllObjects().isEmpty());
  world.insertObject(p_kept);

  new Recorder("in world");
  auto* p_taken_out = new Recorder("taken out");
  world.markForRemoval(p_taken_out);
  world.update();
  journal.clear();
  world.shutDown();
  EXPECT_TRUE(world.getAllObjects().isEmpty());
  EXPECT_FALSE(world.isStarted());
  // The deleted ones broadcast their view events to those still in the world;
  // the object taken out earlier hears nothing and survives.
  EXPECT_EQ((std::vector<std::string>{"in world:VIEW_EVENT"}), journal);
  delete p_taken_out;
  delete p_orphan;
}

TEST_F(World, FullWorldRefusesFurtherObjects) {
  std::vector<Object*> crowd;
  for (int i = 0; i < wd::MAX_OBJECTS; i++) {
    crowd.push_back(new Object);
  }
  auto* p_extra = new Object;
  EXPECT_EQ(wd::MAX_OBJECTS, world.getAllObjects().getCount());
  EXPECT_EQ(-1, indexIn(world.getAllObjects(), p_extra));
  EXPECT_EQ(1, world.insertObject(p_extra));
  delete p_extra;
  EXPECT_EQ(wd::MAX_OBJECTS, world.getAllObjects().getCount());
}

TEST_F(World, ObjectsWithTypeKeepsListOrder) {
  auto* p_a = new Object;
  auto* p_b = new Object;
  auto* p_c = new Object;
  p_b->setType("Bunny");
  const ObjectList plain = world.objectsWithType("Object");
  EXPECT_EQ(2, plain.getCount());
  EXPECT_EQ(0, indexIn(plain, p_a));
  EXPECT_EQ(1, indexIn(plain, p_c));
  EXPECT_EQ(1, world.objectsWithType("Bunny").getCount());
  EXPECT_EQ(0, world.objectsWithType("bunny").getCount());
}

TEST_F(World, HardMoverIsBlockedAndBothHearTheCollisionMoverFirst) {
  auto* p_mover = new Recorder("m", Vector(10, 10));
  new Recorder("wall", Vector(12, 10));
  new Recorder("ghost", Vector(12, 10), wd::INTANGIBLE);
  EXPECT_EQ(-1, world.moveObject(p_mover, Vector(11, 10)));  // edges touch
  EXPECT_EQ(10.0f, p_mover->getPosition().getX());
  EXPECT_EQ((std::vector<std::string>{"m:COLLISION_EVENT(m->wall at 11)",
                                      "wall:COLLISION_EVENT(m->wall at 11)"}),
            journal);
}

TEST_F(World, EveryObjectInTheWayHearsItEvenAfterTheMoveIsBlocked) {
  auto* p_mover = new Recorder("m", Vector(10, 10));
  new Recorder("hard", Vector(11, 10));
  new Recorder("soft", Vector(11.5f, 10), wd::SOFT);
  EXPECT_EQ(-1, world.moveObject(p_mover, Vector(11, 10)));
  EXPECT_EQ((std::vector<std::string>{
                "m:COLLISION_EVENT(m->hard at 11)", "hard:COLLISION_EVENT(m->hard at 11)",
                "m:COLLISION_EVENT(m->soft at 11)", "soft:COLLISION_EVENT(m->soft at 11)"}),
            journal);
}

TEST_F(World, SoftCollisionsNeverBlock) {
  auto* p_hard = new Recorder("h", Vector(10, 10));
  auto* p_soft = new Recorder("s", Vector(20, 10), wd::SOFT);
  new Recorder("soft wall", Vector(12, 10), wd::SOFT);
  new Recorder("hard wall", Vector(22, 10));
  EXPECT_EQ(0, world.moveObject(p_hard, Vector(12, 10)));
  EXPECT_EQ(12.0f, p_hard->getPosition().getX());
  EXPECT_EQ(0, world.moveObject(p_soft, Vector(22, 10)));
  EXPECT_EQ(22.0f, p_soft->getPosition().getX());
  EXPECT_EQ(4u, journal.size());
}

TEST_F(World, IntangibleObjectsNeitherCollideNorAreCollidedWith) {
  auto* p_ghost = new Recorder("g", Vector(10, 10), wd::INTANGIBLE);
  auto* p_hard = new Recorder("h", Vector(30, 10));
  new Recorder("wall", Vector(12, 10));
  new Recorder("mist", Vector(32, 10), wd::INTANGIBLE);
  EXPECT_EQ(0, world.moveObject(p_ghost, Vector(12, 10)));
  EXPECT_EQ(0, world.moveObject(p_hard, Vector(32, 10)));
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(0, world.findCollisions(p_hard, Vector(32, 10)).getCount());
}

TEST_F(World, ObjectsAtRestCollideAgainEveryUpdate) {
  new Recorder("a", Vector(10, 10));
  new Recorder("b", Vector(10.5f, 10));
  world.update();
  world.update();
  // Each update moves a onto b and b onto a: four events per frame.
  EXPECT_EQ(8u, journal.size());
  EXPECT_EQ("a:COLLISION_EVENT(a->b at 10)", journal[0]);
  EXPECT_EQ("b:COLLISION_EVENT(b->a at 10)", journal[2]);
}

TEST_F(World, LeavingTheWorldSendsOneOutEventPerExit) {
  auto* p_o = new Recorder("o", Vector(198, 10), wd::INTANGIBLE);
  EXPECT_EQ(0, world.moveObject(p_o, Vector(199, 10)));  // box 199..200: inside
  EXPECT_EQ(0, world.moveObject(p_o, Vector(200, 10)));  // 200..201 touches the edge
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(-1, world.moveObject(p_o, Vector(201, 10)));  // wholly outside now
  EXPECT_EQ((std::vector<std::string>{"o:OUT_EVENT"}), journal);
  EXPECT_EQ(201.0f, p_o->getPosition().getX());  // the move happened
  EXPECT_EQ(1, world.getAllObjects().getCount());
  EXPECT_EQ(0, world.moveObject(p_o, Vector(230, 10)));  // already outside
  EXPECT_EQ(1u, journal.size());
  world.moveObject(p_o, Vector(150, 10));
  EXPECT_EQ(-1, world.moveObject(p_o, Vector(-5, 10)));  // back in and out again
  EXPECT_EQ(2u, journal.size());
}

TEST_F(World, UpdateMovesObjectsByTheirVelocity) {
  auto* p_o = new Object;
  p_o->setPosition(Vector(10, 10));
  p_o->setVelocity(Vector(-1.5f, 0.5f));
  world.update();
  world.update();
  EXPECT_FLOAT_EQ(7.0f, p_o->getPosition().getX());
  EXPECT_FLOAT_EQ(11.0f, p_o->getPosition().getY());
}

TEST_F(World, ViewIsCentredAndClampedToTheBoundary) {
  world.setViewPosition(Vector(120, 10));
  EXPECT_EQ(70.0f, world.getView().getCorner().getX());
  EXPECT_EQ(0.0f, world.getView().getCorner().getY());
  world.setViewPosition(Vector(180, 10));
  EXPECT_EQ(100.0f, world.getView().getCorner().getX());
  world.setViewPosition(Vector(20, 10));
  EXPECT_EQ(0.0f, world.getView().getCorner().getX());
  EXPECT_EQ(100.0f, world.getView().getHorizontal());

  // A view wider than the boundary sits at the difference of the extents.
  world.setBoundary(Box(Vector(0, 0), 80, 50));
  world.setViewPosition(Vector(31, 10));
  EXPECT_EQ(20.0f, world.getView().getCorner().getX());
  world.setViewPosition(Vector(30, 10));
  EXPECT_EQ(0.0f, world.getView().getCorner().getX());
}

TEST_F(World, FollowedObjectDragsTheViewOnEveryMove) {
  auto* p_leader = new Object;
  auto* p_stranger = new Object;
  world.removeObject(p_stranger);
  EXPECT_EQ(-1, world.setFollowedObject(p_stranger));
  ASSERT_EQ(0, world.setFollowedObject(p_leader));
  world.moveObject(p_leader, Vector(120, 10));
  EXPECT_EQ(70.0f, world.getView().getCorner().getX());
  EXPECT_EQ(-1, world.setFollowedObject(p_stranger));  // keeps following the leader
  world.moveObject(p_leader, Vector(130, 10));
  EXPECT_EQ(80.0f, world.getView().getCorner().getX());
  EXPECT_EQ(0, world.setFollowedObject(nullptr));
  world.moveObject(p_leader, Vector(150, 10));
  EXPECT_EQ(80.0f, world.getView().getCorner().getX());
  delete p_stranger;
}

TEST_F(World, DrawsAltitudesZeroToThreeThatMeetTheView) {
  auto make = [](float left, int altitude) {
    auto* p_o = new DrawCounter;
    p_o->setAltitude(altitude);
    p_o->setPosition(Vector(left, 10));
    p_o->setBox(Box(Vector(0, 0), 2, 1));
    return p_o;
  };
  DrawCounter* p_touching = make(100, 2);
  DrawCounter* p_outside = make(101, 2);
  DrawCounter* p_low = make(10, 0);
  DrawCounter* p_high = make(10, 3);
  DrawCounter* p_hud = make(10, 4);
  DrawCounter* p_below = make(10, -1);
  world.draw();
  EXPECT_EQ(1, p_touching->draws);
  EXPECT_EQ(0, p_outside->draws);
  EXPECT_EQ(1, p_low->draws);
  EXPECT_EQ(1, p_high->draws);
  EXPECT_EQ(0, p_hud->draws);
  EXPECT_EQ(0, p_below->draws);
  EXPECT_EQ(0, p_hud->setAltitude(9));
  EXPECT_EQ(9, p_hud->getAltitude());
}
