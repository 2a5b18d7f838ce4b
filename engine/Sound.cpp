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
    // Retried while no log is open, so the line is not lost.
    noted = LogManager::getInstance().writeMessage("No audio device: sound is off\n") > 0;
  }
}

Sound::Sound() : label() {}

Sound::Sound(const Sound& other) : Sound() { *this = other; }

Sound& Sound::operator=(const Sound& other) {
  if (this == &other) {
    return *this;
  }
  label = other.label;
  if (other.p_voice == nullptr) {
    p_voice.reset();
    return *this;
  }
  // Replacing the buffer detaches this voice from it, and copying the voice
  // binds it to other's buffer; bind it back to its own samples last.
  Voice& own = voice();
  own.sound_buffer = other.p_voice->sound_buffer;
  own.sound = other.p_voice->sound;
  own.sound.setBuffer(own.sound_buffer);
  return *this;
}

void Sound::setLabel(std::string new_label) { label = new_label; }

std::string Sound::getLabel() const { return label; }

int Sound::loadSound(std::string filename) {
  Voice& own = voice();
  if (!own.sound_buffer.loadFromFile(filename)) {
    return -1;
  }
  own.sound.setBuffer(own.sound_buffer);
  return 0;
}

void Sound::play(bool loop) {
  if (p_voice == nullptr || !audioDeviceOpen()) {
    return;
  }
  p_voice->sound.play();
  p_voice->sound.setLoop(loop);
}

void Sound::stop() {
  if (p_voice != nullptr && audioDeviceOpen()) {
    p_voice->sound.stop();
  }
}

void Sound::pause() {
  if (p_voice != nullptr && audioDeviceOpen()) {
    p_voice->sound.pause();
  }
}

sf::Sound Sound::getSound() const { return p_voice == nullptr ? sf::Sound() : p_voice->sound; }

Sound::Voice& Sound::voice() {
  if (p_voice == nullptr) {
    p_voice.reset(new Voice());
    noteMissingAudioDevice();
  }
  return *p_voice;
}

}  // namespace wd
