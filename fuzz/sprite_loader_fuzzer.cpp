// Feeds arbitrary bytes to the sprite loader as a sprite file. Besides the
// sanitizers' checks, a loaded sprite must be exactly what its header says.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Animation.h"
#include "LogManager.h"
#include "Sprite.h"
#include "SpriteResourceManager.h"

namespace {

const char* const SPRITE_FILE = "fuzz-spr.txt";
const char* const LABEL = "fuzz";

class Registry : public wd::SpriteResourceManager {
 public:
  Registry() = default;
};

std::string work_folder;

void removeWorkFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(work_folder, ignored);
}

// Every frame holds width x height characters, and drawing and playing the
// sprite (past its last frame, too) stays within it.
void checkLoadedSprite(wd::Sprite* p_sprite) {
  const long long cells = static_cast<long long>(p_sprite->getWidth()) * p_sprite->getHeight();
  if (p_sprite->getFrameCount() < 1 || cells < 1) {
    std::abort();
  }
  for (int i = 0; i < p_sprite->getFrameCount(); i++) {
    const wd::Frame frame = p_sprite->getFrame(i);
    if (static_cast<long long>(frame.getString().size()) != cells ||
        frame.getWidth() != p_sprite->getWidth() || frame.getHeight() != p_sprite->getHeight()) {
      std::abort();
    }
  }
  wd::Animation animation;
  animation.setSprite(p_sprite);
  for (int i = 0; i <= p_sprite->getFrameCount(); i++) {
    animation.draw(wd::Vector(3.0f, 4.0f));
    if (animation.getIndex() < 0 || animation.getIndex() >= p_sprite->getFrameCount()) {
      std::abort();
    }
  }
  animation.getBox();
}

}  // namespace

// Runs in a folder of its own whose log goes to /dev/null: the messages are
// still formatted (format faults show) but millions of runs fill no disk.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/wendrel-fuzz-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::abort();
  }
  work_folder = pattern;
  std::atexit(removeWorkFolder);
  std::filesystem::current_path(work_folder);
  std::filesystem::create_symlink("/dev/null", wd::LOG_FILE_NAME);
  if (wd::LogManager::getInstance().startUp() != 0) {
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Registry registry;
  {
    std::ofstream out(SPRITE_FILE, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  if (registry.loadSprite(SPRITE_FILE, LABEL) == 0) {
    wd::Sprite* p_sprite = registry.getSprite(LABEL);
    if (p_sprite == nullptr) {
      std::abort();
    }
    checkLoadedSprite(p_sprite);
    if (registry.unloadSprite(LABEL) != 0 || registry.getSprite(LABEL) != nullptr) {
      std::abort();
    }
  } else if (registry.getSprite(LABEL) != nullptr) {
    // A failed load must leave nothing behind.
    std::abort();
  }
  return 0;
}
