// What the benchmark programs share: finding the source tree's assets.
#ifndef WD_BENCH_SUPPORT_H
#define WD_BENCH_SUPPORT_H

#include <filesystem>
#include <string>

#include "DisplayManager.h"

namespace wd_bench {

// The source tree, from where this file was compiled.
inline std::string sourceDir() {
  return std::filesystem::path(__FILE__).parent_path().parent_path().string();
}

// Copies the engine's font into the working directory unless it is there.
inline bool installFont() {
  std::error_code error;
  return std::filesystem::exists(wd::FONT_FILE) ||
         std::filesystem::copy_file(sourceDir() + "/assets/wd-font.ttf", wd::FONT_FILE, error);
}

}  // namespace wd_bench

#endif
