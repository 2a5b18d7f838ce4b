// Objects deleted inside the engine's callbacks, as games delete them: the cases games meet, then
// seeded random worlds whose handlers of every kind delete and create objects while they check that
// every callback reaches a living object and that every event names only living ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <SFML/Window/Event.hpp>

#include "EventCollision.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "EventStep.h"
#include "EventView.h"
#include "GameManager.h"
#include "InputManager.h"
#include "Object.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "test_support.h"

using wd::Box;
using wd::Object;
using wd::Vector;
using wd_test::contents;
using Objects = std::vector<Object*>;
using Strings = std::vector<std::string>;

namespace {

wd::WorldManager& world() { return wd::WorldManager::getInstance(); }

Strings journal;

// An object of one cell that notes every event it hears except the view events that deletions
// send, then does what the test asks of it.
class Actor : public Object {
 public:
  using Reaction = std::function<void(Actor* p_self, const wd::Event* p_e)>;

  Actor(std::string name, float x, wd::Solidness solidness = wd::HARD) : name(std::move(name)) {
    setType("Actor");
    setPosition(Vector(x, 10));
    setSolidness(solidness);
    setBox(Box(Vector(0, 0), 1, 1));
  }
  int handleEvent(const wd::Event* p_e) override {
    if (p_e->getType() != "VIEW_EVENT") {
      journal.push_back(name + ":" + describe(p_e));
    }
    if (react) {
      const Reaction reaction = react;  // the object and its reaction may go in the call
      reaction(this, p_e);
    }
    return 0;
  }
  int draw() override {
    journal.push_back(name + ":draw");
    if (on_draw) {
      const Reaction reaction = on_draw;
      reaction(this, nullptr);
    }
    return 0;
  }
  static std::string describe(const wd::Event* p_e) {
    std::string text = p_e->getType();
    if (const auto* p_c = dynamic_cast<const wd::EventCollision*>(p_e)) {
      text += " " + static_cast<const Actor*>(p_c->getObject1())->name + "->" +
              static_cast<const Actor*>(p_c->getObject2())->name;
    }
    return text;
  }

  const std::string name;
  Reaction react;
  Reaction on_draw;
};

bool isCollision(const wd::Event* p_e) { return p_e->getType() == "COLLISION_EVENT"; }

Actor::Reaction deletesItselfOn(const std::string& type) {
  return [type](Actor* p_self, const wd::Event* p_e) {
    if (p_e->getType() == type) {
      delete p_self;
    }
  };
}

wd::Object* otherOf(const Object* p_self, const wd::Event* p_e) {
  const auto* p_c = static_cast<const wd::EventCollision*>(p_e);
  return p_c->getObject1() == p_self ? p_c->getObject2() : p_c->getObject1();
}

// The storage of deleted objects of one class, which new ones of the class are built in, as an
// allocator may hand out a freed block again at once: at most kept blocks are held (the others
// are freed), and one allocation in reuse_period takes a held block.
class SpareBlocks {
 public:
  SpareBlocks(std::size_t kept, unsigned reuse_period) : kept(kept), reuse_period(reuse_period) {}
  void* take(std::size_t size) {
    if (blocks.empty() || allocations++ % reuse_period != 0) {
      return ::operator new(size);
    }
    void* p_block = blocks.back();
    blocks.pop_back();
    return p_block;
  }
  void give(void* p_block) {
    if (blocks.size() < kept) {
      blocks.push_back(p_block);
    } else {
      ::operator delete(p_block);
    }
  }
  void release() {
    for (void* p_block : blocks) {
      ::operator delete(p_block);
    }
    blocks.clear();
  }

 private:
  const std::size_t kept;
  const unsigned reuse_period;
  unsigned allocations = 0;
  std::vector<void*> blocks;
};

SpareBlocks recycled_blocks(1000, 1);

// An actor that takes the place of the last one of its class deleted.
class Recycled : public Actor {
 public:
  using Actor::Actor;
  static void* operator new(std::size_t size) { return recycled_blocks.take(size); }
  static void operator delete(void* p_block) { recycled_blocks.give(p_block); }
};

class Lifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    world().shutDown();
    world().startUp();
    world().setBoundary(Box(Vector(0, 0), 200, 50));
    world().setView(Box(Vector(0, 0), 100, 50));
    world().setFollowedObject(nullptr);
    journal.clear();
  }
  void TearDown() override {
    world().shutDown();
    recycled_blocks.release();
  }
  // What was heard of one event type, in order.
  static Strings heard(const std::string& type) {
    Strings entries;
    for (const std::string& entry : journal) {
      if (entry.find(":" + type) != std::string::npos) {
        entries.push_back(entry);
      }
    }
    return entries;
  }
  static void step() {
    const wd::EventStep step_event;
    wd::GameManager::getInstance().broadcastEvent(&step_event);
  }
};

}  // namespace

// The mover is gone after its own half of the collision: the wall hears nothing of it, nothing
// blocks, and the next frames run on without it.
TEST_F(Lifetime, ABulletDeletesItselfOnAWall) {
  auto* p_bullet = new Actor("bullet", 17);
  p_bullet->setVelocity(Vector(1, 0));
  p_bullet->react = deletesItselfOn("COLLISION_EVENT");
  auto* p_wall = new Actor("wall", 20);
  for (int frame = 0; frame < 4; frame++) {
    world().update();
  }
  EXPECT_EQ((Strings{"bullet:COLLISION_EVENT bullet->wall"}), heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_wall}), contents(world().getAllObjects()));
}

// Whichever side deletes both, the side that has not heard of the collision yet does not hear it,
// and the mover's deletion leaves the object after it in the world list out of that frame's moves,
// as any deletion during the update does.
TEST_F(Lifetime, ABulletDeletesItselfAndTheEnemy) {
  const Actor::Reaction delete_both = [](Actor* p_self, const wd::Event* p_e) {
    if (isCollision(p_e)) {
      delete otherOf(p_self, p_e);
      delete p_self;
    }
  };
  auto* p_bullet = new Actor("bullet", 19);
  p_bullet->setVelocity(Vector(1, 0));
  p_bullet->react = delete_both;
  auto* p_next = new Actor("next", 60, wd::INTANGIBLE);
  p_next->setVelocity(Vector(1, 0));
  new Actor("enemy", 21);
  world().update();
  EXPECT_EQ((Strings{"bullet:COLLISION_EVENT bullet->enemy"}), heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_next}), contents(world().getAllObjects()));
  EXPECT_EQ(60.0f, p_next->getPosition().getX());  // skipped this frame
  world().update();
  EXPECT_EQ(61.0f, p_next->getPosition().getX());

  // The enemy's half deletes both: the move ends there, before the bystander in the way hears of it.
  journal.clear();
  auto* p_shooter = new Actor("shooter", 39, wd::SOFT);
  auto* p_target = new Actor("target", 41);
  p_target->react = delete_both;
  auto* p_bystander = new Actor("bystander", 41, wd::SOFT);
  EXPECT_EQ(-1, world().moveObject(p_shooter, Vector(40, 10)));
  EXPECT_EQ((Strings{"shooter:COLLISION_EVENT shooter->target", "target:COLLISION_EVENT shooter->target"}),
            heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_next, p_bystander}), contents(world().getAllObjects()));
}

// The out event is the last thing the engine does with a mover, so the spark may go there; the
// view event it sends on its way out still counts.
TEST_F(Lifetime, ASparkDeletesItselfOnLeavingTheWorld) {
  auto* p_lost = new wd::ViewObject;
  p_lost->setCaption("Lost");
  auto* p_spark = new Actor("spark", 197, wd::SOFT);
  p_spark->setVelocity(Vector(1, 0));
  p_spark->react = [](Actor* p_self, const wd::Event* p_e) {
    if (p_e->getType() == "OUT_EVENT") {
      const wd::EventView lost("Lost", 1, true);
      world().broadcastEvent(&lost);
      delete p_self;
    }
  };
  auto* p_after = new Actor("after", 150, wd::SOFT);
  p_after->setVelocity(Vector(0.5f, 0));
  for (int frame = 0; frame < 6; frame++) {
    world().update();
  }
  EXPECT_EQ((Strings{"spark:OUT_EVENT"}), heard("OUT_EVENT"));
  EXPECT_EQ(1, p_lost->getValue());
  EXPECT_EQ((Objects{p_lost, p_after}), contents(world().getAllObjects()));
  EXPECT_EQ(152.5f, p_after->getPosition().getX());  // skipped once, in the frame of the spark's exit
}

// The step that the rules delete the enemies in reaches the enemies before them in the world list
// and none of those after; the broadcast still counts every object it set out to visit.
TEST_F(Lifetime, ARulesObjectDeletesEveryEnemyOnAStep) {
  auto* p_dead = new wd::ViewObject;  // counts the deletions
  p_dead->setCaption("Points");
  new Actor("e1", 10);
  auto* p_rules = new Actor("rules", 20);
  new Actor("e2", 30);
  new Actor("e3", 40);
  p_rules->react = [](Actor*, const wd::Event* p_e) {
    if (p_e->getType() == wd::STEP_EVENT) {
      const wd::ObjectList enemies = world().objectsWithType("Enemy");
      for (Object* p_o : contents(enemies)) {
        delete p_o;
      }
    }
  };
  for (Object* p_o : contents(world().objectsWithType("Actor"))) {
    if (p_o != p_rules) {
      p_o->setType("Enemy");
    }
  }
  const wd::EventStep step_event;
  EXPECT_EQ(5, wd::GameManager::getInstance().broadcastEvent(&step_event));
  EXPECT_EQ((Strings{"e1:wd::step", "rules:wd::step"}), heard("wd::step"));
  EXPECT_EQ((Objects{p_dead, p_rules}), contents(world().getAllObjects()));
  EXPECT_EQ(30, p_dead->getValue());
  step();
  EXPECT_EQ((Strings{"e1:wd::step", "rules:wd::step", "rules:wd::step"}), heard("wd::step"));
}

// The view stays where the followed object last took it and follows nothing after it.
TEST_F(Lifetime, TheFollowedObjectIsDeletedInItsOwnHandler) {
  auto* p_leader = new Actor("leader", 100);
  p_leader->setVelocity(Vector(1, 0));
  p_leader->react = deletesItselfOn("COLLISION_EVENT");
  ASSERT_EQ(0, world().setFollowedObject(p_leader));
  new Actor("wall", 104);
  for (int frame = 0; frame < 4; frame++) {
    world().update();
  }
  EXPECT_EQ((Strings{"leader:COLLISION_EVENT leader->wall"}), heard("COLLISION_EVENT"));
  EXPECT_EQ(52.0f, world().getView().getCorner().getX());  // centred on 102, the last place reached
  auto* p_newcomer = new Actor("newcomer", 130, wd::INTANGIBLE);
  world().moveObject(p_newcomer, Vector(150, 10));
  EXPECT_EQ(52.0f, world().getView().getCorner().getX());
  // Followed and deleted on a step: the same.
  ASSERT_EQ(0, world().setFollowedObject(p_newcomer));
  p_newcomer->react = deletesItselfOn(wd::STEP_EVENT);
  step();
  world().update();
  EXPECT_EQ(100.0f, world().getView().getCorner().getX());
  EXPECT_EQ(1, world().getAllObjects().getCount());
}

// An object built in the storage of one just deleted is not the deleted one: nothing that was on
// its way to the deleted object reaches it, in a broadcast or in a collision.
TEST_F(Lifetime, ANewcomerInADeletedObjectsPlaceHearsNothingMeantForIt) {
  auto* p_rules = new Actor("rules", 10);
  Object* p_old = new Recycled("old", 20);
  p_rules->react = [&p_old](Actor*, const wd::Event* p_e) {
    if (p_e->getType() == wd::STEP_EVENT && p_old != nullptr) {
      delete p_old;
      p_old = nullptr;
      new Recycled("new", 30);
    }
  };
  const Object* p_place = p_old;
  step();
  EXPECT_EQ(p_place, contents(world().getAllObjects()).back());
  EXPECT_EQ((Strings{"rules:wd::step"}), heard("wd::step"));
  step();
  EXPECT_EQ((Strings{"rules:wd::step", "rules:wd::step", "new:wd::step"}), heard("wd::step"));

  world().shutDown();
  world().startUp();
  journal.clear();
  auto* p_mover = new Actor("mover", 50);
  p_mover->react = [](Actor* p_self, const wd::Event* p_e) {
    if (isCollision(p_e)) {
      delete otherOf(p_self, p_e);
      new Recycled("stand-in", 80);
      p_self->react = nullptr;
    }
  };
  auto* p_hit = new Recycled("hit", 51);
  auto* p_behind = new Recycled("behind", 51, wd::SOFT);
  EXPECT_EQ(0, world().moveObject(p_mover, Vector(51, 10)));  // the hard one is gone: nothing blocks
  EXPECT_EQ((Strings{"mover:COLLISION_EVENT mover->hit", "mover:COLLISION_EVENT mover->behind",
                     "behind:COLLISION_EVENT mover->behind"}),
            heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_mover, p_behind, p_hit}), contents(world().getAllObjects()));  // hit's place

  // A mover that deletes itself and leaves a successor at its address: the move is not made for it.
  auto* p_jumper = new Recycled("jumper", 100);
  new Actor("wall", 101);
  Object* p_successor = nullptr;
  p_jumper->react = [&p_successor](Actor* p_self, const wd::Event* p_e) {
    if (isCollision(p_e)) {
      delete p_self;
      p_successor = new Recycled("successor", 120, wd::INTANGIBLE);
    }
  };
  const Object* p_jumper_place = p_jumper;
  EXPECT_EQ(-1, world().moveObject(p_jumper, Vector(100.5f, 10)));
  ASSERT_EQ(p_jumper_place, p_successor);
  EXPECT_EQ(120.0f, p_successor->getPosition().getX());
}

// A hard object that deletes itself when a hard mover runs into it, as a crate that breaks, does
// not block the move.
TEST_F(Lifetime, AnObjectThatDeletesItselfWhenHitDoesNotBlock) {
  auto* p_ram = new Actor("ram", 10);
  auto* p_crate = new Recycled("crate", 11);
  p_crate->react = deletesItselfOn("COLLISION_EVENT");
  EXPECT_EQ(0, world().moveObject(p_ram, Vector(10.5f, 10)));
  EXPECT_EQ(10.5f, p_ram->getPosition().getX());
  EXPECT_EQ((Strings{"ram:COLLISION_EVENT ram->crate", "crate:COLLISION_EVENT ram->crate"}),
            heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_ram}), contents(world().getAllObjects()));
}

// Deleting from draw: what is deleted is not drawn, and the walk goes on over the live list as
// the update's does.
TEST_F(Lifetime, ObjectsDeletedWhileTheWorldIsDrawn) {
  auto* p_first = new Actor("first", 10, wd::INTANGIBLE);
  auto* p_second = new Actor("second", 20, wd::INTANGIBLE);
  auto* p_third = new Actor("third", 30, wd::INTANGIBLE);
  auto* p_fourth = new Actor("fourth", 40, wd::INTANGIBLE);
  p_first->on_draw = [p_third](Actor* p_self, const wd::Event*) {
    delete p_third;
    p_self->on_draw = nullptr;
  };
  p_second->on_draw = [](Actor* p_self, const wd::Event*) { delete p_self; };
  world().draw();
  EXPECT_EQ((Strings{"first:draw", "second:draw"}), heard("draw"));  // fourth moved up past the walk
  world().draw();
  EXPECT_EQ((Strings{"first:draw", "second:draw", "first:draw", "fourth:draw"}), heard("draw"));
  EXPECT_EQ((Objects{p_first, p_fourth}), contents(world().getAllObjects()));
}

// A deletion sends a view event to everyone; a handler of it that deletes a later object, during
// a game or while the world is shut down, keeps that object from hearing anything more.
TEST_F(Lifetime, ObjectsDeletedByViewEventHandlers) {
  auto* p_first = new Actor("first", 10);
  auto* p_second = new Actor("second", 20);
  auto* p_third = new Actor("third", 30);
  auto* p_fourth = new Actor("fourth", 40);
  p_second->react = [p_fourth](Actor* p_self, const wd::Event* p_e) {
    if (p_e->getType() == "VIEW_EVENT") {
      p_self->react = nullptr;
      delete p_fourth;
    }
  };
  p_third->react = [p_first](Actor* p_self, const wd::Event* p_e) {
    if (p_e->getType() == "VIEW_EVENT") {
      p_self->react = nullptr;
      delete p_first;
    }
  };
  const wd::EventView view_event("Points", 1, true);
  EXPECT_EQ(4, world().broadcastEvent(&view_event));
  EXPECT_EQ((Objects{p_second, p_third}), contents(world().getAllObjects()));
  step();
  EXPECT_EQ((Strings{"second:wd::step", "third:wd::step"}), heard("wd::step"));

  // At shut-down each deletion tells the objects still in the world.
  auto* p_fifth = new Actor("fifth", 50);
  p_third->react = [p_fifth](Actor* p_self, const wd::Event* p_e) {
    if (p_e->getType() == "VIEW_EVENT") {
      p_self->react = nullptr;
      delete p_fifth;
    }
  };
  world().shutDown();
  EXPECT_TRUE(world().getAllObjects().isEmpty());
}

// Keyboard and mouse events are broadcast the same way: a handler deletes the objects after it.
TEST_F(Lifetime, ObjectsDeletedByInputHandlers) {
  auto* p_player = new Actor("player", 10);
  auto* p_target = new Actor("target", 20);
  auto* p_crowd = new Actor("crowd", 30);
  p_player->react = [p_target, p_crowd](Actor* p_self, const wd::Event* p_e) {
    if (p_e->getType() == wd::KEYBOARD_EVENT) {
      delete p_target;
    } else if (p_e->getType() == wd::MSE_EVENT) {
      delete p_crowd;
      p_self->react = nullptr;
    }
  };
  sf::Event key{};
  key.type = sf::Event::KeyPressed;
  key.key.code = sf::Keyboard::Space;
  wd::InputManager::getInstance().handleWindowEvent(key);
  sf::Event move{};
  move.type = sf::Event::MouseMoved;
  wd::InputManager::getInstance().handleWindowEvent(move);
  EXPECT_EQ((Strings{"player:KEYBOARD_EVENT", "crowd:KEYBOARD_EVENT", "player:MSE_EVENT"}), journal);
  EXPECT_EQ((Objects{p_player}), contents(world().getAllObjects()));
}

namespace {

// The callbacks the engine makes into an object, for counting what happened in each.
enum Callback { STEP, KEYBOARD, MOUSE, COLLISION, OUT, VIEW, DRAW, CALLBACK_KINDS };
const char* const CALLBACK_NAMES[] = {"step", "keyboard", "mouse", "collision", "out", "view", "draw"};

// Per mille of the callbacks of each kind in which a probe stirs the world. The view events are
// many (every deletion sends one to everyone), so their share is small enough for deletions not
// to set off ever more deletions.
const int STIR_PER_MILLE[] = {15, 30, 30, 100, 300, 1, 15};

class Mayhem;

SpareBlocks probe_blocks(16, 2);

// An object of a random world: it has every callback checked and may stir the world in any.
class Probe : public Object {
 public:
  Probe(Mayhem& mayhem, std::uint64_t serial) : mayhem(mayhem), serial(serial) {}
  ~Probe() override;
  int handleEvent(const wd::Event* p_e) override;
  int draw() override;

  static void* operator new(std::size_t size) { return probe_blocks.take(size); }
  static void operator delete(void* p_block) { probe_blocks.give(p_block); }

  Mayhem& mayhem;
  std::uint64_t serial;  // 0 once destroyed
};

// A broadcast under way: the objects that heard it, and the last serial that existed when it was
// sent. Objects built after that must not hear it.
struct Broadcast {
  const wd::Event* p_event;
  std::uint64_t newest_serial;
  std::unordered_set<const Object*> heard;
};

// A seeded world of probes driven frame by frame as the game manager drives one: a step for
// everyone, now and then a key or the mouse, the update and the draw.
class Mayhem {
 public:
  Mayhem(unsigned seed, int population) : rng(seed), population(population) {}

  void play(int frames) {
    world().shutDown();
    world().startUp();
    world().setBoundary(Box(Vector(0, 0), 160, 50));
    world().setView(Box(Vector(0, 0), 100, 50));
    world().setFollowedObject(nullptr);
    for (int i = 0; i < population; i++) {
      create();
    }
    for (int frame = 0; frame < frames; frame++) {
      playFrame(frame);
      checkWorldList();
      stirBetweenFrames();
    }
    // At shut-down the handlers of the view events still delete, but no longer create.
    winding_down = true;
    world().shutDown();
    while (!roster.empty()) {
      delete roster.back();  // the ones that stood outside the world
    }
    probe_blocks.release();
  }

  // Called by each probe's callbacks: checks the call, then maybe stirs the world.
  void hear(Probe* p_o, const wd::Event* p_e, Callback callback) {
    if (!isLiving(p_o, p_o->serial)) {
      fail(std::string("a ") + CALLBACK_NAMES[callback] + " callback reached a deleted object");
      return;
    }
    if (callback == COLLISION) {
      checkCollision(p_o, static_cast<const wd::EventCollision*>(p_e));
    } else if (callback != OUT && callback != DRAW) {
      checkBroadcast(p_o, p_e, callback);
    }
    if (callback == OUT) {
      p_o->setVelocity(Vector(-p_o->getVelocity().getX(), -p_o->getVelocity().getY()));
    }
    if (pick(1000) < STIR_PER_MILLE[callback]) {
      stir(p_o, p_e, callback);  // last: p_o may be gone afterwards
    }
  }

  void forget(Probe* p_o) {
    living.erase(p_o);
    roster.erase(std::find(roster.begin(), roster.end(), p_o));
    marked.erase(std::remove(marked.begin(), marked.end(), p_o), marked.end());
    if (followed == p_o) {
      followed = nullptr;
    }
  }

  int violations = 0;
  Strings first_violations;
  long deletions[CALLBACK_KINDS] = {};
  long creations[CALLBACK_KINDS] = {};
  long self_deletions = 0, other_deletions = 0, marked_deletions = 0, followed_deletions = 0;
  long frames_played = 0;

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  float between(float low, float high) { return std::uniform_real_distribution<float>(low, high)(rng); }

  void fail(const std::string& what) {
    if (violations++ < 10) {
      first_violations.push_back("frame " + std::to_string(frames_played) + ": " + what);
    }
  }

  bool isLiving(const Object* p_o, std::uint64_t serial) const {
    const auto found = living.find(p_o);
    return found != living.end() && found->second == serial;
  }

  std::uint64_t serialOf(const Object* p_o) const {
    const auto found = living.find(p_o);
    return found == living.end() ? 0 : found->second;
  }

  // Both objects named live; the second half goes to the very object that the first half named.
  void checkCollision(const Probe* p_o, const wd::EventCollision* p_c) {
    const std::uint64_t mover = serialOf(p_c->getObject1()), other = serialOf(p_c->getObject2());
    if (mover == 0 || other == 0) {
      fail("a collision event named a deleted object");
    } else if (p_o == p_c->getObject1()) {
      first_halves[p_c] = {mover, other};
    } else if (p_o != p_c->getObject2()) {
      fail("a collision event reached an object it does not name");
    } else if (first_halves.count(p_c) == 0 || first_halves[p_c] != std::make_pair(mover, other)) {
      fail("the second half of a collision reached another object than the first half named");
    }
  }

  // Heard once, and only by objects that existed when it was sent.
  void checkBroadcast(const Probe* p_o, const wd::Event* p_e, Callback callback) {
    Broadcast* p_broadcast = nullptr;
    for (auto it = open.rbegin(); it != open.rend() && p_broadcast == nullptr; ++it) {
      if (it->p_event == p_e || (it->p_event == nullptr && (callback == KEYBOARD || callback == MOUSE))) {
        p_broadcast = &*it;
      }
    }
    if (p_broadcast == nullptr) {
      return;  // the view event of a deletion, sent by the engine
    }
    if (p_o->serial > p_broadcast->newest_serial) {
      fail(std::string("a ") + CALLBACK_NAMES[callback] + " event reached an object built after it was sent");
    }
    if (!p_broadcast->heard.insert(p_o).second) {
      fail(std::string("a ") + CALLBACK_NAMES[callback] + " event was heard twice");
    }
  }

  // Sends an event to everyone, noted as under way; a null event stands for the input manager's.
  template <typename Send>
  void broadcast(const wd::Event* p_e, Send send) {
    open.push_back(Broadcast{p_e, serials, {}});
    send();
    open.pop_back();
  }

  void playFrame(int frame) {
    frames_played = frame;
    const wd::EventStep step;
    broadcast(&step, [&] { wd::GameManager::getInstance().broadcastEvent(&step); });
    if (frame % 3 == 0) {
      sf::Event input{};
      const int kind = pick(4);
      input.type = kind == 0   ? sf::Event::KeyPressed
                   : kind == 1 ? sf::Event::KeyReleased
                   : kind == 2 ? sf::Event::MouseMoved
                               : sf::Event::MouseButtonPressed;
      if (kind < 2) {
        input.key.code = sf::Keyboard::Space;
      } else if (kind == 3) {
        input.mouseButton.button = sf::Mouse::Left;
      }
      broadcast(nullptr, [&] { wd::InputManager::getInstance().handleWindowEvent(input); });
    }
    world().update();
    marked.clear();  // the update took them out
    world().draw();
  }

  // What a handler does to the world: deletes, marks, follows, creates or tells everyone.
  void stir(Probe* p_o, const wd::Event* p_e, Callback callback) {
    switch (pick(9)) {
      case 0:
        self_deletions++;
        destroy(p_o, callback);
        break;
      case 1:
        if (callback == COLLISION) {
          other_deletions++;
          destroy(otherOf(p_o, p_e), callback);
        }
        break;
      case 2:
        destroy(randomProbe(), callback);
        break;
      case 3:
        if (!marked.empty()) {
          marked_deletions++;
          destroy(marked[pick(static_cast<int>(marked.size()))], callback);
        }
        break;
      case 4:
        if (followed != nullptr) {
          followed_deletions++;
          destroy(followed, callback);
        }
        break;
      case 5:
        if (Probe* p_target = randomProbe()) {
          world().markForRemoval(p_target);
          marked.push_back(p_target);
        }
        break;
      case 6:
        if (Probe* p_target = randomProbe()) {
          if (world().setFollowedObject(p_target) == 0) {
            followed = p_target;
          }
        }
        break;
      case 7:
        if (!winding_down && static_cast<int>(roster.size()) < 2 * population) {
          creations[callback]++;
          create();
        }
        break;
      default:
        if (!winding_down && callback != VIEW) {
          const wd::EventView news("News", 1, true);
          broadcast(&news, [&] { world().broadcastEvent(&news); });
        }
        break;
    }
  }

  void destroy(Object* p_o, Callback callback) {
    if (p_o != nullptr) {
      deletions[callback]++;
      delete p_o;
    }
  }

  Probe* randomProbe() { return roster.empty() ? nullptr : roster[pick(static_cast<int>(roster.size()))]; }

  void create() {
    auto* p_o = new Probe(*this, ++serials);
    living[p_o] = p_o->serial;
    roster.push_back(p_o);
    p_o->setSolidness(static_cast<wd::Solidness>(pick(3)));
    p_o->setAltitude(pick(5));
    p_o->setBox(Box(Vector(0, 0), static_cast<float>(1 + pick(3)), static_cast<float>(1 + pick(2))));
    p_o->setPosition(Vector(between(0, 158), between(0, 48)));
    if (pick(2) == 0) {
      p_o->setVelocity(Vector(between(-1, 1), between(-0.5f, 0.5f)));
    }
  }

  // Every entry of the world list is a living probe, each once.
  void checkWorldList() {
    std::unordered_set<const Object*> seen;
    for (const Object* p_o : contents(world().getAllObjects())) {
      if (living.count(p_o) == 0 || !seen.insert(p_o).second) {
        fail("the world list holds a deleted object or one object twice");
      }
    }
    in_world = seen;
  }

  // The test's own share: probes taken out are put back or deleted, the lost ones come back into
  // the world, and the population is topped up.
  void stirBetweenFrames() {
    std::vector<std::pair<Probe*, std::uint64_t>> everyone;
    for (Probe* p_o : roster) {
      everyone.emplace_back(p_o, p_o->serial);
    }
    for (const auto& entry : everyone) {
      Probe* p_o = entry.first;
      if (!isLiving(p_o, entry.second)) {
        continue;  // deleted by a handler of an earlier deletion's view event
      }
      const Vector at = p_o->getPosition();
      if (in_world.count(p_o) == 0 && pick(3) == 0) {
        delete p_o;
      } else if (in_world.count(p_o) == 0 && pick(2) == 0) {
        world().insertObject(p_o);
      } else if (at.getX() < -5 || at.getX() > 165 || at.getY() < -5 || at.getY() > 55) {
        p_o->setPosition(Vector(between(0, 158), between(0, 48)));
      }
    }
    while (static_cast<int>(roster.size()) < population) {
      create();
    }
  }

  std::mt19937 rng;
  const int population;
  std::uint64_t serials = 0;
  std::unordered_map<const Object*, std::uint64_t> living;
  std::vector<Probe*> roster;
  std::vector<Probe*> marked;  // since the last update, maybe twice
  Probe* followed = nullptr;
  std::unordered_set<const Object*> in_world;
  std::vector<Broadcast> open;
  std::unordered_map<const wd::Event*, std::pair<std::uint64_t, std::uint64_t>> first_halves;
  bool winding_down = false;
};

Probe::~Probe() {
  mayhem.forget(this);
  serial = 0;
}

int Probe::handleEvent(const wd::Event* p_e) {
  const std::string type = p_e->getType();
  const Callback callback = type == wd::STEP_EVENT         ? STEP
                            : type == wd::KEYBOARD_EVENT   ? KEYBOARD
                            : type == wd::MSE_EVENT        ? MOUSE
                            : type == "COLLISION_EVENT"    ? COLLISION
                            : type == "OUT_EVENT"          ? OUT
                                                           : VIEW;
  mayhem.hear(this, p_e, callback);
  return 0;
}

int Probe::draw() {
  mayhem.hear(this, nullptr, DRAW);
  return 0;
}

}  // namespace

// Hundreds of probes for thousands of frames: every kind of callback deletes its own object, the
// other one of a collision, random ones, marked ones and the followed one, and creates new ones.
// Every callback must reach a living object and every event must name living ones only.
TEST(LifetimeRandom, HandlersThatDeleteAndCreateObjectsEverywhere) {
  for (unsigned seed : {1u, 2u}) {
    Mayhem mayhem(seed, 300);
    mayhem.play(2000);
    EXPECT_EQ(0, mayhem.violations) << "seed " << seed << ": " << ::testing::PrintToString(mayhem.first_violations);
    for (int callback = 0; callback < CALLBACK_KINDS; callback++) {
      EXPECT_GT(mayhem.deletions[callback], 20) << "seed " << seed << ", " << CALLBACK_NAMES[callback];
      if (callback != VIEW) {
        EXPECT_GT(mayhem.creations[callback], 10) << "seed " << seed << ", " << CALLBACK_NAMES[callback];
      }
    }
    EXPECT_GT(mayhem.self_deletions, 100) << "seed " << seed;
    EXPECT_GT(mayhem.other_deletions, 50) << "seed " << seed;
    EXPECT_GT(mayhem.marked_deletions, 50) << "seed " << seed;
    EXPECT_GT(mayhem.followed_deletions, 50) << "seed " << seed;
  }
}
