#ifndef WD_INPUT_SESSION_H
#define WD_INPUT_SESSION_H

#include "FrameListener.h"
#include "RecordedEvent.h"

namespace wd {

class Event;

// What records or replays a game's input: the input manager asks it about
// every event and every poll of the window, the frame fingerprint tells it
// of every frame, and the game manager ends it when the game stops.
class InputSession : public FrameListener {
 public:
  ~InputSession() override {}

  // Whether the window's own events reach the game.
  virtual bool takesWindowEvents() const = 0;

  // The input manager has just delivered this keyboard or mouse event.
  virtual void eventDelivered(const Event& event) = 0;

  // The next event to deliver in the current poll of the window, if any.
  virtual bool nextEvent(RecordedEvent& event) = 0;

  // One poll of the window is over.
  virtual void endPoll() = 0;

  // The game stops: 0, or -1 when the session found the run wrong.
  virtual int finish() = 0;
};

}  // namespace wd

#endif
