#ifndef WD_REPLAY_SWITCHES_H
#define WD_REPLAY_SWITCHES_H

#include <functional>
#include <string>
#include <vector>

#include "InputReplay.h"

namespace wd {

// The command-line switches that every game shares: "--terminal",
// "--record FILE", "--replay FILE" and "--fast" (with --replay only). Other
// arguments are left for the game.
class ReplaySwitches {
 public:
  // The switches, as a usage line shows them.
  static const char* const USAGE;

  ReplaySwitches();

  // Reads the program's arguments: 0, or -1 (with the reason in getError())
  // for a switch without its file, a switch given twice, both --record and
  // --replay, or --fast without --replay.
  int read(int argc, const char* const* argv);

  // Asks for the terminal display, and turns recording or replay on in the
  // game manager, as the switches ask. Recording or replay is for the game called
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

 private:
  // Takes the file after switch number i into file: -1 when there is none
  // or it was given before.
  int readFile(int argc, const char* const* argv, int& i, std::string& file);

  std::string record_file;
  std::string replay_file;
  bool fast;
  bool terminal;
  std::string error;
  std::vector<std::string> other_arguments;
};

}  // namespace wd

#endif
