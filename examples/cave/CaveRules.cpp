#include "CaveRules.h"

#include <algorithm>
#include <cstdlib>

#include <wendrel/ObjectList.h>
#include <wendrel/ResourceManager.h>
#include <wendrel/WorldManager.h>

#include "Explorer.h"
#include "Gem.h"
#include "Scenery.h"
#include "Spark.h"
#include "Torch.h"

namespace {

// A number in [low, high), drawn from the unseeded generator, so every run
// builds the same cave.
float between(int low, int high) { return static_cast<float>(low + std::rand() % (high - low)); }

// Walls and decoration need no behaviour of their own, only their pictures.
wd::Object* scenery(const char* sprite, wd::Vector where, wd::Solidness solidness) {
  auto* p_o = new Scenery(sprite);
  p_o->setSolidness(solidness);
  p_o->setPosition(where);
  return p_o;
}

}  // namespace

CaveRules::CaveRules() : p_explorer(nullptr), p_objects(nullptr) {}

void CaveRules::setUp() {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  for (const char* sprite : {"explorer", "gem", "moss", "spark", "mote", "hwall", "vwall", "rock"}) {
    if (resources.loadSprite(std::string("sprites/") + sprite + "-spr.txt", sprite) != 0) {
      return;
    }
  }
  if (resources.loadSound("sounds/gem.ogg", "gem") != 0) {
    return;
  }
  wd::WorldManager& world = wd::WorldManager::getInstance();
  world.setBoundary(wd::Box(wd::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
  auto* p_torch = new Torch;  // the first object, so that it is drawn first
  buildWalls();
  for (int i = 0; i < 60; i++) {  // drawn below everything, touched by nothing
    scenery("moss", wd::Vector(between(5, 295), between(5, 95)), wd::INTANGIBLE)->setAltitude(0);
  }
  for (int i = 0; i < 40; i++) {
    new Gem(wd::Vector(between(5, 295), between(TUNNEL_BOTTOM, 95)));
  }
  p_explorer = new Explorer(wd::Vector(30, 20));
  p_torch->setBearer(p_explorer);
  world.setFollowedObject(p_explorer);
  addCounter("Gems", wd::TOP_LEFT, wd::YELLOW);
  addCounter("Thrown", wd::TOP_RIGHT, wd::MAGENTA);
  addCounter("Lost", wd::BOTTOM_RIGHT, wd::MAGENTA);
  p_objects = addCounter("Objects", wd::BOTTOM_LEFT, wd::CYAN);
}

void CaveRules::buildWalls() {
  for (int x = 30; x < WORLD_WIDTH; x += 60) {
    scenery("hwall", wd::Vector(static_cast<float>(x), 1.5f), wd::HARD);
    scenery("hwall", wd::Vector(static_cast<float>(x), WORLD_HEIGHT - 1.5f), wd::HARD);
  }
  for (float y = 11.5f; y < WORLD_HEIGHT - 2; y += 19) {
    scenery("vwall", wd::Vector(1, y), wd::HARD);
    scenery("vwall", wd::Vector(WORLD_WIDTH - 1, y), wd::HARD);
  }
  for (int i = 0; i < 25; i++) {
    scenery("rock", wd::Vector(between(10, 290), between(TUNNEL_BOTTOM + 2, 92)), wd::HARD);
  }
}

wd::ViewObject* CaveRules::addCounter(const char* caption, wd::Location location, wd::Color color) {
  auto* p_counter = new wd::ViewObject;
  p_counter->setCaption(caption);
  p_counter->setLocation(location);
  p_counter->setColor(color);
  p_counter->setBackgroundColor(sf::Color(28, 22, 18));
  counters.push_back(p_counter);
  return p_counter;
}

void CaveRules::frameRules() {
  if (p_objects != nullptr) {
    p_objects->setValue(wd::WorldManager::getInstance().getAllObjects().getCount());
  }
  // A view object stays where it was placed, so the counters follow the
  // view by being placed again before they are drawn.
  for (wd::ViewObject* p_counter : counters) {
    p_counter->setLocation(p_counter->getLocation());
    p_counter->draw();
  }
}

int CaveRules::fillSwarm(int count) {
  const int room = wd::MAX_OBJECTS - wd::WorldManager::getInstance().getAllObjects().getCount();
  const int added = std::min(count, room);
  for (int i = 0; i < added; i++) {
    const wd::Vector velocity((between(0, 21) - 10) / 10, (between(0, 11) - 5) / 10);
    new Spark(wd::Vector(between(3, 297), between(3, 97)), velocity, Spark::TURNS_BACK);
  }
  return added;
}

Explorer* CaveRules::getExplorer() const { return p_explorer; }
