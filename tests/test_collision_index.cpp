// The world's collision index against the walk over every object: seeded random worlds run once
// with each search must hear exactly the same events.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "EventCollision.h"
#include "EventOut.h"
#include "Object.h"
#include "WorldManager.h"
#include "test_support.h"

using wd::Box;
using wd::Vector;

namespace {

// Exact text of a place, so that positions compare bit for bit.
std::string exact(Vector v) {
  char text[64];
  std::snprintf(text, sizeof text, "%a,%a", static_cast<double>(v.getX()), static_cast<double>(v.getY()));
  return text;
}

wd::WorldManager& world() { return wd::WorldManager::getInstance(); }

bool inWorld(const wd::Object* p_o) {
  const std::vector<wd::Object*> all = wd_test::contents(world().getAllObjects());
  return std::find(all.begin(), all.end(), p_o) != all.end();
}

class Run;

// An object that writes every event it hears into its run's journal and, depending on its kind,
// stirs the world from its handler.
class Probe : public wd::Object {
 public:
  enum Kind { QUIET, TELEPORTER, SPAWNER, REMOVER, SELF_DELETER };
  Probe(Run& run, int name, Kind kind) : run(run), name(name), kind(kind) {}
  int handleEvent(const wd::Event* p_e) override;
  Run& run;
  const int name;
  const Kind kind;
};

int nameOf(const wd::Object* p_o) { return static_cast<const Probe*>(p_o)->name; }

// One seeded world, driven either through the index or through the walk.
class Run {
 public:
  Run(unsigned seed, int object_count, int frames) : rng(seed), object_count(object_count), frames(frames) {}

  std::vector<std::string> play(bool indexed) {
    world().shutDown();
    world().startUp();
    world().useCollisionIndex(indexed);
    world().setBoundary(Box(Vector(0, 0), 400, 100));
    for (int i = 0; i < object_count; i++) {
      spawn(randomPlace());
    }
    for (int frame = 0; frame < frames; frame++) {
      world().update();
      stirBetweenFrames();
    }
    world().useCollisionIndex(true);
    // Out of the world first, so that no destructor tells thousands of others.
    for (Probe* p_o : probes) {
      world().removeObject(p_o);
    }
    for (Probe* p_o : probes) {
      delete p_o;
    }
    return journal;
  }

  void note(std::string entry) { journal.push_back(std::move(entry)); }

  void react(Probe* p_o, const wd::EventCollision* p_c) {
    if (p_o->kind == Probe::TELEPORTER) {
      p_o->setPosition(randomPlace());
    } else if (p_o->kind == Probe::SPAWNER && spawned < 300) {
      spawned++;
      spawn(p_c->getPosition());
    } else if (p_o->kind == Probe::REMOVER) {
      world().markForRemoval(p_c->getObject1() == p_o ? p_c->getObject2() : p_c->getObject1());
    }
  }

  // Deleting itself is safe on leaving the world: nothing touches the object after its out event.
  void leave(Probe* p_o) {
    if (p_o->kind == Probe::SELF_DELETER) {
      forget(p_o);
    }
  }

 private:
  float uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(rng); }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  // Whole and half cells make touching edges common; the rest are arbitrary.
  float coordinate(float low, float high) {
    const float f = uniform(low, high);
    const int kind = pick(3);
    return kind == 0 ? std::floor(f) : kind == 1 ? std::floor(f * 2) / 2 : f;
  }

  Vector randomPlace() {
    if (pick(200) == 0) {  // far away, where grid coordinates would overflow
      return Vector(coordinate(-1, 1) * 1e12f, coordinate(-1, 1) * 1e30f);
    }
    return Vector(coordinate(-20, 420), coordinate(-10, 110));
  }

  Box randomBox() {
    switch (pick(40)) {
      case 0: return Box();                                          // empty
      case 1: return Box(Vector(-1, -1), -2, 3);                     // negative extent
      case 2: return Box(Vector(-150, -1), 300, 2);                  // huge
      case 3: return Box(Vector(0, 0), std::numeric_limits<float>::infinity(), 1);
      case 4: return Box(Vector(0, 0), std::numeric_limits<float>::quiet_NaN(), 1);
      default: return Box(Vector(-coordinate(0, 3), -coordinate(0, 3)), coordinate(0, 6), coordinate(0, 6));
    }
  }

  wd::Solidness randomSolidness() { return static_cast<wd::Solidness>(pick(3)); }

  void spawn(Vector where) {
    const Probe::Kind kinds[] = {Probe::QUIET,   Probe::QUIET,   Probe::QUIET,       Probe::TELEPORTER,
                                 Probe::SPAWNER, Probe::REMOVER, Probe::SELF_DELETER};
    auto* p_o = new Probe(*this, static_cast<int>(probes.size()), kinds[pick(7)]);
    probes.push_back(p_o);
    p_o->setBox(randomBox());
    p_o->setSolidness(randomSolidness());
    p_o->setVelocity(pick(2) == 0 ? Vector() : Vector(coordinate(-2, 2), coordinate(-2, 2)));
    p_o->setPosition(where);
  }

  void forget(Probe* p_o) {
    probes[p_o->name] = nullptr;
    delete p_o;
  }

  Probe* randomLivingProbe() {
    for (int tries = 0; tries < 20; tries++) {
      if (Probe* p_o = probes[pick(static_cast<int>(probes.size()))]) {
        return p_o;
      }
    }
    return nullptr;
  }

  // Deletions, new boxes, solidness and places, repeated entries, and direct searches whose
  // answers go into the journal.
  void stirBetweenFrames() {
    for (int i = 0; i < object_count / 20; i++) {
      Probe* p_o = randomLivingProbe();
      const int change = p_o == nullptr ? -1 : pick(6);
      if (change == 0 && inWorld(p_o)) {
        forget(p_o);
      } else if (change == 1) {
        p_o->setBox(randomBox());
      } else if (change == 2) {
        p_o->setSolidness(randomSolidness());
      } else if (change == 3) {
        p_o->setPosition(randomPlace());
      } else if (change == 4) {
        note(queryAt(p_o, pick(2) == 0 ? p_o->getPosition() : randomPlace()));
      } else if (change == 5 && !inWorld(p_o)) {
        world().insertObject(p_o);  // taken out earlier: back in
      }
    }
    // An object that stands twice in the list is found twice; taking out its first entry leaves
    // it last in the list.
    for (int i = 0; i < 10; i++) {
      Probe* p_twice = randomLivingProbe();
      Probe* p_other = randomLivingProbe();
      if (p_twice != nullptr && p_other != nullptr && inWorld(p_twice) && world().insertObject(p_twice) == 0) {
        note(queryAt(p_other, p_twice->getPosition()));
        world().removeObject(p_twice);
        note(queryAt(p_other, p_twice->getPosition()));
      }
    }
  }

  static std::string queryAt(const Probe* p_o, Vector where) {
    std::string entry = "query " + std::to_string(p_o->name) + ":";
    for (wd::Object* p_found : wd_test::contents(world().findCollisions(p_o, where))) {
      entry += " " + std::to_string(nameOf(p_found));
    }
    return entry;
  }

  std::mt19937 rng;
  const int object_count;
  const int frames;
  int spawned = 0;
  std::vector<Probe*> probes;
  std::vector<std::string> journal;
};

int Probe::handleEvent(const wd::Event* p_e) {
  if (const auto* p_c = dynamic_cast<const wd::EventCollision*>(p_e)) {
    run.note(std::to_string(name) + " hit " + std::to_string(nameOf(p_c->getObject1())) + "->" +
             std::to_string(nameOf(p_c->getObject2())) + " at " + exact(p_c->getPosition()));
    run.react(this, p_c);
  } else if (dynamic_cast<const wd::EventOut*>(p_e) != nullptr) {
    run.note(std::to_string(name) + " out at " + exact(getPosition()));
    run.leave(this);
  }
  return 0;
}

// Both searches hear the same events in the same order; the journals are also long and varied
// enough to have meant something.
void expectSameJournals(unsigned seed, int object_count, int frames) {
  const std::vector<std::string> walked = Run(seed, object_count, frames).play(false);
  const std::vector<std::string> indexed = Run(seed, object_count, frames).play(true);
  const auto difference = std::mismatch(walked.begin(), walked.end(), indexed.begin(), indexed.end());
  ASSERT_TRUE(difference.first == walked.end() && difference.second == indexed.end())
      << "seed " << seed << ": entry " << difference.first - walked.begin() << " of " << walked.size()
      << " is \"" << (difference.second == indexed.end() ? "nothing" : *difference.second)
      << "\" instead of \"" << (difference.first == walked.end() ? "nothing" : *difference.first) << "\"";
  int collisions = 0, outs = 0, queries = 0;
  for (const std::string& entry : walked) {
    collisions += entry.find(" hit ") != std::string::npos;
    outs += entry.find(" out ") != std::string::npos;
    queries += entry.compare(0, 5, "query") == 0;
  }
  EXPECT_GT(collisions, object_count) << "seed " << seed;
  EXPECT_GT(outs, 10) << "seed " << seed;
  EXPECT_GT(queries, 10) << "seed " << seed;
}

}  // namespace

TEST(CollisionIndex, RandomWorldsHearTheSameEventsAsTheFullWalk) {
  for (unsigned seed : {1u, 2u}) {
    expectSameJournals(seed, 2000, 4);
  }
  expectSameJournals(7, wd::MAX_OBJECTS - 50, 1);  // spawning handlers run into the object limit
}

// Marked objects leave together at the end of the update: each loses its first entry only,
// objects marked outside the world or destroyed after marking change nothing, and the index
// keeps up.
TEST(CollisionIndex, MarkedObjectsLeaveByTheirFirstEntries) {
  world().shutDown();
  world().startUp();
  auto *p_a = new wd::Object, *p_b = new wd::Object, *p_c = new wd::Object, *p_gone = new wd::Object;
  world().insertObject(p_a);  // the world: a b c gone a
  wd::Object outsider;
  world().removeObject(&outsider);
  for (wd::Object* p_o : {p_c, &outsider, p_a, p_gone}) {
    world().markForRemoval(p_o);
  }
  delete p_gone;
  world().update();
  const std::vector<wd::Object*> left = wd_test::contents(world().getAllObjects());
  EXPECT_EQ((std::vector<wd::Object*>{p_b, p_a}), left);
  // All at (0, 0), found in the new order.
  EXPECT_EQ(left, wd_test::contents(world().findCollisions(&outsider, Vector(0, 0))));
  world().shutDown();
  delete p_c;
}
