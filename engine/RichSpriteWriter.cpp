#include "RichSpriteWriter.h"

#include <vector>

#include "CellPalette.h"
#include "RichSpriteFormat.h"
#include "SpriteResourceManager.h"
#include "Utf8Decoder.h"

namespace wd {

namespace {

// Letters in the order they are handed out: the readable ones first.
std::string paletteLetters() {
  std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (char letter = '!'; letter <= '~'; letter++) {
    if (letters.find(letter) == std::string::npos) {
      letters += letter;
    }
  }
  return letters;
}

// The colours of a sprite's maps, each with the letter it was given.
class PaletteBuilder {
 public:
  PaletteBuilder() : letters(paletteLetters()) {}

  // The letter of a colour, handing out a new one for a new colour; 0 when none is left.
  char letterOf(sf::Color color) {
    for (std::size_t i = 0; i < colors.size(); i++) {
      if (colors[i] == color) {
        return letters[i];
      }
    }
    if (colors.size() == letters.size()) {
      return 0;
    }
    colors.push_back(color);
    return letters[colors.size() - 1];
  }

  std::string headerLines() const {
    std::string lines;
    for (std::size_t i = 0; i < colors.size(); i++) {
      lines += std::string("palette ") + letters[i] + " " + CellPalette::formatColor(colors[i]) + "\n";
    }
    return lines;
  }

 private:
  const std::string letters;
  std::vector<sf::Color> colors;
};

// The cells of a frame as code points: a plain frame's bytes stand for themselves.
std::vector<char32_t> codePointsOf(const Frame& frame) {
  if (frame.hasCodePoints()) {
    return frame.getCodePoints();
  }
  std::vector<char32_t> cells;
  for (const char byte : frame.getString()) {
    cells.push_back(static_cast<unsigned char>(byte));
  }
  return cells;
}

// The rows of a frame, each line ended.
std::string glyphRows(const Frame& frame) {
  const std::vector<char32_t> cells = codePointsOf(frame);
  std::string rows;
  for (std::size_t i = 0; i < cells.size(); i++) {
    Utf8Decoder::append(rows, cells[i]);
    if ((i + 1) % static_cast<std::size_t>(frame.getWidth()) == 0) {
      rows += "\n";
    }
  }
  return rows;
}

// A colour map of a frame; false when the palette has run out of letters.
bool mapRows(const std::vector<sf::Color>& colors, int width, PaletteBuilder* p_palette, std::string* p_rows) {
  for (std::size_t i = 0; i < colors.size(); i++) {
    const char letter = p_palette->letterOf(colors[i]);
    if (letter == 0) {
      return false;
    }
    *p_rows += letter;
    if ((i + 1) % static_cast<std::size_t>(width) == 0) {
      *p_rows += "\n";
    }
  }
  return true;
}

// Whether any frame gives its cells colours of their own.
bool hasCellColors(const Sprite& sprite) {
  for (int i = 0; i < sprite.getFrameCount(); i++) {
    if (sprite.getFrame(i).hasCellColors()) {
      return true;
    }
  }
  return false;
}

// The body's lines; false when the palette has run out of letters. A frame
// without colours of its own gets the sprite's colour on black.
bool bodyOf(const Sprite& sprite, PaletteBuilder* p_palette, std::string* p_body) {
  const bool maps = hasCellColors(sprite);
  for (int i = 0; i < sprite.getFrameCount(); i++) {
    const Frame frame = sprite.getFrame(i);
    *p_body += glyphRows(frame);
    if (maps) {
      const std::size_t cells = codePointsOf(frame).size();
      const bool own = frame.hasCellColors();
      const std::vector<sf::Color> foreground =
          own ? frame.getForeground() : std::vector<sf::Color>(cells, sprite.getRgbColor());
      const std::vector<sf::Color> background =
          own ? frame.getBackground() : std::vector<sf::Color>(cells, sf::Color::Black);
      if (!mapRows(foreground, frame.getWidth(), p_palette, p_body) ||
          !mapRows(background, frame.getWidth(), p_palette, p_body)) {
        return false;
      }
    }
    *p_body += "end\n";
  }
  return true;
}

std::string colorText(const Sprite& sprite) {
  const char* name = colorName(sprite.getColor());
  return sprite.hasRgbColor() || name == nullptr ? CellPalette::formatColor(sprite.getRgbColor()) : name;
}

// Whether every frame is whole: rows of at least one cell, width x height cells.
bool framesAreWhole(const Sprite& sprite) {
  for (int i = 0; i < sprite.getFrameCount(); i++) {
    const Frame frame = sprite.getFrame(i);
    if (frame.getWidth() < 1 || static_cast<long long>(codePointsOf(frame).size()) !=
                                    static_cast<long long>(frame.getWidth()) * frame.getHeight()) {
      return false;
    }
  }
  return true;
}

}  // namespace

int RichSpriteWriter::write(const Sprite& sprite, std::string* p_text) {
  PaletteBuilder palette;
  std::string body;
  if (!framesAreWhole(sprite) || !bodyOf(sprite, &palette, &body)) {
    return -1;
  }
  *p_text = std::string("<HEADER>\n") + RICH_FORMAT_LINE + "\n" +
            "frames " + std::to_string(sprite.getFrameCount()) + "\n" +
            "width " + std::to_string(sprite.getWidth()) + "\n" +
            "height " + std::to_string(sprite.getHeight()) + "\n" +
            "color " + colorText(sprite) + "\n" +
            "slowdown " + std::to_string(sprite.getSlowdown()) + "\n" + palette.headerLines() +
            "</HEADER>\n<BODY>\n" + body + "</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n";
  return 0;
}

}  // namespace wd
