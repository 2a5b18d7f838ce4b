#include "DiagnosticLog.h"

#include <cctype>

#include "LogManager.h"

namespace wd {

namespace {

const char* plural(long count) { return count == 1 ? "" : "s"; }

}  // namespace

DiagnosticLog::DiagnosticLog(const std::string& new_source, std::ostream& target)
    : source(new_source),
      stream(target),
      p_previous(target.rdbuf(this)),
      blank_pending(false),
      entries(),
      entry_count(0),
      left_out(0) {}

DiagnosticLog::~DiagnosticLog() {
  if (stream.rdbuf() == this) {
    stream.rdbuf(p_previous);
  }
}

void DiagnosticLog::reportRepeats() {
  const std::lock_guard<std::mutex> lock(mutex);
  LogManager& log_manager = LogManager::getInstance();
  for (int i = 0; i < entry_count; i++) {
    if (entries[i].repeats > 0) {
      log_manager.writeMessage("%s, %ld more time%s: %s\n", source.c_str(), entries[i].repeats,
                               plural(entries[i].repeats), entries[i].text.c_str());
      entries[i].repeats = 0;
    }
  }
  if (left_out > 0) {
    log_manager.writeMessage("%s: %ld more message%s left out\n", source.c_str(), left_out,
                             plural(left_out));
    left_out = 0;
  }
}

DiagnosticLog::int_type DiagnosticLog::overflow(int_type ch) {
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    const std::lock_guard<std::mutex> lock(mutex);
    take(traits_type::to_char_type(ch));
  }
  return traits_type::not_eof(ch);
}

std::streamsize DiagnosticLog::xsputn(const char* p_text, std::streamsize count) {
  const std::lock_guard<std::mutex> lock(mutex);
  for (std::streamsize i = 0; i < count; i++) {
    take(p_text[i]);
  }
  return count;
}

int DiagnosticLog::sync() {
  const std::lock_guard<std::mutex> lock(mutex);
  endMessage();
  return 0;
}

void DiagnosticLog::take(char ch) {
  if (std::isspace(static_cast<unsigned char>(ch))) {
    blank_pending = !pending.empty();
    return;
  }
  if (blank_pending) {
    pending += ' ';
    blank_pending = false;
  }
  pending += ch;
  // A library that never flushes still gets its text logged, in pieces.
  if (pending.size() >= static_cast<std::size_t>(MAX_DIAGNOSTIC_LENGTH)) {
    endMessage();
  }
}

void DiagnosticLog::endMessage() {
  blank_pending = false;
  if (pending.empty()) {
    return;
  }
  for (int i = 0; i < entry_count; i++) {
    if (entries[i].text == pending) {
      entries[i].repeats++;
      pending.clear();
      return;
    }
  }
  if (entry_count == MAX_DIAGNOSTIC_MESSAGES) {
    left_out++;
  } else {
    LogManager::getInstance().writeMessage("%s: %s\n", source.c_str(), pending.c_str());
    entries[entry_count++] = Entry{pending, 0};
  }
  pending.clear();
}

}  // namespace wd
