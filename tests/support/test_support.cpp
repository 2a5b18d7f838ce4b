#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <X11/Xlib.h>
#include <dlfcn.h>

#include "LogManager.h"

namespace wd_test {

namespace {

// The software GL driver allocates memory it never frees and is unloaded
// before the leak check runs, which leaves its leaks without a module name
// that the suppression list could match. Keeping it loaded for the whole run
// lets the list name it.
bool keepSoftwareGlDriverLoaded() {
  for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                           "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
                           "/usr/lib64/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
    if (dlopen(path, RTLD_NOW | RTLD_NODELETE) != nullptr) {
      return true;
    }
  }
  return false;
}

const bool software_gl_driver_kept = keepSoftwareGlDriverLoaded();

}  // namespace

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
