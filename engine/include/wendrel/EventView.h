#ifndef WD_EVENT_VIEW_H
#define WD_EVENT_VIEW_H

#include "Event.h"

namespace wd {

// Changes the value of the view objects whose caption equals the tag: adds
// the value when delta is set, replaces it otherwise.
class EventView : public Event {
 public:
  EventView(std::string new_tag, int new_value, bool new_delta);

  std::string getTag() const;
  void setTag(std::string new_tag);
  int getValue() const;
  void setValue(int new_value);
  bool getDelta() const;
  void setDelta(bool new_delta);

 private:
  std::string tag;
  int value;
  bool delta;
};

}  // namespace wd

#endif
