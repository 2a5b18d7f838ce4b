#include "InputManager.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "InputSession.h"
#include "LogManager.h"
#include "TerminalDisplay.h"

namespace wd {

namespace {

struct KeyEntry {
  Key key;
  const char* name;
};

const KeyEntry UNDEFINED_KEY_ENTRY = {UNDEFINED_KEY, "UNDEFINED_KEY"};

// The full name of an unknown button does not fit the 20-byte name, so the
// engine prints it shortened.
const char* const UNDEFINED_MOUSE_BUTTON_NAME = "UNDEFINED_MOUSE_BTN";

// SFML key codes 0 to 100 and what they stand for in the engine.
const int KEY_CODE_COUNT = 101;

KeyEntry keyEntry(int code) {
  static const KeyEntry LETTERS[] = {
      {A, "A"}, {B, "B"}, {C, "C"}, {D, "D"}, {E, "E"}, {F, "F"}, {G, "G"},
      {H, "H"}, {I, "I"}, {J, "J"}, {K, "K"}, {L, "L"}, {M, "M"}, {N, "N"},
      {O, "O"}, {P, "P"}, {Q, "Q"}, {R, "R"}, {S, "S"}, {T, "T"}, {U, "U"},
      {V, "V"}, {W, "W"}, {X, "X"}, {Y, "Y"}, {Z, "Z"}};
  static const KeyEntry DIGITS[] = {{NUM0, "NUM0"}, {NUM1, "NUM1"}, {NUM2, "NUM2"},
                                    {NUM3, "NUM3"}, {NUM4, "NUM4"}, {NUM5, "NUM5"},
                                    {NUM6, "NUM6"}, {NUM7, "NUM7"}, {NUM8, "NUM8"},
                                    {NUM9, "NUM9"}};
  static const KeyEntry FUNCTION_KEYS[] = {{F1, "F1"}, {F2, "F2"},   {F3, "F3"},   {F4, "F4"},
                                           {F5, "F5"}, {F6, "F6"},   {F7, "F7"},   {F8, "F8"},
                                           {F9, "F9"}, {F10, "F10"}, {F11, "F11"}, {F12, "F12"}};
  if (code >= sf::Keyboard::A && code <= sf::Keyboard::Z) {
    return LETTERS[code - sf::Keyboard::A];
  }
  if (code >= sf::Keyboard::Num0 && code <= sf::Keyboard::Num9) {
    return DIGITS[code - sf::Keyboard::Num0];
  }
  if (code >= sf::Keyboard::F1 && code <= sf::Keyboard::F12) {
    return FUNCTION_KEYS[code - sf::Keyboard::F1];
  }
  if (code < 0 || code >= KEY_CODE_COUNT) {
    return UNDEFINED_KEY_ENTRY;
  }
  switch (static_cast<sf::Keyboard::Key>(code)) {
    case sf::Keyboard::Space:
      return {SPACE, "SPACE"};
    case sf::Keyboard::Enter:
      return {RETURN, "RETURN"};
    case sf::Keyboard::Escape:
      return {ESCAPE, "ESCAPE"};
    case sf::Keyboard::Tab:
      return {TAB, "TAB"};
    case sf::Keyboard::Left:
      return {LEFTARROW, "LEFTARROW"};
    case sf::Keyboard::Right:
      return {RIGHTARROW, "RIGHTARROW"};
    case sf::Keyboard::Up:
      return {UPARROW, "UPARROW"};
    case sf::Keyboard::Down:
      return {DOWNARROW, "DOWNARROW"};
    case sf::Keyboard::Pause:
      return {PAUSE, "PAUSE"};
    case sf::Keyboard::Subtract:
      return {MINUS, "MINUS"};
    case sf::Keyboard::Add:
      return {PLUS, "PLUS"};
    case sf::Keyboard::Tilde:
      return {TILDE, "TILDE"};
    case sf::Keyboard::Period:
      return {PERIOD, "PERIOD"};
    case sf::Keyboard::Comma:
      return {COMMA, "COMMA"};
    case sf::Keyboard::Slash:
      return {SLASH, "SLASH"};
    case sf::Keyboard::LControl:
      return {LEFTCONTROL, "LEFTCONTROL"};
    case sf::Keyboard::RControl:
      return {RIGHTCONTROL, "RIGHTCONTROL"};
    case sf::Keyboard::LShift:
      return {LEFTSHIFT, "LEFTSHIFT"};
    case sf::Keyboard::RShift:
      return {RIGHTSHIFT, "RIGHTSHIFT"};
    default:
      return UNDEFINED_KEY_ENTRY;
  }
}

// The window event with its mouse position moved from the window's pixels
// into the logical picture's, which an unscaled window leaves as they are.
sf::Event inLogicalPixels(const sf::Event& event) {
  sf::Event logical = event;
  const Letterbox& letterbox = DisplayManager::getInstance().getLetterbox();
  int* p_x = nullptr;
  int* p_y = nullptr;
  if (event.type == sf::Event::MouseMoved) {
    p_x = &logical.mouseMove.x;
    p_y = &logical.mouseMove.y;
  } else if (event.type == sf::Event::MouseButtonPressed ||
             event.type == sf::Event::MouseButtonReleased) {
    p_x = &logical.mouseButton.x;
    p_y = &logical.mouseButton.y;
  } else {
    return logical;
  }
  const Vector position =
      letterbox.toLogical(Vector(static_cast<float>(*p_x), static_cast<float>(*p_y)));
  *p_x = static_cast<int>(std::floor(position.getX()));
  *p_y = static_cast<int>(std::floor(position.getY()));
  return logical;
}

}  // namespace

InputManager::InputManager() : button_name(), name_armed(1), p_session(nullptr) {
  setType("InputManager");
}

InputManager& InputManager::getInstance() {
  static InputManager input_manager;
  return input_manager;
}

int InputManager::startUp() {
  DisplayManager& display_manager = DisplayManager::getInstance();
  if (!display_manager.isStarted()) {
    return -1;
  }
  // A terminal has no window to set: its keys come as the terminal sends them.
  sf::Window* p_window = display_manager.getInputWindow();
  if (p_window != nullptr) {
    p_window->setKeyRepeatEnabled(false);
  }
  return Manager::startUp();
}

void InputManager::shutDown() {
  sf::Window* p_window = DisplayManager::getInstance().getInputWindow();
  if (p_window != nullptr) {
    p_window->setKeyRepeatEnabled(true);
  }
  Manager::shutDown();
}

void InputManager::pollInput() {
  if (TerminalDisplay::getInstance().isActive()) {
    pollTerminal();
    return;
  }
  sf::Window* p_window = DisplayManager::getInstance().getInputWindow();
  if (p_window == nullptr) {
    return;
  }
  EventKeyboard keyboard_event;
  EventMouse mouse_event;
  sf::Event event;
  while (p_window->pollEvent(event)) {
    takeWindowEvent(event, keyboard_event, mouse_event);
  }
  if (p_session != nullptr) {
    takeSessionEvents(keyboard_event, mouse_event);
    p_session->endPoll();
  }
}

void InputManager::pollTerminal() {
  std::vector<sf::Event> events;
  TerminalDisplay::getInstance().pollEvents(events);
  EventKeyboard keyboard_event;
  EventMouse mouse_event;
  for (const sf::Event& event : events) {
    dispatchWindowEvent(event, keyboard_event, mouse_event);
  }
}

void InputManager::handleWindowEvent(const sf::Event& event) {
  EventKeyboard keyboard_event;
  EventMouse mouse_event;
  takeWindowEvent(event, keyboard_event, mouse_event);
}

void InputManager::takeWindowEvent(const sf::Event& window_event, EventKeyboard& keyboard_event,
                                   EventMouse& mouse_event) {
  if (DisplayManager::getInstance().followWindowEvent(window_event)) {
    return;
  }
  const sf::Event event = inLogicalPixels(window_event);
  if (p_session == nullptr) {
    dispatchWindowEvent(event, keyboard_event, mouse_event);
    return;
  }
  if (!p_session->takesWindowEvents()) {
    return;
  }
  const Event* p_delivered = dispatchWindowEvent(event, keyboard_event, mouse_event);
  if (p_delivered != nullptr) {
    p_session->eventDelivered(*p_delivered);
  }
}

void InputManager::takeSessionEvents(EventKeyboard& keyboard_event, EventMouse& mouse_event) {
  RecordedEvent recorded{};
  while (p_session->nextEvent(recorded)) {
    sf::Event event{};
    if (recorded.kind == RecordedEvent::KEYBOARD) {
      event.type = recorded.keyboard_action == KEY_PRESSED ? sf::Event::KeyPressed
                                                           : sf::Event::KeyReleased;
      event.key.code = windowKeyOf(recorded.key);
    } else {
      // The mouse event keeps the fields that its window event does not set.
      mouse_event.setMouseButton(recorded.mouse_button);
      mouse_event.setMousePosition(
          Vector(static_cast<float>(recorded.x), static_cast<float>(recorded.y)));
      event.type = recorded.mouse_action == MOVED ? sf::Event::MouseMoved
                                                  : sf::Event::MouseButtonPressed;
      event.mouseMove.x = recorded.x;
      event.mouseMove.y = recorded.y;
      if (event.type == sf::Event::MouseButtonPressed) {
        event.mouseButton.button = recorded.mouse_button == UNDEFINED_MOUSE_BUTTON
                                       ? sf::Mouse::XButton1
                                       : static_cast<sf::Mouse::Button>(recorded.mouse_button);
      }
    }
    dispatchWindowEvent(event, keyboard_event, mouse_event);
  }
}

const Event* InputManager::dispatchWindowEvent(const sf::Event& event,
                                               EventKeyboard& keyboard_event,
                                               EventMouse& mouse_event) {
  switch (event.type) {
    case sf::Event::KeyPressed:
      keyboard_event.setKeyboardAction(KEY_PRESSED);
      mapKey(event, keyboard_event);
      broadcastEvent(&keyboard_event);
      return &keyboard_event;
    case sf::Event::KeyReleased:
      keyboard_event.setKeyboardAction(KEY_RELEASED);
      mapKey(event, keyboard_event);
      broadcastEvent(&keyboard_event);
      name_armed = 1;
      return &keyboard_event;
    case sf::Event::MouseMoved: {
      mouse_event.setMouseAction(MOVED);
      mouse_event.setMousePosition(Vector(static_cast<float>(event.mouseMove.x),
                                          static_cast<float>(event.mouseMove.y)));
      const Vector position = mouse_event.getMousePosition();
      LogManager::getInstance().writeMessage("Mouse Moved: (%d, %d)\n",
                                             static_cast<int>(position.getX()),
                                             static_cast<int>(position.getY()));
      broadcastEvent(&mouse_event);
      return &mouse_event;
    }
    case sf::Event::MouseButtonPressed:
      mouse_event.setMouseAction(PRESSED);
      mapMouseButton(event, mouse_event);
      broadcastEvent(&mouse_event);
      return &mouse_event;
    default:
      return nullptr;
  }
}

const char* InputManager::getButtonName() const { return button_name; }

void InputManager::clearButtonName() { button_name[0] = '\0'; }

void InputManager::mapKey(sf::Event event, EventKeyboard& keyboard_event) {
  const KeyEntry entry = keyEntry(static_cast<int>(event.key.code));
  keyboard_event.setKey(entry.key);
  if (event.type == sf::Event::KeyPressed && name_armed == 1) {
    recordButtonName(entry.name);
    name_armed = 0;
  }
}

void InputManager::mapMouseButton(sf::Event event, EventMouse& mouse_event) {
  switch (event.mouseButton.button) {
    case sf::Mouse::Left:
      mouse_event.setMouseButton(LEFT);
      recordButtonName("LEFT");
      break;
    case sf::Mouse::Right:
      mouse_event.setMouseButton(RIGHT);
      recordButtonName("RIGHT");
      break;
    case sf::Mouse::Middle:
      mouse_event.setMouseButton(MIDDLE);
      recordButtonName("MIDDLE");
      break;
    default:
      mouse_event.setMouseButton(UNDEFINED_MOUSE_BUTTON);
      recordButtonName(UNDEFINED_MOUSE_BUTTON_NAME);
      break;
  }
}

sf::Keyboard::Key InputManager::windowKeyOf(Key key) {
  for (int code = 0; code < KEY_CODE_COUNT; code++) {
    if (keyEntry(code).key == key) {
      return static_cast<sf::Keyboard::Key>(code);
    }
  }
  return sf::Keyboard::Unknown;
}

void InputManager::setSession(InputSession* p_new_session) { p_session = p_new_session; }

void InputManager::recordButtonName(const char* name) {
  std::snprintf(button_name, sizeof(button_name), "%s", name);
  LogManager::getInstance().writeMessage("Button pressed is: %s\n", button_name);
}

}  // namespace wd
