#include "Utf8Decoder.h"

namespace wd {

namespace {

const char32_t REPLACEMENT_CHARACTER = 0xFFFD;
const char32_t LAST_CODE_POINT = 0x10FFFF;
const char32_t FIRST_SURROGATE = 0xD800;
const char32_t LAST_SURROGATE = 0xDFFF;

Utf8Char invalidByte(unsigned char byte) { return Utf8Char{byte, 1, false}; }

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence a lead byte starts and the bits it gives; 0
// for a byte that cannot lead one.
int sequenceLength(unsigned char lead, char32_t& bits) {
  if (lead < 0x80) {
    bits = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    bits = lead & 0x1F;
    return 2;
  }
  if ((lead & 0xF0) == 0xE0) {
    bits = lead & 0x0F;
    return 3;
  }
  if ((lead & 0xF8) == 0xF0) {
    bits = lead & 0x07;
    return 4;
  }
  return 0;
}

// The smallest code point that needs a sequence of length bytes.
char32_t shortestFor(int length) {
  static const char32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  return SMALLEST[length];
}

bool isCharacter(char32_t code_point) {
  return code_point <= LAST_CODE_POINT &&
         (code_point < FIRST_SURROGATE || code_point > LAST_SURROGATE);
}

}  // namespace

Utf8Decoder::Utf8Decoder(const std::string& decoded_text) : text(decoded_text), offset(0) {}

bool Utf8Decoder::atEnd() const { return offset >= text.size(); }

Utf8Char Utf8Decoder::next() {
  const Utf8Char step = decodeAt(text, offset);
  offset += static_cast<std::size_t>(step.length);
  return step;
}

Utf8Char Utf8Decoder::decodeAt(const std::string& text, std::size_t offset) {
  const unsigned char lead = static_cast<unsigned char>(text[offset]);
  char32_t code_point = 0;
  const int length = sequenceLength(lead, code_point);
  if (length == 0 || offset + static_cast<std::size_t>(length) > text.size()) {
    return invalidByte(lead);
  }
  for (int i = 1; i < length; i++) {
    const unsigned char byte = static_cast<unsigned char>(text[offset + static_cast<std::size_t>(i)]);
    if (!isContinuation(byte)) {
      return invalidByte(lead);
    }
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  if (code_point < shortestFor(length) || !isCharacter(code_point)) {
    return invalidByte(lead);
  }
  return Utf8Char{code_point, length, true};
}

int Utf8Decoder::countSteps(const std::string& text) {
  int steps = 0;
  for (Utf8Decoder decoder(text); !decoder.atEnd(); decoder.next()) {
    steps++;
  }
  return steps;
}

bool Utf8Decoder::isValid(const std::string& text) {
  for (Utf8Decoder decoder(text); !decoder.atEnd();) {
    if (!decoder.next().valid) {
      return false;
    }
  }
  return true;
}

void Utf8Decoder::append(std::string& out, char32_t code_point) {
  if (!isCharacter(code_point)) {
    code_point = REPLACEMENT_CHARACTER;
  }
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

}  // namespace wd
