#ifndef WD_CELL_BATCH_H
#define WD_CELL_BATCH_H

#include <array>
#include <cstdint>
#include <vector>

#include <SFML/Graphics.hpp>

#include "BackgroundGrid.h"
#include "FlushMemo.h"
#include "FrameCache.h"
#include "GlyphCache.h"

namespace wd {

// The opaque black behind every character, and of a frame before drawing.
extern const sf::Color CELL_BACKGROUND_COLOR;

// The cells drawn into a window since its last flush, each a glyph in a
// colour on an opaque cell of a colour (black behind every character), drawn
// into it in one call, or two with coloured backgrounds. The picture is the
// one that drawing every cell as a rectangle and a text object gives.
class CellBatch {
 public:
  // A batch for a window of columns x rows cells, width x height pixels,
  // drawing its glyphs from font.
  CellBatch(const sf::Font& font, int columns, int rows, int width_pixels, int height_pixels);

  // Adds a character whose pen (the position of its cell) is at pen, in
  // window pixels, on black; the byte is widened as a text object widens it.
  void add(sf::Vector2f pen, sf::Color color, char ch);

  // Adds the glyph of code_point in foreground on a cell of background, whose
  // alpha is ignored: a cell is opaque.
  void add(sf::Vector2f pen, char32_t code_point, sf::Color foreground, sf::Color background);

  // Draws the pending cells into target: in one draw call while every
  // background is black, else in two (backgrounds, then glyphs).
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

  // Whether the glyph cache has no room left: time to load the font again.
  bool isGlyphCacheFull() const;

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
  // What spares the flushes that repeat the last one their building.
  const FlushMemo& getFlushMemo() const;

  // What keeps the last frame's picture, so that a frame repaints only the
  // cells that changed.
  const FrameCache& getFrameCache() const;

 private:
  // A cell waiting for the next flush: its pen in window pixels, its code
  // point and its two colours.
  struct PendingCell {
    sf::Vector2f pen;
    char32_t code_point;
    sf::Color foreground;
    sf::Color background;
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

  // The code point a one-character text of ch holds, found once per byte.
  char32_t narrowCodePoint(char ch);

  // The opaque background cell of a character whose pen is at pen.
  Edges backgroundEdges(sf::Vector2f pen) const;

  // The glyph quad of a cell and its texture rectangle; false for whitespace.
  bool glyphEdges(const PendingCell& cell, Edges& quad, Edges& texture);

  // The quad of a glyph of bounds scaled, as the full block of bounds
  // whole_cell is, to the background of the cell whose pen is at pen and a
  // little beyond.
  Edges stretchedToCell(sf::Vector2f pen, const sf::FloatRect& bounds,
                        const sf::FloatRect& whole_cell) const;

  // Texture coordinates of an untextured quad: all at the white texel.
  static Edges whiteTexel();

  // Appends to out the two triangles of an axis-aligned quad.
  void appendQuad(std::vector<sf::Vertex>& out, const Edges& quad, const Edges& texture,
                  sf::Color color) const;

  // Appends to out the part piece of a quad, its texture coordinates
  // interpolated linearly where piece cuts the quad.
  void appendPiece(std::vector<sf::Vertex>& out, const Edges& piece, const Edges& quad,
                   const Edges& texture, sf::Color color) const;

  // Appends to out the parts of quad, the background or glyph of cell index,
  // that no background of a later cell covers.
  void appendUncovered(std::vector<sf::Vertex>& out, int index, const Edges& quad,
                       const Edges& texture, sf::Color color);

  // Appends a cell as drawn: its background, then its glyph.
  void appendCell(const PendingCell& cell);

  // Appends every pending cell as drawn.
  void appendCellsInDrawingOrder();

  // Appends the glyphs to vertices and, with paint_backgrounds, the
  // backgrounds to be drawn to background_vertices, each less what later
  // backgrounds cover.
  // With p_chosen, only the cells it marks are appended.
  void appendCellsInTwoLayers(bool paint_backgrounds, const std::vector<bool>* p_chosen);

  // Paints every pending background into the background grid, in drawing
  // order; false as soon as a cell is off the grid.
  bool paintBackgroundGrid();

  // Builds the triangles of the pending cells, and the background grid when
  // their backgrounds are drawn as one.
  // With p_chosen, only the cells it marks are built, as they are among all.
  void buildLayers(const std::vector<bool>* p_chosen = nullptr);

  // Draws what buildLayers() built into target.
  void drawLayers(sf::RenderTarget& target);

  // Draws the pending cells through the frame cache and copies its picture
  // into target, when the frame is one for it; false, drawing nothing, when
  // the cells are to be drawn as always.
  bool drawThroughCache(sf::RenderTarget& target);

  // Draws every pending cell into a new picture of the frame cache.
  void drawWholePicture();

  // Marks the tiles where a cell that differs from the last frame's showed
  // or shows; false when the frame is not close to the last: laid out
  // otherwise, of another length, or marking more than a third of the tiles.
  bool markChangedTiles(bool colored);

  // Repaints the marked tiles in the frame cache's picture.
  void repaintMarkedTiles();

  // Gathers the marked tiles into rectangles of tiles, and fills the quads
  // that paint them.
  void gatherMarkedAreas(bool colored);

  // Fills area_vertices with black quads, and grid_area_vertices with the
  // quads the background grid paints (colored), of the rectangles gathered.
  void appendAreaQuads(bool colored);

  // The index of the tile in column column of tile row row.
  std::size_t tileIndex(int column, int row) const;

  // Whether rect reaches a marked tile, or perhaps only its neighbour.
  bool touchesMarkedTile(const Edges& rect) const;

  // Whether the cell of index index, reaching reach, shows in a marked tile:
  // one that no later cell's background covers.
  bool showsInMarkedTile(const Edges& reach, int index) const;

  // The pixels of a glyph quad whose smoothing reaches its texture's inner
  // texels (an open rectangle): the rest of the quad shows only the
  // transparent padding around the glyph.
  static Edges inkOf(const Edges& quad, const Edges& texture);

  // The background of cell and the ink of its glyph together; whole, its
  // background on entry, becomes the background and the glyph's quad.
  Edges reachOf(const PendingCell& cell, Edges& whole);

  // Whether at least count pending cells show a glyph.
  bool hasGlyphs(std::size_t count);

  // Forgets the last frame and the frame cache's picture of it.
  void forgetLastFrame();

  // Marks the tiles of the glyphs that a background which came or went cut.
  void markRecutTiles();

  // Whether two cells stand at the same pen, to the bit.
  static bool samePen(const PendingCell& a, const PendingCell& b);

  // Marks the tiles where the cells before index show whose glyph or
  // background overlaps background; their quads are filed in the buckets.
  void markTilesOfGlyphsUnder(const Edges& background, int index);

  // Tiles: the background cells of the grid, one more row above and one
  // more column to the right so that they cover the window; the buckets.
  std::size_t tileCount() const;
  Edges tileEdges(std::size_t tile) const;

  // Fills owners with, for each tile, the index of the last pending cell
  // standing on it, else -1; false as soon as a cell stands off the grid.
  bool findTileOwners(std::vector<int>& owners) const;

  // Marks for repainting the tiles reach overlaps in which the cell of index
  // index shows: those no later cell's background covers, per owners.
  void markShownTiles(const Edges& reach, int index, const std::vector<int>& owners);

  // Whether a pending cell has a background other than black.
  bool hasColoredBackground() const;

  // Draws the glyph triangles into target in one call.
  void drawGlyphLayer(sf::RenderTarget& target);

  // Counts a draw call into the target, which now holds a drawing.
  void countDrawCall();

  // Whether rect reaches into the window at all.
  bool touchesWindow(const Edges& rect) const;

  // Calls visit with the index of every tile that rect reaches, and perhaps
  // of a neighbour; with none when rect misses the window.
  template <typename Visit>
  void forEachBucket(const Edges& rect, Visit visit) const;

  // Files each of rects, in order, under every bucket it reaches.
  void fileInBuckets(const std::vector<Edges>& rects);

  // Leaves in glyph_pieces the parts of quad, drawn for cell index, that no
  // background of a cell drawn after it covers.
  void cutByLaterBackgrounds(int index, const Edges& quad);

  // Cuts cut out of every piece in glyph_pieces.
  void cutPieces(const Edges& cut);

  // Appends to out the parts of piece outside cut, sharing cut's edges.
  static void subtractEdges(const Edges& piece, const Edges& cut, std::vector<Edges>& out);

  const sf::Font& font;
  int columns;
  int rows;
  int width_pixels;
  int height_pixels;
  // The size of a cell in window pixels, looked up on every cell.
  float cell_width;
  float cell_height;

  // Characters added since the last flush, in drawing order.
  std::vector<PendingCell> pending;

  // Whether the target holds anything drawn since it was last cleared.
  bool target_drawn;

  std::int64_t draw_calls;

  // Target pixels per pixel of the batch.
  float scale;

  // How the flush being built lays out its quads: two triangles each, or,
  // with coloured backgrounds, four corners each.
  sf::PrimitiveType primitive;

  // Whether the flush being built draws its backgrounds from the grid.
  bool backgrounds_on_grid;

  // Triangles of the flush being built: the glyphs, and the backgrounds
  // drawn beneath them.
  std::vector<sf::Vertex> vertices;
  std::vector<sf::Vertex> background_vertices;

  // Scratch of the clipping flush, kept to spare allocations every frame:
  // the backgrounds, the window buckets (bucket_start indexes bucket_cells,
  // which holds cell indexes) and the pieces of the glyph being cut.
  std::vector<Edges> backgrounds;
  std::vector<int> bucket_start;
  std::vector<int> bucket_fill;
  std::vector<int> bucket_cells;
  std::vector<Edges> glyph_pieces;
  std::vector<Edges> cut_pieces;

  GlyphCache glyph_cache;
  BackgroundGrid background_grid;
  FlushMemo flush_memo;
  FrameCache frame_cache;

  // The last frame's cells (none unless it was one for the frame cache),
  // whether they had coloured backgrounds, what each reached and the owners
  // of the tiles; the same of this frame; the tiles to repaint.
  std::vector<PendingCell> last_cells;
  bool last_colored = false;
  std::vector<Edges> last_reaches;
  std::vector<int> last_tile_owners;
  std::vector<Edges> reaches;
  std::vector<Edges> quads;
  std::vector<int> tile_owners;
  std::vector<unsigned char> tile_marked;
  std::vector<std::size_t> marked_tiles;
  std::vector<sf::Vertex> area_vertices;
  std::vector<sf::Vertex> grid_area_vertices;
  // Rectangles of marked tiles, by their first and last columns and rows;
  // of them, those that reach the row being gathered.
  struct TileRect {
    int left;
    int top;
    int right;
    int bottom;
  };
  std::vector<TileRect> area_rects;
  std::vector<std::size_t> open_rects;
  std::vector<bool> chosen_cells;
  // Whether the triangles being built are a repaint's, of the marked tiles.
  bool repainting = false;

  // The code point of each byte for add(pen, color, ch); NOT_WIDENED until
  // first used, as the locale that widens it may be set after start.
  std::array<char32_t, 256> narrow_code_points;
};

}  // namespace wd

#endif
