#ifndef WD_INPUT_REPLAY_H
#define WD_INPUT_REPLAY_H

#include <cstddef>
#include <functional>
#include <string>

#include "InputSession.h"
#include "RecordingReader.h"

namespace wd {

// How a replay is played: paced and drawn as the game was played, or as fast
// as the machine goes, with no pacing and nothing rasterised into the window.
enum ReplaySpeed : int {
  REPLAY_REAL_TIME = 0,
  REPLAY_FAST = 1,
};

// The exit status of a program whose replay differed from its recording.
const int REPLAY_MISMATCH_EXIT = 3;

// Plays a recording back: delivers its events on their frames and polls in
// place of the window's, and compares each frame's fingerprint with the
// recorded one. The first difference ends the program with a message naming
// the frame and REPLAY_MISMATCH_EXIT; the end of a recording that matched
// ends it with success, after the game's report.
class InputReplay : public InputSession {
 public:
  // Plays what reader read from path; report, when set, runs when the
  // replay has matched to its end.
  InputReplay(const std::string& path, const RecordingReader& reader,
              std::function<void()> report);

  bool takesWindowEvents() const override;
  void eventDelivered(const Event& event) override;
  bool nextEvent(RecordedEvent& event) override;
  void endPoll() override;
  void frameEnded(std::uint64_t fingerprint) override;

  // The game stops: 0 when it stopped on the frame the recording did, with
  // every event delivered; otherwise -1, with the reason printed.
  int finish() override;

  // Frames shown and fingerprints matched so far.
  int getFrame() const;
  int getMatched() const;

 private:
  // Checks the frame that has just ended: -1, with the reason printed, when
  // it differs from the recording.
  int checkFrame(std::uint64_t fingerprint);

  // Prints the reason the replay failed; always -1.
  int fail(const std::string& reason);

  // Prints the summary of a replay that matched and runs the report; 0.
  int succeed();

  // Stops the game manager and ends the program with status.
  void endProgram(int status);

  std::string path;
  std::vector<RecordedEvent> events;
  std::vector<RecordingReader::Fingerprint> fingerprints;
  int frame_count;
  bool has_end;
  std::function<void()> report;
  std::size_t next_event;
  std::size_t next_fingerprint;
  int frame;
  int poll;
  int matched;
  int result;  // 1 while the replay runs, then its 0 or -1
};

}  // namespace wd

#endif
