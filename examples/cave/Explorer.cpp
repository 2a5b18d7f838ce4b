#include "Explorer.h"

#include <wendrel/DisplayManager.h>
#include <wendrel/EventKeyboard.h>
#include <wendrel/EventMouse.h>
#include <wendrel/EventView.h>
#include <wendrel/GameManager.h>
#include <wendrel/WorldManager.h>

#include "Spark.h"
#include "Torch.h"

Explorer::Explorer(wd::Vector start) {
  setType("Explorer");
  setSprite("explorer");
  setPosition(start);
}

int Explorer::handleEvent(const wd::Event* p_e) {
  if (p_e->getType() == wd::KEYBOARD_EVENT) {
    return handleKey(p_e);
  }
  if (p_e->getType() == wd::MSE_EVENT) {
    return handleMouse(p_e);
  }
  return 0;
}

int Explorer::draw() {
  Torch::drawLit(getPosition(), {U"@"}, sf::Color(255, 244, 214));
  return 0;
}

int Explorer::handleKey(const wd::Event* p_e) {
  const auto* p_key = static_cast<const wd::EventKeyboard*>(p_e);
  wd::Vector step;
  switch (p_key->getKey()) {
    case wd::LEFTARROW: step = wd::Vector(-1, 0); break;
    case wd::RIGHTARROW: step = wd::Vector(1, 0); break;
    case wd::UPARROW: step = wd::Vector(0, -0.5f); break;
    case wd::DOWNARROW: step = wd::Vector(0, 0.5f); break;
    case wd::Q: wd::GameManager::getInstance().setGameOver(); return 1;
    case wd::F11:
      if (p_key->getKeyboardAction() == wd::KEY_PRESSED) {
        wd::DisplayManager::getInstance().toggleFullscreen();
      }
      return 1;
    default: return 0;
  }
  setVelocity(p_key->getKeyboardAction() == wd::KEY_PRESSED ? step : wd::Vector(0, 0));
  return 1;
}

int Explorer::handleMouse(const wd::Event* p_e) {
  const auto* p_mouse = static_cast<const wd::EventMouse*>(p_e);
  if (p_mouse->getMouseAction() == wd::MOVED) {
    mouse_pixels = p_mouse->getMousePosition();
    return 1;
  }
  if (p_mouse->getMouseButton() != wd::LEFT) {
    return 0;
  }
  // Window pixels to view cells, then to the world through the view's corner.
  const wd::Vector corner = wd::WorldManager::getInstance().getView().getCorner();
  const wd::Vector where(corner.getX() + mouse_pixels.getX() / wd::cellWidth(),
                         corner.getY() + mouse_pixels.getY() / wd::cellHeight());
  new Spark(where, wd::Vector(0.5f, -0.5f), Spark::LEAVES);
  const wd::EventView thrown("Thrown", 1, true);
  wd::WorldManager::getInstance().broadcastEvent(&thrown);
  return 1;
}
