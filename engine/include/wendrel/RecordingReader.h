#ifndef WD_RECORDING_READER_H
#define WD_RECORDING_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "RecordedEvent.h"

namespace wd {

// The first word of a recording's first line, and the format version that
// follows it.
extern const char* const RECORDING_MAGIC;
const int RECORDING_FORMAT_VERSION = 1;

// Reads a recording of a game's input: a header ("wendrel-recording 1",
// then "game NAME"), then one line per event ("k FRAME POLL KEY ACTION",
// "m FRAME POLL ACTION BUTTON X Y"), per fingerprint ("f FRAME HASH", 16
// hexadecimal digits) and at last "end FRAMES". A recording without its end
// line, left by a game that crashed or was killed, ends with its last
// frame whose fingerprint it holds; what follows (the events of a frame that
// never ended, a line cut short) is dropped.
class RecordingReader {
 public:
  // The hash recorded for one frame.
  struct Fingerprint {
    int frame;
    std::uint64_t value;
  };

  RecordingReader();

  // Reads the recording of game_name in file path: 0, or -1 with the
  // reason, naming the file and the line, in getError().
  int readFile(const std::string& path, const std::string& game_name);

  // The same for the text of a recording called path.
  int readText(const std::string& path, const std::string& text, const std::string& game_name);

  const std::string& getError() const;
  const std::vector<RecordedEvent>& getEvents() const;
  const std::vector<Fingerprint>& getFingerprints() const;

  // The frames the recording covers: those shown before the game stopped,
  // or those up to the last one with a fingerprint.
  int getFrameCount() const;

  // Whether the recording ends with its end line (the game stopped).
  bool hasEnd() const;

 private:
  // Forgets everything read before.
  void clear();

  // Checks the two header lines.
  int readHeader(const std::string& line, int line_number, const std::string& game_name);

  // Reads one body line.
  int readBodyLine(const std::string& line);
  int readKeyboardEvent(const std::vector<std::string>& words);
  int readMouseEvent(const std::vector<std::string>& words);
  int readFingerprint(const std::vector<std::string>& words);
  int readEnd(const std::vector<std::string>& words);

  // Takes an event if it comes in order, in a frame not yet ended.
  int addEvent(const RecordedEvent& event);

  // Sets the error for line_number of the file; always -1.
  int refuse(int line_number, const std::string& reason);

  // The frames of a recording without an end line, and their events only.
  void endAtLastFingerprint();

  std::string path;
  std::string error;
  std::vector<RecordedEvent> events;
  std::vector<Fingerprint> fingerprints;
  int next_frame;  // the first frame not yet ended
  int frame_count;
  bool has_end;
  int line_number;
};

}  // namespace wd

#endif
