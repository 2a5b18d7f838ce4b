#ifndef WD_RECORDED_EVENT_H
#define WD_RECORDED_EVENT_H

#include "EventKeyboard.h"
#include "EventMouse.h"

namespace wd {

// One keyboard or mouse event as the input manager delivered it, and when:
// the frame (counted from 0 by the frames shown) and the poll of the window
// within that frame (counted from 0).
struct RecordedEvent {
  // Which of the two kinds of event this is.
  enum Kind : int { KEYBOARD = 0, MOUSE = 1 };

  Kind kind;
  int frame;
  int poll;
  Key key;
  KeyboardAction keyboard_action;
  MouseAction mouse_action;
  MouseButton mouse_button;
  int x;
  int y;
};

}  // namespace wd

#endif
