#include "TerminalInputDecoder.h"

namespace wd {

namespace {

const char ESC = '\x1b';
const char CTRL_C = '\x03';
const char CTRL_Z = '\x1a';

// A sequence left incomplete longer than this is noise, not a sequence.
const std::size_t MAX_PENDING = 64;

// Numbers in sequences are capped here: no key code or cell lies beyond.
const int NUMBER_CAP = 1 << 20;

// The kitty protocol's event types, and its modifier bit for Control.
const int KEY_PRESS = 1;
const int KEY_REPEAT = 2;
const int KEY_RELEASE = 3;
const int CONTROL_BIT = 4;

// SGR mouse report bits.
const int MOUSE_BUTTON_BITS = 3;
const int MOUSE_MOTION = 32;
const int MOUSE_WHEEL = 64;

// The kitty protocol's codes for keys that type nothing.
const int KITTY_PAUSE = 57362;
const int KITTY_LEFT_SHIFT = 57441;
const int KITTY_LEFT_CONTROL = 57442;
const int KITTY_RIGHT_SHIFT = 57447;
const int KITTY_RIGHT_CONTROL = 57448;

// One field of a sequence's parameters, split at ':' into numbers; a missing
// number is def.
int subfield(const std::string& parameters, int field, int sub, int def) {
  int f = 0;
  int s = 0;
  int value = -1;
  for (std::size_t i = 0; i <= parameters.size(); i++) {
    const char c = i < parameters.size() ? parameters[i] : ';';
    if (c == ';' || c == ':') {
      if (f == field && s == sub) {
        return value < 0 ? def : value;
      }
      value = -1;
      if (c == ';') {
        f++;
        s = 0;
      } else {
        s++;
      }
    } else if (c >= '0' && c <= '9') {
      value = value < 0 ? 0 : value;
      value = value >= NUMBER_CAP ? NUMBER_CAP : value * 10 + (c - '0');
    }
  }
  return def;
}

// The key that types code_point, or that a kitty code stands for.
sf::Keyboard::Key keyOfCode(int code) {
  if (code >= 'a' && code <= 'z') {
    return static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (code - 'a'));
  }
  if (code >= 'A' && code <= 'Z') {
    return static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (code - 'A'));
  }
  if (code >= '0' && code <= '9') {
    return static_cast<sf::Keyboard::Key>(sf::Keyboard::Num0 + (code - '0'));
  }
  switch (code) {
    case ' ': return sf::Keyboard::Space;
    case '\r': case '\n': return sf::Keyboard::Enter;
    case '\t': return sf::Keyboard::Tab;
    case 27: return sf::Keyboard::Escape;
    case 127: case '\b': return sf::Keyboard::Backspace;
    case '-': return sf::Keyboard::Subtract;
    case '+': return sf::Keyboard::Add;
    case '`': case '~': return sf::Keyboard::Tilde;
    case '.': return sf::Keyboard::Period;
    case ',': return sf::Keyboard::Comma;
    case '/': return sf::Keyboard::Slash;
    case KITTY_PAUSE: return sf::Keyboard::Pause;
    case KITTY_LEFT_SHIFT: return sf::Keyboard::LShift;
    case KITTY_LEFT_CONTROL: return sf::Keyboard::LControl;
    case KITTY_RIGHT_SHIFT: return sf::Keyboard::RShift;
    case KITTY_RIGHT_CONTROL: return sf::Keyboard::RControl;
    default: return sf::Keyboard::Unknown;
  }
}

// The key of a sequence ending in a letter: arrows, and F1 to F4.
sf::Keyboard::Key keyOfFinal(char final_byte) {
  switch (final_byte) {
    case 'A': return sf::Keyboard::Up;
    case 'B': return sf::Keyboard::Down;
    case 'C': return sf::Keyboard::Right;
    case 'D': return sf::Keyboard::Left;
    case 'P': return sf::Keyboard::F1;
    case 'Q': return sf::Keyboard::F2;
    case 'R': return sf::Keyboard::F3;
    case 'S': return sf::Keyboard::F4;
    default: return sf::Keyboard::Unknown;
  }
}

// The key of "CSI number ~".
sf::Keyboard::Key keyOfTilde(int number) {
  static const int F_NUMBERS[] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
  for (int i = 0; i < 12; i++) {
    if (F_NUMBERS[i] == number) {
      return static_cast<sf::Keyboard::Key>(sf::Keyboard::F1 + i);
    }
  }
  return sf::Keyboard::Unknown;
}

}  // namespace

TerminalInputDecoder::TerminalInputDecoder()
    : pending(), kitty_replied(false), interrupts(0), suspends(0) {}

void TerminalInputDecoder::decode(const char* p_bytes, std::size_t count,
                                  std::vector<sf::Event>& events) {
  pending.append(p_bytes, count);
  std::size_t at = 0;
  while (at < pending.size()) {
    const std::size_t used = decodeOne(at, events);
    if (used == 0) {
      break;
    }
    at += used;
  }
  pending.erase(0, at);
  if (pending.size() > MAX_PENDING) {
    pending.clear();
  }
}

void TerminalInputDecoder::finishRead(std::vector<sf::Event>& events) {
  if (pending.size() == 1 && pending[0] == ESC) {
    addKey(sf::Keyboard::Escape, KEY_PRESS, events);
    pending.clear();
  }
}

bool TerminalInputDecoder::reportsReleases() const { return kitty_replied; }

int TerminalInputDecoder::takeInterrupts() { return take(interrupts); }

int TerminalInputDecoder::takeSuspends() { return take(suspends); }

int TerminalInputDecoder::take(int& count) {
  const int taken = count;
  count = 0;
  return taken;
}

std::size_t TerminalInputDecoder::decodeOne(std::size_t at, std::vector<sf::Event>& events) {
  const char byte = pending[at];
  if (byte == CTRL_C) {
    interrupts++;
    return 1;
  }
  if (byte == CTRL_Z) {
    suspends++;
    return 1;
  }
  if (byte != ESC) {
    addKey(keyOfCode(static_cast<unsigned char>(byte)), KEY_PRESS, events);
    return 1;
  }
  if (at + 1 >= pending.size()) {
    return 0;
  }
  const char introducer = pending[at + 1];
  if (introducer == 'O') {
    if (at + 2 >= pending.size()) {
      return 0;
    }
    addKey(keyOfFinal(pending[at + 2]), KEY_PRESS, events);
    return 3;
  }
  if (introducer != '[') {
    // An escape before anything else is the Escape key; what follows is read on its own.
    addKey(sf::Keyboard::Escape, KEY_PRESS, events);
    return 1;
  }
  for (std::size_t end = at + 2; end < pending.size(); end++) {
    const char c = pending[end];
    if (c >= 0x40 && c <= 0x7e) {
      decodeControl(pending.substr(at + 2, end - at - 2), c, events);
      return end - at + 1;
    }
  }
  return 0;
}

void TerminalInputDecoder::decodeControl(const std::string& parameters, char final_byte,
                                         std::vector<sf::Event>& events) {
  const char lead = parameters.empty() ? '\0' : parameters[0];
  if (lead == '<' && (final_byte == 'M' || final_byte == 'm')) {
    decodeMouse(parameters.substr(1), final_byte == 'M', events);
  } else if (lead == '?' && final_byte == 'u') {
    kitty_replied = true;
  } else if (lead == '?' || lead == '<' || lead == '>') {
    return;
  } else if (final_byte == 'u') {
    decodeKittyKey(parameters, events);
  } else if (final_byte == '~') {
    addKey(keyOfTilde(subfield(parameters, 0, 0, 0)), subfield(parameters, 1, 1, KEY_PRESS),
           events);
  } else {
    addKey(keyOfFinal(final_byte), subfield(parameters, 1, 1, KEY_PRESS), events);
  }
}

void TerminalInputDecoder::decodeKittyKey(const std::string& parameters,
                                          std::vector<sf::Event>& events) {
  const int code = subfield(parameters, 0, 0, 0);
  const int modifiers = subfield(parameters, 1, 0, 1) - 1;
  const int event_type = subfield(parameters, 1, 1, KEY_PRESS);
  const bool control = (modifiers & CONTROL_BIT) != 0;
  const int presses = event_type == KEY_PRESS ? 1 : 0;
  if (control && (code == 'c' || code == 'C')) {
    interrupts += presses;
    return;
  }
  if (control && (code == 'z' || code == 'Z')) {
    suspends += presses;
    return;
  }
  addKey(keyOfCode(code), event_type, events);
}

void TerminalInputDecoder::decodeMouse(const std::string& parameters, bool press,
                                       std::vector<sf::Event>& events) {
  const int buttons = subfield(parameters, 0, 0, 0);
  const int column = subfield(parameters, 1, 0, 1) - 1;
  const int row = subfield(parameters, 2, 0, 1) - 1;
  if ((buttons & MOUSE_WHEEL) != 0 || (!press && (buttons & MOUSE_MOTION) == 0)) {
    return;
  }
  sf::Event moved{};
  moved.type = sf::Event::MouseMoved;
  moved.mouseMove.x = column < 0 ? 0 : column;
  moved.mouseMove.y = row < 0 ? 0 : row;
  events.push_back(moved);
  if ((buttons & MOUSE_MOTION) != 0) {
    return;
  }
  static const sf::Mouse::Button BUTTONS[] = {sf::Mouse::Left, sf::Mouse::Middle,
                                              sf::Mouse::Right, sf::Mouse::ButtonCount};
  sf::Event pressed{};
  pressed.type = sf::Event::MouseButtonPressed;
  pressed.mouseButton.button = BUTTONS[buttons & MOUSE_BUTTON_BITS];
  pressed.mouseButton.x = moved.mouseMove.x;
  pressed.mouseButton.y = moved.mouseMove.y;
  events.push_back(pressed);
}

void TerminalInputDecoder::addKey(sf::Keyboard::Key key, int event_type,
                                  std::vector<sf::Event>& events) {
  if (key == sf::Keyboard::Unknown || event_type == KEY_REPEAT) {
    return;
  }
  sf::Event event{};
  event.type = event_type == KEY_RELEASE ? sf::Event::KeyReleased : sf::Event::KeyPressed;
  event.key.code = key;
  events.push_back(event);
}

}  // namespace wd
