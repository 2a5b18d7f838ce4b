#include "DisplayManager.h"

#include <algorithm>
#include <iostream>
#include <numeric>

#include "DisplayProbe.h"
#include "LogManager.h"
#include "utility.h"

namespace wd {

const char* const WINDOW_TITLE = "Wendrel";
const char* const FONT_FILE = "wd-font.ttf";

namespace {

const sf::Color CELL_BACKGROUND_COLOR = sf::Color::Black;
const unsigned int COLOR_DEPTH_BITS = 32;

// The white block the font keeps at the top-left of its texture; sampling its
// centre gives pure white even with smoothing, so untextured quads can share
// the glyphs' texture and draw call.
const float WHITE_TEXEL = 1.0f;

// The font's texture leaves this much room around each glyph; the quad takes
// one pixel of it on every side so that smoothing keeps the glyph's edges.
const float GLYPH_PADDING = 1.0f;

sf::Color toSfColor(Color color) {
  static const sf::Color SF_COLORS[] = {sf::Color::Black, sf::Color::Red,     sf::Color::Green,
                                        sf::Color::Yellow, sf::Color::Blue,   sf::Color::Magenta,
                                        sf::Color::Cyan,  sf::Color::White};
  return SF_COLORS[color];
}

bool isKnownColor(Color color) { return color >= BLACK && color <= WHITE; }

// Every glyph is drawn at this size, bold.
unsigned int characterSize() {
  return static_cast<unsigned int>(2.0f * std::min(cellWidth(), cellHeight()));
}

}  // namespace

float cellWidth() {
  const DisplayManager& display_manager = DisplayManager::getInstance();
  return static_cast<float>(display_manager.getWidthPixels()) /
         static_cast<float>(display_manager.getColumns());
}

float cellHeight() {
  const DisplayManager& display_manager = DisplayManager::getInstance();
  return static_cast<float>(display_manager.getHeightPixels()) /
         static_cast<float>(display_manager.getRows());
}

Vector cellsToPixels(Vector cells) {
  return Vector(cells.getX() * cellWidth(), cells.getY() * cellHeight());
}

DisplayManager::DisplayManager()
    : p_window(nullptr),
      window_width_pixels(1024),
      window_height_pixels(900),
      window_columns(100),
      window_rows(50),
      current_color(sf::Color::White),
      frame_drawn(false) {
  setType("DisplayManager");
  resetGlyphs();
}

DisplayManager::~DisplayManager() { delete p_window; }

DisplayManager& DisplayManager::getInstance() {
  static DisplayManager display_manager;
  return display_manager;
}

int DisplayManager::startUp() {
  if (p_window != nullptr) {
    return 0;
  }
  // The window library ends the process when it cannot reach the X server, so
  // ask first. The probe stays connected until the window is made: a server
  // whose last client leaves resets, and would refuse the window meanwhile.
  DisplayProbe probe;
  if (probe.connect() == 0) {
    p_window = new sf::RenderWindow(
        sf::VideoMode(static_cast<unsigned int>(window_width_pixels),
                      static_cast<unsigned int>(window_height_pixels), COLOR_DEPTH_BITS),
        WINDOW_TITLE, sf::Style::Titlebar, sf::ContextSettings());
  }
  probe.release();
  if (p_window == nullptr || !p_window->isOpen()) {
    delete p_window;
    p_window = nullptr;
    // Only logged: what to tell the player is the game's choice.
    const char* p_name = probe.displayName();
    LogManager::getInstance().writeMessage("Error! Unable to open display '%s'\n", p_name);
    return -1;
  }
  p_window->setMouseCursorVisible(false);
  p_window->setVerticalSyncEnabled(true);
  // The first frame, too, must start black: only glyphs are drawn into it.
  p_window->clear(CELL_BACKGROUND_COLOR);
  frame_drawn = false;
  pending.clear();
  resetGlyphs();
  if (!font.loadFromFile(FONT_FILE)) {
    std::cout << "Error! Unable to load font '" << FONT_FILE << "'" << std::endl;
    return -1;
  }
  // A text object measures 'x' and the space before its first glyph; loading
  // them first too gives the font's texture the same layout, so the smoothing
  // of every glyph samples exactly the same texels.
  font.getGlyph(U'x', characterSize(), true);
  font.getGlyph(U' ', characterSize(), true);
  return Manager::startUp();
}

void DisplayManager::shutDown() {
  if (p_window != nullptr) {
    p_window->close();
    delete p_window;
    p_window = nullptr;
  }
  pending.clear();
  // The next start loads the font again; freeing its textures now, while a
  // context can still be made, spares the graphics driver a context created
  // during program exit.
  font = sf::Font();
  resetGlyphs();
  Manager::shutDown();
}

int DisplayManager::drawCharacter(Vector world_pos, char ch, Color color) {
  if (p_window == nullptr) {
    return -1;
  }
  const Vector pixel_pos = cellsToPixels(toViewPosition(world_pos));
  if (isKnownColor(color)) {
    current_color = toSfColor(color);
  }
  pending.push_back(
      PendingCell{sf::Vector2f(pixel_pos.getX(), pixel_pos.getY()), current_color, ch});
  return 0;
}

int DisplayManager::drawString(Vector world_pos, std::string str, Alignment just, Color color) {
  const int length = static_cast<int>(str.size());
  Vector starting_pos = world_pos;
  switch (just) {
    case ALIGN_CENTER:
      starting_pos.setX(world_pos.getX() - static_cast<float>(length / 2));
      break;
    case ALIGN_RIGHT:
      starting_pos.setX(world_pos.getX() - static_cast<float>(length));
      break;
    default:
      break;
  }
  for (int i = 0; i < length; i++) {
    const Vector temp_pos(starting_pos.getX() + static_cast<float>(i), starting_pos.getY());
    drawCharacter(temp_pos, str[static_cast<std::size_t>(i)], color);
  }
  return 0;
}

int DisplayManager::swapBuffers() {
  if (p_window == nullptr) {
    return -1;
  }
  flushBatch();
  p_window->display();
  p_window->clear(CELL_BACKGROUND_COLOR);
  frame_drawn = false;
  return 0;
}

sf::Image DisplayManager::captureFrame() {
  if (p_window == nullptr) {
    return sf::Image();
  }
  flushBatch();
  const sf::Vector2u size = p_window->getSize();
  sf::Texture back_buffer;
  if (!back_buffer.create(size.x, size.y)) {
    return sf::Image();
  }
  back_buffer.update(*p_window);
  return back_buffer.copyToImage();
}

int DisplayManager::getColumns() const { return window_columns; }

int DisplayManager::getRows() const { return window_rows; }

int DisplayManager::getWidthPixels() const { return window_width_pixels; }

int DisplayManager::getHeightPixels() const { return window_height_pixels; }

sf::RenderWindow* DisplayManager::getWindow() const { return p_window; }

const DisplayManager::GlyphQuad& DisplayManager::glyphQuad(char ch) {
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

DisplayManager::Edges DisplayManager::backgroundEdges(sf::Vector2f pen) const {
  const float width = cellWidth();
  const float height = cellHeight();
  const float left = pen.x - width / 10;
  const float top = pen.y + height / 5;
  return Edges{left, top, left + width, top + height};
}

bool DisplayManager::glyphEdges(const PendingCell& cell, Edges& quad, Edges& texture) {
  const GlyphQuad& glyph = glyphQuad(cell.ch);
  if (!glyph.visible) {
    return false;
  }
  // The pen stands on the baseline, one character size below the position;
  // corners are computed in the same order as for a text object so that the
  // rounding, and thus the picture, is the same.
  const float pen_y = static_cast<float>(characterSize());
  const sf::FloatRect& bounds = glyph.bounds;
  quad = Edges{cell.pen.x + (bounds.left - GLYPH_PADDING),
               cell.pen.y + (pen_y + (bounds.top - GLYPH_PADDING)),
               cell.pen.x + (bounds.left + bounds.width + GLYPH_PADDING),
               cell.pen.y + (pen_y + (bounds.top + bounds.height + GLYPH_PADDING))};
  const sf::IntRect& rect = glyph.texture_rect;
  texture = Edges{static_cast<float>(rect.left) - GLYPH_PADDING,
                  static_cast<float>(rect.top) - GLYPH_PADDING,
                  static_cast<float>(rect.left + rect.width) + GLYPH_PADDING,
                  static_cast<float>(rect.top + rect.height) + GLYPH_PADDING};
  return true;
}

void DisplayManager::appendQuad(const Edges& quad, const Edges& texture, sf::Color color) {
  const sf::Vertex upper_left(sf::Vector2f(quad.left, quad.top), color,
                              sf::Vector2f(texture.left, texture.top));
  const sf::Vertex upper_right(sf::Vector2f(quad.right, quad.top), color,
                               sf::Vector2f(texture.right, texture.top));
  const sf::Vertex lower_right(sf::Vector2f(quad.right, quad.bottom), color,
                               sf::Vector2f(texture.right, texture.bottom));
  const sf::Vertex lower_left(sf::Vector2f(quad.left, quad.bottom), color,
                              sf::Vector2f(texture.left, texture.bottom));
  // The triangle order of a text object's glyph quads.
  batch.push_back(upper_left);
  batch.push_back(upper_right);
  batch.push_back(lower_left);
  batch.push_back(lower_left);
  batch.push_back(upper_right);
  batch.push_back(lower_right);
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

void DisplayManager::appendGlyphPiece(const Edges& piece, const Edges& quad,
                                      const Edges& texture, sf::Color color) {
  const Edges piece_texture{
      interpolate(piece.left, quad.left, quad.right, texture.left, texture.right),
      interpolate(piece.top, quad.top, quad.bottom, texture.top, texture.bottom),
      interpolate(piece.right, quad.left, quad.right, texture.left, texture.right),
      interpolate(piece.bottom, quad.top, quad.bottom, texture.top, texture.bottom)};
  appendQuad(piece, piece_texture, color);
}

void DisplayManager::appendCellsInDrawingOrder() {
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

void DisplayManager::appendGlyphsClippedByLaterBackgrounds() {
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

bool DisplayManager::touchesWindow(const Edges& rect) const {
  // Written so that a rectangle with a NaN edge misses too.
  return rect.right > 0 && rect.left < static_cast<float>(window_width_pixels) &&
         rect.bottom > 0 && rect.top < static_cast<float>(window_height_pixels);
}

template <typename Visit>
void DisplayManager::forEachBucket(const Edges& rect, Visit visit) const {
  if (!touchesWindow(rect)) {
    return;
  }
  // Any monotonic mapping of positions to buckets puts two overlapping
  // rectangles into at least one common bucket, so rounding does not matter.
  const auto column_of = [this](float x) {
    const float clamped = std::min(std::max(x, 0.0f), static_cast<float>(window_width_pixels));
    return std::min(static_cast<int>(clamped / cellWidth()), window_columns - 1);
  };
  const auto row_of = [this](float y) {
    const float clamped = std::min(std::max(y, 0.0f), static_cast<float>(window_height_pixels));
    return std::min(static_cast<int>(clamped / cellHeight()), window_rows - 1);
  };
  const int last_column = column_of(rect.right);
  const int last_row = row_of(rect.bottom);
  for (int row = row_of(rect.top); row <= last_row; row++) {
    for (int column = column_of(rect.left); column <= last_column; column++) {
      visit(static_cast<std::size_t>(row * window_columns + column));
    }
  }
}

void DisplayManager::bucketBackgrounds() {
  // Counted first, then filed, so that every bucket is a slice of one vector
  // listing its cells in drawing order.
  bucket_start.assign(static_cast<std::size_t>(window_columns * window_rows) + 1, 0);
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

void DisplayManager::cutByLaterBackgrounds(int index, const Edges& quad) {
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

void DisplayManager::cutPieces(const Edges& cut) {
  cut_pieces.clear();
  for (const Edges& piece : glyph_pieces) {
    subtractEdges(piece, cut, cut_pieces);
  }
  glyph_pieces.swap(cut_pieces);
}

void DisplayManager::subtractEdges(const Edges& piece, const Edges& cut, std::vector<Edges>& out) {
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

void DisplayManager::flushBatch() {
  if (pending.empty() || p_window == nullptr) {
    return;
  }
  batch.clear();
  // The back buffer is cleared to opaque black and every background is
  // opaque black, so a background changes only pixels where an earlier
  // glyph of the same frame reaches into it. Cutting those parts off the
  // earlier glyphs gives the same picture without drawing backgrounds at
  // all, which saves most of the fill. Once something has been drawn this
  // frame (a capture in between), the backgrounds are drawn as they come.
  if (frame_drawn) {
    appendCellsInDrawingOrder();
  } else {
    appendGlyphsClippedByLaterBackgrounds();
  }
  pending.clear();
  if (batch.empty()) {
    return;
  }
  sf::RenderStates states;
  states.texture = &font.getTexture(characterSize());
  p_window->draw(batch.data(), batch.size(), sf::Triangles, states);
  frame_drawn = true;
}

void DisplayManager::resetGlyphs() {
  for (GlyphQuad& quad : glyphs) {
    quad = GlyphQuad{false, false, sf::FloatRect(), sf::IntRect()};
  }
}

}  // namespace wd
