#ifndef WD_GLYPH_CACHE_H
#define WD_GLYPH_CACHE_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include <SFML/Graphics.hpp>

namespace wd {

// Where the glyphs of a font sit in its texture, fetched once per code point.
// It holds at most a fixed number of code points: the font keeps every glyph
// it has rendered in its texture until it is loaded again, so the owner
// reloads the font and clears the cache once it is full. Until then a code
// point that does not fit draws as '?'.
class GlyphCache {
 public:
  // Code points held at most (besides '?'). At the display's character size
  // their glyphs fit a font texture of 2048 x 1024 pixels (8 MB); the
  // shipped font's 3322 glyphs fit 1024 x 1024.
  static constexpr std::size_t MAX_GLYPHS = 4096;

  // A glyph's place: its quad relative to the pen and its texture rectangle.
  struct Glyph {
    bool visible;  // whitespace advances the pen but draws no quad
    sf::FloatRect bounds;
    sf::IntRect texture_rect;
  };

  // An empty cache of the glyphs of font, bold, holding up to capacity code
  // points; clear sets the character size.
  explicit GlyphCache(const sf::Font& font, std::size_t capacity = MAX_GLYPHS);

  // The glyph of code_point, rendered into the font's texture on first use.
  const Glyph& glyph(char32_t code_point);

  // Code points cached.
  std::size_t size() const;

  // Whether a code point not yet cached would not fit.
  bool isFull() const;

  // Forgets every glyph, for a font that has been loaded again, at size
  // character_size.
  void clear(unsigned int character_size);

 private:
  // Code points below this are found through a table, the rest by hashing.
  static constexpr char32_t DIRECT_RANGE = 0x3000;

  // Renders code_point's glyph and files it.
  const Glyph& load(char32_t code_point);

  const sf::Font& font;
  unsigned int character_size;
  std::size_t capacity;
  std::vector<Glyph> glyphs;
  // Index in glyphs of each code point below DIRECT_RANGE, -1 if not loaded.
  std::vector<std::int32_t> direct;
  std::unordered_map<char32_t, std::int32_t> hashed;
};

}  // namespace wd

#endif
