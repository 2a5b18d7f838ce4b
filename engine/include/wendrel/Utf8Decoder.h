#ifndef WD_UTF8_DECODER_H
#define WD_UTF8_DECODER_H

#include <cstddef>
#include <string>

namespace wd {

// One step through a UTF-8 string: a character of a well-formed sequence,
// or a single byte that does not start one.
struct Utf8Char {
  // The character; for a byte that is not UTF-8, the byte's value.
  char32_t code_point;
  // Bytes the step took from the string: 1 to 4.
  int length;
  // False for a lone byte that is not (or not the start of) a well-formed sequence.
  bool valid;
};

// Walks a string of UTF-8 a character at a time. Overlong forms, surrogates,
// code points above U+10FFFF and sequences cut short are not characters:
// each of their bytes is a step of its own, marked invalid, so a string of
// arbitrary bytes is walked to its end, one cell per step.
class Utf8Decoder {
 public:
  explicit Utf8Decoder(const std::string& text);

  // Whether every byte has been taken.
  bool atEnd() const;

  // The next character or invalid byte; call only before the end.
  Utf8Char next();

  // Decodes the step that starts at text[offset], offset < text.size().
  static Utf8Char decodeAt(const std::string& text, std::size_t offset);

  // Steps in text: the cells it takes when drawn.
  static int countSteps(const std::string& text);

  // Whether text is UTF-8 from end to end.
  static bool isValid(const std::string& text);

  // Appends the UTF-8 encoding of code_point (U+FFFD for one that is not a
  // character).
  static void append(std::string& out, char32_t code_point);

 private:
  const std::string& text;
  std::size_t offset;
};

}  // namespace wd

#endif
