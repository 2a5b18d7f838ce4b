#include "ResourceManager.h"

#include <algorithm>

#include <SFML/System/Err.hpp>

#include "LogManager.h"

namespace wd {

ResourceManager::ResourceManager() : sound_count(0), music_count(0) {
  setType("ResourceManager");
  // The audio objects complain to SFML's error stream when destroyed without
  // a device. Made first, that stream is destroyed only after this manager.
  sf::err();
  for (int i = 0; i < MAX_MUSIC; i++) {
    music_slot[i] = i;
  }
}

ResourceManager& ResourceManager::getInstance() {
  static ResourceManager resource_manager;
  return resource_manager;
}

// Loaded resources outlive a stop and start: the program entry restarts this
// manager before every start screen and the registries keep what was loaded.
int ResourceManager::startUp() { return Manager::startUp(); }

void ResourceManager::shutDown() { Manager::shutDown(); }

int ResourceManager::loadSound(std::string filename, std::string label) {
  if (sound_count == MAX_SOUNDS) {
    LogManager::getInstance().writeMessage("Sound Array Full");
    return -1;
  }
  Sound& free_sound = tables().sound[sound_count];
  if (free_sound.loadSound(filename) != 0) {
    LogManager::getInstance().writeMessage("Unable To Load From File");
    return -1;
  }
  free_sound.setLabel(label);
  sound_count++;
  return 0;
}

int ResourceManager::loadMusic(std::string filename, std::string label) {
  if (music_count == MAX_MUSIC) {
    LogManager::getInstance().writeMessage("Music Array Full");
    return -1;
  }
  Music& free_music = tables().music[music_slot[music_count]];
  if (free_music.loadMusic(filename) != 0) {
    LogManager::getInstance().writeMessage("Unable To Load From File");
    return -1;
  }
  free_music.setLabel(label);
  music_count++;
  return 0;
}

int ResourceManager::findSound(const std::string& label) const {
  for (int i = 0; i < sound_count; i++) {
    if (p_tables->sound[i].getLabel() == label) {
      return i;
    }
  }
  return -1;
}

int ResourceManager::findMusic(const std::string& label) const {
  for (int i = 0; i < music_count; i++) {
    if (p_tables->music[music_slot[i]].getLabel() == label) {
      return i;
    }
  }
  return -1;
}

Sound* ResourceManager::getSound(std::string label) {
  const int index = findSound(label);
  return index < 0 ? nullptr : &p_tables->sound[index];
}

Music* ResourceManager::getMusic(std::string label) {
  const int position = findMusic(label);
  return position < 0 ? nullptr : &p_tables->music[music_slot[position]];
}

int ResourceManager::unloadSound(std::string label) {
  const int index = findSound(label);
  if (index < 0) {
    return -1;
  }
  for (int j = index; j < sound_count - 1; j++) {
    p_tables->sound[j] = p_tables->sound[j + 1];
  }
  sound_count--;
  return 0;
}

int ResourceManager::unloadMusic(std::string label) {
  const int position = findMusic(label);
  if (position < 0) {
    return -1;
  }
  // The freed slot goes to the back of the free ones, to be reused last.
  std::rotate(music_slot + position, music_slot + position + 1, music_slot + MAX_MUSIC);
  music_count--;
  return 0;
}

ResourceManager::AudioTables& ResourceManager::tables() {
  if (p_tables == nullptr) {
    p_tables.reset(new AudioTables());
    noteMissingAudioDevice();
  }
  return *p_tables;
}

}  // namespace wd
