#include "EventKeyboard.h"

namespace wd {

const std::string KEYBOARD_EVENT = "KEYBOARD_EVENT";

EventKeyboard::EventKeyboard() : key(UNDEFINED_KEY), keyboard_action(UNDEFINED_KEYBOARD_ACTION) {
  setType(KEYBOARD_EVENT);
}

void EventKeyboard::setKey(Key new_key) { key = new_key; }

Key EventKeyboard::getKey() const { return key; }

void EventKeyboard::setKeyboardAction(KeyboardAction new_action) { keyboard_action = new_action; }

KeyboardAction EventKeyboard::getKeyboardAction() const { return keyboard_action; }

}  // namespace wd
