#include "GlyphCache.h"

namespace wd {

namespace {

const char32_t OVERFLOW_GLYPH = U'?';

bool isWhitespace(char32_t code_point) {
  // The characters a text object lays out without drawing.
  return code_point == U' ' || code_point == U'\t' || code_point == U'\n' ||
         code_point == U'\r';
}

}  // namespace

GlyphCache::GlyphCache(const sf::Font& glyph_font, std::size_t max_glyphs)
    : font(glyph_font), character_size(0), capacity(max_glyphs) {
  clear(0);
}

const GlyphCache::Glyph& GlyphCache::glyph(char32_t code_point) {
  if (code_point < DIRECT_RANGE) {
    const std::int32_t index = direct[code_point];
    if (index >= 0) {
      return glyphs[static_cast<std::size_t>(index)];
    }
  } else {
    const auto found = hashed.find(code_point);
    if (found != hashed.end()) {
      return glyphs[static_cast<std::size_t>(found->second)];
    }
  }
  if (isFull() && code_point != OVERFLOW_GLYPH) {
    return glyph(OVERFLOW_GLYPH);
  }
  return load(code_point);
}

std::size_t GlyphCache::size() const { return glyphs.size(); }

bool GlyphCache::isFull() const { return glyphs.size() >= capacity; }

void GlyphCache::clear(unsigned int size) {
  character_size = size;
  glyphs.clear();
  glyphs.reserve(capacity + 1);
  direct.assign(DIRECT_RANGE, -1);
  hashed.clear();
}

const GlyphCache::Glyph& GlyphCache::load(char32_t code_point) {
  Glyph loaded{!isWhitespace(code_point), sf::FloatRect(), sf::IntRect()};
  if (loaded.visible) {
    const sf::Glyph& glyph = font.getGlyph(code_point, character_size, true);
    loaded.bounds = glyph.bounds;
    loaded.texture_rect = glyph.textureRect;
  }
  const auto index = static_cast<std::int32_t>(glyphs.size());
  glyphs.push_back(loaded);
  if (code_point < DIRECT_RANGE) {
    direct[code_point] = index;
  } else {
    hashed[code_point] = index;
  }
  return glyphs.back();
}

}  // namespace wd
