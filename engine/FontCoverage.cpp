#include "FontCoverage.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "LogManager.h"

namespace wd {

namespace {

const char32_t LAST_CODE_POINT = 0x10FFFF;
const char32_t REPLACEMENT_CHARACTER = 0xFFFD;

FT_Face faceOf(void* p_face) { return static_cast<FT_Face>(p_face); }

}  // namespace

FontCoverage::FontCoverage()
    : p_library(nullptr),
      p_face(nullptr),
      replacement(U'?'),
      reported(static_cast<std::size_t>(LAST_CODE_POINT) + 2, false) {}

FontCoverage::~FontCoverage() { close(); }

int FontCoverage::load(const std::string& file) {
  close();
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    return -1;
  }
  p_library = library;
  FT_Face face = nullptr;
  // The Unicode map is the one every glyph of the display is looked up in.
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0 ||
      FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    if (face != nullptr) {
      FT_Done_Face(face);
    }
    close();
    return -1;
  }
  p_face = face;
  replacement = holds(REPLACEMENT_CHARACTER) ? REPLACEMENT_CHARACTER : U'?';
  return 0;
}

bool FontCoverage::holds(char32_t code_point) const {
  return p_face == nullptr || FT_Get_Char_Index(faceOf(p_face), code_point) != 0;
}

char32_t FontCoverage::drawable(char32_t code_point, const char* p_caller) {
  if (code_point == U' ' || holds(code_point)) {
    return code_point;
  }
  const std::size_t slot = std::min<std::size_t>(code_point, reported.size() - 1);
  if (!reported[slot]) {
    reported[slot] = true;
    LogManager::getInstance().writeMessage(
        "%s: The font has no glyph for U+%04X; drawing U+%04X in its place\n", p_caller,
        static_cast<unsigned int>(code_point), static_cast<unsigned int>(replacement));
  }
  return replacement;
}

char32_t FontCoverage::getReplacement() const { return replacement; }

void FontCoverage::close() {
  if (p_face != nullptr) {
    FT_Done_Face(faceOf(p_face));
    p_face = nullptr;
  }
  if (p_library != nullptr) {
    FT_Done_FreeType(static_cast<FT_Library>(p_library));
    p_library = nullptr;
  }
}

}  // namespace wd
