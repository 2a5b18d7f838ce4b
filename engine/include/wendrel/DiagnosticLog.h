#ifndef WD_DIAGNOSTIC_LOG_H
#define WD_DIAGNOSTIC_LOG_H

#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>

namespace wd {

// At most this many different messages of one source are written to the log.
const int MAX_DIAGNOSTIC_MESSAGES = 32;

// Messages longer than this many characters are cut.
const int MAX_DIAGNOSTIC_LENGTH = 300;

// Takes over a library's diagnostic stream (SFML's sf::err(), say) and
// writes what it says to the log instead of the terminal, one line per
// message: "<source>: <text>", whitespace runs folded to one blank. A message
// ends where the library flushes (std::endl). A message said before is only
// counted; reportRepeats writes the counts. Once MAX_DIAGNOSTIC_MESSAGES
// different messages are known, new ones are only counted too, so both the
// memory held and the lines written stay bounded however long a program runs.
class DiagnosticLog : public std::streambuf {
 public:
  // Sends everything target writes here until this object is destroyed.
  DiagnosticLog(const std::string& new_source, std::ostream& target);

  // Gives the stream its own buffer back, unless someone replaced this one.
  ~DiagnosticLog() override;

  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  // Writes "<source>, N more times: <text>" ("1 more time") for each message repeated since
  // the last report, and how many new messages were left out; then starts
  // counting afresh.
  void reportRepeats();

 protected:
  int_type overflow(int_type ch) override;
  std::streamsize xsputn(const char* p_text, std::streamsize count) override;
  int sync() override;

 private:
  struct Entry {
    std::string text;
    long repeats;
  };

  // Adds one character to the message being collected.
  void take(char ch);

  // Logs or counts the message collected so far and starts a new one.
  void endMessage();

  std::string source;
  std::ostream& stream;
  std::streambuf* p_previous;
  std::mutex mutex;
  std::string pending;
  bool blank_pending;
  Entry entries[MAX_DIAGNOSTIC_MESSAGES];
  int entry_count;
  long left_out;
};

}  // namespace wd

#endif
