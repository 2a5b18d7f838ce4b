#ifndef WD_INPUT_MANAGER_H
#define WD_INPUT_MANAGER_H

#include <SFML/Window/Event.hpp>

#include "EventKeyboard.h"
#include "Manager.h"

namespace wd {

class EventMouse;
class InputSession;
struct RecordedEvent;

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

  // The printed name of the last key or button recorded, or "".
  const char* getButtonName() const;

  // Empties the name, so that one stroke is acted on once.
  void clearButtonName();

  // Key table lookup into the event; a press may record the key's name.
  void mapKey(sf::Event event, EventKeyboard& keyboard_event);

  // Button table lookup into the event; always records the button's name.
  void mapMouseButton(sf::Event event, EventMouse& mouse_event);

  // The window's key code that stands for key (one of them, when several do).
  static sf::Keyboard::Key windowKeyOf(Key key);

  // What records or replays the input, or null (the default) for none.
  void setSession(InputSession* p_new_session);

 private:
  InputManager();

  // Handles one window event with the keyboard and mouse events that serve
  // the whole of one poll, so that their fields carry over between events.
  // Returns the event delivered, or null for a window event that delivers
  // none.
  const Event* dispatchWindowEvent(const sf::Event& event, EventKeyboard& keyboard_event,
                                   EventMouse& mouse_event);

  // Delivers a window event unless the session keeps the window's events
  // from the game, and tells the session what was delivered.
  void takeWindowEvent(const sf::Event& event, EventKeyboard& keyboard_event,
                       EventMouse& mouse_event);

  // Delivers the session's events of this poll, as the window events that
  // make them, over the carried fields they were delivered with.
  void takeSessionEvents(EventKeyboard& keyboard_event, EventMouse& mouse_event);

  // Drains the terminal's keys and mouse reports when the game plays in one.
  void pollTerminal();

  // Writes the log line of a recorded press and keeps the name.
  void recordButtonName(const char* name);

  char button_name[20];
  int name_armed;
  InputSession* p_session;
};

}  // namespace wd

#endif
