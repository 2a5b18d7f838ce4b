#include "Gem.h"

#include "Torch.h"

#include <wendrel/EventCollision.h>
#include <wendrel/EventView.h>
#include <wendrel/GameManager.h>
#include <wendrel/ResourceManager.h>
#include <wendrel/WorldManager.h>

Gem::Gem(wd::Vector where) {
  setType("Gem");
  setSprite("gem");
  setSolidness(wd::SOFT);
  setPosition(where);
}

int Gem::draw() {
  // Ruby, emerald, sapphire, amethyst and topaz, chosen by where the gem lies.
  static const sf::Color COLORS[] = {sf::Color(230, 40, 70), sf::Color(40, 210, 110),
                                     sf::Color(60, 110, 255), sf::Color(170, 80, 230),
                                     sf::Color(255, 190, 40)};
  const wd::Vector where = getPosition();
  const sf::Color color = COLORS[static_cast<int>(where.getX() + where.getY()) % 5];
  const bool twinkle = wd::GameManager::getInstance().getStepCount() / 8 % 2 == 0;
  Torch::drawLit(where, {twinkle ? U"♦" : U"◆"}, color);
  return 0;
}

int Gem::handleEvent(const wd::Event* p_e) {
  if (p_e->getType() != "COLLISION_EVENT") {
    return 0;
  }
  const auto* p_collision = static_cast<const wd::EventCollision*>(p_e);
  const wd::Object* p_other =
      p_collision->getObject1() == this ? p_collision->getObject2() : p_collision->getObject1();
  if (p_other->getType() != "Explorer") {
    return 0;  // sparks fly through gems
  }
  wd::ResourceManager::getInstance().getSound("gem")->play();
  const wd::EventView point("Gems", 1, true);
  wd::WorldManager::getInstance().broadcastEvent(&point);
  delete this;  // collected: the engine will not touch it again
  return 1;
}
