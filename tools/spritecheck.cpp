// wendrel-spritecheck: loads sprite files with the engine's own loader and
// tells whoever drew them what the engine makes of each.
//
//   wendrel-spritecheck [--show] FILE...
//   wendrel-spritecheck [--show] --text OUT FILE
//
// For each file it prints the loader's messages and a one-line verdict;
// --show also draws every frame in its colour (a file of cells or a
// REXPaint picture in its cells' 24-bit colours). --text writes the sprite
// of FILE to OUT as a file of cells ("format rich"), for editing by hand.
// The exit status is 0 when every file loads (and OUT is written), 1 when
// any fails and 2 on a usage error.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "CellPalette.h"
#include "LogManager.h"
#include "RichSpriteWriter.h"
#include "Sprite.h"
#include "SpriteResourceManager.h"
#include "Utf8Decoder.h"

namespace {

const char* const MESSAGE_PREFIX = " Message: ";

const char* const COLOR_NAMES[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"};

// A registry of its own: the checker needs the sprite table only, not the shared manager with its sound tables.
class SpriteChecker : public wd::SpriteResourceManager {
 public:
  SpriteChecker() = default;
};

// The engine's log, kept in a folder of its own so that checking sprites
// never overwrites the log of a game in the current folder.
class LogCapture {
 public:
  LogCapture() {
    char pattern[] = "/tmp/wendrel-spritecheck-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      return;
    }
    folder = pattern;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const int started = wd::LogManager::getInstance().startUp();
    std::filesystem::current_path(here);
    if (started == 0) {
      wd::LogManager::getInstance().setFlushEachWrite(true);
    }
  }

  ~LogCapture() {
    wd::LogManager::getInstance().shutDown();
    if (!folder.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
  }

  bool isReady() const { return wd::LogManager::getInstance().isStarted(); }

  // The messages written since the last call, one entry per message.
  std::vector<std::string> newMessages() {
    std::ifstream in(folder + "/" + wd::LOG_FILE_NAME, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string log = content.str();
    const std::string fresh = log.size() > read_up_to ? log.substr(read_up_to) : "";
    read_up_to = log.size();
    return splitMessages(fresh);
  }

 private:
  // Every message starts with the log's prefix and carries no line end.
  static std::vector<std::string> splitMessages(const std::string& text) {
    const std::string prefix = MESSAGE_PREFIX;
    std::vector<std::string> messages;
    std::size_t start = 0;
    while (start < text.size()) {
      if (text.compare(start, prefix.size(), prefix) == 0) {
        start += prefix.size();
      }
      std::size_t next = text.find(prefix, start);
      if (next == std::string::npos) {
        next = text.size();
      }
      messages.push_back(text.substr(start, next - start));
      start = next;
    }
    return messages;
  }

  std::string folder;
  std::size_t read_up_to = 0;
};

std::string colorName(const wd::Sprite& sprite) {
  const wd::Color color = sprite.getColor();
  if (sprite.hasRgbColor()) {
    return wd::CellPalette::formatColor(sprite.getRgbColor());
  }
  return color >= wd::BLACK && color <= wd::WHITE ? COLOR_NAMES[color] : "unknown";
}

// The first error the loader reported, which is why the file failed.
std::string failureReason(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) {
    if (message.find("Error") != std::string::npos) {
      const std::size_t text_start = message.find_first_not_of('\t');
      return text_start == std::string::npos ? message : message.substr(text_start);
    }
  }
  return messages.empty() ? "not loaded" : messages.back();
}

// The terminal's sequence that sets a 24-bit colour: 38 for the foreground, 48 for the background.
std::string ansiColor(int layer, sf::Color color) {
  return "\x1b[" + std::to_string(layer) + ";2;" + std::to_string(color.r) + ";" + std::to_string(color.g) + ";" +
         std::to_string(color.b) + "m";
}

// One row of a frame of cells, each cell in its own colours, or in the sprite's on the terminal's background.
std::string cellRow(const wd::Sprite& sprite, const wd::Frame& frame, std::size_t first, std::size_t width) {
  std::string row;
  for (std::size_t i = first; i < first + width; i++) {
    if (frame.hasCellColors()) {
      row += ansiColor(38, frame.getForeground()[i]) + ansiColor(48, frame.getBackground()[i]);
    } else if (i == first) {
      row += ansiColor(38, sprite.getRgbColor());
    }
    wd::Utf8Decoder::append(row, frame.getCodePoints()[i]);
  }
  return row;
}

// Draws every frame's rows between bars, in the sprite's colour (the ANSI
// foreground colours follow the engine's colour numbers), or a frame of
// cells in 24-bit colour.
void showFrames(const wd::Sprite& sprite) {
  const std::size_t width = static_cast<std::size_t>(sprite.getWidth());
  for (int i = 0; i < sprite.getFrameCount(); i++) {
    const wd::Frame frame = sprite.getFrame(i);
    const std::string frame_str = frame.getString();
    const std::size_t cells = frame.hasCodePoints() ? frame.getCodePoints().size() : frame_str.size();
    std::cout << "  frame " << i << ":\n";
    for (std::size_t row = 0; width > 0 && row + width <= cells; row += width) {
      if (frame.hasCodePoints()) {
        std::cout << "    |" << cellRow(sprite, frame, row, width) << "\x1b[0m|\n";
      } else {
        std::cout << "    |\x1b[" << 30 + sprite.getColor() << "m" << frame_str.substr(row, width) << "\x1b[0m|\n";
      }
    }
  }
}

// Writes the sprite as a file of cells; false (and said) when it cannot.
bool writeText(const wd::Sprite& sprite, const std::string& out_file) {
  std::string text;
  if (wd::RichSpriteWriter::write(sprite, &text) == -1) {
    std::cout << out_file << ": NOT WRITTEN: more colours than a palette has letters (" << wd::CellPalette::MAX_LETTERS
              << ")\n";
    return false;
  }
  std::ofstream out(out_file, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.good()) {
    std::cout << out_file << ": NOT WRITTEN: cannot write the file\n";
    return false;
  }
  std::cout << out_file << ": written as a file of cells\n";
  return true;
}

// Loads one file and reports on it, and writes it to out_file unless that
// is empty; true when it loaded (and was written).
bool checkFile(SpriteChecker* p_checker, LogCapture* p_log, const std::string& file, bool show,
               const std::string& out_file) {
  const std::string label = file;
  const bool loaded = p_checker->loadSprite(file, label) == 0;
  const std::vector<std::string> messages = p_log->newMessages();
  std::cout << file << ":\n";
  for (const std::string& message : messages) {
    std::cout << "  | " << message << "\n";
  }
  if (!loaded) {
    std::cout << file << ": FAILED: " << failureReason(messages) << "\n";
    return false;
  }
  const wd::Sprite* p_sprite = p_checker->getSprite(label);
  const int frame_count = p_sprite->getFrameCount();
  std::cout << file << ": OK: " << frame_count << (frame_count == 1 ? " frame" : " frames") << ", width "
            << p_sprite->getWidth() << ", height " << p_sprite->getHeight() << ", colour "
            << colorName(*p_sprite) << ", slowdown " << p_sprite->getSlowdown()
            << (p_sprite->getFrame(0).hasCellColors() ? ", colours per cell" : "") << "\n";
  if (show) {
    showFrames(*p_sprite);
  }
  const bool written = out_file.empty() || writeText(*p_sprite, out_file);
  p_checker->unloadSprite(label);
  return written;
}

int usage() {
  std::cerr << "usage: wendrel-spritecheck [--show] FILE...\n"
               "       wendrel-spritecheck [--show] --text OUT FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool show = false;
  std::string out_file;
  std::vector<std::string> files;
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--show") {
      show = true;
    } else if (arg == "--text" && i + 1 < argc) {
      out_file = argv[++i];
    } else if (arg == "--text") {
      return usage();
    } else if (arg == "--help" || arg == "-h") {
      usage();
      return 0;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty() || (!out_file.empty() && files.size() != 1)) {
    return usage();
  }
  LogCapture log;
  if (!log.isReady()) {
    std::cerr << "wendrel-spritecheck: cannot start the engine's log\n";
    return 2;
  }
  SpriteChecker checker;
  int failures = 0;
  for (const std::string& file : files) {
    if (!checkFile(&checker, &log, file, show, out_file)) {
      failures++;
    }
  }
  if (files.size() > 1) {
    std::cout << files.size() - static_cast<std::size_t>(failures) << " of " << files.size()
              << " sprite files load\n";
  }
  return failures == 0 ? 0 : 1;
}
