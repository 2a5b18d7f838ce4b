#ifndef WD_EVENT_OUT_H
#define WD_EVENT_OUT_H

#include "Event.h"

namespace wd {

// Sent to an object that has just left the world boundary.
class EventOut : public Event {
 public:
  EventOut();
};

}  // namespace wd

#endif
