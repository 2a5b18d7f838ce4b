#include "GameResources.h"

#include "Music.h"
#include "ResourceManager.h"
#include "Sound.h"

std::string spriteFileOf(const std::string& label) { return "sprites/" + label + "-spr.txt"; }

wd::Animation loadAnimation(const std::string& filename, const std::string& label) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  resources.loadSprite(filename, label);
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
