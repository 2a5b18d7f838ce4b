#include "EventOut.h"

namespace wd {

EventOut::EventOut() { setType("OUT_EVENT"); }

}  // namespace wd
