#ifndef BUNNY_GAME_RESOURCES_H
#define BUNNY_GAME_RESOURCES_H

#include <string>

#include "Animation.h"

// The file that holds the sprite of a label: "sprites/<label>-spr.txt".
std::string spriteFileOf(const std::string& label);

// A new animation of the sprite registered under a label. The file is read
// only while the label is not registered yet and has not failed to load
// before: the registry keeps every load as one more entry, and frames that
// load their sprites again would fill it and then log an error every time.
wd::Animation loadAnimation(const std::string& filename, const std::string& label);

// Loads a sound effect, plays it once and takes it out of the registry at
// once; a sound that cannot be loaded is skipped.
void playSoundOnce(const std::string& filename, const std::string& label);

// Loads a piece of music and plays it in a loop; skipped when it cannot be loaded.
void playMusicLoop(const std::string& filename, const std::string& label);

// Stops the music of that label and takes it out of the registry.
void stopMusic(const std::string& label);

#endif
