// The log, frame pacing, geometry, object lists, objects and the world: lifetime, update, collisions,
// the view, and objects deleted inside the world's callbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "Clock.h"
#include "EventCollision.h"
#include "EventStep.h"
#include "EventView.h"
#include "FramePacer.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectListIterator.h"
#include "ViewObject.h"
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

// What was heard of one event type, in order.
Strings heard(const std::string& type) {
  Strings entries;
  std::copy_if(journal.begin(), journal.end(), std::back_inserter(entries),
               [&](const std::string& entry) { return entry.find(":" + type) != std::string::npos; });
  return entries;
}

// An object of one cell that journals every event it hears, then does what the test asks of it.
class Recorder : public Object {
 public:
  using Reaction = std::function<void(Recorder* p_self, const wd::Event* p_e)>;

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
    if (react) {
      const Reaction reaction = react;  // the object and its reaction may go in the call
      reaction(this, p_e);
    }
    return 0;
  }
  int draw() override { return ++draws; }
  std::string name;
  int draws = 0;
  Reaction react;
};

bool is(const wd::Event* p_e, const std::string& type) { return p_e->getType() == type; }

Recorder::Reaction deletesItselfOn(const std::string& type) {
  return [type](Recorder* p_self, const wd::Event* p_e) {
    if (is(p_e, type)) {
      delete p_self;
    }
  };
}

int step() {
  const wd::EventStep step_event;
  return wd::GameManager::getInstance().broadcastEvent(&step_event);
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
  void update(int frames) {
    for (int frame = 0; frame < frames; frame++) {
      world.update();
    }
  }
  float viewX() const { return world.getView().getCorner().getX(); }
  wd::WorldManager& world = wd::WorldManager::getInstance();
};

// Objects deleted in the world's own callbacks, as games delete them.
class Lifetime : public World {};

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
  const struct { Box a, b; bool overlaps; } cases[] = {
      {unit, Box(Vector(1, 1), 1, 1), true},       {unit, Box(Vector(1.5f, 0), 1, 1), false},
      {unit, Box(Vector(-5, -5), 20, 20), true},   {unit, Box(Vector(0, 2), 1, 1), false},
      {unit, Box(Vector(1, 0), 0, 0), true},       {unit, Box(Vector(0.5f, 1.1f), 0, 0), false},
      {unit, Box(Vector(0, -3), 3, 2), false},     {point, point, true},
      {point, Box(Vector(2, 2.5f), 0, 0), false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.overlaps, wd::boxesOverlap(c.a, c.b));
    EXPECT_EQ(c.overlaps, wd::boxesOverlap(c.b, c.a));
  }
}

// Removal takes the first copy and keeps the order; a full list refuses; copies stand alone. An
// iterator walks the list as it stands at each step.
TEST(ObjectListTest, RemovesTheFirstCopyRefusesWhenFullAndIteratesTheListAsItStands) {
  auto list = std::make_unique<ObjectList>();
  EXPECT_TRUE(wd::ObjectListIterator(list.get()).isDone());
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
  for (int n : {1, 2, 3}) {
    list->insert(fake(n));
  }
  Objects seen;  // removing the current entry moves the next into its place: it is skipped
  for (wd::ObjectListIterator li(list.get()); !li.isDone(); li.next()) {
    seen.push_back(li.currentObject());
    list->remove(fake(1));
  }
  EXPECT_EQ((Objects{fake(1), fake(3)}), seen);
  list->insert(fake(4));  // a list that shrinks by two under the walk ends it, not read past
  wd::ObjectListIterator li(list.get());
  li.next();
  li.next();
  list->remove(fake(2));
  list->remove(fake(3));
  EXPECT_TRUE(li.isDone());
  EXPECT_EQ(nullptr, li.currentObject());
  list->clear();
  for (int i = 0; i < wd::MAX_OBJECTS; i++) {
    ASSERT_EQ(0, list->insert(fake(i)));
  }
  EXPECT_EQ(1, list->insert(fake(1)));
  EXPECT_TRUE(list->isFull());
  auto copy = std::make_unique<ObjectList>(*list);
  list->clear();
  EXPECT_EQ(wd::MAX_OBJECTS, copy->getCount());
  *list = *copy;
  EXPECT_EQ(fake(wd::MAX_OBJECTS - 1), contents(*list).back());
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

// Marked objects leave together at the end of the update: each loses its first entry only, objects
// marked outside the world or destroyed after marking change nothing, and the index keeps up.
TEST_F(World, MarkedObjectsLeaveByTheirFirstEntries) {
  auto *p_a = new Object, *p_b = new Object, *p_c = new Object, *p_gone = new Object;
  world.insertObject(p_a);  // the world: a b c gone a
  Object outsider;
  world.removeObject(&outsider);
  for (Object* p_o : {p_c, &outsider, p_a, p_gone}) {
    world.markForRemoval(p_o);
  }
  delete p_gone;
  world.update();
  const Objects left = contents(world.getAllObjects());
  EXPECT_EQ((Objects{p_b, p_a}), left);
  EXPECT_EQ(left, contents(world.findCollisions(&outsider, Vector(0, 0))));  // all at (0, 0)
  world.shutDown();
  delete p_c;
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
  const struct { float left; int altitude, draws; } cases[] = {{100, 2, 1}, {101, 2, 0}, {10, 0, 1},
                                                               {10, 3, 1},  {10, 4, 0},  {10, -1, 0}};
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

// A mover gone in its own half of the collision is not blocked and the wall hears nothing of it;
// a crate that breaks when hit does not block either.
TEST_F(Lifetime, ABulletDeletesItselfOnAWall) {
  auto* p_bullet = new Recorder("bullet", 17);
  p_bullet->setVelocity(Vector(1, 0));
  p_bullet->react = deletesItselfOn("COLLISION_EVENT");
  auto* p_wall = new Recorder("wall", 20);
  update(4);
  EXPECT_EQ((Strings{"bullet:COLLISION_EVENT bullet->wall at 19"}), heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_wall}), contents(world.getAllObjects()));

  journal.clear();
  auto* p_ram = new Recorder("ram", 10);
  (new Recorder("crate", 11))->react = deletesItselfOn("COLLISION_EVENT");
  EXPECT_EQ(0, world.moveObject(p_ram, Vector(10.5f, 10)));
  EXPECT_EQ(10.5f, p_ram->getPosition().getX());
  EXPECT_EQ((Strings{"ram:COLLISION_EVENT ram->crate at 10", "crate:COLLISION_EVENT ram->crate at 10"}),
            heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_wall, p_ram}), contents(world.getAllObjects()));
}

// Whichever side deletes both, the side yet to hear of the collision does not, and a deletion during
// the update leaves the object after it in the world list out of that frame's moves.
TEST_F(Lifetime, ABulletDeletesItselfAndTheEnemy) {
  const Recorder::Reaction delete_both = [](Recorder* p_self, const wd::Event* p_e) {
    if (is(p_e, "COLLISION_EVENT")) {
      const auto* p_c = static_cast<const wd::EventCollision*>(p_e);
      delete (p_c->getObject1() == p_self ? p_c->getObject2() : p_c->getObject1());
      delete p_self;
    }
  };
  auto* p_bullet = new Recorder("bullet", 19);
  p_bullet->setVelocity(Vector(1, 0));
  p_bullet->react = delete_both;
  auto* p_next = new Recorder("next", 60, wd::INTANGIBLE);
  p_next->setVelocity(Vector(1, 0));
  new Recorder("enemy", 21);
  world.update();
  EXPECT_EQ((Strings{"bullet:COLLISION_EVENT bullet->enemy at 20"}), heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_next}), contents(world.getAllObjects()));
  EXPECT_EQ(60.0f, p_next->getPosition().getX());  // skipped this frame
  world.update();
  EXPECT_EQ(61.0f, p_next->getPosition().getX());

  // The enemy's half deletes both: the move ends there, before the bystander in the way hears of it.
  journal.clear();
  auto* p_shooter = new Recorder("shooter", 39, wd::SOFT);
  (new Recorder("target", 41))->react = delete_both;
  auto* p_bystander = new Recorder("bystander", 41, wd::SOFT);
  EXPECT_EQ(-1, world.moveObject(p_shooter, Vector(40, 10)));
  EXPECT_EQ((Strings{"shooter:COLLISION_EVENT shooter->target at 40", "target:COLLISION_EVENT shooter->target at 40"}),
            heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_next, p_bystander}), contents(world.getAllObjects()));
}

// The out event is the engine's last use of a mover, so the spark may go there; the view event it
// sends on its way out still counts.
TEST_F(Lifetime, ASparkDeletesItselfOnLeavingTheWorld) {
  auto* p_lost = new wd::ViewObject;
  p_lost->setCaption("Lost");
  auto* p_spark = new Recorder("spark", 197, wd::SOFT);
  p_spark->setVelocity(Vector(1, 0));
  p_spark->react = [this](Recorder* p_self, const wd::Event* p_e) {
    if (is(p_e, "OUT_EVENT")) {
      const wd::EventView lost("Lost", 1, true);
      world.broadcastEvent(&lost);
      delete p_self;
    }
  };
  auto* p_after = new Recorder("after", 150, wd::SOFT);
  p_after->setVelocity(Vector(0.5f, 0));
  update(6);
  EXPECT_EQ((Strings{"spark:OUT_EVENT"}), heard("OUT_EVENT"));
  EXPECT_EQ(1, p_lost->getValue());
  EXPECT_EQ((Objects{p_lost, p_after}), contents(world.getAllObjects()));
  EXPECT_EQ(152.5f, p_after->getPosition().getX());  // skipped once, in the frame of the spark's exit
}

// A step whose handler deletes the enemies reaches those before it in the world list and none after;
// the broadcast still counts every object it set out to visit.
TEST_F(Lifetime, ARulesObjectDeletesEveryEnemyOnAStep) {
  auto* p_dead = new wd::ViewObject;  // counts the deletions
  p_dead->setCaption("Points");
  Objects targets = {new Recorder("e1", 10)};
  auto* p_rules = new Recorder("rules", 20);
  targets.push_back(new Recorder("e2", 30));
  targets.push_back(new Recorder("e3", 40));
  for (Object* p_o : targets) {
    p_o->setType("Enemy");
  }
  p_rules->react = [this](Recorder*, const wd::Event* p_e) {
    if (is(p_e, wd::STEP_EVENT)) {
      const wd::ObjectList enemies = world.objectsWithType("Enemy");
      for (Object* p_o : contents(enemies)) {
        delete p_o;
      }
    }
  };
  EXPECT_EQ(5, step());
  EXPECT_EQ((Strings{"e1:wd::step", "rules:wd::step"}), heard("wd::step"));
  EXPECT_EQ((Objects{p_dead, p_rules}), contents(world.getAllObjects()));
  EXPECT_EQ(30, p_dead->getValue());
  step();
  EXPECT_EQ((Strings{"e1:wd::step", "rules:wd::step", "rules:wd::step"}), heard("wd::step"));
}

// The view stays where the followed object last took it and follows nothing after it, whether the
// object goes in a collision or on a step.
TEST_F(Lifetime, TheFollowedObjectIsDeletedInItsOwnHandler) {
  auto* p_leader = new Recorder("leader", 100);
  p_leader->setVelocity(Vector(1, 0));
  p_leader->react = deletesItselfOn("COLLISION_EVENT");
  ASSERT_EQ(0, world.setFollowedObject(p_leader));
  new Recorder("wall", 104);
  update(4);
  EXPECT_EQ((Strings{"leader:COLLISION_EVENT leader->wall at 103"}), heard("COLLISION_EVENT"));
  EXPECT_EQ(52.0f, viewX());  // centred on 102, the last place reached
  auto* p_newcomer = new Recorder("newcomer", 130, wd::INTANGIBLE);
  world.moveObject(p_newcomer, Vector(150, 10));
  EXPECT_EQ(52.0f, viewX());
  ASSERT_EQ(0, world.setFollowedObject(p_newcomer));
  p_newcomer->react = deletesItselfOn(wd::STEP_EVENT);
  step();
  world.update();
  EXPECT_EQ(100.0f, viewX());
  EXPECT_EQ(1, world.getAllObjects().getCount());
}
