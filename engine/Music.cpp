#include "Music.h"

namespace wd {

Music::Music() : label() {}

void Music::setLabel(std::string new_label) { label = new_label; }

std::string Music::getLabel() const { return label; }

int Music::loadMusic(std::string filename) {
  return music.openFromFile(filename) ? 0 : -1;
}

void Music::play(bool loop) {
  if (!audioDeviceOpen()) {
    return;
  }
  // Looping is set first: a short file may be played to its end before a later setLoop.
  music.setLoop(loop);
  music.play();
}

void Music::stop() {
  if (audioDeviceOpen()) {
    music.stop();
  }
}

void Music::pause() {
  if (audioDeviceOpen()) {
    music.pause();
  }
}

sf::Music* Music::getMusic() { return &music; }

}  // namespace wd
