#ifndef WD_SOUND_H
#define WD_SOUND_H

#include <string>

#include <SFML/Audio.hpp>

namespace wd {

// A sound effect loaded whole into memory, with a label.
class Sound {
 public:
  Sound();
  Sound& operator=(const Sound& other);

  void setLabel(std::string new_label);
  std::string getLabel() const;

  // Loads the whole file. 0 on success, -1 on failure.
  int loadSound(std::string filename);

  void play(bool loop = false);
  void stop();
  void pause();
  sf::Sound getSound() const;

 private:
  sf::Sound sound;
  sf::SoundBuffer sound_buffer;
  std::string label;
};

}  // namespace wd

#endif
