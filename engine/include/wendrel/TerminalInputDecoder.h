#ifndef WD_TERMINAL_INPUT_DECODER_H
#define WD_TERMINAL_INPUT_DECODER_H

#include <cstddef>
#include <string>
#include <vector>

#include <SFML/Window/Event.hpp>

namespace wd {

// Turns the bytes a terminal sends into the window events the input manager
// handles: key presses (and, under the kitty keyboard protocol, releases),
// and SGR mouse reports as moves and button presses at cell positions.
// Sequences cut by the end of a read are kept for the next.
class TerminalInputDecoder {
 public:
  TerminalInputDecoder();

  // Decodes count bytes after what the last call left incomplete, appending
  // the events they complete.
  void decode(const char* p_bytes, std::size_t count, std::vector<sf::Event>& events);

  // Ends a read: an escape with nothing after it is the Escape key.
  void finishRead(std::vector<sf::Event>& events);

  // Whether the terminal answered the kitty keyboard protocol's query, and so
  // reports releases itself.
  bool reportsReleases() const;

  // Ctrl+C presses decoded since the last call (a terminal in the kitty
  // protocol sends them as keys rather than as an interrupt).
  int takeInterrupts();

  // Ctrl+Z presses decoded since the last call, likewise.
  int takeSuspends();

 private:
  // Decodes the sequence at pending[at]; the bytes it took, 0 when incomplete.
  std::size_t decodeOne(std::size_t at, std::vector<sf::Event>& events);

  // A control sequence: its parameters and final byte.
  void decodeControl(const std::string& parameters, char final_byte,
                     std::vector<sf::Event>& events);

  // A kitty key report: "code[:...];modifiers[:event]" before 'u'.
  void decodeKittyKey(const std::string& parameters, std::vector<sf::Event>& events);

  // "<button;column;row" before 'M' (press) or 'm' (release).
  void decodeMouse(const std::string& parameters, bool press, std::vector<sf::Event>& events);

  // count, which is then zeroed.
  static int take(int& count);

  // A key press, release or repeat of a key with code point or legacy code.
  void addKey(sf::Keyboard::Key key, int event_type, std::vector<sf::Event>& events);

  std::string pending;
  bool kitty_replied;
  int interrupts;
  int suspends;
};

}  // namespace wd

#endif
