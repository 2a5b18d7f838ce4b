#include "CellBatch.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace wd {

const sf::Color CELL_BACKGROUND_COLOR = sf::Color::Black;

namespace {

// The white block the font keeps at the top-left of its texture; sampling its
// centre gives pure white even with smoothing, so untextured quads can share
// the glyphs' texture and draw call.
const float WHITE_TEXEL = 1.0f;

// The font's texture leaves this much room around each glyph; the quad takes
// one pixel of it on every side so that smoothing keeps the glyph's edges.
const float GLYPH_PADDING = 1.0f;

// Marks a byte of narrow_code_points not yet widened; no widening gives it.
const char32_t NOT_WIDENED = 0xFFFFFFFE;

// Copying the cached picture out costs about as much as drawing a thousand
// glyphs.
const std::size_t FRAME_CACHE_LEAST_GLYPHS = 1000;

bool isBlack(sf::Color color) { return color.r == 0 && color.g == 0 && color.b == 0; }

// The full block: the whole cell as the font draws it.
const char32_t FULL_BLOCK = 0x2588;

// Box drawing and block elements fill their cell, so that neighbours join.
bool fillsCell(char32_t code_point) { return code_point >= 0x2500 && code_point <= 0x259F; }

// How far such a glyph reaches beyond its cell on every side: its smoothed
// edge then lies under the neighbour, whose background cuts it off sharply,
// and neighbours join without a seam.
const float CELL_ART_BLEED = 1.0f;

}  // namespace

// Every glyph is rasterised at this size, bold: the size it shows at.
unsigned int CellBatch::characterSize() const {
  return static_cast<unsigned int>(2.0f * std::min(cell_width, cell_height) * scale);
}

CellBatch::CellBatch(const sf::Font& cell_font, int cell_columns, int cell_rows,
                     int window_width_pixels, int window_height_pixels)
    : font(cell_font),
      columns(cell_columns),
      rows(cell_rows),
      width_pixels(window_width_pixels),
      height_pixels(window_height_pixels),
      cell_width(static_cast<float>(window_width_pixels) / static_cast<float>(cell_columns)),
      cell_height(static_cast<float>(window_height_pixels) / static_cast<float>(cell_rows)),
      target_drawn(false),
      draw_calls(0),
      scale(1.0f),
      primitive(sf::Triangles),
      backgrounds_on_grid(false),
      glyph_cache(cell_font),
      background_grid(cell_columns, cell_rows),
      flush_memo(window_width_pixels, window_height_pixels),
      frame_cache(window_width_pixels, window_height_pixels) {
  narrow_code_points.fill(NOT_WIDENED);
}

void CellBatch::add(sf::Vector2f pen, sf::Color color, char ch) {
  pending.push_back(PendingCell{pen, narrowCodePoint(ch), color, CELL_BACKGROUND_COLOR});
}

void CellBatch::add(sf::Vector2f pen, char32_t code_point, sf::Color foreground,
                    sf::Color background) {
  background.a = 255;
  pending.push_back(PendingCell{pen, code_point, foreground, background});
}

void CellBatch::markTargetDrawn() { target_drawn = true; }

bool CellBatch::drawsBackgrounds() const { return target_drawn; }

void CellBatch::startFrame() {
  pending.clear();
  target_drawn = false;
}

void CellBatch::reset() {
  startFrame();
  flush_memo.forget();
  frame_cache.release();
  forgetLastFrame();
  glyph_cache.clear(0);
  narrow_code_points.fill(NOT_WIDENED);
  // Frees the grid's texture while a context can still be made.
  background_grid = BackgroundGrid(columns, rows);
}

bool CellBatch::isGlyphCacheFull() const { return glyph_cache.isFull(); }

void CellBatch::prepareFont() {
  // A text object measures 'x' and the space before its first glyph; loading
  // them first too gives the font's texture the same layout, so the smoothing
  // of every glyph samples exactly the same texels.
  flush_memo.forget();
  forgetLastFrame();
  glyph_cache.clear(characterSize());
  font.getGlyph(U'x', characterSize(), true);
  font.getGlyph(U' ', characterSize(), true);
}

std::int64_t CellBatch::getDrawCalls() const { return draw_calls; }

void CellBatch::setScale(float new_scale) {
  if (new_scale == scale) {
    return;
  }
  scale = new_scale;
  forgetLastFrame();
  glyph_cache.clear(characterSize());
}

float CellBatch::getScale() const { return scale; }
const FlushMemo& CellBatch::getFlushMemo() const { return flush_memo; }

const FrameCache& CellBatch::getFrameCache() const { return frame_cache; }

char32_t CellBatch::narrowCodePoint(char ch) {
  char32_t& code_point = narrow_code_points[static_cast<unsigned char>(ch)];
  if (code_point == NOT_WIDENED) {
    // Narrow characters are widened with the default locale.
    code_point = sf::String(ch)[0];
  }
  return code_point;
}

CellBatch::Edges CellBatch::backgroundEdges(sf::Vector2f pen) const {
  const float left = pen.x - cell_width / 10;
  const float top = pen.y + cell_height / 5;
  return Edges{left, top, left + cell_width, top + cell_height};
}

bool CellBatch::glyphEdges(const PendingCell& cell, Edges& quad, Edges& texture) {
  const GlyphCache::Glyph glyph = glyph_cache.glyph(cell.code_point);
  if (!glyph.visible) {
    return false;
  }
  const sf::IntRect& rect = glyph.texture_rect;
  texture = Edges{static_cast<float>(rect.left) - GLYPH_PADDING,
                  static_cast<float>(rect.top) - GLYPH_PADDING,
                  static_cast<float>(rect.left + rect.width) + GLYPH_PADDING,
                  static_cast<float>(rect.top + rect.height) + GLYPH_PADDING};
  if (fillsCell(cell.code_point)) {
    // Looked up only here: other glyphs leave the font's texture laid out as
    // a text object's.
    const sf::FloatRect whole_cell = glyph_cache.glyph(FULL_BLOCK).bounds;
    if (whole_cell.width > 0 && whole_cell.height > 0) {
      quad = stretchedToCell(cell.pen, glyph.bounds, whole_cell);
      return true;
    }
  }
  // The pen stands on the baseline, one character size below the position;
  // corners are computed in the same order as for a text object so that the
  // rounding, and thus the picture, is the same. A glyph rasterised for a
  // scaled target is measured back in the batch's pixels, which the
  // target's view scales.
  const float pen_y = static_cast<float>(characterSize());
  const sf::FloatRect& bounds = glyph.bounds;
  quad = Edges{cell.pen.x + (bounds.left - GLYPH_PADDING) / scale,
               cell.pen.y + (pen_y + (bounds.top - GLYPH_PADDING)) / scale,
               cell.pen.x + (bounds.left + bounds.width + GLYPH_PADDING) / scale,
               cell.pen.y + (pen_y + (bounds.top + bounds.height + GLYPH_PADDING)) / scale};
  return true;
}

CellBatch::Edges CellBatch::stretchedToCell(sf::Vector2f pen, const sf::FloatRect& bounds,
                                            const sf::FloatRect& whole_cell) const {
  const Edges cell = backgroundEdges(pen);
  const Edges background{cell.left - CELL_ART_BLEED, cell.top - CELL_ART_BLEED,
                         cell.right + CELL_ART_BLEED, cell.bottom + CELL_ART_BLEED};
  const float scale_x = (background.right - background.left) / whole_cell.width;
  const float scale_y = (background.bottom - background.top) / whole_cell.height;
  const auto x = [&](float glyph_x) { return background.left + (glyph_x - whole_cell.left) * scale_x; };
  const auto y = [&](float glyph_y) { return background.top + (glyph_y - whole_cell.top) * scale_y; };
  return Edges{x(bounds.left - GLYPH_PADDING), y(bounds.top - GLYPH_PADDING),
               x(bounds.left + bounds.width + GLYPH_PADDING),
               y(bounds.top + bounds.height + GLYPH_PADDING)};
}

CellBatch::Edges CellBatch::whiteTexel() {
  return Edges{WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL};
}

void CellBatch::appendQuad(std::vector<sf::Vertex>& out, const Edges& quad, const Edges& texture,
                           sf::Color color) const {
  const sf::Vertex upper_left(sf::Vector2f(quad.left, quad.top), color,
                              sf::Vector2f(texture.left, texture.top));
  const sf::Vertex upper_right(sf::Vector2f(quad.right, quad.top), color,
                               sf::Vector2f(texture.right, texture.top));
  const sf::Vertex lower_right(sf::Vector2f(quad.right, quad.bottom), color,
                               sf::Vector2f(texture.right, texture.bottom));
  const sf::Vertex lower_left(sf::Vector2f(quad.left, quad.bottom), color,
                              sf::Vector2f(texture.left, texture.bottom));
  if (primitive == sf::Quads) {
    out.push_back(upper_left);
    out.push_back(upper_right);
    out.push_back(lower_right);
    out.push_back(lower_left);
    return;
  }
  // The triangle order of a text object's glyph quads.
  out.push_back(upper_left);
  out.push_back(upper_right);
  out.push_back(lower_left);
  out.push_back(lower_left);
  out.push_back(upper_right);
  out.push_back(lower_right);
}

namespace {

// The texture coordinate at position x of a quad spanning x0 to x1 with
// texture coordinates u0 to u1; the quad's own edges map exactly.
float interpolate(float x, float x0, float x1, float u0, float u1) {
  if (x == x0) {
    return u0;
  }
  if (x == x1) {
    return u1;
  }
  return u0 + (x - x0) * ((u1 - u0) / (x1 - x0));
}

}  // namespace

void CellBatch::appendPiece(std::vector<sf::Vertex>& out, const Edges& piece, const Edges& quad,
                            const Edges& texture, sf::Color color) const {
  const Edges piece_texture{
      interpolate(piece.left, quad.left, quad.right, texture.left, texture.right),
      interpolate(piece.top, quad.top, quad.bottom, texture.top, texture.bottom),
      interpolate(piece.right, quad.left, quad.right, texture.left, texture.right),
      interpolate(piece.bottom, quad.top, quad.bottom, texture.top, texture.bottom)};
  appendQuad(out, piece, piece_texture, color);
}

void CellBatch::appendCell(const PendingCell& cell) {
  appendQuad(vertices, backgroundEdges(cell.pen), whiteTexel(), cell.background);
  Edges quad;
  Edges texture;
  if (glyphEdges(cell, quad, texture)) {
    appendQuad(vertices, quad, texture, cell.foreground);
  }
}

void CellBatch::appendCellsInDrawingOrder() {
  for (const PendingCell& cell : pending) {
    appendCell(cell);
  }
}

void CellBatch::appendCellsInTwoLayers(bool paint_backgrounds, const std::vector<bool>* p_chosen) {
  backgrounds.clear();
  for (const PendingCell& cell : pending) {
    backgrounds.push_back(backgroundEdges(cell.pen));
  }
  fileInBuckets(backgrounds);
  for (std::size_t i = 0; i < pending.size(); i++) {
    if (p_chosen != nullptr && !(*p_chosen)[i]) {
      continue;
    }
    const int index = static_cast<int>(i);
    const PendingCell& cell = pending[i];
    // On the black target that only this batch has drawn into, a black
    // background changes nothing but what later cutting already removes.
    if (paint_backgrounds && target_drawn) {
      appendQuad(background_vertices, backgrounds[i], whiteTexel(), cell.background);
    } else if (paint_backgrounds && !isBlack(cell.background)) {
      appendUncovered(background_vertices, index, backgrounds[i], whiteTexel(), cell.background);
    }
    Edges quad;
    Edges texture;
    if (glyphEdges(cell, quad, texture)) {
      appendUncovered(vertices, index, quad, texture, cell.foreground);
    }
  }
}

bool CellBatch::paintBackgroundGrid() {
  background_grid.clear(!target_drawn);
  const sf::Vector2f cell_size(cell_width, cell_height);
  for (const PendingCell& cell : pending) {
    if (!background_grid.paint(cell.pen, cell_size, cell.background)) {
      return false;
    }
  }
  return true;
}

void CellBatch::appendUncovered(std::vector<sf::Vertex>& out, int index, const Edges& quad,
                                const Edges& texture, sf::Color color) {
  // A quad wholly outside the window shows nowhere.
  if (!touchesWindow(quad)) {
    return;
  }
  cutByLaterBackgrounds(index, quad);
  for (const Edges& piece : glyph_pieces) {
    // A repaint leaves out the pieces that the stencil would keep out whole.
    if (!repainting || touchesMarkedTile(piece)) {
      appendPiece(out, piece, quad, texture, color);
    }
  }
}

bool CellBatch::touchesWindow(const Edges& rect) const {
  // Written so that a rectangle with a NaN edge misses too.
  return rect.right > 0 && rect.left < static_cast<float>(width_pixels) &&
         rect.bottom > 0 && rect.top < static_cast<float>(height_pixels);
}

template <typename Visit>
void CellBatch::forEachBucket(const Edges& rect, Visit visit) const {
  if (!touchesWindow(rect)) {
    return;
  }
  // Any monotonic mapping of positions to tiles puts two overlapping
  // rectangles into at least one common tile, so rounding does not matter.
  // Tile column c starts where the background of grid column c does, a
  // tenth of a cell to the left; tile row r + 1 where that of grid row r
  // does, a fifth of a cell down.
  const float width = cell_width;
  const float height = cell_height;
  const auto column_of = [this, width](float x) {
    const float clamped = std::min(std::max(x, 0.0f), static_cast<float>(width_pixels));
    return std::min(static_cast<int>((clamped + width / 10) / width), columns);
  };
  const auto row_of = [this, height](float y) {
    const float clamped = std::min(std::max(y, 0.0f), static_cast<float>(height_pixels));
    return std::min(static_cast<int>((clamped + height - height / 5) / height), rows);
  };
  const int last_column = column_of(rect.right);
  const int last_row = row_of(rect.bottom);
  for (int row = row_of(rect.top); row <= last_row; row++) {
    for (int column = column_of(rect.left); column <= last_column; column++) {
      visit(tileIndex(column, row));
    }
  }
}

std::size_t CellBatch::tileCount() const {
  return static_cast<std::size_t>((columns + 1) * (rows + 1));
}

CellBatch::Edges CellBatch::tileEdges(std::size_t tile) const {
  const int column = static_cast<int>(tile) % (columns + 1);
  const int row = static_cast<int>(tile) / (columns + 1) - 1;
  // The pen as a cell standing there has it, so that the edges are its
  // background's to the bit.
  return backgroundEdges(sf::Vector2f(static_cast<float>(column) * cell_width,
                                      static_cast<float>(row) * cell_height));
}

bool CellBatch::findTileOwners(std::vector<int>& owners) const {
  owners.assign(tileCount(), -1);
  const sf::Vector2f cell_size(cell_width, cell_height);
  for (std::size_t i = 0; i < pending.size(); i++) {
    const int cell = BackgroundGrid::cellAt(pending[i].pen, cell_size, columns, rows);
    if (cell < 0) {
      return false;
    }
    // Tile row r + 1 is grid row r.
    owners[tileIndex(cell % columns, cell / columns + 1)] = static_cast<int>(i);
  }
  return true;
}

void CellBatch::fileInBuckets(const std::vector<Edges>& rects) {
  // Counted first, then filed, so that every bucket is a slice of one vector
  // listing its rectangles in order.
  bucket_start.assign(tileCount() + 1, 0);
  for (const Edges& rect : rects) {
    forEachBucket(rect, [this](std::size_t bucket) { bucket_start[bucket + 1]++; });
  }
  std::partial_sum(bucket_start.begin(), bucket_start.end(), bucket_start.begin());
  bucket_fill.assign(bucket_start.begin(), bucket_start.end() - 1);
  bucket_cells.resize(static_cast<std::size_t>(bucket_start.back()));
  for (std::size_t j = 0; j < rects.size(); j++) {
    forEachBucket(rects[j], [this, j](std::size_t bucket) {
      bucket_cells[static_cast<std::size_t>(bucket_fill[bucket]++)] = static_cast<int>(j);
    });
  }
}

void CellBatch::cutByLaterBackgrounds(int index, const Edges& quad) {
  glyph_pieces.clear();
  glyph_pieces.push_back(quad);
  // A cell met again in a neighbouring bucket cuts nothing more.
  forEachBucket(quad, [this, index](std::size_t bucket) {
    const auto end = bucket_cells.begin() + bucket_start[bucket + 1];
    auto later = std::upper_bound(bucket_cells.begin() + bucket_start[bucket], end, index);
    for (; later != end && !glyph_pieces.empty(); ++later) {
      cutPieces(backgrounds[static_cast<std::size_t>(*later)]);
    }
  });
}

void CellBatch::cutPieces(const Edges& cut) {
  cut_pieces.clear();
  for (const Edges& piece : glyph_pieces) {
    subtractEdges(piece, cut, cut_pieces);
  }
  glyph_pieces.swap(cut_pieces);
}

void CellBatch::subtractEdges(const Edges& piece, const Edges& cut, std::vector<Edges>& out) {
  if (cut.left >= piece.right || cut.right <= piece.left || cut.top >= piece.bottom ||
      cut.bottom <= piece.top) {
    out.push_back(piece);
    return;
  }
  // Bands above and below the cut, then beside it within its rows.
  const float middle_top = std::max(piece.top, cut.top);
  const float middle_bottom = std::min(piece.bottom, cut.bottom);
  if (piece.top < cut.top) {
    out.push_back(Edges{piece.left, piece.top, piece.right, cut.top});
  }
  if (cut.bottom < piece.bottom) {
    out.push_back(Edges{piece.left, cut.bottom, piece.right, piece.bottom});
  }
  if (piece.left < cut.left) {
    out.push_back(Edges{piece.left, middle_top, cut.left, middle_bottom});
  }
  if (cut.right < piece.right) {
    out.push_back(Edges{cut.right, middle_top, piece.right, middle_bottom});
  }
}

void CellBatch::flush(sf::RenderTarget& target) {
  if (pending.empty()) {
    return;
  }
  if (target_drawn || !drawThroughCache(target)) {
    // A first flush of a frame that asks for what the last one asked for
    // draws the triangles built then.
    if (!flush_memo.repeats(pending.data(), pending.size() * sizeof(PendingCell), !target_drawn,
                            target)) {
      buildLayers();
    }
    drawLayers(target);
  }
  pending.clear();
}

bool CellBatch::drawThroughCache(sf::RenderTarget& target) {
  // Coloured backgrounds fill the window as the copy does; on black, a frame
  // of few glyphs costs less to draw than to copy. The cache keeps frames
  // whose cells all stand on the grid: there each tile shows the last cell
  // on it and what reaches into it.
  const bool colored = hasColoredBackground();
  if (!frame_cache.serves(target) || (!colored && !hasGlyphs(FRAME_CACHE_LEAST_GLYPHS)) ||
      !findTileOwners(tile_owners)) {
    forgetLastFrame();
    return false;
  }
  reaches.clear();
  quads.clear();
  for (const PendingCell& cell : pending) {
    Edges quad = backgroundEdges(cell.pen);
    reaches.push_back(reachOf(cell, quad));
    quads.push_back(quad);
  }
  // A frame close to the last is drawn into the cache: repainted where the
  // cache holds the last, else whole, for the frames after it. One far from
  // the last is drawn as always.
  const bool close = markChangedTiles(colored);
  if (close && frame_cache.holdsPicture()) {
    repaintMarkedTiles();
  } else if (close) {
    drawWholePicture();
  } else {
    frame_cache.forget();
  }
  last_cells.assign(pending.begin(), pending.end());
  last_reaches.swap(reaches);
  last_tile_owners.swap(tile_owners);
  last_colored = colored;
  if (close) {
    frame_cache.present(target);
    countDrawCall();
  }
  return close;
}

void CellBatch::drawWholePicture() {
  sf::RenderTarget& canvas = frame_cache.startPicture();
  if (!flush_memo.repeats(pending.data(), pending.size() * sizeof(PendingCell), true, canvas)) {
    buildLayers();
  }
  drawLayers(canvas);
}

bool CellBatch::markChangedTiles(bool colored) {
  // Coloured backgrounds lay glyphs out as quads, black ones as triangles,
  // and the two round a few smoothed pixels apart: a picture drawn one way
  // is not repainted the other.
  if (last_cells.size() != pending.size() || colored != last_colored) {
    return false;
  }
  tile_marked.assign(tileCount(), 0);
  marked_tiles.clear();
  // Past a third of the tiles, drawing the whole picture costs less: the
  // marking stops there.
  const auto close = [this] { return marked_tiles.size() * 3 <= tileCount(); };
  for (std::size_t i = 0; i < pending.size() && close(); i++) {
    if (std::memcmp(&pending[i], &last_cells[i], sizeof(PendingCell)) != 0) {
      // Where the cell showed, and where it shows now.
      const int index = static_cast<int>(i);
      markShownTiles(last_reaches[i], index, last_tile_owners);
      markShownTiles(reaches[i], index, tile_owners);
    }
  }
  if (close()) {
    markRecutTiles();
  }
  return close();
}

void CellBatch::repaintMarkedTiles() {
  if (marked_tiles.empty()) {
    return;
  }
  // The triangles built here are not the ones the memo remembers.
  flush_memo.forget();
  // The cells that show in a marked tile, those no later cell's background
  // covers there, are built as drawing the whole picture builds them, and
  // drawn the same way: the stencil keeps what they paint elsewhere out.
  chosen_cells.assign(pending.size(), false);
  for (std::size_t i = 0; i < pending.size(); i++) {
    chosen_cells[i] = showsInMarkedTile(reaches[i], static_cast<int>(i));
  }
  repainting = true;
  buildLayers(&chosen_cells);
  repainting = false;
  const bool colored = backgrounds_on_grid;
  backgrounds_on_grid = false;
  gatherMarkedAreas(colored);
  // Marking the tiles paints them as the whole picture's backgrounds do: in
  // the colour of the last cell on each, black where there is none.
  sf::RenderTarget& canvas = frame_cache.startRepaint();
  if (!area_vertices.empty()) {
    canvas.draw(area_vertices.data(), area_vertices.size(), sf::Triangles,
                sf::RenderStates(sf::BlendNone));
  }
  background_grid.drawParts(canvas, grid_area_vertices);
  frame_cache.keepToMarks();
  drawLayers(canvas);
  frame_cache.finishRepaint();
  countDrawCall();
}

void CellBatch::gatherMarkedAreas(bool colored) {
  // Runs of marked tiles along a row, merged with the same run of the row
  // above: a few large quads cost the GL far less than many small ones.
  area_rects.clear();
  open_rects.clear();
  for (int row = 0; row <= rows; row++) {
    std::size_t above = 0;
    const std::size_t above_end = open_rects.size();
    for (int column = 0; column <= columns;) {
      if (tile_marked[tileIndex(column, row)] == 0) {
        column++;
        continue;
      }
      // The column and the row beyond the grid are black, never in a run
      // with the grid's tiles.
      const int start = column;
      do {
        column++;
      } while (column < columns && tile_marked[tileIndex(column, row)] != 0);
      const int end = column - 1;
      while (above < above_end && area_rects[open_rects[above]].left < start) {
        above++;
      }
      if (above < above_end && row != 1 && area_rects[open_rects[above]].left == start &&
          area_rects[open_rects[above]].right == end) {
        area_rects[open_rects[above]].bottom = row;
        open_rects.push_back(open_rects[above]);
      } else {
        open_rects.push_back(area_rects.size());
        area_rects.push_back(TileRect{start, row, end, row});
      }
    }
    open_rects.erase(open_rects.begin(), open_rects.begin() + static_cast<std::ptrdiff_t>(above_end));
  }
  appendAreaQuads(colored);
}

void CellBatch::appendAreaQuads(bool colored) {
  area_vertices.clear();
  grid_area_vertices.clear();
  // Drawn as triangles, whichever way the glyphs are.
  const sf::PrimitiveType glyph_primitive = primitive;
  primitive = sf::Triangles;
  for (const TileRect& rect : area_rects) {
    const Edges first = tileEdges(tileIndex(rect.left, rect.top));
    const Edges last = tileEdges(tileIndex(rect.right, rect.bottom));
    const Edges edges{first.left, first.top, last.right, last.bottom};
    if (colored && rect.top > 0 && rect.right < columns) {
      // The background grid's texels are its cells; tile row r is grid row
      // r - 1.
      const Edges cells{static_cast<float>(rect.left), static_cast<float>(rect.top - 1),
                        static_cast<float>(rect.right + 1), static_cast<float>(rect.bottom)};
      appendQuad(grid_area_vertices, edges, cells, sf::Color::White);
    } else {
      appendQuad(area_vertices, edges, whiteTexel(), CELL_BACKGROUND_COLOR);
    }
  }
  primitive = glyph_primitive;
}

std::size_t CellBatch::tileIndex(int column, int row) const {
  return static_cast<std::size_t>(row * (columns + 1) + column);
}

void CellBatch::markRecutTiles() {
  // A glyph is drawn as the pieces that later backgrounds leave of it, and
  // how it is cut into triangles rounds a few of its smoothed pixels: where
  // a cell's background came or went, the glyphs it cut are drawn again.
  bool any_moved = false;
  for (std::size_t j = 0; j < pending.size() && !any_moved; j++) {
    any_moved = !samePen(pending[j], last_cells[j]);
  }
  if (!any_moved) {
    return;
  }
  fileInBuckets(quads);
  for (std::size_t j = 0; j < pending.size(); j++) {
    if (!samePen(pending[j], last_cells[j])) {
      markTilesOfGlyphsUnder(backgroundEdges(last_cells[j].pen), static_cast<int>(j));
      markTilesOfGlyphsUnder(backgroundEdges(pending[j].pen), static_cast<int>(j));
    }
  }
}

bool CellBatch::samePen(const PendingCell& a, const PendingCell& b) {
  return std::memcmp(&a.pen, &b.pen, sizeof(a.pen)) == 0;
}

void CellBatch::markTilesOfGlyphsUnder(const Edges& background, int index) {
  forEachBucket(background, [this, &background, index](std::size_t bucket) {
    for (int k = bucket_start[bucket]; k < bucket_start[bucket + 1]; k++) {
      const int earlier = bucket_cells[static_cast<std::size_t>(k)];
      const Edges& quad = quads[static_cast<std::size_t>(earlier)];
      if (earlier < index && quad.left < background.right && background.left < quad.right &&
          quad.top < background.bottom && background.top < quad.bottom) {
        const std::size_t i = static_cast<std::size_t>(earlier);
        markShownTiles(reaches[i], earlier, tile_owners);
        markShownTiles(last_reaches[i], earlier, last_tile_owners);
      }
    }
  });
}

bool CellBatch::touchesMarkedTile(const Edges& rect) const {
  bool touches = false;
  forEachBucket(rect, [this, &touches](std::size_t tile) { touches = touches || tile_marked[tile] != 0; });
  return touches;
}

bool CellBatch::showsInMarkedTile(const Edges& reach, int index) const {
  bool shows = false;
  forEachBucket(reach, [this, index, &shows](std::size_t tile) {
    shows = shows || (tile_marked[tile] != 0 && tile_owners[tile] <= index);
  });
  return shows;
}

void CellBatch::markShownTiles(const Edges& reach, int index, const std::vector<int>& owners) {
  forEachBucket(reach, [this, index, &owners](std::size_t tile) {
    if (owners[tile] <= index && tile_marked[tile] == 0) {
      tile_marked[tile] = 1;
      marked_tiles.push_back(tile);
    }
  });
}

CellBatch::Edges CellBatch::inkOf(const Edges& quad, const Edges& texture) {
  // Smoothing at a pixel centre samples the two texels on either side of
  // it: it reaches past the transparent texel at the quad's edge only more
  // than half a texel inside. A hair less keeps rounding on the safe side.
  const float SAFETY = 0.001f;
  const float inset_x = 0.5f * (quad.right - quad.left) / (texture.right - texture.left) - SAFETY;
  const float inset_y = 0.5f * (quad.bottom - quad.top) / (texture.bottom - texture.top) - SAFETY;
  return Edges{quad.left + inset_x, quad.top + inset_y, quad.right - inset_x, quad.bottom - inset_y};
}

CellBatch::Edges CellBatch::reachOf(const PendingCell& cell, Edges& whole) {
  Edges reach = whole;
  Edges quad;
  Edges texture;
  if (glyphEdges(cell, quad, texture)) {
    const Edges ink = inkOf(quad, texture);
    reach = Edges{std::min(reach.left, ink.left), std::min(reach.top, ink.top),
                  std::max(reach.right, ink.right), std::max(reach.bottom, ink.bottom)};
    whole = Edges{std::min(whole.left, quad.left), std::min(whole.top, quad.top),
                  std::max(whole.right, quad.right), std::max(whole.bottom, quad.bottom)};
  }
  return reach;
}

bool CellBatch::hasGlyphs(std::size_t count) {
  std::size_t found = 0;
  for (std::size_t i = 0; i < pending.size() && found < count; i++) {
    found += glyph_cache.glyph(pending[i].code_point).visible ? 1 : 0;
  }
  return found >= count;
}

void CellBatch::forgetLastFrame() {
  frame_cache.forget();
  last_cells.clear();
}

void CellBatch::buildLayers(const std::vector<bool>* p_chosen) {
  vertices.clear();
  background_vertices.clear();
  // Glyphs reach beyond their cells, so a later cell's background must
  // cover an earlier glyph. Cutting the parts it covers off the earlier
  // glyph gives the same picture, and lets every background be drawn first,
  // in a layer of its own that needs neither texture nor blending: the
  // cheapest fill there is. On the black target that only this batch has
  // drawn into, black backgrounds need not be drawn at all. Once anything
  // else is in the target (an earlier flush, or drawing of its own), cells
  // that are all black are drawn as they come, each background and then its
  // glyph, as they always were.
  const bool colored = hasColoredBackground();
  // Cells as they always were keep the triangles of a text object; cells with
  // coloured backgrounds, new in any picture, take a third fewer vertices.
  primitive = colored ? sf::Quads : sf::Triangles;
  if (target_drawn && !colored) {
    appendCellsInDrawingOrder();
    backgrounds_on_grid = false;
    return;
  }
  // Cells that all stand on the grid have their backgrounds drawn as one
  // picture of a texel per cell; the others, a quad per cell.
  const bool paint_backgrounds = target_drawn || colored;
  backgrounds_on_grid = paint_backgrounds && paintBackgroundGrid();
  appendCellsInTwoLayers(paint_backgrounds && !backgrounds_on_grid, p_chosen);
}

void CellBatch::drawLayers(sf::RenderTarget& target) {
  if (backgrounds_on_grid) {
    const Edges corner = backgroundEdges(sf::Vector2f(0, 0));
    background_grid.draw(target, sf::Vector2f(corner.left, corner.top),
                         sf::Vector2f(cell_width, cell_height));
    countDrawCall();
  } else if (!background_vertices.empty()) {
    target.draw(background_vertices.data(), background_vertices.size(), primitive,
                sf::RenderStates(sf::BlendNone));
    countDrawCall();
  }
  drawGlyphLayer(target);
}

void CellBatch::drawGlyphLayer(sf::RenderTarget& target) {
  if (vertices.empty()) {
    return;
  }
  sf::RenderStates states;
  states.texture = &font.getTexture(characterSize());
  target.draw(vertices.data(), vertices.size(), primitive, states);
  countDrawCall();
}

void CellBatch::countDrawCall() {
  draw_calls++;
  target_drawn = true;
}

bool CellBatch::hasColoredBackground() const {
  return std::any_of(pending.begin(), pending.end(),
                     [](const PendingCell& cell) { return !isBlack(cell.background); });
}

}  // namespace wd
