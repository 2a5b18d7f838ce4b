#include "hello.h"

#include <cstdlib>

#include <wendrel/DisplayManager.h>
#include <wendrel/EventKeyboard.h>
#include <wendrel/EventView.h>
#include <wendrel/GameManager.h>
#include <wendrel/ResourceManager.h>
#include <wendrel/ViewObject.h>
#include <wendrel/WorldManager.h>

Hero::Hero() {
  setType("Hero");
  setSprite("hero");
  setPosition(wd::Vector(20, 25));
}

int Hero::handleEvent(const wd::Event* p_e) {
  if (p_e->getType() != wd::KEYBOARD_EVENT) {
    return 0;
  }
  const auto* p_key = static_cast<const wd::EventKeyboard*>(p_e);
  const bool pressed = p_key->getKeyboardAction() == wd::KEY_PRESSED;
  // Cells are about twice as tall as wide: half a row a frame looks as fast.
  wd::Vector step;
  switch (p_key->getKey()) {
    case wd::LEFTARROW: step = wd::Vector(-1, 0); break;
    case wd::RIGHTARROW: step = wd::Vector(1, 0); break;
    case wd::UPARROW: step = wd::Vector(0, -0.5f); break;
    case wd::DOWNARROW: step = wd::Vector(0, 0.5f); break;
    case wd::Q: wd::GameManager::getInstance().setGameOver(); return 1;
    case wd::F11:
      if (pressed) {
        wd::DisplayManager::getInstance().toggleFullscreen();
      }
      return 1;
    default: return 0;
  }
  setVelocity(pressed ? step : wd::Vector(0, 0));
  return 1;
}

Star::Star() {
  setType("Star");
  setSprite("star");
  setSolidness(wd::SOFT);  // collides, but never stops the hero
  setPosition(wd::Vector(60, 25));
}

int Star::handleEvent(const wd::Event* p_e) {
  if (p_e->getType() != "COLLISION_EVENT") {
    return 0;
  }
  wd::ResourceManager::getInstance().getSound("ding")->play();
  const wd::EventView point("Stars", 1, true);
  wd::WorldManager::getInstance().broadcastEvent(&point);
  setPosition(wd::Vector(10 + std::rand() % 80, 5 + std::rand() % 40));
  return 1;
}

int setUpHello() {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  if (resources.loadSprite("sprites/hero-spr.txt", "hero") != 0 ||
      resources.loadSprite("sprites/star-spr.txt", "star") != 0 ||
      resources.loadSound("sounds/ding.ogg", "ding") != 0) {
    return -1;
  }
  new Hero;
  new Star;
  auto* p_score = new wd::ViewObject;  // counts the "Stars" view events
  p_score->setCaption("Stars");
  p_score->setLocation(wd::TOP_LEFT);
  p_score->setColor(wd::YELLOW);
  p_score->setAltitude(3);  // low enough for the world to draw it
  return 0;
}
