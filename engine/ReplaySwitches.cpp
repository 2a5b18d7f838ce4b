#include "ReplaySwitches.h"

#include <cstring>

#include "GameManager.h"
#include "TerminalDisplay.h"

namespace wd {

const char* const ReplaySwitches::USAGE = "[--terminal] [--record FILE | --replay FILE [--fast]]";

ReplaySwitches::ReplaySwitches() : fast(false), terminal(false) {}

int ReplaySwitches::read(int argc, const char* const* argv) {
  for (int i = 1; i < argc; i++) {
    const char* p_argument = argv[i];
    if (std::strcmp(p_argument, "--record") == 0) {
      if (readFile(argc, argv, i, record_file) != 0) {
        return -1;
      }
    } else if (std::strcmp(p_argument, "--replay") == 0) {
      if (readFile(argc, argv, i, replay_file) != 0) {
        return -1;
      }
    } else if (std::strcmp(p_argument, "--terminal") == 0) {
      terminal = true;
    } else if (std::strcmp(p_argument, "--fast") == 0) {
      if (fast) {
        error = "--fast given twice";
        return -1;
      }
      fast = true;
    } else {
      other_arguments.push_back(p_argument);
    }
  }
  if (!record_file.empty() && !replay_file.empty()) {
    error = "--record and --replay together";
    return -1;
  }
  if (fast && replay_file.empty()) {
    error = "--fast without --replay";
    return -1;
  }
  return 0;
}

int ReplaySwitches::apply(const std::string& game_name, std::function<void()> report) const {
  if (terminal) {
    TerminalDisplay::getInstance().request();
  }
  GameManager& game_manager = GameManager::getInstance();
  if (!record_file.empty()) {
    return game_manager.startRecording(record_file, game_name);
  }
  if (!replay_file.empty()) {
    return game_manager.startReplay(replay_file, game_name, getSpeed(), std::move(report));
  }
  return 0;
}

const std::string& ReplaySwitches::getError() const { return error; }

const std::vector<std::string>& ReplaySwitches::getOtherArguments() const {
  return other_arguments;
}

const std::string& ReplaySwitches::getRecordFile() const { return record_file; }

const std::string& ReplaySwitches::getReplayFile() const { return replay_file; }

ReplaySpeed ReplaySwitches::getSpeed() const { return fast ? REPLAY_FAST : REPLAY_REAL_TIME; }

bool ReplaySwitches::wantsTerminal() const { return terminal; }

int ReplaySwitches::readFile(int argc, const char* const* argv, int& i, std::string& file) {
  const std::string name = argv[i];
  if (i + 1 >= argc || argv[i + 1][0] == '\0') {
    error = name + " without its file";
    return -1;
  }
  if (!file.empty()) {
    error = name + " given twice";
    return -1;
  }
  file = argv[++i];
  return 0;
}

}  // namespace wd
