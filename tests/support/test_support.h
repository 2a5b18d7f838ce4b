#ifndef WD_TEST_SUPPORT_H
#define WD_TEST_SUPPORT_H

#include <string>

namespace wd_test {

// The whole content of a file, or "" when it cannot be read.
std::string readFile(const std::string& path);

// Writes text to a file, creating folders on the way.
void writeFile(const std::string& path, const std::string& text);

// The log written so far, as "wendrel.log" holds it (see restartLog).
std::string readLog();

// Restarts the log manager with flushing on, so that the log file holds
// exactly what is written from now on.
void restartLog();

// True when an X server answers on $DISPLAY.
bool displayAvailable();

// The source tree (from WD_SOURCE_DIR, set by the test runner), for assets.
std::string sourceDir();

}  // namespace wd_test

#endif
