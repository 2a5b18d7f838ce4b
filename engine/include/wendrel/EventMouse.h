#ifndef WD_EVENT_MOUSE_H
#define WD_EVENT_MOUSE_H

#include "Event.h"
#include "Vector.h"

namespace wd {

// Type carried by mouse events.
extern const std::string MSE_EVENT;

// The mouse buttons the engine tells apart.
enum MouseButton : int {
  UNDEFINED_MOUSE_BUTTON = -1,
  LEFT = 0,
  RIGHT = 1,
  MIDDLE = 2,
};

// What the mouse did; no event carries 0.
enum MouseAction : int {
  UNDEFINED_MOUSE_ACTION = -1,
  PRESSED = 1,
  MOVED = 2,
};

// The mouse moved or one of its buttons went down. The position is in
// window pixels from the top-left corner of the drawing area, not in cells.
class EventMouse : public Event {
 public:
  EventMouse();

  void setMouseAction(MouseAction new_mouse_action);
  MouseAction getMouseAction() const;
  void setMouseButton(MouseButton new_mouse_button);
  MouseButton getMouseButton() const;
  void setMousePosition(Vector new_mouse_position);
  Vector getMousePosition() const;

 private:
  MouseAction mouse_action;
  MouseButton mouse_button;
  Vector mouse_position;
};

}  // namespace wd

#endif
