// Object lists, objects and the world manager: lifetime, update, collisions,
// the boundary and the view.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "EventCollision.h"
#include "Object.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"

using wd::Box;
using wd::Object;
using wd::ObjectList;
using wd::Vector;

namespace {

std::vector<std::string> journal;

// An object of one cell that notes every event it hears.
class Recorder : public Object {
 public:
  explicit Recorder(std::string name, float x = 0, wd::Solidness solidness = wd::HARD)
      : name(std::move(name)) {
    setPosition(Vector(x, 10));
    setSolidness(solidness);
    setBox(Box(Vector(0, 0), 1, 1));
  }
  int handleEvent(const wd::Event* p_e) override {
    std::string entry = name + ":" + p_e->getType();
    if (auto* p_c = dynamic_cast<const wd::EventCollision*>(p_e)) {
      entry += " " + static_cast<Recorder*>(p_c->getObject1())->name + "->" +
               static_cast<Recorder*>(p_c->getObject2())->name + " at " +
               std::to_string(static_cast<int>(p_c->getPosition().getX()));
    }
    journal.push_back(entry);
    return 0;
  }
  int draw() override {
    draws++;
    return 0;
  }
  std::string name;
  int draws = 0;
};

std::vector<Object*> contents(const ObjectList& list) {
  std::vector<Object*> objects;
  for (wd::ObjectListIterator li(&list); !li.isDone(); li.next()) {
    objects.push_back(li.currentObject());
  }
  return objects;
}

Object* fake(int n) { return reinterpret_cast<Object*>(static_cast<std::intptr_t>(16 * n)); }

class World : public ::testing::Test {
 protected:
  void SetUp() override {
    world.shutDown();  // deletes what an earlier test left in the world
    world.startUp();
    world.setBoundary(Box(Vector(0, 0), 200, 50));
    world.setView(Box(Vector(0, 0), 100, 50));
    world.setFollowedObject(nullptr);
    journal.clear();
  }
  wd::WorldManager& world = wd::WorldManager::getInstance();
};

}  // namespace

TEST(ObjectListTest, RemovesTheFirstCopyInOrderAndRefusesWhenFull) {
  auto list = std::make_unique<ObjectList>();
  for (int n : {1, 2, 3, 1}) {
    list->insert(fake(n));
  }
  EXPECT_EQ(0, list->remove(fake(2)));
  EXPECT_EQ(-1, list->remove(fake(2)));
  EXPECT_EQ(0, list->remove(fake(1)));
  EXPECT_EQ((std::vector<Object*>{fake(3), fake(1)}), contents(*list));
  EXPECT_EQ(0, list->remove(fake(1)));  // the last entry
  EXPECT_EQ((std::vector<Object*>{fake(3)}), contents(*list));
  list->clear();
  EXPECT_TRUE(list->isEmpty());
  for (int i = 0; i < wd::MAX_OBJECTS; i++) {
    ASSERT_EQ(0, list->insert(fake(i)));
  }
  EXPECT_EQ(1, list->insert(fake(1)));
  EXPECT_TRUE(list->isFull());
  auto copy = std::make_unique<ObjectList>(*list);  // stands alone
  list->clear();
  EXPECT_EQ(wd::MAX_OBJECTS, copy->getCount());
  *list = *copy;
  EXPECT_EQ(fake(wd::MAX_OBJECTS - 1), contents(*list).back());
}

TEST(ObjectListTest, IteratorWalksTheListAsItStandsAtEachStep) {
  ObjectList list;
  EXPECT_TRUE(wd::ObjectListIterator(&list).isDone());
  for (int n : {1, 2, 3}) {
    list.insert(fake(n));
  }
  // Removing the current entry moves the next into its place: it is skipped.
  std::vector<Object*> seen;
  for (wd::ObjectListIterator li(&list); !li.isDone(); li.next()) {
    seen.push_back(li.currentObject());
    if (li.currentObject() == fake(1)) {
      list.remove(fake(1));
    }
  }
  EXPECT_EQ((std::vector<Object*>{fake(1), fake(3)}), seen);
  // A list that shrinks by two under the walk ends it instead of reading past it.
  list.insert(fake(4));
  wd::ObjectListIterator li(&list);
  li.next();
  li.next();
  list.remove(fake(2));
  list.remove(fake(3));
  EXPECT_TRUE(li.isDone());
  EXPECT_EQ(nullptr, li.currentObject());
}

TEST_F(World, ObjectsJoinWhenBuiltAndLeaveWhenDestroyed) {
  auto* p_first = new Object;
  auto* p_second = new Object;
  EXPECT_EQ(p_first->getId() + 1, p_second->getId());
  delete p_first;
  EXPECT_EQ((std::vector<Object*>{p_second}), contents(world.getAllObjects()));
  auto* p_third = new Object;  // ids are never reused
  EXPECT_EQ(p_second->getId() + 1, p_third->getId());
  p_third->setType("Bunny");
  EXPECT_EQ((std::vector<Object*>{p_second}), contents(world.objectsWithType("Object")));
  EXPECT_EQ(0, world.objectsWithType("bunny").getCount());
}

TEST_F(World, UpdateMovesEveryObjectThenTakesOutTheMarkedOnes) {
  auto* p_moving = new Recorder("m", 10, wd::INTANGIBLE);
  p_moving->setVelocity(Vector(-1.5f, 0.5f));
  auto* p_marked = new Recorder("x");
  EXPECT_EQ(-1, world.markForRemoval(p_marked));
  EXPECT_EQ(0, world.markForRemoval(p_marked));  // marked once only
  world.update();
  world.update();
  EXPECT_FLOAT_EQ(7.0f, p_moving->getPosition().getX());
  EXPECT_FLOAT_EQ(11.0f, p_moving->getPosition().getY());
  EXPECT_EQ((std::vector<Object*>{p_moving}), contents(world.getAllObjects()));
  // The update emptied the removal list: put back, the object stays until it is marked anew.
  world.insertObject(p_marked);
  world.update();
  EXPECT_EQ((std::vector<Object*>{p_moving, p_marked}), contents(world.getAllObjects()));
  EXPECT_EQ(-1, world.markForRemoval(p_marked));
  delete p_marked;  // taken out of the world, not deleted
}

// Objects built one after another in the same storage get the same address,
// as a later allocation may after a delete.
TEST_F(World, ADestroyedObjectIsNeitherRemovedNorFollowedInItsSuccessorsPlace) {
  alignas(Object) unsigned char slot[sizeof(Object)];
  Object* p_old = new (slot) Object;
  p_old->setPosition(Vector(120, 10));
  world.markForRemoval(p_old);
  ASSERT_EQ(0, world.setFollowedObject(p_old));
  p_old->~Object();
  Object* p_new = new (slot) Object;
  world.moveObject(p_new, Vector(180, 10));
  EXPECT_EQ(70.0f, world.getView().getCorner().getX());
  world.update();
  EXPECT_EQ((std::vector<Object*>{p_new}), contents(world.getAllObjects()));
  p_new->~Object();
}

TEST_F(World, StartUpEmptiesTheListAndShutDownDeletesWhatIsInIt) {
  auto* p_orphan = new Recorder("orphan");
  world.startUp();
  EXPECT_TRUE(world.getAllObjects().isEmpty());
  new Recorder("a");
  new Recorder("b");
  auto* p_taken_out = new Recorder("taken out");
  world.markForRemoval(p_taken_out);
  world.update();
  journal.clear();
  world.shutDown();
  EXPECT_TRUE(world.getAllObjects().isEmpty());
  // a's destruction tells b; the object taken out hears nothing and survives.
  EXPECT_EQ((std::vector<std::string>{"b:VIEW_EVENT"}), journal);
  delete p_taken_out;
  delete p_orphan;
}

// Only hard meets hard blocks, after every object in the way heard of it; intangible ones meet nothing.
TEST_F(World, CollisionsAreHeardByBothAndOnlyHardOnHardBlocks) {
  auto* p_mover = new Recorder("m", 10);
  new Recorder("hard", 12);
  new Recorder("soft", 11.5f, wd::SOFT);
  auto* p_ghost = new Recorder("ghost", 11, wd::INTANGIBLE);
  EXPECT_EQ(-1, world.moveObject(p_mover, Vector(11, 10)));  // edges touch
  EXPECT_EQ(10.0f, p_mover->getPosition().getX());
  auto* p_soft = new Recorder("s", 40, wd::SOFT);
  new Recorder("hard wall", 42);
  EXPECT_EQ(0, world.moveObject(p_soft, Vector(42, 10)));
  EXPECT_EQ(0, world.moveObject(p_ghost, Vector(42, 10)));
  EXPECT_EQ(42.0f, p_soft->getPosition().getX());
  EXPECT_EQ((std::vector<std::string>{
                "m:COLLISION_EVENT m->hard at 11", "hard:COLLISION_EVENT m->hard at 11",
                "m:COLLISION_EVENT m->soft at 11", "soft:COLLISION_EVENT m->soft at 11",
                "s:COLLISION_EVENT s->hard wall at 42", "hard wall:COLLISION_EVENT s->hard wall at 42"}),
            journal);
  EXPECT_EQ(2, world.findCollisions(p_mover, Vector(42, 10)).getCount());  // the ghost is in no one's way
}

TEST_F(World, LeavingTheWorldSendsOneOutEventPerExit) {
  auto* p_o = new Recorder("o", 198, wd::INTANGIBLE);
  EXPECT_EQ(0, world.moveObject(p_o, Vector(200, 10)));  // 200..201 touches the edge
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(-1, world.moveObject(p_o, Vector(201, 10)));
  EXPECT_EQ(201.0f, p_o->getPosition().getX());  // moved all the same
  EXPECT_EQ(0, world.moveObject(p_o, Vector(230, 10)));
  world.moveObject(p_o, Vector(150, 10));
  EXPECT_EQ(-1, world.moveObject(p_o, Vector(-5, 10)));
  EXPECT_EQ((std::vector<std::string>{"o:OUT_EVENT", "o:OUT_EVENT"}), journal);
}

TEST_F(World, ViewIsCentredOnAPositionAndClampedToTheBoundary) {
  const float cases[][2] = {{120, 70}, {180, 100}, {20, 0}, {49.5f, 0}};
  for (const auto& c : cases) {
    world.setViewPosition(Vector(c[0], 10));
    EXPECT_EQ(c[1], world.getView().getCorner().getX());
    EXPECT_EQ(0.0f, world.getView().getCorner().getY());
  }
  world.setBoundary(Box(Vector(0, 0), 80, 50));  // narrower than the view
  world.setViewPosition(Vector(31, 10));
  EXPECT_EQ(20.0f, world.getView().getCorner().getX());
  world.setViewPosition(Vector(30, 10));
  EXPECT_EQ(0.0f, world.getView().getCorner().getX());
}

TEST_F(World, TheFollowedObjectDragsTheViewAlong) {
  auto* p_leader = new Object;
  Recorder stranger("stranger");
  world.removeObject(&stranger);
  ASSERT_EQ(0, world.setFollowedObject(p_leader));
  EXPECT_EQ(-1, world.setFollowedObject(&stranger));  // keeps the leader
  world.moveObject(p_leader, Vector(130, 10));
  EXPECT_EQ(80.0f, world.getView().getCorner().getX());
  EXPECT_EQ(0, world.setFollowedObject(nullptr));
  world.moveObject(p_leader, Vector(150, 10));
  EXPECT_EQ(80.0f, world.getView().getCorner().getX());
}

TEST_F(World, DrawsAltitudesZeroToThreeThatMeetTheView) {
  const struct {
    float left;
    int altitude;
    int draws;
  } cases[] = {{100, 2, 1}, {101, 2, 0}, {10, 0, 1}, {10, 3, 1}, {10, 4, 0}, {10, -1, 0}};
  std::vector<Recorder*> objects;
  for (const auto& c : cases) {
    objects.push_back(new Recorder("r", c.left, wd::INTANGIBLE));
    objects.back()->setAltitude(c.altitude);
  }
  world.draw();
  for (std::size_t i = 0; i < objects.size(); i++) {
    EXPECT_EQ(cases[i].draws, objects[i]->draws) << "case " << i;
  }
}
