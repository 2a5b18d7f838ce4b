#ifndef WD_RESOURCE_MANAGER_H
#define WD_RESOURCE_MANAGER_H

#include <string>

#include "Music.h"
#include "Sound.h"
#include "SpriteResourceManager.h"

namespace wd {

const int MAX_SOUNDS = 10;
const int MAX_MUSIC = 10;

// The one registry of sprites, sound effects and music, each found by label.
class ResourceManager : public SpriteResourceManager {
 public:
  static ResourceManager& getInstance();

  // Marks the manager started; everything loaded stays loaded. Returns 0.
  int startUp() override;

  // Marks the manager stopped; everything loaded stays loaded.
  void shutDown() override;

  int loadSound(std::string filename, std::string label);
  int loadMusic(std::string filename, std::string label);
  Sound* getSound(std::string label);
  Music* getMusic(std::string label);
  int unloadSound(std::string label);
  int unloadMusic(std::string label);

 private:
  ResourceManager();

  Sound sound[MAX_SOUNDS];
  int sound_count;
  Music music[MAX_MUSIC];
  int music_count;
};

}  // namespace wd

#endif
