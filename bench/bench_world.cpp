// Cost of world updates and of whole frames, each run twice in the same
// process: with the collision index and with the walk over every object. The
// counter x_faster of an indexed run is the walk's time divided by its own;
// times are processor times (the "manual_time" column).
// The frame benchmarks need an X server: run under
// xvfb-run -a -s "-screen 0 1280x1024x24".
#include <benchmark/benchmark.h>

#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "DisplayManager.h"
#include "EventStep.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "ResourceManager.h"
#include "WorldManager.h"
#include "bench_support.h"

namespace {

const int WALK = 0;
const int INDEX = 1;

// An object that turns back when it leaves the world, so that moving worlds
// stay put however long the benchmark runs.
class Bouncer : public wd::Object {
 public:
  int handleEvent(const wd::Event* p_e) override {
    if (p_e->getType() == "OUT_EVENT") {
      wd::Vector velocity = getVelocity();
      velocity.scale(-1);
      setVelocity(velocity);
    }
    return 0;
  }
};

void emptyWorld(wd::Box boundary) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.shutDown();
  world.startUp();
  world.setBoundary(boundary);
  world.setView(wd::Box(wd::Vector(0, 0), 100, 50));
}

// Objects at rest side by side, two cells apart, so that none touches another.
void fillWithARow(int count) {
  emptyWorld(wd::Box(wd::Vector(0, 0), 2.0f * count + 10, 50));
  for (int i = 0; i < count; i++) {
    (new wd::Object)->setPosition(wd::Vector(2.0f * i, 10));
  }
}

// Soft objects of one cell spread over a world of 40 cells per object,
// moving by up to a cell per frame in any direction.
void fillWithMovers(int count, std::mt19937& rng) {
  const float width = 40.0f * count / 100;
  emptyWorld(wd::Box(wd::Vector(0, 0), width, 100));
  std::uniform_real_distribution<float> x(0, width), y(0, 100), speed(-1, 1);
  for (int i = 0; i < count; i++) {
    auto* p_o = new Bouncer;
    p_o->setSolidness(wd::SOFT);
    p_o->setBox(wd::Box(wd::Vector(-0.5f, -0.5f), 1, 1));
    p_o->setPosition(wd::Vector(x(rng), y(rng)));
    p_o->setVelocity(wd::Vector(speed(rng), speed(rng)));
  }
}

// The walk's time per iteration of each benchmark, by name without the
// last argument, noted by the walk's run, which runs first.
std::map<std::string, double>& walkTimes() {
  static std::map<std::string, double> times;
  return times;
}

// Times body in every iteration, then runs the untimed tail; the indexed
// run reports its speed-up against the walk's run. The time is the process's
// processor time, which other programs sharing the machine hardly disturb.
template <typename Body, typename Tail>
void measure(benchmark::State& state, const std::string& scenario, Body body, Tail tail) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  const bool indexed = state.range(1) == INDEX;
  world.useCollisionIndex(indexed);
  double seconds = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    body();
    const double elapsed = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    tail();
  }
  const double per_iteration = seconds / static_cast<double>(state.iterations());
  if (!indexed) {
    walkTimes()[scenario] = per_iteration;
  } else if (walkTimes().count(scenario) > 0) {
    state.counters["x_faster"] = walkTimes()[scenario] / per_iteration;
  }
  state.counters["objects"] = world.getAllObjects().getCount();
  state.counters["index_KiB"] = static_cast<double>(world.collisionIndexMemory()) / 1024;
  world.useCollisionIndex(true);
  world.shutDown();
}

void update() { wd::WorldManager::getInstance().update(); }

void nothing() {}

void BM_UpdateAtRest(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  fillWithARow(count);
  measure(state, "at rest " + std::to_string(count), update, nothing);
}
BENCHMARK(BM_UpdateAtRest)
    ->ArgNames({"objects", "indexed"})
    ->ArgsProduct({{100, 1000, 5000}, {WALK, INDEX}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_UpdateMoving(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::mt19937 rng(1);
  fillWithMovers(count, rng);
  measure(state, "moving " + std::to_string(count), update, nothing);
}
BENCHMARK(BM_UpdateMoving)
    ->ArgNames({"objects", "indexed"})
    ->ArgsProduct({{1000}, {WALK, INDEX}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The world's draw when none of its objects meets the view: the cost of
// the objects that are not drawn. Without a window nothing is drawn anyway.
void BM_DrawNothingInView(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  emptyWorld(wd::Box(wd::Vector(0, 0), 2000, 50));
  for (int i = 0; i < count; i++) {
    auto* p_o = new wd::Object;
    p_o->setBox(wd::Box(wd::Vector(-1, -1), 3, 3));
    p_o->setPosition(wd::Vector(200.0f + static_cast<float>(i % 1800), static_cast<float>(i % 50)));
  }
  for (auto _ : state) {
    wd::WorldManager::getInstance().draw();
  }
  wd::WorldManager::getInstance().shutDown();
}
BENCHMARK(BM_DrawNothingInView)->Arg(5000)->Unit(benchmark::kMicrosecond);

bool startDisplay() {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  return wd_bench::installFont() && (display.isStarted() || display.startUp() == 0);
}

// The world's part of a game's frame with 5000 objects on a world twenty
// views wide: the step event to everyone, the update (a fifth of the objects
// moving) and the draw of what the view shows. Showing the frame is left
// out of the time: it belongs to the display.
void BM_FullFrame(benchmark::State& state) {
  if (!startDisplay()) {
    state.SkipWithError("no display or no font");
    return;
  }
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  if (resources.getSprite("platform") == nullptr &&
      resources.loadSprite(wd_bench::sourceDir() + "/assets/sprites/platform-spr.txt", "platform") != 0) {
    state.SkipWithError("no sprite");
    return;
  }
  const int count = static_cast<int>(state.range(0));
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> x(0, 2000), y(0, 50), speed(-0.5f, 0.5f);
  emptyWorld(wd::Box(wd::Vector(0, 0), 2000, 50));
  for (int i = 0; i < count; i++) {
    auto* p_o = new Bouncer;
    p_o->setSprite("platform");
    p_o->setSolidness(i % 2 == 0 ? wd::SOFT : wd::INTANGIBLE);
    p_o->setPosition(wd::Vector(x(rng), y(rng)));
    if (i % 5 == 0) {
      p_o->setVelocity(wd::Vector(speed(rng), speed(rng)));
    }
  }
  wd::WorldManager& world = wd::WorldManager::getInstance();
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  measure(
      state, "frame " + std::to_string(count),
      [&] {
        const wd::EventStep step;
        world.broadcastEvent(&step);
        world.update();
        world.draw();
      },
      [&] { display.swapBuffers(); });
}
BENCHMARK(BM_FullFrame)
    ->ArgNames({"objects", "indexed"})
    ->ArgsProduct({{5000}, {WALK, INDEX}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A step event to every object, a hundred times: through a bare walk over a copy of the world
// list (guarded 0, run first), and through the engine's broadcast, whose walk passes by objects
// deleted meanwhile (guarded 1). A broadcast makes no search, so the indexed setting that measure
// derives from the second argument plays no part; x_faster is the bare walk's time over the
// broadcast's, below 1 by what the guard costs.
void BM_BroadcastStep(benchmark::State& state) {
  fillWithARow(static_cast<int>(state.range(0)));
  wd::WorldManager& world = wd::WorldManager::getInstance();
  const bool guarded = state.range(1) == 1;
  const wd::EventStep step;
  measure(
      state, "broadcast " + std::to_string(state.range(0)),
      [&] {
        for (int i = 0; i < 100; i++) {
          if (guarded) {
            world.broadcastEvent(&step);
            continue;
          }
          const wd::ObjectList all_objects = world.getAllObjects();
          for (wd::ObjectListIterator li(&all_objects); !li.isDone(); li.next()) {
            li.currentObject()->handleEvent(&step);
          }
        }
      },
      nothing);
}
BENCHMARK(BM_BroadcastStep)
    ->ArgNames({"objects", "guarded"})
    ->ArgsProduct({{5000}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ObjectListCopy(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  int dummy = 0;
  auto source = std::make_unique<wd::ObjectList>();
  for (int i = 0; i < count; i++) {
    source->insert(reinterpret_cast<wd::Object*>(&dummy));
  }
  auto target = std::make_unique<wd::ObjectList>();
  for (auto _ : state) {
    *target = *source;
    benchmark::DoNotOptimize(target.get());
    benchmark::ClobberMemory();
  }
  state.counters["entries"] = count;
}
BENCHMARK(BM_ObjectListCopy)->Arg(10)->Arg(5000);

}  // namespace

BENCHMARK_MAIN();
