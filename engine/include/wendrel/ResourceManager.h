#ifndef WD_RESOURCE_MANAGER_H
#define WD_RESOURCE_MANAGER_H

#include <memory>
#include <string>

#include "Music.h"
#include "Sound.h"
#include "SpriteResourceManager.h"

namespace wd {

const int MAX_SOUNDS = 10;
const int MAX_MUSIC = 10;

// The one registry of sprites, sound effects and music, each found by label.
// Pointers handed out stay valid for the life of the program, but may come
// to denote another entry after an unload or a later load.
class ResourceManager : public SpriteResourceManager {
 public:
  // The single instance, created on the first call.
  static ResourceManager& getInstance();

  // Marks the manager started; everything loaded stays loaded. Returns 0.
  int startUp() override;

  // Marks the manager stopped; everything loaded stays loaded.
  void shutDown() override;

  // Loads a sound effect under label. 0, or -1 when the table is full or
  // the file cannot be loaded (both logged).
  int loadSound(std::string filename, std::string label);

  // Opens a piece of music under label. 0, or -1 when the table is full or
  // the file cannot be opened (both logged).
  int loadMusic(std::string filename, std::string label);

  // The first loaded sound with this label, or null.
  Sound* getSound(std::string label);

  // The first loaded music with this label, or null.
  Music* getMusic(std::string label);

  // Takes the first sound with this label out of the table, moving the
  // later ones down. It is not stopped. 0, or -1 when the label is unknown.
  int unloadSound(std::string label);

  // Takes the first music with this label out of the table. It is neither
  // stopped nor closed. 0, or -1 when the label is unknown.
  int unloadMusic(std::string label);

 private:
  ResourceManager();

  // Index of the first loaded sound with this label, or -1.
  int findSound(const std::string& label) const;

  // Position in music_slot of the first loaded music with this label, or -1.
  int findMusic(const std::string& label) const;

  // Both tables, made by the first load: the audio library opens its device
  // with its first object, and a program that loads no sound (one that found
  // no display, say) must not touch the audio drivers at all. Music cannot be
  // moved, so its entries stay in their slots.
  struct AudioTables {
    Sound sound[MAX_SOUNDS];
    Music music[MAX_MUSIC];
  };

  // The tables, made on first use.
  AudioTables& tables();

  std::unique_ptr<AudioTables> p_tables;
  int sound_count;

  // Every music slot once: the first music_count in loading order, the rest
  // free, the one freed longest ago first, so that a piece left playing
  // after its unload plays on for as long as possible.
  int music_slot[MAX_MUSIC];
  int music_count;
};

}  // namespace wd

#endif
