#ifndef WD_INPUT_RECORDER_H
#define WD_INPUT_RECORDER_H

#include <cstdio>
#include <string>

#include "InputSession.h"

namespace wd {

// Writes a recording of a game (read by RecordingReader): every keyboard and
// mouse event the input manager delivers, with its frame and poll, and the
// fingerprint of every frame. Each frame's lines reach the file as the frame
// is shown, so a game that crashes or is killed leaves a recording of all
// the frames it showed.
class InputRecorder : public InputSession {
 public:
  InputRecorder();
  ~InputRecorder() override;

  // Creates file path (replacing it) and writes the header naming game_name:
  // 0, or -1 when the file cannot be written.
  int open(const std::string& path, const std::string& game_name);

  bool takesWindowEvents() const override;
  void eventDelivered(const Event& event) override;
  bool nextEvent(RecordedEvent& event) override;
  void endPoll() override;
  void frameEnded(std::uint64_t fingerprint) override;

  // Writes the end line with the frames shown and closes the file: 0, or
  // -1 when something could not be written.
  int finish() override;

  // Frames shown since the recording began.
  int getFrame() const;

 private:
  // Hands the lines waiting to the file, and the file's buffer to the system.
  int writePending();

  std::string path;
  std::FILE* p_file;
  std::string pending;
  int frame;
  int poll;
  bool write_failed;
};

}  // namespace wd

#endif
