#ifndef WD_REPLAY_SWITCHES_H
#define WD_REPLAY_SWITCHES_H

#include <functional>
#include <string>
#include <vector>

#include "InputReplay.h"
#include "WindowOptions.h"

namespace wd {

// The command-line switches that every game shares: "--terminal",
// "--record FILE", "--replay FILE" and "--fast" (with --replay only), and
// the window's: "--resizable", "--fullscreen", "--size WxH" (each of which
// gives the window a close button too) and "--closable". Other arguments
// are left for the game.
class ReplaySwitches {
 public:
  // The switches, as a usage line shows them.
  static const char* const USAGE;

  // The window's switches, as a usage line shows them.
  static const char* const WINDOW_USAGE;

  ReplaySwitches();

  // Reads the program's arguments: 0, or -1 (with the reason in getError())
  // for a switch without its file, a switch given twice, both --record and
  // --replay, --fast without --replay, or a size that is not WxH.
  int read(int argc, const char* const* argv);

  // Asks for the terminal display, and turns recording or replay on in the
  // game manager, and sets the window's options, as the switches ask. Recording or replay is for the game called
  // game_name, as the switches ask; report runs at the end of a replay that
  // matched. 0, or -1 (with the reason on standard error) when the file
  // cannot be written or played. Without the switches it does nothing.
  int apply(const std::string& game_name, std::function<void()> report = nullptr) const;

  const std::string& getError() const;

  // The arguments that are not these switches, in order.
  const std::vector<std::string>& getOtherArguments() const;

  const std::string& getRecordFile() const;
  const std::string& getReplayFile() const;
  ReplaySpeed getSpeed() const;

  // Whether --terminal was given.
  bool wantsTerminal() const;

  // Whether any of the window's switches was given.
  bool setsWindow() const;

  // The display's window options with the window's switches applied.
  WindowOptions windowOptions(WindowOptions options) const;

 private:
  // Takes the file after switch number i into file: -1 when there is none
  // or it was given before.
  int readFile(int argc, const char* const* argv, int& i, std::string& file);

  // Takes the WxH after switch number i: -1 when it is missing or no size.
  int readSize(int argc, const char* const* argv, int& i);

  // Reads argument number i if it is one of the window's switches: 1 when
  // it is, 0 when it is not, -1 when it is wrong.
  int readWindowSwitch(int argc, const char* const* argv, int& i);

  std::string record_file;
  std::string replay_file;
  bool fast;
  bool terminal;
  bool resizable;
  bool fullscreen;
  bool closable;
  int width_pixels;
  int height_pixels;
  std::string error;
  std::vector<std::string> other_arguments;
};

}  // namespace wd

#endif
