// The log, the manager base, the clock and the frame pacing, geometry and events.
#include <gtest/gtest.h>

#include <filesystem>

#include "Box.h"
#include "Clock.h"
#include "Event.h"
#include "EventCollision.h"
#include "EventOut.h"
#include "EventStep.h"
#include "EventView.h"
#include "FramePacer.h"
#include "LogManager.h"
#include "Object.h"
#include "Vector.h"
#include "WorldManager.h"
#include "platform.h"
#include "test_support.h"
#include "utility.h"

using wd::Box;
using wd::LogManager;
using wd::Vector;

namespace {

std::string prefixed(const std::string& text) { return " Message: " + text; }

// Counts the events it is handed.
class CountingObject : public wd::Object {
 public:
  int handleEvent(const wd::Event* p_e) override {
    last_type = p_e->getType();
    handled++;
    return 0;
  }
  int handled = 0;
  std::string last_type;
};

}  // namespace

TEST(LogManager, WritesPrefixAndTextWithoutLineEnds) {
  LogManager& log = LogManager::getInstance();
  ASSERT_EQ(0, log.startUp());
  EXPECT_EQ("Manager", log.getType());
  EXPECT_TRUE(log.isStarted());
  EXPECT_EQ(12, log.writeMessage("a\n"));
  EXPECT_EQ(11, log.writeMessage("b"));
  EXPECT_EQ(12, log.writeMessage("c\n"));
  EXPECT_EQ(18, log.writeMessage("%s%d\n", "abcdef", 7));
  log.shutDown();
  EXPECT_FALSE(log.isStarted());
  EXPECT_EQ(" Message: a\n Message: b Message: c\n Message: abcdef7\n",
            wd_test::readFile(wd::LOG_FILE_NAME));
}

TEST(LogManager, StartTruncatesThePreviousLog) {
  wd_test::writeFile(wd::LOG_FILE_NAME, "an old run\n");
  LogManager& log = LogManager::getInstance();
  ASSERT_EQ(0, log.startUp());
  log.writeMessage("new\n");
  log.shutDown();
  EXPECT_EQ(prefixed("new\n"), wd_test::readFile(wd::LOG_FILE_NAME));
}

TEST(LogManager, FlushEachWriteMakesTheTextVisibleAtOnce) {
  LogManager& log = LogManager::getInstance();
  ASSERT_EQ(0, log.startUp());
  log.setFlushEachWrite(true);
  log.writeMessage("seen %d\n", 1);
  EXPECT_EQ(prefixed("seen 1\n"), wd_test::readFile(wd::LOG_FILE_NAME));
  log.setFlushEachWrite(false);
  log.shutDown();
}

TEST(LogManager, WithoutAFileNothingIsWrittenAndTheResultIsMinusOne) {
  LogManager& log = LogManager::getInstance();
  log.shutDown();
  EXPECT_EQ(-1, log.writeMessage("lost\n"));
  log.shutDown();  // a second stop is harmless
  EXPECT_FALSE(log.isStarted());

  // A folder in place of the file cannot be opened for writing.
  std::filesystem::remove(wd::LOG_FILE_NAME);
  ASSERT_TRUE(std::filesystem::create_directory(wd::LOG_FILE_NAME));
  EXPECT_EQ(-1, log.startUp());
  EXPECT_FALSE(log.isStarted());
  EXPECT_EQ(-1, log.writeMessage("nowhere\n"));
  std::filesystem::remove(wd::LOG_FILE_NAME);
}

TEST(Manager, BroadcastVisitsACopyOfTheWorldAndCountsIt) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.startUp();
  EXPECT_EQ(0, world.broadcastEvent(nullptr));  // no handler may run on an empty world

  CountingObject a, b;
  wd::Object plain;  // ignores the event, but is counted all the same
  wd::EventStep step;
  EXPECT_EQ(3, LogManager::getInstance().broadcastEvent(&step));
  EXPECT_EQ(1, a.handled);
  EXPECT_EQ(1, b.handled);
  EXPECT_EQ("wd::step", a.last_type);
}

TEST(Manager, StartedFlagFollowsStartAndStop) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.shutDown();
  EXPECT_FALSE(world.isStarted());
  EXPECT_EQ(0, world.startUp());
  EXPECT_TRUE(world.isStarted());
  EXPECT_EQ("WorldManager", world.getType());
}

TEST(FramePacing, SleepsTheRestOfTheFrameAndCorrectsOversleep) {
  // 10 ms of work, no earlier oversleep: sleep 23 ms.
  EXPECT_EQ(23, wd::frameSleepTime(33, 10, 0));
  // That sleep took 25 ms: 2 ms are taken off the next frame, which sleeps 21.
  const int adjust = wd::nextAdjustTime(25, 23);
  EXPECT_EQ(2, adjust);
  EXPECT_EQ(21, wd::frameSleepTime(33, 10, adjust));
  // 40 ms of work: no sleep, and the 7 ms overrun shortens the next frame.
  const std::int64_t overrun = wd::frameSleepTime(33, 40, 0);
  EXPECT_LE(overrun, 0);
  EXPECT_EQ(7, wd::nextAdjustTime(0, overrun));
  // Sleeping less than planned never lengthens the next frame.
  EXPECT_EQ(0, wd::nextAdjustTime(20, 23));
}

TEST(FramePacing, NeverSleepsLongerThanAFrame) {
  EXPECT_EQ(33, wd::frameSleepTime(33, -100000, 0));
  EXPECT_EQ(33, wd::frameSleepTime(33, 0, -5));
}

TEST(FramePacing, APacedLoopRunsAtTheFrameRate) {
  wd::FramePacer pacer(33);
  wd::Clock total;
  for (int frame = 0; frame < 10; frame++) {
    pacer.startFrame();
    wd::platform::sleepMilliseconds(5);  // the frame's work
    pacer.endFrame();
  }
  // Ten frames of 33 ms; the oversleep correction keeps the sum close.
  EXPECT_GE(total.elapsed(), 320);
  EXPECT_LE(total.elapsed(), 380);
}

TEST(Clock, MeasuresMillisecondsSinceTheMark) {
  wd::Clock clock;
  EXPECT_LE(clock.elapsed(), 5);
  EXPECT_GE(clock.elapsed(), 0);
  wd::platform::sleepMilliseconds(200);
  const std::int64_t after_sleep = clock.elapsed();
  EXPECT_GE(after_sleep, 200);
  EXPECT_LE(after_sleep, 260);
  EXPECT_GE(clock.elapsed(), after_sleep);  // reading does not move the mark
  clock.mark();
  EXPECT_LE(clock.elapsed(), 5);
}

TEST(Vector, MagnitudeNormalizeScaleAndSum) {
  Vector v(3, 4);
  EXPECT_FLOAT_EQ(5.0f, v.getMagnitude());
  v.normalize();
  EXPECT_FLOAT_EQ(0.6f, v.getX());
  EXPECT_FLOAT_EQ(0.8f, v.getY());

  Vector zero;
  zero.normalize();
  EXPECT_EQ(0.0f, zero.getX());
  EXPECT_EQ(0.0f, zero.getY());

  Vector mirrored(2, -3);
  mirrored.scale(-1);
  EXPECT_EQ(-2.0f, mirrored.getX());
  EXPECT_EQ(3.0f, mirrored.getY());

  const Vector a(1, 2);
  const Vector b(10, 20);
  const Vector sum = a + b;
  EXPECT_EQ(11.0f, sum.getX());
  EXPECT_EQ(22.0f, sum.getY());
  EXPECT_EQ(1.0f, a.getX());  // operands unchanged
}

TEST(Geometry, BoxesOverlapIncludesEdgesAndIsSymmetric) {
  const Box unit(Vector(0, 0), 1, 1);
  const Box corner_touch(Vector(1, 1), 1, 1);
  const Box apart(Vector(1.5f, 0), 1, 1);
  const Box big(Vector(-5, -5), 20, 20);
  EXPECT_TRUE(wd::boxesOverlap(unit, corner_touch));
  EXPECT_TRUE(wd::boxesOverlap(corner_touch, unit));
  EXPECT_FALSE(wd::boxesOverlap(unit, apart));
  EXPECT_FALSE(wd::boxesOverlap(apart, unit));
  EXPECT_TRUE(wd::boxesOverlap(unit, big));
  EXPECT_TRUE(wd::boxesOverlap(big, unit));
  // Overlap in x alone is not enough.
  EXPECT_FALSE(wd::boxesOverlap(unit, Box(Vector(0, 2), 1, 1)));

  const Box point(Vector(2, 2), 0, 0);
  EXPECT_TRUE(wd::boxesOverlap(point, Box(Vector(2, 2), 0, 0)));
  EXPECT_FALSE(wd::boxesOverlap(point, Box(Vector(2, 2.5f), 0, 0)));
  EXPECT_TRUE(wd::boxesOverlap(point, corner_touch));  // on its edge
}

TEST(Geometry, PositionsNearComparesAbsoluteCoordinates) {
  EXPECT_TRUE(wd::positionsNear(Vector(3, 3), Vector(4, 4)));
  EXPECT_FALSE(wd::positionsNear(Vector(3, 3), Vector(5, 3)));
  EXPECT_TRUE(wd::positionsNear(Vector(-2, 0), Vector(2, 0)));
}

TEST(Geometry, ToStringWritesPlainDecimal) {
  EXPECT_EQ("-10", wd::toString(-10));
  EXPECT_EQ("0", wd::toString(0));
  EXPECT_EQ("2147483647", wd::toString(2147483647));
}

TEST(Geometry, WorldAndViewConversions) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.startUp();
  world.setBoundary(Box(Vector(0, 0), 200, 50));
  world.setView(Box(Vector(20, 0), 100, 50));
  const Vector in_view = wd::toViewPosition(Vector(25, 3));
  EXPECT_EQ(5.0f, in_view.getX());
  EXPECT_EQ(3.0f, in_view.getY());
  // Back to the world adds the boundary's corner, not the view's.
  const Vector in_world = wd::toWorldPosition(Vector(25, 3));
  EXPECT_EQ(25.0f, in_world.getX());
  world.setBoundary(Box(Vector(7, -2), 200, 50));
  const Vector shifted = wd::toWorldPosition(Vector(25, 3));
  EXPECT_EQ(32.0f, shifted.getX());
  EXPECT_EQ(1.0f, shifted.getY());

  wd::Object o;
  o.setPosition(Vector(10, 5));
  o.setBox(Box(Vector(-1, -2), 3, 4));
  const Box box = wd::worldBoxOf(&o);
  EXPECT_EQ(9.0f, box.getCorner().getX());
  EXPECT_EQ(3.0f, box.getCorner().getY());
  EXPECT_EQ(3.0f, box.getHorizontal());
  EXPECT_EQ(4.0f, box.getVertical());
  const Box moved = wd::worldBoxOf(&o, Vector(0, 0));
  EXPECT_EQ(-1.0f, moved.getCorner().getX());
}

TEST(Events, CarryTheirTypeStringsAndFields) {
  wd::Event plain;
  EXPECT_EQ("wd::undefined", plain.getType());
  plain.setType("custom");
  EXPECT_EQ("custom", plain.getType());

  const wd::EventStep step;
  EXPECT_EQ("wd::step", step.getType());
  EXPECT_EQ(0, step.getStepCount());

  EXPECT_EQ("OUT_EVENT", wd::EventOut().getType());

  const wd::EventView view("Points", 10, true);
  EXPECT_EQ("VIEW_EVENT", view.getType());
  EXPECT_EQ("Points", view.getTag());
  EXPECT_EQ(10, view.getValue());
  EXPECT_TRUE(view.getDelta());

  int first = 0, second = 0;
  auto* p1 = reinterpret_cast<wd::Object*>(&first);
  auto* p2 = reinterpret_cast<wd::Object*>(&second);
  const wd::EventCollision collision(p1, p2, Vector(4, 5));
  EXPECT_EQ("COLLISION_EVENT", collision.getType());
  EXPECT_EQ(p1, collision.getObject1());
  EXPECT_EQ(p2, collision.getObject2());
  EXPECT_EQ(4.0f, collision.getPosition().getX());
  EXPECT_EQ(5.0f, collision.getPosition().getY());
}
