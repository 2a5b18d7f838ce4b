#include "CellBatch.h"

#include <algorithm>
#include <numeric>

#include "DisplayManager.h"

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
  return static_cast<unsigned int>(2.0f * std::min(cellWidth(), cellHeight()) * scale);
}

CellBatch::CellBatch(const sf::Font& cell_font, int cell_columns, int cell_rows,
                     int window_width_pixels, int window_height_pixels)
    : font(cell_font),
      columns(cell_columns),
      rows(cell_rows),
      width_pixels(window_width_pixels),
      height_pixels(window_height_pixels),
      target_drawn(false),
      draw_calls(0),
      scale(1.0f),
      primitive(sf::Triangles),
      backgrounds_on_grid(false),
      glyph_cache(cell_font),
      background_grid(cell_columns, cell_rows),
      flush_memo(window_width_pixels, window_height_pixels) {
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
  glyph_cache.clear(characterSize());
}

float CellBatch::getScale() const { return scale; }
const FlushMemo& CellBatch::getFlushMemo() const { return flush_memo; }

char32_t CellBatch::narrowCodePoint(char ch) {
  char32_t& code_point = narrow_code_points[static_cast<unsigned char>(ch)];
  if (code_point == NOT_WIDENED) {
    // Narrow characters are widened with the default locale.
    code_point = sf::String(ch)[0];
  }
  return code_point;
}

CellBatch::Edges CellBatch::backgroundEdges(sf::Vector2f pen) const {
  const float width = cellWidth();
  const float height = cellHeight();
  const float left = pen.x - width / 10;
  const float top = pen.y + height / 5;
  return Edges{left, top, left + width, top + height};
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

void CellBatch::appendCellsInDrawingOrder() {
  for (const PendingCell& cell : pending) {
    appendQuad(vertices, backgroundEdges(cell.pen), whiteTexel(), cell.background);
    Edges quad;
    Edges texture;
    if (glyphEdges(cell, quad, texture)) {
      appendQuad(vertices, quad, texture, cell.foreground);
    }
  }
}

void CellBatch::appendCellsInTwoLayers(bool paint_backgrounds) {
  backgrounds.clear();
  for (const PendingCell& cell : pending) {
    backgrounds.push_back(backgroundEdges(cell.pen));
  }
  bucketBackgrounds();
  for (std::size_t i = 0; i < pending.size(); i++) {
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
  const sf::Vector2f cell_size(cellWidth(), cellHeight());
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
    appendPiece(out, piece, quad, texture, color);
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
  // Any monotonic mapping of positions to buckets puts two overlapping
  // rectangles into at least one common bucket, so rounding does not matter.
  const auto column_of = [this](float x) {
    const float clamped = std::min(std::max(x, 0.0f), static_cast<float>(width_pixels));
    return std::min(static_cast<int>(clamped / cellWidth()), columns - 1);
  };
  const auto row_of = [this](float y) {
    const float clamped = std::min(std::max(y, 0.0f), static_cast<float>(height_pixels));
    return std::min(static_cast<int>(clamped / cellHeight()), rows - 1);
  };
  const int last_column = column_of(rect.right);
  const int last_row = row_of(rect.bottom);
  for (int row = row_of(rect.top); row <= last_row; row++) {
    for (int column = column_of(rect.left); column <= last_column; column++) {
      visit(static_cast<std::size_t>(row * columns + column));
    }
  }
}

void CellBatch::bucketBackgrounds() {
  // Counted first, then filed, so that every bucket is a slice of one vector
  // listing its cells in drawing order.
  bucket_start.assign(static_cast<std::size_t>(columns * rows) + 1, 0);
  for (const Edges& background : backgrounds) {
    forEachBucket(background, [this](std::size_t bucket) { bucket_start[bucket + 1]++; });
  }
  std::partial_sum(bucket_start.begin(), bucket_start.end(), bucket_start.begin());
  bucket_fill.assign(bucket_start.begin(), bucket_start.end() - 1);
  bucket_cells.resize(static_cast<std::size_t>(bucket_start.back()));
  for (std::size_t j = 0; j < backgrounds.size(); j++) {
    forEachBucket(backgrounds[j], [this, j](std::size_t bucket) {
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
  // A first flush of a frame that asks for what the last one asked for
  // draws the triangles built then.
  if (!flush_memo.repeats(pending.data(), pending.size() * sizeof(PendingCell), !target_drawn,
                          target)) {
    buildLayers();
  }
  pending.clear();
  drawLayers(target);
}

void CellBatch::buildLayers() {
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
  appendCellsInTwoLayers(paint_backgrounds && !backgrounds_on_grid);
}

void CellBatch::drawLayers(sf::RenderTarget& target) {
  if (backgrounds_on_grid) {
    const Edges corner = backgroundEdges(sf::Vector2f(0, 0));
    background_grid.draw(target, sf::Vector2f(corner.left, corner.top),
                         sf::Vector2f(cellWidth(), cellHeight()));
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
