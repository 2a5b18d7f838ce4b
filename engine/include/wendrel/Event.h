#ifndef WD_EVENT_H
#define WD_EVENT_H

#include <string>

namespace wd {

// Type carried by a plain event.
extern const std::string UNDEFINED_EVENT;

// Base of all events: identified by its type string only. Events are built on
// the stack by their sender and handed to handlers by pointer.
class Event {
 public:
  Event();
  virtual ~Event();

  std::string getType() const;
  void setType(std::string new_type);

 private:
  std::string event_type;
};

}  // namespace wd

#endif
