// The log, frame pacing, geometry, events, object lists, objects and the world manager: lifetime,
// update, collisions, the boundary and the view.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "Clock.h"
#include "EventCollision.h"
#include "EventStep.h"
#include "FramePacer.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"
#include "platform.h"
#include "test_support.h"
#include "utility.h"

using wd::Box;
using wd::Object;
using wd::ObjectList;
using wd::Vector;
using wd_test::contents;
using Objects = std::vector<Object*>;
using Strings = std::vector<std::string>;
using XY = std::pair<float, float>;

namespace {

XY xy(Vector v) { return {v.getX(), v.getY()}; }

Strings journal;

// An object of one cell that notes every event it hears.
class Recorder : public Object {
 public:
  explicit Recorder(std::string name, float x = 0, wd::Solidness solidness = wd::HARD) : name(std::move(name)) {
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
  int draw() override { return ++draws; }
  std::string name;
  int draws = 0;
};

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
  float viewX() const { return world.getView().getCorner().getX(); }
  wd::WorldManager& world = wd::WorldManager::getInstance();
};

}  // namespace

// Messages get the prefix and no line end of their own; a restart empties the file.
TEST(LogManager, WritesPrefixAndFormattedTextOrReturnsMinusOneWithoutAFile) {
  wd_test::writeFile(wd::LOG_FILE_NAME, "an earlier run\n");
  wd::LogManager& log = wd::LogManager::getInstance();
  ASSERT_EQ(0, log.startUp());
  EXPECT_EQ(12, log.writeMessage("a\n"));
  log.writeMessage("b");
  EXPECT_EQ(18, log.writeMessage("%s%d\n", "abcdef", 7));
  log.shutDown();
  EXPECT_EQ(-1, log.writeMessage("lost\n"));
  EXPECT_EQ(" Message: a\n Message: b Message: abcdef7\n", wd_test::readFile(wd::LOG_FILE_NAME));
  std::filesystem::remove(wd::LOG_FILE_NAME);
  ASSERT_TRUE(std::filesystem::create_directory(wd::LOG_FILE_NAME));  // a file that cannot be opened
  EXPECT_EQ(-1, log.startUp());
  EXPECT_FALSE(log.isStarted());
  std::filesystem::remove(wd::LOG_FILE_NAME);
}

TEST(FramePacing, SleepsTheRestOfTheFrameCorrectedByTheLastOversleep) {
  EXPECT_EQ(21, wd::frameSleepTime(33, 10, 2));
  EXPECT_EQ(2, wd::nextAdjustTime(25, 23));  // a sleep of 23 ms took 25
  EXPECT_EQ(0, wd::nextAdjustTime(20, 23));
  EXPECT_EQ(7, wd::nextAdjustTime(0, wd::frameSleepTime(33, 40, 0)));  // an overrun, made up for next
  EXPECT_EQ(33, wd::frameSleepTime(33, -100000, 0));  // never longer than a frame
  // Ten paced frames take ten frame times; one that overran by 7 ms is made up for by the next.
  wd::FramePacer pacer(33);
  wd::Clock total;
  for (int frame = 0; frame < 11; frame++) {
    pacer.startFrame();
    wd::platform::sleepMilliseconds(frame < 10 ? 5 : 40);
    pacer.endFrame();
  }
  EXPECT_GE(total.elapsed(), 320 + 40);
  EXPECT_LE(total.elapsed(), 380 + 40);
  EXPECT_GE(pacer.getAdjustTime(), 7);
}

TEST(Geometry, VectorsBoxesAndConversions) {
  Vector v(3, 4);
  v.normalize();
  EXPECT_EQ(XY(0.6f, 0.8f), xy(v));
  Vector zero;
  zero.normalize();
  EXPECT_EQ(XY(0, 0), xy(zero));
  EXPECT_TRUE(wd::positionsNear(Vector(3, 3), Vector(4, 4)));
  EXPECT_FALSE(wd::positionsNear(Vector(3, 3), Vector(5, 3)));
  EXPECT_TRUE(wd::positionsNear(Vector(-2, 0), Vector(2, 0)));
  EXPECT_EQ("-10", wd::toString(-10));
  // Back to the world adds the boundary's corner, not the view's.
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.startUp();
  world.setBoundary(Box(Vector(7, -2), 200, 50));
  world.setView(Box(Vector(20, 1), 100, 50));
  EXPECT_EQ(XY(5, 2), xy(wd::toViewPosition(Vector(25, 3))));
  EXPECT_EQ(XY(32, 1), xy(wd::toWorldPosition(Vector(25, 3))));
  Object o;
  o.setPosition(Vector(10, 5));
  o.setBox(Box(Vector(-1, -2), 3, 4));
  EXPECT_EQ(XY(9, 3), xy(wd::worldBoxOf(&o).getCorner()));
  EXPECT_EQ(XY(3, 4), XY(wd::worldBoxOf(&o).getHorizontal(), wd::worldBoxOf(&o).getVertical()));
  EXPECT_EQ(XY(-1, -2), xy(wd::worldBoxOf(&o, Vector(0, 0)).getCorner()));
  // Boxes overlap when their edges touch, whichever comes first.
  const Box unit(Vector(0, 0), 1, 1), point(Vector(2, 2), 0, 0);
  const struct {
    Box a, b;
    bool overlaps;
  } cases[] = {{unit, Box(Vector(1, 1), 1, 1), true},     {unit, Box(Vector(1.5f, 0), 1, 1), false},
               {unit, Box(Vector(-5, -5), 20, 20), true}, {unit, Box(Vector(0, 2), 1, 1), false},
               {unit, Box(Vector(1, 0), 0, 0), true},     {unit, Box(Vector(0.5f, 1.1f), 0, 0), false},
               {unit, Box(Vector(0, -3), 3, 2), false},   {point, point, true},
               {point, Box(Vector(2, 2.5f), 0, 0), false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.overlaps, wd::boxesOverlap(c.a, c.b));
    EXPECT_EQ(c.overlaps, wd::boxesOverlap(c.b, c.a));
  }
}

TEST(ObjectListTest, RemovesTheFirstCopyInOrderAndRefusesWhenFull) {
  auto list = std::make_unique<ObjectList>();
  for (int n : {1, 2, 3, 1}) {
    list->insert(fake(n));
  }
  EXPECT_EQ(0, list->remove(fake(2)));
  EXPECT_EQ(-1, list->remove(fake(2)));
  EXPECT_EQ(0, list->remove(fake(1)));
  EXPECT_EQ((Objects{fake(3), fake(1)}), contents(*list));
  EXPECT_EQ(0, list->remove(fake(1)));  // the last entry
  EXPECT_EQ((Objects{fake(3)}), contents(*list));
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
  Objects seen;
  for (wd::ObjectListIterator li(&list); !li.isDone(); li.next()) {
    seen.push_back(li.currentObject());
    list.remove(fake(1));
  }
  EXPECT_EQ((Objects{fake(1), fake(3)}), seen);
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

// Ids are never reused; any manager's broadcast reaches every object of the world, handled or not;
// start-up empties the world and shut-down deletes what is in it.
TEST_F(World, ObjectsJoinWhenBuiltHearBroadcastsAndLeaveWhenDestroyed) {
  auto* p_first = new Object;
  const int first_id = p_first->getId();
  auto* p_second = new Recorder("second");
  delete p_first;
  auto* p_third = new Object;
  EXPECT_EQ(first_id + 2, p_third->getId());
  p_third->setType("Bunny");
  EXPECT_EQ((Objects{p_second, p_third}), contents(world.getAllObjects()));
  EXPECT_EQ((Objects{p_second}), contents(world.objectsWithType("Object")));
  EXPECT_EQ(0, world.objectsWithType("bunny").getCount());
  const wd::EventStep step;
  EXPECT_EQ(2, wd::LogManager::getInstance().broadcastEvent(&step));
  world.startUp();
  EXPECT_TRUE(world.getAllObjects().isEmpty());
  new Recorder("a");
  new Recorder("b");
  world.shutDown();
  // first's destruction tells second, a's tells b.
  EXPECT_EQ((Strings{"second:VIEW_EVENT", "second:wd::step", "b:VIEW_EVENT"}), journal);
  delete p_second;
  delete p_third;
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
  EXPECT_EQ((Objects{p_moving}), contents(world.getAllObjects()));
  // The update emptied the removal list: put back, the object stays until it is marked anew.
  world.insertObject(p_marked);
  world.update();
  EXPECT_EQ((Objects{p_moving, p_marked}), contents(world.getAllObjects()));
  // However often it is marked, taken out and put back: more times than the removal list holds.
  for (int i = 0; i <= wd::MAX_OBJECTS; i++) {
    EXPECT_EQ(-1, world.markForRemoval(p_marked));
    world.update();
    world.insertObject(p_marked);
  }
  EXPECT_EQ((Objects{p_moving, p_marked}), contents(world.getAllObjects()));
  delete p_marked;  // taken out of the world, not deleted
}

// Objects built one after another in the same storage get the same address, as a later
// allocation may after a delete.
TEST_F(World, ADestroyedObjectIsNeitherRemovedNorFollowedInItsSuccessorsPlace) {
  alignas(Object) unsigned char slot[sizeof(Object)];
  Object* p_old = new (slot) Object;
  p_old->setPosition(Vector(120, 10));
  world.markForRemoval(p_old);
  ASSERT_EQ(0, world.setFollowedObject(p_old));
  p_old->~Object();
  Object* p_new = new (slot) Object;
  world.moveObject(p_new, Vector(180, 10));
  EXPECT_EQ(70.0f, viewX());
  world.update();
  EXPECT_EQ((Objects{p_new}), contents(world.getAllObjects()));
  p_new->~Object();
}

// Only hard meets hard blocks, after every object in the way heard of it; intangible ones meet nothing.
// Leaving the world is heard once per exit, and the move is made all the same.
TEST_F(World, MovesAreHeardByWhatTheyMeetAndByWhatLeavesTheWorld) {
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
  EXPECT_EQ(2, world.findCollisions(p_mover, Vector(42, 10)).getCount());  // the ghost is in no one's way
  EXPECT_EQ(0, world.moveObject(p_ghost, Vector(200, 10)));  // 200..201 touches the edge
  EXPECT_EQ(-1, world.moveObject(p_ghost, Vector(201, 10)));
  EXPECT_EQ(201.0f, p_ghost->getPosition().getX());
  EXPECT_EQ(0, world.moveObject(p_ghost, Vector(230, 10)));
  world.moveObject(p_ghost, Vector(150, 10));
  EXPECT_EQ(-1, world.moveObject(p_ghost, Vector(-5, 10)));
  EXPECT_EQ((Strings{"m:COLLISION_EVENT m->hard at 11", "hard:COLLISION_EVENT m->hard at 11",
                     "m:COLLISION_EVENT m->soft at 11", "soft:COLLISION_EVENT m->soft at 11",
                     "s:COLLISION_EVENT s->hard wall at 42", "hard wall:COLLISION_EVENT s->hard wall at 42",
                     "ghost:OUT_EVENT", "ghost:OUT_EVENT"}),
            journal);
}

TEST_F(World, ViewIsCentredOnAPositionClampedToTheBoundaryAndFollowsItsObject) {
  for (const XY& c : {XY(120, 70), XY(180, 100), XY(20, 0), XY(49.5f, 0)}) {
    world.setViewPosition(Vector(c.first, 10));
    EXPECT_EQ(XY(c.second, 0), xy(world.getView().getCorner()));
  }
  auto* p_leader = new Object;
  Recorder stranger("stranger");
  world.removeObject(&stranger);
  ASSERT_EQ(0, world.setFollowedObject(p_leader));
  EXPECT_EQ(-1, world.setFollowedObject(&stranger));  // keeps the leader
  world.moveObject(p_leader, Vector(130, 10));
  EXPECT_EQ(80.0f, viewX());
  EXPECT_EQ(0, world.setFollowedObject(nullptr));
  world.moveObject(p_leader, Vector(150, 10));
  EXPECT_EQ(80.0f, viewX());
  world.setBoundary(Box(Vector(0, 0), 80, 50));  // narrower than the view
  world.setViewPosition(Vector(31, 10));
  EXPECT_EQ(20.0f, viewX());
  world.setViewPosition(Vector(30, 10));
  EXPECT_EQ(0.0f, viewX());
}

TEST_F(World, DrawsAltitudesZeroToThreeThatMeetTheView) {
  const struct {
    float left;
    int altitude, draws;
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
