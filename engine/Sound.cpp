#include "Sound.h"

#include <AL/alc.h>

#include "LogManager.h"

namespace wd {

// SFML makes the context of the device it opened current for the whole
// process, and leaves none when no device could be opened.
bool audioDeviceOpen() { return alcGetCurrentContext() != nullptr; }

void noteMissingAudioDevice() {
  static bool noted = false;
  if (!noted && !audioDeviceOpen()) {
    // Tried again while no log is open, so that the line is not lost.
    noted = LogManager::getInstance().writeMessage("No audio device: sound is off\n") > 0;
  }
}

Sound::Sound() : label() {}

Sound::Sound(const Sound& other) : Sound() { *this = other; }

Sound& Sound::operator=(const Sound& other) {
  if (this == &other) {
    return *this;
  }
  // Replacing the buffer detaches this voice from it, and copying the voice
  // binds it to other's buffer; bind it back to its own samples last.
  sound_buffer = other.sound_buffer;
  sound = other.sound;
  sound.setBuffer(sound_buffer);
  label = other.label;
  return *this;
}

void Sound::setLabel(std::string new_label) { label = new_label; }

std::string Sound::getLabel() const { return label; }

int Sound::loadSound(std::string filename) {
  if (!sound_buffer.loadFromFile(filename)) {
    return -1;
  }
  sound.setBuffer(sound_buffer);
  return 0;
}

void Sound::play(bool loop) {
  if (!audioDeviceOpen()) {
    return;
  }
  // Looping is set first: a short file may be played to its end before a later setLoop.
  sound.setLoop(loop);
  sound.play();
}

void Sound::stop() {
  if (audioDeviceOpen()) {
    sound.stop();
  }
}

void Sound::pause() {
  if (audioDeviceOpen()) {
    sound.pause();
  }
}

sf::Sound Sound::getSound() const { return sound; }

}  // namespace wd
