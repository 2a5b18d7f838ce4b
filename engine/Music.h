#ifndef WD_MUSIC_H
#define WD_MUSIC_H

#include <string>

#include <SFML/Audio.hpp>

namespace wd {

// A piece of music streamed from its file, with a label.
class Music {
 public:
  Music();
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  void setLabel(std::string new_label);
  std::string getLabel() const;

  // Opens the file for streaming. 0 on success, -1 on failure.
  int loadMusic(std::string filename);

  void play(bool loop = true);
  void stop();
  void pause();
  sf::Music* getMusic();

 private:
  sf::Music music;
  std::string label;
};

}  // namespace wd

#endif
