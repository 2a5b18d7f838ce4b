#include "DisplayProbe.h"

#include "platform.h"

#ifdef WD_USE_X11
// Xlib defines macros (None, Status, Bool, ...) that clash with other headers,
// so it comes last.
#include <X11/Xlib.h>
#endif

namespace wd {

DisplayProbe::DisplayProbe() : p_connection(nullptr) {}

DisplayProbe::~DisplayProbe() { release(); }

#ifdef WD_USE_X11

int DisplayProbe::connect() {
  release();
  // A server that has just lost its last client resets and refuses new
  // clients for a moment, so a refusal is retried for about half a second.
  const int ATTEMPTS = 20;
  for (int attempt = 1;; attempt++) {
    p_connection = XOpenDisplay(nullptr);
    if (p_connection != nullptr) {
      return 0;
    }
    if (attempt == ATTEMPTS) {
      return -1;
    }
    platform::sleepMilliseconds(25);
  }
}

void DisplayProbe::release() {
  if (p_connection != nullptr) {
    XCloseDisplay(static_cast<Display*>(p_connection));
    p_connection = nullptr;
  }
}

const char* DisplayProbe::displayName() const { return XDisplayName(nullptr); }

#else

int DisplayProbe::connect() { return 0; }

void DisplayProbe::release() {}

const char* DisplayProbe::displayName() const { return ""; }

#endif

}  // namespace wd
