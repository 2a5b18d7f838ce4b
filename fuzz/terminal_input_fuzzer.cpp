// Feeds arbitrary bytes to the terminal input decoder, cut into reads where
// the first byte says. Besides the sanitizers' checks, every event must be
// one the input manager knows, with a key in SFML's range and a mouse
// position on or right of and below the grid's corner.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "TerminalInputDecoder.h"

namespace {

void check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void checkEvent(const sf::Event& event) {
  switch (event.type) {
    case sf::Event::KeyPressed:
    case sf::Event::KeyReleased:
      check(event.key.code > sf::Keyboard::Unknown && event.key.code < sf::Keyboard::KeyCount);
      break;
    case sf::Event::MouseMoved:
      check(event.mouseMove.x >= 0 && event.mouseMove.y >= 0);
      break;
    case sf::Event::MouseButtonPressed:
      check(event.mouseButton.x >= 0 && event.mouseButton.y >= 0);
      check(event.mouseButton.button <= sf::Mouse::ButtonCount);
      break;
    default:
      check(false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::size_t read_size = 1 + p_data[0] % 16;
  const char* p_bytes = reinterpret_cast<const char*>(p_data + 1);
  std::size_t left = size - 1;
  wd::TerminalInputDecoder decoder;
  std::vector<sf::Event> events;
  while (left > 0) {
    const std::size_t count = left < read_size ? left : read_size;
    decoder.decode(p_bytes, count, events);
    decoder.finishRead(events);
    p_bytes += count;
    left -= count;
  }
  for (const sf::Event& event : events) {
    checkEvent(event);
  }
  check(decoder.takeInterrupts() >= 0);
  return 0;
}
