// Cost of one world update with objects at rest, and of copying object lists.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "Object.h"
#include "ObjectList.h"
#include "WorldManager.h"

namespace {

// Objects at rest side by side, two cells apart, so that none touches another.
std::vector<wd::Object*> fillWorldWithARow(int count) {
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.shutDown();
  world.startUp();
  world.setBoundary(wd::Box(wd::Vector(0, 0), 2.0f * count + 10, 50));
  std::vector<wd::Object*> row;
  for (int i = 0; i < count; i++) {
    auto* p_o = new wd::Object;
    p_o->setPosition(wd::Vector(2.0f * i, 10));
    row.push_back(p_o);
  }
  return row;
}

void BM_WorldUpdateAtRest(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  fillWorldWithARow(count);
  for (auto _ : state) {
    wd::WorldManager::getInstance().update();
  }
  state.SetComplexityN(count);
  state.counters["objects"] = count;
  wd::WorldManager::getInstance().shutDown();
}
BENCHMARK(BM_WorldUpdateAtRest)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

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
