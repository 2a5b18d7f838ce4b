// Seeded random worlds whose handlers of every kind delete and create objects, checking that every
// callback reaches a living object and every event names only living ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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
#include "WorldManager.h"
#include "test_support.h"

using wd::Box;
using wd::Object;
using wd::Vector;
using Strings = std::vector<std::string>;

namespace {

wd::WorldManager& world() { return wd::WorldManager::getInstance(); }

// The callbacks the engine makes into an object, and per mille of each kind's that stir the world: every
// deletion sends everyone a view event, so theirs is small enough not to set off ever more deletions.
enum Callback { STEP, KEYBOARD, MOUSE, COLLISION, OUT, VIEW, DRAW, CALLBACK_KINDS };
const char* const CALLBACK_NAMES[] = {"step", "keyboard", "mouse", "collision", "out", "view", "draw"};
const int STIR_PER_MILLE[] = {15, 30, 30, 100, 300, 1, 15};

// Deleted probes' storage, which every other new probe reuses, as an allocator may hand out a freed
// block again at once.
std::vector<void*> spare_blocks;
unsigned probes_built = 0;

// A broadcast under way (a null event stands for the input manager's): who heard it, and the newest
// serial when it was sent, as objects built later must not hear it.
struct Broadcast {
  const wd::Event* p_event;
  std::uint64_t newest_serial;
  std::unordered_set<const Object*> heard;
};

// A seeded world of probes driven as the game manager drives one: a step for everyone, now and then
// a key or the mouse, the update and the draw.
class Mayhem {
  // An object of the world: every callback is checked and may stir the world.
  struct Probe : public Object {
    Probe(Mayhem& mayhem, std::uint64_t serial) : mayhem(mayhem), serial(serial) {}
    ~Probe() override {
      mayhem.forget(this);
      serial = 0;
    }
    int handleEvent(const wd::Event* p_e) override {
      static const std::string TYPES[] = {wd::STEP_EVENT, wd::KEYBOARD_EVENT, wd::MSE_EVENT, "COLLISION_EVENT",
                                          "OUT_EVENT"};  // in the order of the callbacks, VIEW next
      const auto kind = std::find(std::begin(TYPES), std::end(TYPES), p_e->getType()) - std::begin(TYPES);
      mayhem.hear(this, p_e, static_cast<Callback>(kind));
      return 0;
    }
    int draw() override {
      mayhem.hear(this, nullptr, DRAW);
      return 0;
    }
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

 public:
  Mayhem(unsigned seed, int population) : rng(seed), population(population) {}

  void play(int frames) {
    world().shutDown();
    world().startUp();
    world().setBoundary(Box(Vector(0, 0), 160, 50));
    world().setView(Box(Vector(0, 0), 100, 50));
    world().setFollowedObject(nullptr);
    topUp();
    for (frames_played = 0; frames_played < frames; frames_played++) {
      playFrame();
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

  Strings violations;  // the first ten
  long deletions[CALLBACK_KINDS] = {}, creations[CALLBACK_KINDS] = {};
  long self_deletions = 0, other_deletions = 0, marked_deletions = 0, followed_deletions = 0;

 private:
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

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  float between(float low, float high) { return std::uniform_real_distribution<float>(low, high)(rng); }
  Vector anywhere() { return Vector(between(0, 158), between(0, 48)); }

  void fail(const std::string& what) {
    if (violations.size() < 10) {
      violations.push_back("frame " + std::to_string(frames_played) + ": " + what);
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

  // What a handler does: deletes (itself, the other one of a collision, any, a marked or the followed
  // one), marks, follows, creates or tells everyone.
  void stir(Probe* p_o, const wd::Event* p_e, Callback callback) {
    Probe* const p_any = randomOf(roster);  // never null: p_o is one of them
    switch (pick(9)) {
      case 0: self_deletions++; return destroy(p_o, callback);
      case 1:
        other_deletions += callback == COLLISION;
        return destroy(callback == COLLISION ? otherOf(p_o, static_cast<const wd::EventCollision*>(p_e)) : nullptr,
                       callback);
      case 2: return destroy(p_any, callback);
      case 3: marked_deletions += !marked.empty(); return destroy(randomOf(marked), callback);
      case 4: followed_deletions += followed != nullptr; return destroy(followed, callback);
      case 5: world().markForRemoval(p_any); return marked.push_back(p_any);
      case 6: followed = world().setFollowedObject(p_any) == 0 ? p_any : followed; return;
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

  static Object* otherOf(const Object* p_self, const wd::EventCollision* p_c) {
    return p_c->getObject1() == p_self ? p_c->getObject2() : p_c->getObject1();
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
      p_o->setVelocity(Vector(between(-1, 1), between(-0.5f, 0.5f)));
    }
  }

  // Every entry of the world list must be a living probe, each once. Then the test's own share:
  // probes taken out are put back or deleted, the lost come back, and the population is topped up.
  void stirBetweenFrames() {
    std::unordered_set<const Object*> in_world;
    for (const Object* p_o : wd_test::contents(world().getAllObjects())) {
      if (living.count(p_o) == 0 || !in_world.insert(p_o).second) {
        fail("the world list holds a deleted object or one object twice");
      }
    }
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
  std::vector<Probe*> roster, marked;  // marked: since the last update, maybe twice
  Probe* followed = nullptr;
  std::vector<Broadcast> open;
  std::unordered_map<const wd::Event*, std::pair<std::uint64_t, std::uint64_t>> first_halves;
  bool winding_down = false;
};

}  // namespace

// Hundreds of probes for thousands of frames, every kind of callback deleting and creating objects:
// every callback must reach a living object and every event must name living ones only.
TEST(LifetimeRandom, HandlersThatDeleteAndCreateObjectsEverywhere) {
  for (unsigned seed : {1u, 2u}) {
    Mayhem mayhem(seed, 300);
    mayhem.play(2000);
    const std::string run = "seed " + std::to_string(seed);
    EXPECT_EQ(Strings{}, mayhem.violations) << run;
    for (int callback = 0; callback < CALLBACK_KINDS; callback++) {
      EXPECT_GT(mayhem.deletions[callback], 20) << run << ", " << CALLBACK_NAMES[callback];
      EXPECT_TRUE(callback == VIEW || mayhem.creations[callback] > 10) << run << ", " << CALLBACK_NAMES[callback];
    }
    EXPECT_GT(std::min({mayhem.other_deletions, mayhem.marked_deletions, mayhem.followed_deletions}), 50) << run;
    EXPECT_GT(mayhem.self_deletions, 100) << run;
  }
}
