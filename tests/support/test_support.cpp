#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <X11/Xlib.h>

#include "LogManager.h"

namespace wd_test {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, const std::string& text) {
  const std::filesystem::path file(path);
  if (file.has_parent_path()) {
    std::filesystem::create_directories(file.parent_path());
  }
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string readLog() { return readFile(wd::LOG_FILE_NAME); }

void restartLog() {
  wd::LogManager& log_manager = wd::LogManager::getInstance();
  log_manager.shutDown();
  log_manager.startUp();
  log_manager.setFlushEachWrite(true);
}

bool displayAvailable() {
  Display* p_display = XOpenDisplay(nullptr);
  if (p_display == nullptr) {
    return false;
  }
  XCloseDisplay(p_display);
  return true;
}

std::string sourceDir() {
  const char* p_dir = std::getenv("WD_SOURCE_DIR");
  return p_dir != nullptr ? p_dir : ".";
}

}  // namespace wd_test
