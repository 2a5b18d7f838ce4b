#ifndef WD_SOUND_H
#define WD_SOUND_H

#include <string>

#include <SFML/Audio.hpp>

namespace wd {

// True while the audio library has a working output device. SFML opens it
// with the first audio object and keeps it while any exists. Without one,
// playback calls are skipped: SFML would report every one of them, and a
// streaming piece would spin on restarting a source that never plays.
bool audioDeviceOpen();

// Writes "No audio device: sound is off" to the log, once per program, when
// the audio library, which tries to open a device with its first object,
// found none.
void noteMissingAudioDevice();

// A sound effect loaded whole into memory, with a label. Every Sound plays
// its own buffer: copies and assignments copy the samples, never share them.
class Sound {
 public:
  // An empty buffer and an empty label.
  Sound();

  // A copy playing its own copy of other's samples.
  Sound(const Sound& other);

  // Copies the samples, the label and the voice's settings (looping and the
  // rest); the voice then plays this entry's own buffer, so a later load into
  // other leaves this one sounding as it did. Stops this entry's voice.
  Sound& operator=(const Sound& other);

  // Sets the label by which the resource manager finds the sound.
  void setLabel(std::string new_label);

  // The label.
  std::string getLabel() const;

  // Loads the whole file into the buffer and plays it from then on.
  // 0 on success; -1 on failure, leaving buffer and voice as they were.
  int loadSound(std::string filename);

  // Starts playback from the start, repeating it when loop is true.
  // Does nothing without an audio device.
  void play(bool loop = false);

  // Stops playback and rewinds.
  void stop();

  // Pauses playback; play resumes it.
  void pause();

  // A copy of the voice (it plays this entry's buffer).
  sf::Sound getSound() const;

 private:
  sf::Sound sound;
  sf::SoundBuffer sound_buffer;
  std::string label;
};

}  // namespace wd

#endif
