#ifndef WD_INPUT_MANAGER_H
#define WD_INPUT_MANAGER_H

#include <SFML/Window/Event.hpp>

#include "Manager.h"

namespace wd {

class EventKeyboard;
class EventMouse;

// Turns the window's events into keyboard and mouse events for every object
// and keeps the printed name of the last key or button pressed.
class InputManager : public Manager {
 public:
  static InputManager& getInstance();

  // Turns key repeat off; -1 when the display manager is not started.
  int startUp() override;

  // Turns key repeat back on.
  void shutDown() override;

  // Drains the window's event queue.
  void pollInput();

  // What pollInput does with one window event.
  void handleWindowEvent(const sf::Event& event);

  const char* getButtonName() const;
  void clearButtonName();

  void mapKey(sf::Event event, EventKeyboard& keyboard_event);
  void mapMouseButton(sf::Event event, EventMouse& mouse_event);

 private:
  InputManager();

  char button_name[20];
  int name_armed;
};

}  // namespace wd

#endif
