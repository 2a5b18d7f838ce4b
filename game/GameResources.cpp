#include "GameResources.h"

#include <set>

#include "Music.h"
#include "ResourceManager.h"
#include "Sound.h"

std::string spriteFileOf(const std::string& label) { return "sprites/" + label + "-spr.txt"; }

namespace {

// Labels whose file failed to load: the loader has said why once already.
std::set<std::string>& failedSpriteLabels() {
  static std::set<std::string> labels;
  return labels;
}

}  // namespace

wd::Animation loadAnimation(const std::string& filename, const std::string& label) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  if (resources.getSprite(label) == nullptr && failedSpriteLabels().count(label) == 0 &&
      resources.loadSprite(filename, label) != 0) {
    failedSpriteLabels().insert(label);
  }
  wd::Animation animation;
  animation.setSprite(resources.getSprite(label));
  return animation;
}

void playSoundOnce(const std::string& filename, const std::string& label) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  resources.loadSound(filename, label);
  wd::Sound* p_sound = resources.getSound(label);
  if (p_sound != nullptr) {
    p_sound->play(false);
  }
  resources.unloadSound(label);
}

void playMusicLoop(const std::string& filename, const std::string& label) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  resources.loadMusic(filename, label);
  wd::Music* p_music = resources.getMusic(label);
  if (p_music != nullptr) {
    p_music->play(true);
  }
}

void stopMusic(const std::string& label) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  wd::Music* p_music = resources.getMusic(label);
  if (p_music != nullptr) {
    p_music->stop();
  }
  resources.unloadMusic(label);
}
