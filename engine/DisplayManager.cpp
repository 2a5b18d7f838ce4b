#include "DisplayManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "LogManager.h"
#include "utility.h"

// Xlib defines macros (None, Status, Bool, ...) that clash with other headers,
// so it comes last.
#include <X11/Xlib.h>

namespace wd {

const char* const WINDOW_TITLE = "Wendrel";
const char* const FONT_FILE = "wd-font.ttf";

namespace {

const sf::Color CELL_BACKGROUND_COLOR = sf::Color::Black;
const unsigned int COLOR_DEPTH_BITS = 32;

// The white block the font keeps at the top-left of its texture; sampling its
// centre gives pure white even with smoothing, so untextured quads can share
// the glyphs' texture and draw call.
const sf::Vector2f WHITE_TEXEL(1.0f, 1.0f);

// Vertices of one character: the background quad and the glyph quad.
const std::size_t VERTICES_PER_CELL = 12;

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


// A server that has just lost its last client resets and refuses new
// clients for a moment, so a refusal is retried for about half a second.
Display* connectToDisplay() {
  const int ATTEMPTS = 20;
  for (int attempt = 1;; attempt++) {
    Display* p_display = XOpenDisplay(nullptr);
    if (p_display != nullptr || attempt == ATTEMPTS) {
      return p_display;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
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
      current_color(sf::Color::White) {
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
  Display* p_probe = connectToDisplay();
  if (p_probe == nullptr) {
    const char* p_name = XDisplayName(nullptr);
    LogManager::getInstance().writeMessage("Error! Unable to open display '%s'\n", p_name);
    std::fprintf(stderr, "Error! Unable to open display '%s'\n", p_name);
    return -1;
  }
  p_window = new sf::RenderWindow(
      sf::VideoMode(static_cast<unsigned int>(window_width_pixels),
                    static_cast<unsigned int>(window_height_pixels), COLOR_DEPTH_BITS),
      WINDOW_TITLE, sf::Style::Titlebar, sf::ContextSettings());
  XCloseDisplay(p_probe);
  p_window->setMouseCursorVisible(false);
  p_window->setVerticalSyncEnabled(true);
  batch.clear();
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
  batch.clear();
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
  const sf::Vector2f pen(pixel_pos.getX(), pixel_pos.getY());
  if (isKnownColor(color)) {
    current_color = toSfColor(color);
  }
  appendBackground(pen);
  appendGlyph(pen, ch);
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
  p_window->clear(sf::Color(0, 0, 0, 255));
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

void DisplayManager::appendBackground(sf::Vector2f pixel_pos) {
  const float width = cellWidth();
  const float height = cellHeight();
  const sf::Vector2f corner(pixel_pos.x - width / 10, pixel_pos.y + height / 5);
  appendQuad(corner, sf::Vector2f(corner.x + width, corner.y + height), WHITE_TEXEL, WHITE_TEXEL,
             CELL_BACKGROUND_COLOR);
}

void DisplayManager::appendGlyph(sf::Vector2f pixel_pos, char ch) {
  const GlyphQuad& quad = glyphQuad(ch);
  if (!quad.visible) {
    return;
  }
  // The pen stands on the baseline, one character size below the position;
  // corners are computed in the same order as for a text object so that the
  // rounding, and thus the picture, is the same.
  const float pen_y = static_cast<float>(characterSize());
  const float left = quad.bounds.left - GLYPH_PADDING;
  const float top = quad.bounds.top - GLYPH_PADDING;
  const float right = quad.bounds.left + quad.bounds.width + GLYPH_PADDING;
  const float bottom = quad.bounds.top + quad.bounds.height + GLYPH_PADDING;
  const sf::IntRect& rect = quad.texture_rect;
  appendQuad(sf::Vector2f(pixel_pos.x + left, pixel_pos.y + (pen_y + top)),
             sf::Vector2f(pixel_pos.x + right, pixel_pos.y + (pen_y + bottom)),
             sf::Vector2f(static_cast<float>(rect.left) - GLYPH_PADDING,
                          static_cast<float>(rect.top) - GLYPH_PADDING),
             sf::Vector2f(static_cast<float>(rect.left + rect.width) + GLYPH_PADDING,
                          static_cast<float>(rect.top + rect.height) + GLYPH_PADDING),
             current_color);
}

void DisplayManager::appendQuad(sf::Vector2f top_left, sf::Vector2f bottom_right,
                                sf::Vector2f tex_top_left, sf::Vector2f tex_bottom_right,
                                sf::Color color) {
  const sf::Vertex upper_left(top_left, color, tex_top_left);
  const sf::Vertex upper_right(sf::Vector2f(bottom_right.x, top_left.y), color,
                               sf::Vector2f(tex_bottom_right.x, tex_top_left.y));
  const sf::Vertex lower_right(bottom_right, color, tex_bottom_right);
  const sf::Vertex lower_left(sf::Vector2f(top_left.x, bottom_right.y), color,
                              sf::Vector2f(tex_top_left.x, tex_bottom_right.y));
  if (batch.capacity() - batch.size() < 6) {
    batch.reserve(std::max(batch.capacity() * 2,
                           VERTICES_PER_CELL * static_cast<std::size_t>(window_columns * window_rows)));
  }
  // The triangle order of a text object's glyph quads.
  batch.push_back(upper_left);
  batch.push_back(upper_right);
  batch.push_back(lower_left);
  batch.push_back(lower_left);
  batch.push_back(upper_right);
  batch.push_back(lower_right);
}

void DisplayManager::flushBatch() {
  if (batch.empty() || p_window == nullptr) {
    return;
  }
  sf::RenderStates states;
  states.texture = &font.getTexture(characterSize());
  p_window->draw(batch.data(), batch.size(), sf::Triangles, states);
  batch.clear();
}

void DisplayManager::resetGlyphs() {
  for (GlyphQuad& quad : glyphs) {
    quad = GlyphQuad{false, false, sf::FloatRect(), sf::IntRect()};
  }
}

}  // namespace wd
