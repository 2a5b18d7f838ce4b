#ifndef WD_XP_IMAGE_H
#define WD_XP_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

#include "Frame.h"

namespace wd {

// A picture saved by the REXPaint editor: a gzip stream of layers of cells,
// each a code page 437 glyph code, a foreground and a background colour.
class XpImage {
 public:
  // Bounds on what a file may claim, so that no file can make the reader
  // allocate without limit: layers, cells on each side, bytes unpacked.
  static const int MAX_LAYERS = 9;
  static const int MAX_SIDE = 1000;
  static const long long MAX_UNPACKED_BYTES = 16 * 1024 * 1024;

  XpImage();

  // Whether a file name ends in ".xp".
  static bool isXpFileName(const std::string& filename);

  // Reads an image file. 0, or -1 with getError() saying why; a file that
  // cannot be opened leaves getError() empty.
  int readFile(const std::string& filename);

  // Reads an image from its unpacked bytes. 0, or -1 with getError() saying why.
  int readUnpacked(const std::vector<std::uint8_t>& bytes);

  const std::string& getError() const;
  int getWidth() const;
  int getHeight() const;
  int getLayerCount() const;

  // The picture as the editor shows it: each cell from the top-most layer
  // whose background is not the transparent (255, 0, 255), glyph codes as
  // Unicode; a cell transparent in every layer is a space on black. An
  // empty frame when nothing was read.
  Frame toFrame() const;

 private:
  // One cell as stored.
  struct XpCell {
    std::uint32_t code;
    sf::Color foreground;
    sf::Color background;
  };

  // Fails the read with a message.
  int fail(const std::string& why);

  // The cell that shows at (x, y), or null when every layer lets it through.
  const XpCell* visibleCell(int x, int y) const;

  std::string error;
  int width;
  int height;
  int layer_count;
  // Layer after layer, each column after column as in the file.
  std::vector<XpCell> cells;
};

}  // namespace wd

#endif
