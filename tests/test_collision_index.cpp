// The world's collision index against the walk over every object: seeded random worlds run once with
// each search must hear exactly the same events.
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
using Objects = std::vector<wd::Object*>;
using Strings = std::vector<std::string>;

namespace {

wd::WorldManager& world() { return wd::WorldManager::getInstance(); }

bool inWorld(const wd::Object* p_o) {
  const Objects all = wd_test::contents(world().getAllObjects());
  return std::find(all.begin(), all.end(), p_o) != all.end();
}

// Exact text of a place, so that positions compare bit for bit.
std::string exact(Vector v) {
  char text[64];
  std::snprintf(text, sizeof text, "%a,%a", static_cast<double>(v.getX()), static_cast<double>(v.getY()));
  return text;
}

// One seeded world, driven through the index or through the walk, that journals every event its
// objects hear and every answer of the searches it makes itself.
class Run {
 public:
  Run(unsigned seed, int object_count, int frames) : rng(seed), object_count(object_count), frames(frames) {}

  Strings play(bool indexed) {
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
    world().startUp();  // empties the world, so that no destructor tells thousands of others
    for (Probe* p_o : probes) {
      delete p_o;
    }
    return journal;
  }

 private:
  // Depending on its kind, a probe stirs the world from its handler.
  enum Kind { QUIET, TELEPORTER, SPAWNER, REMOVER, SELF_DELETER };
  struct Probe : public wd::Object {
    Probe(Run& run, int name, Kind kind) : run(run), name(name), kind(kind) {}
    int handleEvent(const wd::Event* p_e) override { return run.hear(this, p_e); }
    Run& run;
    const int name;
    const Kind kind;
  };

  static std::string nameOf(const wd::Object* p_o) { return std::to_string(static_cast<const Probe*>(p_o)->name); }

  int hear(Probe* p_o, const wd::Event* p_e) {
    if (const auto* p_c = dynamic_cast<const wd::EventCollision*>(p_e)) {
      journal.push_back(nameOf(p_o) + " hit " + nameOf(p_c->getObject1()) + "->" + nameOf(p_c->getObject2()) +
                        " at " + exact(p_c->getPosition()));
      if (p_o->kind == TELEPORTER) {
        p_o->setPosition(randomPlace());
      } else if (p_o->kind == SPAWNER && spawned++ < 300) {
        spawn(p_c->getPosition());
      } else if (p_o->kind == REMOVER) {
        world().markForRemoval(p_c->getObject1() == p_o ? p_c->getObject2() : p_c->getObject1());
      }
    } else if (dynamic_cast<const wd::EventOut*>(p_e) != nullptr) {
      journal.push_back(nameOf(p_o) + " out at " + exact(p_o->getPosition()));
      if (p_o->kind == SELF_DELETER) {
        forget(p_o);  // safe: nothing touches an object after its out event
      }
    }
    return 0;
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  // Whole and half cells make touching edges common; the rest are arbitrary.
  float coordinate(float low, float high) {
    const float f = std::uniform_real_distribution<float>(low, high)(rng);
    const int kind = pick(3);
    return kind == 0 ? std::floor(f) : kind == 1 ? std::floor(f * 2) / 2 : f;
  }

  Vector randomPlace() {
    if (pick(200) == 0) {  // far away, where grid coordinates would overflow
      return Vector(coordinate(-1, 1) * 1e12f, coordinate(-1, 1) * 1e30f);
    }
    return Vector(coordinate(-20, 420), coordinate(-10, 110));
  }

  // Empty, negative, huge, infinite and NaN boxes now and then.
  Box randomBox() {
    switch (pick(40)) {
      case 0: return Box();
      case 1: return Box(Vector(-1, -1), -2, 3);
      case 2: return Box(Vector(-150, -1), 300, 2);
      case 3: return Box(Vector(0, 0), std::numeric_limits<float>::infinity(), 1);
      case 4: return Box(Vector(0, 0), std::numeric_limits<float>::quiet_NaN(), 1);
      default: return Box(Vector(-coordinate(0, 3), -coordinate(0, 3)), coordinate(0, 6), coordinate(0, 6));
    }
  }

  void spawn(Vector where) {
    const Kind kinds[] = {QUIET, QUIET, QUIET, TELEPORTER, SPAWNER, REMOVER, SELF_DELETER};
    auto* p_o = new Probe(*this, static_cast<int>(probes.size()), kinds[pick(7)]);
    probes.push_back(p_o);
    p_o->setBox(randomBox());
    p_o->setSolidness(static_cast<wd::Solidness>(pick(3)));
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

  void query(const Probe* p_o, Vector where) {
    std::string entry = "query " + nameOf(p_o) + ":";
    for (wd::Object* p_found : wd_test::contents(world().findCollisions(p_o, where))) {
      entry += " " + nameOf(p_found);
    }
    journal.push_back(entry);
  }

  // Deletions, new boxes, solidness and places, repeated entries, and direct searches.
  void stirBetweenFrames() {
    for (int i = 0; i < object_count / 20; i++) {
      Probe* p_o = randomLivingProbe();
      const int change = p_o == nullptr ? -1 : pick(6);
      if (change == 0 && inWorld(p_o)) {
        forget(p_o);
      } else if (change == 1) {
        p_o->setBox(randomBox());
      } else if (change == 2) {
        p_o->setSolidness(static_cast<wd::Solidness>(pick(3)));
      } else if (change == 3) {
        p_o->setPosition(randomPlace());
      } else if (change == 4) {
        query(p_o, pick(2) == 0 ? p_o->getPosition() : randomPlace());
      } else if (change == 5 && !inWorld(p_o)) {
        world().insertObject(p_o);  // taken out earlier: back in
      }
    }
    // An object that stands twice in the list is found twice; taking out its first entry leaves it last.
    for (int i = 0; i < 10; i++) {
      Probe* p_twice = randomLivingProbe();
      Probe* p_other = randomLivingProbe();
      if (p_twice != nullptr && p_other != nullptr && inWorld(p_twice) && world().insertObject(p_twice) == 0) {
        query(p_other, p_twice->getPosition());
        world().removeObject(p_twice);
        query(p_other, p_twice->getPosition());
      }
    }
  }

  std::mt19937 rng;
  const int object_count, frames;
  int spawned = 0;
  std::vector<Probe*> probes;
  Strings journal;
};

// Both searches hear the same events in the same order, in journals long and varied enough to mean
// something.
void expectSameJournals(unsigned seed, int object_count, int frames) {
  const Strings walked = Run(seed, object_count, frames).play(false);
  const Strings indexed = Run(seed, object_count, frames).play(true);
  for (std::size_t i = 0; i < walked.size() || i < indexed.size(); i++) {
    ASSERT_EQ(i < walked.size() ? walked[i] : "nothing", i < indexed.size() ? indexed[i] : "nothing")
        << "seed " << seed << ", entry " << i << " of " << walked.size();
  }
  const auto count = [&](const char* word) {
    return std::count_if(walked.begin(), walked.end(), [&](const std::string& entry) {
      return entry.find(word) != std::string::npos;
    });
  };
  EXPECT_GT(count(" hit "), object_count) << "seed " << seed;
  EXPECT_GT(count(" out "), 10) << "seed " << seed;
  EXPECT_GT(count("query "), 10) << "seed " << seed;
}

}  // namespace

TEST(CollisionIndex, RandomWorldsHearTheSameEventsAsTheFullWalk) {
  for (unsigned seed : {1u, 2u}) {
    expectSameJournals(seed, 2000, 4);
  }
  expectSameJournals(7, wd::MAX_OBJECTS - 50, 1);  // spawning handlers run into the object limit
}
