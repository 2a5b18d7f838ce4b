#include "Spark.h"

#include "Torch.h"

#include <wendrel/EventView.h>
#include <wendrel/WorldManager.h>

Spark::Spark(wd::Vector where, wd::Vector velocity, OnLeaving on_leaving)
    : on_leaving(on_leaving) {
  setType(on_leaving == LEAVES ? "Spark" : "Mote");
  setSprite(on_leaving == LEAVES ? "spark" : "mote");
  setSolidness(wd::SOFT);
  setPosition(where);
  setVelocity(velocity);
}

int Spark::draw() {
  if (on_leaving == TURNS_BACK) {
    Torch::drawLit(getPosition(), {U"∘"}, sf::Color(150, 185, 255));
  } else {
    Torch::drawLit(getPosition(), {U"✦"}, sf::Color(255, 215, 90));
  }
  return 0;
}

int Spark::handleEvent(const wd::Event* p_e) {
  if (p_e->getType() != "OUT_EVENT") {
    return 0;
  }
  if (on_leaving == TURNS_BACK) {
    setVelocity(wd::Vector(-getVelocity().getX(), -getVelocity().getY()));
    return 1;
  }
  const wd::EventView lost("Lost", 1, true);
  wd::WorldManager::getInstance().broadcastEvent(&lost);
  delete this;  // the last thing done with it, here and in the engine
  return 1;
}
