#include "Music.h"

namespace wd {

Music::Music() : label() {}

void Music::setLabel(std::string new_label) { label = new_label; }

std::string Music::getLabel() const { return label; }

int Music::loadMusic(std::string filename) {
  return stream().openFromFile(filename) ? 0 : -1;
}

void Music::play(bool loop) {
  if (p_music == nullptr || !audioDeviceOpen()) {
    return;
  }
  p_music->play();
  p_music->setLoop(loop);
}

void Music::stop() {
  if (p_music != nullptr && audioDeviceOpen()) {
    p_music->stop();
  }
}

void Music::pause() {
  if (p_music != nullptr && audioDeviceOpen()) {
    p_music->pause();
  }
}

sf::Music* Music::getMusic() { return &stream(); }

sf::Music& Music::stream() {
  if (p_music == nullptr) {
    p_music.reset(new sf::Music());
    noteMissingAudioDevice();
  }
  return *p_music;
}

}  // namespace wd
