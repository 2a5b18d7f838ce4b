#ifndef WD_MUSIC_H
#define WD_MUSIC_H

#include <string>

#include <SFML/Audio.hpp>

#include "Sound.h"

namespace wd {

// A piece of music streamed from its file while it plays, with a label.
// SFML music cannot be copied or moved, so neither can this.
class Music {
 public:
  // Nothing opened, an empty label.
  Music();

  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  // Sets the label by which the resource manager finds the music.
  void setLabel(std::string new_label);

  // The label.
  std::string getLabel() const;

  // Opens the file for streaming, stopping what this entry played before.
  // 0 on success, -1 on failure.
  int loadMusic(std::string filename);

  // Starts playback, repeating the piece when loop is true.
  // Does nothing without an audio device.
  void play(bool loop = true);

  // Stops playback and rewinds.
  void stop();

  // Pauses playback; play resumes it.
  void pause();

  // The streamed piece itself.
  sf::Music* getMusic();

 private:
  sf::Music music;
  std::string label;
};

}  // namespace wd

#endif
