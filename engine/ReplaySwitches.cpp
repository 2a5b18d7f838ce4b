#include "ReplaySwitches.h"

#include <cstdio>
#include <cstring>

#include "DisplayManager.h"
#include "GameManager.h"
#include "TerminalDisplay.h"

namespace wd {

const char* const ReplaySwitches::USAGE = "[--terminal] [--record FILE | --replay FILE [--fast]]";

const char* const ReplaySwitches::WINDOW_USAGE =
    "[--resizable] [--fullscreen] [--size WxH] [--closable]";

namespace {

// The largest window side a --size may ask for.
const int MAX_SIDE_PIXELS = 16384;

}  // namespace

ReplaySwitches::ReplaySwitches()
    : fast(false),
      terminal(false),
      resizable(false),
      fullscreen(false),
      closable(false),
      width_pixels(0),
      height_pixels(0) {}

int ReplaySwitches::read(int argc, const char* const* argv) {
  for (int i = 1; i < argc; i++) {
    const char* p_argument = argv[i];
    const int window_switch = readWindowSwitch(argc, argv, i);
    if (window_switch < 0) {
      return -1;
    }
    if (window_switch > 0) {
      continue;
    }
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
  if (setsWindow()) {
    DisplayManager& display = DisplayManager::getInstance();
    display.setWindowOptions(windowOptions(display.getWindowOptions()));
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

bool ReplaySwitches::setsWindow() const {
  return resizable || fullscreen || closable || width_pixels > 0;
}

WindowOptions ReplaySwitches::windowOptions(WindowOptions options) const {
  options.resizable = options.resizable || resizable;
  options.fullscreen = options.fullscreen || fullscreen;
  options.closable = options.closable || setsWindow();
  if (width_pixels > 0) {
    options.width_pixels = width_pixels;
    options.height_pixels = height_pixels;
  }
  return options;
}

int ReplaySwitches::readWindowSwitch(int argc, const char* const* argv, int& i) {
  const char* p_argument = argv[i];
  if (std::strcmp(p_argument, "--resizable") == 0) {
    resizable = true;
  } else if (std::strcmp(p_argument, "--fullscreen") == 0) {
    fullscreen = true;
  } else if (std::strcmp(p_argument, "--closable") == 0) {
    closable = true;
  } else if (std::strcmp(p_argument, "--size") == 0) {
    return readSize(argc, argv, i) == 0 ? 1 : -1;
  } else {
    return 0;
  }
  return 1;
}

int ReplaySwitches::readSize(int argc, const char* const* argv, int& i) {
  if (width_pixels > 0) {
    error = "--size given twice";
    return -1;
  }
  int width = 0;
  int height = 0;
  char end = '\0';
  const bool read = i + 1 < argc &&
                    std::sscanf(argv[i + 1], "%dx%d%c", &width, &height, &end) == 2;
  if (!read || width < 1 || height < 1 || width > MAX_SIDE_PIXELS ||
      height > MAX_SIDE_PIXELS) {
    error = "--size without a size WxH";
    return -1;
  }
  i++;
  width_pixels = width;
  height_pixels = height;
  return 0;
}

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
