#ifndef WD_LOG_MANAGER_H
#define WD_LOG_MANAGER_H

#include <cstdio>

#include "Manager.h"

namespace wd {

// The log file, opened in the working directory and truncated at every start.
extern const char* const LOG_FILE_NAME;

// Writes the engine's plain-text log: every message is the prefix
// " Message: " followed by the formatted text, with no line end added.
class LogManager : public Manager {
 public:
  static LogManager& getInstance();
  ~LogManager() override;

  // Opens the log file for writing. 0 on success, -1 when it cannot be opened.
  int startUp() override;

  // Closes the log file.
  void shutDown() override;

  void setFlushEachWrite(bool do_flush = true);

  // printf-style write. Returns the number of characters written, prefix
  // included, or -1 when nothing could be written.
  int writeMessage(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

 private:
  LogManager();

  bool flush_each_write;
  std::FILE* p_log_file;
};

}  // namespace wd

#endif
