// Feeds arbitrary bytes to the sprite loader as a sprite file, and as a
// REXPaint picture both as they are and gzip-packed (so that the fuzzer
// reaches the picture's layout behind the stream). Besides the sanitizers'
// checks, a loaded sprite must be exactly what its header says.
#include <unistd.h>
#include <zlib.h>

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
const char* const RAW_XP_FILE = "fuzz-raw.xp";
const char* const PACKED_XP_FILE = "fuzz-packed.xp";
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

// The cells a frame holds: its bytes, or its code points.
long long cellsOf(const wd::Frame& frame) {
  return static_cast<long long>(frame.hasCodePoints() ? frame.getCodePoints().size() : frame.getString().size());
}

// Every frame holds width x height cells (and colours for each, if any), and
// drawing and playing the sprite (past its last frame, too) stays within it.
void checkLoadedSprite(wd::Sprite* p_sprite) {
  const long long cells = static_cast<long long>(p_sprite->getWidth()) * p_sprite->getHeight();
  if (p_sprite->getFrameCount() < 1 || cells < 1) {
    std::abort();
  }
  for (int i = 0; i < p_sprite->getFrameCount(); i++) {
    const wd::Frame frame = p_sprite->getFrame(i);
    if (cellsOf(frame) != cells || frame.getWidth() != p_sprite->getWidth() ||
        frame.getHeight() != p_sprite->getHeight()) {
      std::abort();
    }
    if (frame.hasCellColors() && (static_cast<long long>(frame.getForeground().size()) != cells ||
                                  static_cast<long long>(frame.getBackground().size()) != cells)) {
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

namespace {

void writeFile(const char* name, const uint8_t* data, size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writePacked(const char* name, const uint8_t* data, size_t size) {
  gzFile file = gzopen(name, "wb1");
  if (file == nullptr) {
    std::abort();
  }
  if (size > 0) {
    gzwrite(file, data, static_cast<unsigned>(size));
  }
  gzclose(file);
}

// Loads one file, checks what it gave, and unloads it.
void loadAndCheck(Registry* p_registry, const char* file) {
  Registry& registry = *p_registry;
  if (registry.loadSprite(file, LABEL) == 0) {
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Registry registry;
  writeFile(SPRITE_FILE, data, size);
  loadAndCheck(&registry, SPRITE_FILE);
  writeFile(RAW_XP_FILE, data, size);
  loadAndCheck(&registry, RAW_XP_FILE);
  writePacked(PACKED_XP_FILE, data, size);
  loadAndCheck(&registry, PACKED_XP_FILE);
  return 0;
}
