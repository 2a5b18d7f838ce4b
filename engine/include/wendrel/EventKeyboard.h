#ifndef WD_EVENT_KEYBOARD_H
#define WD_EVENT_KEYBOARD_H

#include "Event.h"

namespace wd {

// Type carried by keyboard events.
extern const std::string KEYBOARD_EVENT;

// The engine's key codes, named by the names the input manager prints.
enum Key : int {
  UNDEFINED_KEY = -1,
  SPACE = 0,
  RETURN,
  ESCAPE,
  TAB,
  LEFTARROW,
  RIGHTARROW,
  UPARROW,
  DOWNARROW,
  PAUSE,
  MINUS,
  PLUS,
  TILDE,
  PERIOD,
  COMMA,
  SLASH,
  LEFTCONTROL,
  RIGHTCONTROL,
  LEFTSHIFT,
  RIGHTSHIFT,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  A,
  B,
  C,
  D,
  E,
  F,
  G,
  H,
  I,
  J,
  K,
  L,
  M,
  N,
  O,
  P,
  Q,
  R,
  S,
  T,
  U,
  V,
  W,
  X,
  Y,
  Z,
  NUM1,
  NUM2,
  NUM3,
  NUM4,
  NUM5,
  NUM6,
  NUM7,
  NUM8,
  NUM9,
  NUM0,
};

// Whether a key went down or came up.
enum KeyboardAction : int {
  UNDEFINED_KEYBOARD_ACTION = -1,
  KEY_PRESSED = 0,
  KEY_RELEASED = 1,
};

// A key went down or came up in the window.
class EventKeyboard : public Event {
 public:
  EventKeyboard();

  void setKey(Key new_key);
  Key getKey() const;
  void setKeyboardAction(KeyboardAction new_action);
  KeyboardAction getKeyboardAction() const;

 private:
  Key key;
  KeyboardAction keyboard_action;
};

}  // namespace wd

#endif
