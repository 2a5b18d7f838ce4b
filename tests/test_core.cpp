// The log, the manager broadcast, the clock and frame pacing, geometry and events.
#include <gtest/gtest.h>

#include <filesystem>

#include "Clock.h"
#include "EventCollision.h"
#include "EventOut.h"
#include "EventStep.h"
#include "EventView.h"
#include "FramePacer.h"
#include "LogManager.h"
#include "Object.h"
#include "WorldManager.h"
#include "platform.h"
#include "test_support.h"
#include "utility.h"

using wd::Box;
using wd::Vector;

namespace {

class CountingObject : public wd::Object {
 public:
  int handleEvent(const wd::Event*) override { return ++handled; }
  int handled = 0;
};

}  // namespace

TEST(LogManager, WritesPrefixAndFormattedTextWithNoLineEndOfItsOwn) {
  wd_test::writeFile(wd::LOG_FILE_NAME, "an earlier run\n");
  wd::LogManager& log = wd::LogManager::getInstance();
  ASSERT_EQ(0, log.startUp());
  EXPECT_EQ("Manager", log.getType());
  EXPECT_EQ(12, log.writeMessage("a\n"));
  EXPECT_EQ(11, log.writeMessage("b"));
  EXPECT_EQ(12, log.writeMessage("c\n"));
  EXPECT_EQ(18, log.writeMessage("%s%d\n", "abcdef", 7));
  log.shutDown();
  EXPECT_FALSE(log.isStarted());
  EXPECT_EQ(" Message: a\n Message: b Message: c\n Message: abcdef7\n",
            wd_test::readFile(wd::LOG_FILE_NAME));
}

TEST(LogManager, WithoutAFileNothingIsWrittenAndTheResultIsMinusOne) {
  wd::LogManager& log = wd::LogManager::getInstance();
  log.shutDown();
  EXPECT_EQ(-1, log.writeMessage("lost\n"));
  // A folder in place of the file cannot be opened for writing.
  std::filesystem::remove(wd::LOG_FILE_NAME);
  ASSERT_TRUE(std::filesystem::create_directory(wd::LOG_FILE_NAME));
  EXPECT_EQ(-1, log.startUp());
  EXPECT_FALSE(log.isStarted());
  EXPECT_EQ(-1, log.writeMessage("nowhere\n"));
  std::filesystem::remove(wd::LOG_FILE_NAME);
}

TEST(Manager, BroadcastVisitsEveryObjectOfTheWorldAndCountsThem) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.startUp();
  EXPECT_EQ(0, world.broadcastEvent(nullptr));  // no handler may run
  CountingObject a, b;
  wd::Object plain;  // ignores the event but is counted
  const wd::EventStep step;
  EXPECT_EQ(3, wd::LogManager::getInstance().broadcastEvent(&step));
  EXPECT_EQ(1, a.handled);
  EXPECT_EQ(1, b.handled);
}

TEST(FramePacing, SleepsTheRestOfTheFrameCorrectedByTheLastOversleep) {
  EXPECT_EQ(23, wd::frameSleepTime(33, 10, 0));
  const int adjust = wd::nextAdjustTime(25, 23);  // that sleep took 25 ms
  EXPECT_EQ(2, adjust);
  EXPECT_EQ(21, wd::frameSleepTime(33, 10, adjust));
  const std::int64_t overrun = wd::frameSleepTime(33, 40, 0);  // no sleep
  EXPECT_LE(overrun, 0);
  EXPECT_EQ(7, wd::nextAdjustTime(0, overrun));
  EXPECT_EQ(0, wd::nextAdjustTime(20, 23));
  // Never longer than a frame, whatever the clock read.
  EXPECT_EQ(33, wd::frameSleepTime(33, -100000, 0));
}

TEST(FramePacing, TenPacedFramesTakeTenFrameTimes) {
  wd::FramePacer pacer(33);
  wd::Clock total;
  EXPECT_LE(total.elapsed(), 5);
  for (int frame = 0; frame < 10; frame++) {
    pacer.startFrame();
    wd::platform::sleepMilliseconds(5);
    pacer.endFrame();
  }
  EXPECT_GE(total.elapsed(), 320);
  EXPECT_LE(total.elapsed(), 380);
  // A frame that overran by 7 ms is made up for by the next one.
  pacer.startFrame();
  wd::platform::sleepMilliseconds(40);
  pacer.endFrame();
  EXPECT_GE(pacer.getAdjustTime(), 7);
  total.mark();
  EXPECT_LE(total.elapsed(), 5);
}

TEST(Geometry, VectorArithmetic) {
  Vector v(3, 4);
  EXPECT_FLOAT_EQ(5.0f, v.getMagnitude());
  v.normalize();
  EXPECT_FLOAT_EQ(0.6f, v.getX());
  EXPECT_FLOAT_EQ(0.8f, v.getY());
  Vector zero;
  zero.normalize();
  EXPECT_EQ(0.0f, zero.getX());
  const Vector sum = Vector(1, 2) + Vector(10, 20);
  EXPECT_EQ(11.0f, sum.getX());
  EXPECT_EQ(22.0f, sum.getY());
}

TEST(Geometry, BoxesOverlapIncludingEdgesWhicheverComesFirst) {
  const Box unit(Vector(0, 0), 1, 1);
  const Box point(Vector(2, 2), 0, 0);
  const struct {
    Box other;
    bool overlaps;
  } cases[] = {{Box(Vector(1, 1), 1, 1), true},     {Box(Vector(1.5f, 0), 1, 1), false},
               {Box(Vector(-5, -5), 20, 20), true}, {Box(Vector(0, 2), 1, 1), false},
               {Box(Vector(1, 0), 0, 0), true},     {Box(Vector(0.5f, 1.1f), 0, 0), false},
               {Box(Vector(0, -3), 3, 2), false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.overlaps, wd::boxesOverlap(unit, c.other));
    EXPECT_EQ(c.overlaps, wd::boxesOverlap(c.other, unit));
  }
  EXPECT_TRUE(wd::boxesOverlap(point, Box(Vector(2, 2), 0, 0)));
  EXPECT_FALSE(wd::boxesOverlap(point, Box(Vector(2, 2.5f), 0, 0)));
}

TEST(Geometry, NearnessAndText) {
  EXPECT_TRUE(wd::positionsNear(Vector(3, 3), Vector(4, 4)));
  EXPECT_FALSE(wd::positionsNear(Vector(3, 3), Vector(5, 3)));
  EXPECT_TRUE(wd::positionsNear(Vector(-2, 0), Vector(2, 0)));
  EXPECT_EQ("-10", wd::toString(-10));
  EXPECT_EQ("0", wd::toString(0));
}

TEST(Geometry, WorldBoxesAndViewConversions) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.startUp();
  world.setBoundary(Box(Vector(7, -2), 200, 50));
  world.setView(Box(Vector(20, 1), 100, 50));
  EXPECT_EQ(5.0f, wd::toViewPosition(Vector(25, 3)).getX());
  EXPECT_EQ(2.0f, wd::toViewPosition(Vector(25, 3)).getY());
  // Back to the world adds the boundary's corner, not the view's.
  EXPECT_EQ(32.0f, wd::toWorldPosition(Vector(25, 3)).getX());
  EXPECT_EQ(1.0f, wd::toWorldPosition(Vector(25, 3)).getY());

  wd::Object o;
  o.setPosition(Vector(10, 5));
  o.setBox(Box(Vector(-1, -2), 3, 4));
  const Box box = wd::worldBoxOf(&o);
  EXPECT_EQ(9.0f, box.getCorner().getX());
  EXPECT_EQ(3.0f, box.getCorner().getY());
  EXPECT_EQ(3.0f, box.getHorizontal());
  EXPECT_EQ(-1.0f, wd::worldBoxOf(&o, Vector(0, 0)).getCorner().getX());
}

TEST(Events, CarryTheirTypeStrings) {
  EXPECT_EQ("wd::undefined", wd::Event().getType());
  EXPECT_EQ("wd::step", wd::EventStep().getType());
  EXPECT_EQ("OUT_EVENT", wd::EventOut().getType());
  EXPECT_EQ("VIEW_EVENT", wd::EventView("Points", 10, true).getType());
  EXPECT_EQ("COLLISION_EVENT", wd::EventCollision(nullptr, nullptr, Vector()).getType());
}
