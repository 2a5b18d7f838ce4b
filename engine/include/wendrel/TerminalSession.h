#ifndef WD_TERMINAL_SESSION_H
#define WD_TERMINAL_SESSION_H

#include <cstddef>
#include <string>

namespace wd {

// Holds the terminal for a game: raw input, the alternate screen, the
// hidden cursor, mouse reporting and the kitty keyboard protocol. Whatever
// ends the program (a normal end, exit, Ctrl+C, SIGTERM, SIGHUP or a crash
// signal) puts the terminal back as it found it; Ctrl+Z gives it back while
// the program is stopped, and takes it again when the program goes on, to be
// drawn anew. One session at a time;
// none on Windows, whose console speaks none of this.
class TerminalSession {
 public:
  TerminalSession();
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Takes the terminal on standard input and output. 0, or -1 when another
  // session holds it.
  int begin();

  // Gives the terminal back; harmless when not begun.
  void end();

  bool isBegun() const;

  // The terminal's size in cells; -1 when it cannot tell (not a terminal).
  int querySize(int& columns, int& rows) const;

  // Whether the terminal was resized since the last call.
  bool takeResize();

  // Writes all of text; -1 when the terminal is gone.
  int write(const std::string& text);

  // Reads what the terminal has sent, without waiting; the count, 0 for none.
  std::size_t readAvailable(char* p_buffer, std::size_t size);

 private:
  bool begun;
};

}  // namespace wd

#endif
