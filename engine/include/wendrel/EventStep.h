#ifndef WD_EVENT_STEP_H
#define WD_EVENT_STEP_H

#include "Event.h"

namespace wd {

extern const std::string STEP_EVENT;

// Sent to every object once a frame by the game's frame loop.
class EventStep : public Event {
 public:
  EventStep();

  int getStepCount() const;
  void setStepCount(int new_step_count);

 private:
  int step_count;
};

}  // namespace wd

#endif
