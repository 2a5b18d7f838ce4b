#include "EventMouse.h"

namespace wd {

const std::string MSE_EVENT = "MSE_EVENT";

EventMouse::EventMouse()
    : mouse_action(UNDEFINED_MOUSE_ACTION), mouse_button(UNDEFINED_MOUSE_BUTTON), mouse_position() {
  setType(MSE_EVENT);
}

void EventMouse::setMouseAction(MouseAction new_mouse_action) { mouse_action = new_mouse_action; }

MouseAction EventMouse::getMouseAction() const { return mouse_action; }

void EventMouse::setMouseButton(MouseButton new_mouse_button) { mouse_button = new_mouse_button; }

MouseButton EventMouse::getMouseButton() const { return mouse_button; }

void EventMouse::setMousePosition(Vector new_mouse_position) { mouse_position = new_mouse_position; }

Vector EventMouse::getMousePosition() const { return mouse_position; }

}  // namespace wd
