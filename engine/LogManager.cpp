#include "LogManager.h"

#include <cstdarg>

namespace wd {

const char* const LOG_FILE_NAME = "wendrel.log";

namespace {

const char* const MESSAGE_PREFIX = " Message: ";

}  // namespace

// The log manager keeps the type "Manager" of its base.
LogManager::LogManager() : flush_each_write(false), p_log_file(nullptr) {}

LogManager::~LogManager() {
  if (p_log_file != nullptr) {
    std::fclose(p_log_file);
  }
}

LogManager& LogManager::getInstance() {
  static LogManager log_manager;
  return log_manager;
}

int LogManager::startUp() {
  if (p_log_file != nullptr) {
    std::fclose(p_log_file);
  }
  p_log_file = std::fopen(LOG_FILE_NAME, "w");
  if (p_log_file == nullptr) {
    return -1;
  }
  return Manager::startUp();
}

void LogManager::shutDown() {
  if (p_log_file != nullptr) {
    std::fclose(p_log_file);
    p_log_file = nullptr;
  }
  Manager::shutDown();
}

void LogManager::setFlushEachWrite(bool do_flush) { flush_each_write = do_flush; }

int LogManager::writeMessage(const char* fmt, ...) {
  if (p_log_file == nullptr) {
    return -1;
  }
  const int prefix_count = std::fputs(MESSAGE_PREFIX, p_log_file) < 0 ? -1 : 10;
  std::va_list args;
  va_start(args, fmt);
  const int text_count = std::vfprintf(p_log_file, fmt, args);
  va_end(args);
  if (flush_each_write) {
    std::fflush(p_log_file);
  }
  if (prefix_count < 0 || text_count < 0) {
    return -1;
  }
  return prefix_count + text_count;
}

}  // namespace wd
