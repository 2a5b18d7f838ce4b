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
      scale(1.0f) {
  resetGlyphs();
}

void CellBatch::add(sf::Vector2f pen, sf::Color color, char ch) {
  pending.push_back(PendingCell{pen, color, ch});
}

void CellBatch::markTargetDrawn() { target_drawn = true; }

bool CellBatch::drawsBackgrounds() const { return target_drawn; }

void CellBatch::startFrame() {
  pending.clear();
  target_drawn = false;
}

void CellBatch::reset() {
  startFrame();
  resetGlyphs();
}

void CellBatch::prepareFont() {
  // A text object measures 'x' and the space before its first glyph; loading
  // them first too gives the font's texture the same layout, so the smoothing
  // of every glyph samples exactly the same texels.
  font.getGlyph(U'x', characterSize(), true);
  font.getGlyph(U' ', characterSize(), true);
}

std::int64_t CellBatch::getDrawCalls() const { return draw_calls; }

void CellBatch::setScale(float new_scale) {
  if (new_scale == scale) {
    return;
  }
  scale = new_scale;
  resetGlyphs();
}

float CellBatch::getScale() const { return scale; }

const CellBatch::GlyphQuad& CellBatch::glyphQuad(char ch) {
  GlyphQuad& quad = glyphs[static_cast<unsigned char>(ch)];
  if (quad.loaded) {
    return quad;
  }
  // The code point a one-character text of ch would hold: narrow characters
  // are widened with the default locale.
  const sf::Uint32 code_point = sf::String(ch)[0];
  quad.loaded = true;
  quad.visible = code_point != U' ' && code_point != U'\t' && code_point != U'\n' &&
                 code_point != U'\r';
  if (quad.visible) {
    const sf::Glyph& glyph = font.getGlyph(code_point, characterSize(), true);
    quad.bounds = glyph.bounds;
    quad.texture_rect = glyph.textureRect;
  }
  return quad;
}

CellBatch::Edges CellBatch::backgroundEdges(sf::Vector2f pen) const {
  const float width = cellWidth();
  const float height = cellHeight();
  const float left = pen.x - width / 10;
  const float top = pen.y + height / 5;
  return Edges{left, top, left + width, top + height};
}

bool CellBatch::glyphEdges(const PendingCell& cell, Edges& quad, Edges& texture) {
  const GlyphQuad& glyph = glyphQuad(cell.ch);
  if (!glyph.visible) {
    return false;
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
  const sf::IntRect& rect = glyph.texture_rect;
  texture = Edges{static_cast<float>(rect.left) - GLYPH_PADDING,
                  static_cast<float>(rect.top) - GLYPH_PADDING,
                  static_cast<float>(rect.left + rect.width) + GLYPH_PADDING,
                  static_cast<float>(rect.top + rect.height) + GLYPH_PADDING};
  return true;
}

void CellBatch::appendQuad(const Edges& quad, const Edges& texture, sf::Color color) {
  const sf::Vertex upper_left(sf::Vector2f(quad.left, quad.top), color,
                              sf::Vector2f(texture.left, texture.top));
  const sf::Vertex upper_right(sf::Vector2f(quad.right, quad.top), color,
                               sf::Vector2f(texture.right, texture.top));
  const sf::Vertex lower_right(sf::Vector2f(quad.right, quad.bottom), color,
                               sf::Vector2f(texture.right, texture.bottom));
  const sf::Vertex lower_left(sf::Vector2f(quad.left, quad.bottom), color,
                              sf::Vector2f(texture.left, texture.bottom));
  // The triangle order of a text object's glyph quads.
  vertices.push_back(upper_left);
  vertices.push_back(upper_right);
  vertices.push_back(lower_left);
  vertices.push_back(lower_left);
  vertices.push_back(upper_right);
  vertices.push_back(lower_right);
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

void CellBatch::appendGlyphPiece(const Edges& piece, const Edges& quad,
                                      const Edges& texture, sf::Color color) {
  const Edges piece_texture{
      interpolate(piece.left, quad.left, quad.right, texture.left, texture.right),
      interpolate(piece.top, quad.top, quad.bottom, texture.top, texture.bottom),
      interpolate(piece.right, quad.left, quad.right, texture.left, texture.right),
      interpolate(piece.bottom, quad.top, quad.bottom, texture.top, texture.bottom)};
  appendQuad(piece, piece_texture, color);
}

void CellBatch::appendCellsInDrawingOrder() {
  const Edges white{WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL};
  for (const PendingCell& cell : pending) {
    appendQuad(backgroundEdges(cell.pen), white, CELL_BACKGROUND_COLOR);
    Edges quad;
    Edges texture;
    if (glyphEdges(cell, quad, texture)) {
      appendQuad(quad, texture, cell.color);
    }
  }
}

void CellBatch::appendGlyphsClippedByLaterBackgrounds() {
  backgrounds.clear();
  for (const PendingCell& cell : pending) {
    backgrounds.push_back(backgroundEdges(cell.pen));
  }
  bucketBackgrounds();
  for (std::size_t i = 0; i < pending.size(); i++) {
    Edges quad;
    Edges texture;
    // A glyph wholly outside the window shows nowhere.
    if (!glyphEdges(pending[i], quad, texture) || !touchesWindow(quad)) {
      continue;
    }
    cutByLaterBackgrounds(static_cast<int>(i), quad);
    for (const Edges& piece : glyph_pieces) {
      appendGlyphPiece(piece, quad, texture, pending[i].color);
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
  vertices.clear();
  // The target is cleared to opaque black and every background is opaque
  // black, so on a target that only this batch has drawn into, a background
  // changes only pixels where an earlier glyph of the same frame reaches
  // into it. Cutting those parts off the earlier glyphs gives the same
  // picture without drawing backgrounds at all, which saves most of the
  // fill. Once anything is in the target (an earlier flush, or drawing of
  // its own), the backgrounds are drawn as they come.
  if (target_drawn) {
    appendCellsInDrawingOrder();
  } else {
    appendGlyphsClippedByLaterBackgrounds();
  }
  pending.clear();
  if (vertices.empty()) {
    return;
  }
  sf::RenderStates states;
  states.texture = &font.getTexture(characterSize());
  target.draw(vertices.data(), vertices.size(), sf::Triangles, states);
  draw_calls++;
  target_drawn = true;
}

void CellBatch::resetGlyphs() {
  for (GlyphQuad& quad : glyphs) {
    quad = GlyphQuad{false, false, sf::FloatRect(), sf::IntRect()};
  }
}

}  // namespace wd
