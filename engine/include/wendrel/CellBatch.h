#ifndef WD_CELL_BATCH_H
#define WD_CELL_BATCH_H

#include <array>
#include <cstdint>
#include <vector>

#include <SFML/Graphics.hpp>

namespace wd {

// The opaque black behind every character, and of a frame before drawing.
extern const sf::Color CELL_BACKGROUND_COLOR;

// The characters drawn into a window since its last flush, each a glyph on
// an opaque black cell, drawn into it in one call. The picture is the one
// that drawing every cell as a rectangle and a text object gives.
class CellBatch {
 public:
  // A batch for a window of columns x rows cells, width x height pixels,
  // drawing its glyphs from font.
  CellBatch(const sf::Font& font, int columns, int rows, int width_pixels, int height_pixels);

  // Adds a character whose pen (the position of its cell) is at pen, in
  // window pixels.
  void add(sf::Vector2f pen, sf::Color color, char ch);

  // Draws the pending characters into target, in one draw call.
  void flush(sf::RenderTarget& target);

  // Tells the batch that something else has drawn into its target: until
  // the next frame, every cell paints its background.
  void markTargetDrawn();

  // Whether the next flush paints the cells' backgrounds.
  bool drawsBackgrounds() const;

  // Starts a frame on a target that has just been cleared to black.
  void startFrame();

  // Drops the pending characters and forgets the glyphs, for a font that
  // is about to be replaced.
  void reset();

  // Lays the font's texture out as a text object would, so that smoothing
  // samples the same texels; for a font that has just been loaded.
  void prepareFont();

  // Draw calls made since the batch was made.
  std::int64_t getDrawCalls() const;

  // Target pixels per pixel of the batch: glyphs are rasterised at the size
  // the target's view shows them, fetched again from the font (prepare it
  // for the new size).
  void setScale(float new_scale);
  float getScale() const;

 private:
  // Where one character's glyph sits in the font's texture, fetched once.
  struct GlyphQuad {
    bool loaded;
    bool visible;  // whitespace advances the pen but draws no quad
    sf::FloatRect bounds;
    sf::IntRect texture_rect;
  };

  // A character waiting for the next flush: its pen in window pixels, its
  // colour and its byte.
  struct PendingCell {
    sf::Vector2f pen;
    sf::Color color;
    char ch;
  };

  // An axis-aligned rectangle by its four edges, in window or texture pixels.
  struct Edges {
    float left;
    float top;
    float right;
    float bottom;
  };

  // The size every glyph is rasterised at.
  unsigned int characterSize() const;

  // The glyph of a narrow character, loading it on first use.
  const GlyphQuad& glyphQuad(char ch);

  // The opaque background cell of a character whose pen is at pen.
  Edges backgroundEdges(sf::Vector2f pen) const;

  // The glyph quad of a cell and its texture rectangle; false for whitespace.
  bool glyphEdges(const PendingCell& cell, Edges& quad, Edges& texture);

  // Appends the two triangles of an axis-aligned quad.
  void appendQuad(const Edges& quad, const Edges& texture, sf::Color color);

  // Appends the part piece of a glyph quad, its texture coordinates
  // interpolated linearly where piece cuts the quad.
  void appendGlyphPiece(const Edges& piece, const Edges& quad, const Edges& texture,
                        sf::Color color);

  // Appends every pending cell as drawn: its background, then its glyph.
  void appendCellsInDrawingOrder();

  // Appends only the pending glyphs, less what later backgrounds cover.
  void appendGlyphsClippedByLaterBackgrounds();

  // Whether rect reaches into the window at all.
  bool touchesWindow(const Edges& rect) const;

  // Calls visit with the index of every cell-sized window bucket that rect
  // reaches; with none when rect misses the window.
  template <typename Visit>
  void forEachBucket(const Edges& rect, Visit visit) const;

  // Files each pending background, in drawing order, under every bucket it reaches.
  void bucketBackgrounds();

  // Leaves in glyph_pieces the parts of quad, the glyph of cell index, that
  // no background of a cell drawn after it covers.
  void cutByLaterBackgrounds(int index, const Edges& quad);

  // Cuts cut out of every piece in glyph_pieces.
  void cutPieces(const Edges& cut);

  // Appends to out the parts of piece outside cut, sharing cut's edges.
  static void subtractEdges(const Edges& piece, const Edges& cut, std::vector<Edges>& out);

  // Forgets the cached glyphs.
  void resetGlyphs();

  const sf::Font& font;
  int columns;
  int rows;
  int width_pixels;
  int height_pixels;

  // Characters added since the last flush, in drawing order.
  std::vector<PendingCell> pending;

  // Whether the target holds anything drawn since it was last cleared.
  bool target_drawn;

  std::int64_t draw_calls;

  // Target pixels per pixel of the batch.
  float scale;

  // Triangles of the flush being built.
  std::vector<sf::Vertex> vertices;

  // Scratch of the clipping flush, kept to spare allocations every frame:
  // the backgrounds, the window buckets (bucket_start indexes bucket_cells,
  // which holds cell indexes) and the pieces of the glyph being cut.
  std::vector<Edges> backgrounds;
  std::vector<int> bucket_start;
  std::vector<int> bucket_fill;
  std::vector<int> bucket_cells;
  std::vector<Edges> glyph_pieces;
  std::vector<Edges> cut_pieces;

  std::array<GlyphQuad, 256> glyphs;
};

}  // namespace wd

#endif
