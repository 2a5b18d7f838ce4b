// Objects deleted inside the engine's callbacks, as games delete them: the cases games meet, then
// seeded random worlds whose handlers of every kind delete and create objects while they check that
// every callback reaches a living object and that every event names only living ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
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

void step() {
  const wd::EventStep step_event;
  wd::GameManager::getInstance().broadcastEvent(&step_event);
}

bool is(const wd::Event* p_e, const std::string& type) { return p_e->getType() == type; }

Object* otherOf(const Object* p_self, const wd::Event* p_e) {
  const auto* p_c = static_cast<const wd::EventCollision*>(p_e);
  return p_c->getObject1() == p_self ? p_c->getObject2() : p_c->getObject1();
}

// An empty world of the given width, its view on the left, following nothing.
void restartWorld(float width) {
  world().shutDown();
  world().startUp();
  world().setBoundary(Box(Vector(0, 0), width, 50));
  world().setView(Box(Vector(0, 0), 100, 50));
  world().setFollowedObject(nullptr);
}

Strings journal;

// An object of one cell that notes every event it hears but the view events that deletions send,
// then does what the test asks of it.
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
    std::string text = p_e->getType();
    if (const auto* p_c = dynamic_cast<const wd::EventCollision*>(p_e)) {
      text += " " + nameOf(p_c->getObject1()) + "->" + nameOf(p_c->getObject2());
    }
    if (text != "VIEW_EVENT") {
      journal.push_back(name + ":" + text);
    }
    if (react) {
      const Reaction reaction = react;  // the object and its reaction may go in the call
      reaction(this, p_e);
    }
    return 0;
  }

  const std::string name;
  Reaction react;

 private:
  static std::string nameOf(const Object* p_o) { return static_cast<const Actor*>(p_o)->name; }
};

Actor::Reaction deletesItselfOn(const std::string& type) {
  return [type](Actor* p_self, const wd::Event* p_e) {
    if (is(p_e, type)) {
      delete p_self;
    }
  };
}

class Lifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    restartWorld(200);
    journal.clear();
  }
  void TearDown() override { world().shutDown(); }
  static void update(int frames) {
    for (int frame = 0; frame < frames; frame++) {
      world().update();
    }
  }
  // What was heard of one event type, in order.
  static Strings heard(const std::string& type) {
    Strings entries;
    std::copy_if(journal.begin(), journal.end(), std::back_inserter(entries),
                 [&](const std::string& entry) { return entry.find(":" + type) != std::string::npos; });
    return entries;
  }
};

}  // namespace

// The mover is gone after its own half of the collision: the wall hears nothing of it, nothing
// blocks, and the next frames run on without it. A crate that breaks when hit does not block either.
TEST_F(Lifetime, ABulletDeletesItselfOnAWall) {
  auto* p_bullet = new Actor("bullet", 17);
  p_bullet->setVelocity(Vector(1, 0));
  p_bullet->react = deletesItselfOn("COLLISION_EVENT");
  auto* p_wall = new Actor("wall", 20);
  update(4);
  EXPECT_EQ((Strings{"bullet:COLLISION_EVENT bullet->wall"}), heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_wall}), contents(world().getAllObjects()));

  journal.clear();
  auto* p_ram = new Actor("ram", 10);
  (new Actor("crate", 11))->react = deletesItselfOn("COLLISION_EVENT");
  EXPECT_EQ(0, world().moveObject(p_ram, Vector(10.5f, 10)));
  EXPECT_EQ(10.5f, p_ram->getPosition().getX());
  EXPECT_EQ((Strings{"ram:COLLISION_EVENT ram->crate", "crate:COLLISION_EVENT ram->crate"}), heard("COLLISION_EVENT"));
  EXPECT_EQ((Objects{p_wall, p_ram}), contents(world().getAllObjects()));
}

// Whichever side deletes both, the side that has not heard of the collision yet does not hear it,
// and the mover's deletion leaves the object after it in the world list out of that frame's moves,
// as any deletion during the update does.
TEST_F(Lifetime, ABulletDeletesItselfAndTheEnemy) {
  const Actor::Reaction delete_both = [](Actor* p_self, const wd::Event* p_e) {
    if (is(p_e, "COLLISION_EVENT")) {
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
  (new Actor("target", 41))->react = delete_both;
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
    if (is(p_e, "OUT_EVENT")) {
      const wd::EventView lost("Lost", 1, true);
      world().broadcastEvent(&lost);
      delete p_self;
    }
  };
  auto* p_after = new Actor("after", 150, wd::SOFT);
  p_after->setVelocity(Vector(0.5f, 0));
  update(6);
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
    if (is(p_e, wd::STEP_EVENT)) {
      const wd::ObjectList enemies = world().objectsWithType("Enemy");
      for (Object* p_o : contents(enemies)) {
        delete p_o;
      }
    }
  };
  for (Object* p_o : contents(world().objectsWithType("Actor"))) {
    p_o->setType(p_o == p_rules ? "Actor" : "Enemy");
  }
  const wd::EventStep step_event;
  EXPECT_EQ(5, wd::GameManager::getInstance().broadcastEvent(&step_event));
  EXPECT_EQ((Strings{"e1:wd::step", "rules:wd::step"}), heard("wd::step"));
  EXPECT_EQ((Objects{p_dead, p_rules}), contents(world().getAllObjects()));
  EXPECT_EQ(30, p_dead->getValue());
  step();
  EXPECT_EQ((Strings{"e1:wd::step", "rules:wd::step", "rules:wd::step"}), heard("wd::step"));
}

// The view stays where the followed object last took it and follows nothing after it, whether the
// object goes in a collision or on a step.
TEST_F(Lifetime, TheFollowedObjectIsDeletedInItsOwnHandler) {
  auto* p_leader = new Actor("leader", 100);
  p_leader->setVelocity(Vector(1, 0));
  p_leader->react = deletesItselfOn("COLLISION_EVENT");
  ASSERT_EQ(0, world().setFollowedObject(p_leader));
  new Actor("wall", 104);
  update(4);
  EXPECT_EQ((Strings{"leader:COLLISION_EVENT leader->wall"}), heard("COLLISION_EVENT"));
  EXPECT_EQ(52.0f, world().getView().getCorner().getX());  // centred on 102, the last place reached
  auto* p_newcomer = new Actor("newcomer", 130, wd::INTANGIBLE);
  world().moveObject(p_newcomer, Vector(150, 10));
  EXPECT_EQ(52.0f, world().getView().getCorner().getX());
  ASSERT_EQ(0, world().setFollowedObject(p_newcomer));
  p_newcomer->react = deletesItselfOn(wd::STEP_EVENT);
  step();
  world().update();
  EXPECT_EQ(100.0f, world().getView().getCorner().getX());
  EXPECT_EQ(1, world().getAllObjects().getCount());
}

namespace {

// The callbacks the engine makes into an object, for counting what happened in each.
enum Callback { STEP, KEYBOARD, MOUSE, COLLISION, OUT, VIEW, DRAW, CALLBACK_KINDS };
const char* const CALLBACK_NAMES[] = {"step", "keyboard", "mouse", "collision", "out", "view", "draw"};

// Per mille of the callbacks of each kind in which a probe stirs the world. The view events are
// many (every deletion sends one to everyone), so their share is small enough for deletions not
// to set off ever more deletions.
const int STIR_PER_MILLE[] = {15, 30, 30, 100, 300, 1, 15};

// The storage of deleted probes, which new ones are built in as an allocator may hand out a freed
// block again at once: every other probe takes the last of up to 16 blocks kept.
std::vector<void*> spare_blocks;
unsigned probes_built = 0;

class Mayhem;

// An object of a random world: it has every callback checked and may stir the world in any.
class Probe : public Object {
 public:
  Probe(Mayhem& mayhem, std::uint64_t serial) : mayhem(mayhem), serial(serial) {}
  ~Probe() override;
  int handleEvent(const wd::Event* p_e) override;
  int draw() override;

  static void* operator new(std::size_t size) {
    if (spare_blocks.empty() || probes_built++ % 2 != 0) {
      return ::operator new(size);
    }
    void* p_block = spare_blocks.back();
    spare_blocks.pop_back();
    return p_block;
  }
  static void operator delete(void* p_block) {
    spare_blocks.size() < 16 ? spare_blocks.push_back(p_block) : ::operator delete(p_block);
  }

  Mayhem& mayhem;
  std::uint64_t serial;  // 0 once destroyed
};

// A broadcast under way: the objects that heard it, and the last serial that existed when it was
// sent (objects built after that must not hear it). A null event stands for the input manager's.
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
    restartWorld(160);
    topUp();
    for (frames_played = 0; frames_played < frames; frames_played++) {
      playFrame();
      checkWorldList();
      stirBetweenFrames();
    }
    winding_down = true;  // at shut-down the view handlers still delete, but no longer create
    world().shutDown();
    while (!roster.empty()) {
      delete roster.back();  // the ones that stood outside the world
    }
    std::for_each(spare_blocks.begin(), spare_blocks.end(), [](void* p_block) { ::operator delete(p_block); });
    spare_blocks.clear();
  }

  // Called by each probe's callbacks: checks the call, then maybe stirs the world.
  void hear(Probe* p_o, const wd::Event* p_e, Callback callback) {
    const std::string kind = std::string("a ") + CALLBACK_NAMES[callback];
    if (!isLiving(p_o, p_o->serial)) {
      return fail(kind + " callback reached a deleted object");
    }
    if (callback == COLLISION) {
      checkCollision(p_o, static_cast<const wd::EventCollision*>(p_e));
    } else if (callback == OUT) {
      p_o->setVelocity(Vector(-p_o->getVelocity().getX(), -p_o->getVelocity().getY()));
    } else if (callback != DRAW) {
      checkBroadcast(p_o, p_e, callback == KEYBOARD || callback == MOUSE, kind);
    }
    if (pick(1000) < STIR_PER_MILLE[callback]) {
      stir(p_o, p_e, callback);  // last: p_o may be gone afterwards
    }
  }

  void forget(Probe* p_o) {
    living.erase(p_o);
    roster.erase(std::find(roster.begin(), roster.end(), p_o));
    marked.erase(std::remove(marked.begin(), marked.end(), p_o), marked.end());
    followed = followed == p_o ? nullptr : followed;
  }

  int violations = 0;
  Strings first_violations;
  long deletions[CALLBACK_KINDS] = {};
  long creations[CALLBACK_KINDS] = {};
  long self_deletions = 0, other_deletions = 0, marked_deletions = 0, followed_deletions = 0;

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  Vector anywhere() {
    return Vector(std::uniform_real_distribution<float>(0, 158)(rng), std::uniform_real_distribution<float>(0, 48)(rng));
  }

  void fail(const std::string& what) {
    if (violations++ < 10) {
      first_violations.push_back("frame " + std::to_string(frames_played) + ": " + what);
    }
  }

  std::uint64_t serialOf(const Object* p_o) const {
    const auto found = living.find(p_o);
    return found == living.end() ? 0 : found->second;
  }
  bool isLiving(const Object* p_o, std::uint64_t serial) const { return serial != 0 && serialOf(p_o) == serial; }

  // Both objects named live; the second half goes to the very object that the first half named.
  void checkCollision(const Probe* p_o, const wd::EventCollision* p_c) {
    const auto named = std::make_pair(serialOf(p_c->getObject1()), serialOf(p_c->getObject2()));
    if (named.first == 0 || named.second == 0) {
      fail("a collision event named a deleted object");
    } else if (p_o == p_c->getObject1()) {
      first_halves[p_c] = named;
    } else if (p_o != p_c->getObject2()) {
      fail("a collision event reached an object it does not name");
    } else if (first_halves.count(p_c) == 0 || first_halves[p_c] != named) {
      fail("the second half of a collision reached another object than the first half named");
    }
  }

  // Heard once, and only by objects that existed when it was sent; the engine's own view events of
  // deletions are not followed.
  void checkBroadcast(const Probe* p_o, const wd::Event* p_e, bool input, const std::string& kind) {
    const auto found = std::find_if(open.rbegin(), open.rend(), [&](const Broadcast& broadcast) {
      return broadcast.p_event == p_e || (broadcast.p_event == nullptr && input);
    });
    if (found != open.rend() && p_o->serial > found->newest_serial) {
      fail(kind + " event reached an object built after it was sent");
    }
    if (found != open.rend() && !found->heard.insert(p_o).second) {
      fail(kind + " event was heard twice");
    }
  }

  template <typename Send>
  void broadcast(const wd::Event* p_e, Send send) {
    open.push_back(Broadcast{p_e, serials, {}});
    send();
    open.pop_back();
  }

  void playFrame() {
    const wd::EventStep step;
    broadcast(&step, [&] { wd::GameManager::getInstance().broadcastEvent(&step); });
    if (frames_played % 3 == 0) {
      const sf::Event::EventType INPUTS[] = {sf::Event::KeyPressed, sf::Event::KeyReleased, sf::Event::MouseMoved,
                                             sf::Event::MouseButtonPressed};  // the button is 0, the left one
      sf::Event input{};
      input.type = INPUTS[pick(4)];
      if (input.type == sf::Event::KeyPressed || input.type == sf::Event::KeyReleased) {
        input.key.code = sf::Keyboard::Space;
      }
      broadcast(nullptr, [&] { wd::InputManager::getInstance().handleWindowEvent(input); });
    }
    world().update();
    marked.clear();  // the update took them out
    world().draw();
  }

  // What a handler does to the world: deletes (itself, the other one of a collision, any, a marked
  // or the followed one), marks, follows, creates or tells everyone.
  void stir(Probe* p_o, const wd::Event* p_e, Callback callback) {
    Probe* const p_any = randomOf(roster);  // never null: p_o is one of them
    switch (pick(9)) {
      case 0:
        self_deletions++;
        return destroy(p_o, callback);
      case 1:
        other_deletions += callback == COLLISION;
        return destroy(callback == COLLISION ? otherOf(p_o, p_e) : nullptr, callback);
      case 2:
        return destroy(p_any, callback);
      case 3:
        marked_deletions += !marked.empty();
        return destroy(randomOf(marked), callback);
      case 4:
        followed_deletions += followed != nullptr;
        return destroy(followed, callback);
      case 5:
        world().markForRemoval(p_any);
        return marked.push_back(p_any);
      case 6:
        followed = world().setFollowedObject(p_any) == 0 ? p_any : followed;
        return;
      case 7:
        if (!winding_down && static_cast<int>(roster.size()) < 2 * population) {
          creations[callback]++;
          create();
        }
        return;
      default:
        if (!winding_down && callback != VIEW) {
          const wd::EventView news("News", 1, true);
          broadcast(&news, [&] { world().broadcastEvent(&news); });
        }
    }
  }

  void destroy(Object* p_o, Callback callback) {
    deletions[callback] += p_o != nullptr;
    delete p_o;
  }

  Probe* randomOf(const std::vector<Probe*>& probes) {
    return probes.empty() ? nullptr : probes[pick(static_cast<int>(probes.size()))];
  }

  void create() {
    auto* p_o = new Probe(*this, ++serials);
    living[p_o] = p_o->serial;
    roster.push_back(p_o);
    p_o->setSolidness(static_cast<wd::Solidness>(pick(3)));
    p_o->setAltitude(pick(5));
    p_o->setBox(Box(Vector(0, 0), static_cast<float>(1 + pick(3)), static_cast<float>(1 + pick(2))));
    p_o->setPosition(anywhere());
    if (pick(2) == 0) {
      p_o->setVelocity(Vector(std::uniform_real_distribution<float>(-1, 1)(rng),
                              std::uniform_real_distribution<float>(-0.5f, 0.5f)(rng)));
    }
  }

  // Every entry of the world list is a living probe, each once.
  void checkWorldList() {
    in_world.clear();
    for (const Object* p_o : contents(world().getAllObjects())) {
      if (living.count(p_o) == 0 || !in_world.insert(p_o).second) {
        fail("the world list holds a deleted object or one object twice");
      }
    }
  }

  // The test's own share: probes taken out are put back or deleted, the lost ones come back into
  // the world, and the population is topped up.
  void stirBetweenFrames() {
    std::vector<std::pair<Probe*, std::uint64_t>> everyone;
    for (Probe* p_o : roster) {
      everyone.emplace_back(p_o, p_o->serial);
    }
    for (const auto& [p_o, serial] : everyone) {
      if (!isLiving(p_o, serial)) {
        continue;  // deleted by a handler of an earlier deletion's view event
      }
      const Vector at = p_o->getPosition();
      const bool out = in_world.count(p_o) == 0;
      if (out && pick(3) == 0) {
        delete p_o;
      } else if (out && pick(2) == 0) {
        world().insertObject(p_o);
      } else if (at.getX() < -5 || at.getX() > 165 || at.getY() < -5 || at.getY() > 55) {
        p_o->setPosition(anywhere());
      }
    }
    topUp();
  }

  void topUp() {
    while (static_cast<int>(roster.size()) < population) {
      create();
    }
  }

  std::mt19937 rng;
  const int population;
  long frames_played = 0;
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
  const Callback callback = type == wd::STEP_EVENT       ? STEP
                            : type == wd::KEYBOARD_EVENT ? KEYBOARD
                            : type == wd::MSE_EVENT      ? MOUSE
                            : type == "COLLISION_EVENT"  ? COLLISION
                            : type == "OUT_EVENT"        ? OUT
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
    const std::string run = "seed " + std::to_string(seed);
    EXPECT_EQ(0, mayhem.violations) << run << ": " << ::testing::PrintToString(mayhem.first_violations);
    for (int callback = 0; callback < CALLBACK_KINDS; callback++) {
      EXPECT_GT(mayhem.deletions[callback], 20) << run << ", " << CALLBACK_NAMES[callback];
      EXPECT_TRUE(callback == VIEW || mayhem.creations[callback] > 10) << run << ", " << CALLBACK_NAMES[callback];
    }
    EXPECT_GT(std::min({mayhem.other_deletions, mayhem.marked_deletions, mayhem.followed_deletions}), 50) << run;
    EXPECT_GT(mayhem.self_deletions, 100) << run;
  }
}
