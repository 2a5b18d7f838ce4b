#include "DisplayManager.h"

#include <iostream>

#include "DisplayProbe.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "TerminalDisplay.h"
#include "Utf8Decoder.h"
#include "utility.h"

namespace wd {

const char* const WINDOW_TITLE = "Wendrel";
const char* const FONT_FILE = "wd-font.ttf";

namespace {

const unsigned int COLOR_DEPTH_BITS = 32;

const char32_t REPLACEMENT_CHARACTER = 0xFFFD;

bool isKnownColor(Color color) { return color >= BLACK && color <= WHITE; }

// The x where a string of cells cells starts to stand aligned by just at x.
float alignedStart(float x, int cells, Alignment just) {
  switch (just) {
    case ALIGN_CENTER:
      return x - static_cast<float>(cells / 2);
    case ALIGN_RIGHT:
      return x - static_cast<float>(cells);
    default:
      return x;
  }
}

}  // namespace

sf::Color rgbOf(Color color) {
  static const sf::Color SF_COLORS[] = {sf::Color::Black, sf::Color::Red,     sf::Color::Green,
                                        sf::Color::Yellow, sf::Color::Blue,   sf::Color::Magenta,
                                        sf::Color::Cyan,  sf::Color::White};
  return isKnownColor(color) ? SF_COLORS[color] : sf::Color::White;
}

float cellWidth() {
  // In a terminal a cell is the unit that positions, the mouse's too, come in.
  if (TerminalDisplay::getInstance().isActive()) {
    return 1.0f;
  }
  const DisplayManager& display_manager = DisplayManager::getInstance();
  return static_cast<float>(display_manager.getWidthPixels()) /
         static_cast<float>(display_manager.getColumns());
}

float cellHeight() {
  if (TerminalDisplay::getInstance().isActive()) {
    return 1.0f;
  }
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
      cell_batch(font, window_columns, window_rows, window_width_pixels, window_height_pixels),
      rasterising(true),
      letterbox(window_width_pixels, window_height_pixels),
      fullscreen(false),
      close_requested(false) {
  setType("DisplayManager");
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
  TerminalDisplay& terminal = TerminalDisplay::getInstance();
  if (terminal.isRequested()) {
    return terminal.start(window_columns, window_rows) == 0 ? Manager::startUp() : -1;
  }
  // The window library ends the process when it cannot reach the X server, so
  // ask first. The probe stays connected until the window is made: a server
  // whose last client leaves resets, and would refuse the window meanwhile.
  DisplayProbe probe;
  if (probe.connect() == 0) {
    fullscreen = window_options.fullscreen;
    close_requested = false;
    p_window = new sf::RenderWindow(windowMode(), window_options.titleOrDefault(),
                                    window_options.style(fullscreen), sf::ContextSettings());
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
  setUpWindow();
  cell_batch.reset();
  if (!font.loadFromFile(FONT_FILE)) {
    std::cout << "Error! Unable to load font '" << FONT_FILE << "'" << std::endl;
    return -1;
  }
  cell_batch.prepareFont();
  // Without its map every code point is taken as held: the font draws its own
  // sign for a missing glyph.
  font_coverage.load(FONT_FILE);
  // The engine's own window keeps the view the window library gives it.
  if (!window_options.asksForNothing()) {
    fitToWindow();
  }
  return Manager::startUp();
}

sf::VideoMode DisplayManager::windowMode() const {
  const sf::VideoMode logical_mode(static_cast<unsigned int>(window_width_pixels),
                                   static_cast<unsigned int>(window_height_pixels),
                                   COLOR_DEPTH_BITS);
  // The engine's own window does not depend on the screen.
  if (window_options.asksForNothing() && !fullscreen) {
    return logical_mode;
  }
  const sf::VideoMode screen = sf::VideoMode::getDesktopMode();
  return fullscreen ? screen : window_options.windowedMode(logical_mode, screen);
}

void DisplayManager::setUpWindow() {
  p_window->setMouseCursorVisible(false);
  p_window->setVerticalSyncEnabled(true);
  // The first frame, too, must start black: only glyphs are drawn into it.
  p_window->clear(CELL_BACKGROUND_COLOR);
}

void DisplayManager::fitToWindow() {
  const sf::Vector2u size = p_window->getSize();
  letterbox.fit(static_cast<int>(size.x), static_cast<int>(size.y));
  // Positions stay in the logical picture; the view puts it in its area.
  sf::View view(sf::FloatRect(0, 0, static_cast<float>(window_width_pixels),
                              static_cast<float>(window_height_pixels)));
  view.setViewport(letterbox.getViewport());
  p_window->setView(view);
  const float old_scale = cell_batch.getScale();
  cell_batch.setScale(letterbox.getScale());
  // The font keeps the glyphs of every size it has rasterised: a window
  // resized again and again would gather a texture for each size.
  if (cell_batch.getScale() != old_scale) {
    loadFontAgain();
  }
  cell_batch.prepareFont();
}

void DisplayManager::shutDown() {
  TerminalDisplay::getInstance().stop();
  if (p_window != nullptr) {
    p_window->close();
    delete p_window;
    p_window = nullptr;
  }
  cell_batch.reset();
  letterbox = Letterbox(window_width_pixels, window_height_pixels);
  cell_batch.setScale(letterbox.getScale());
  // The next start loads the font again; freeing its textures now, while a
  // context can still be made, spares the graphics driver a context created
  // during program exit.
  font = sf::Font();
  Manager::shutDown();
}

int DisplayManager::drawCharacter(Vector world_pos, char ch, Color color) {
  if (!isOpen()) {
    return -1;
  }
  const Vector view_pos = toViewPosition(world_pos);
  const sf::Color foreground = fillColor(color);
  if (!takeCell(view_pos, static_cast<unsigned char>(ch), foreground, CELL_BACKGROUND_COLOR)) {
    return 0;
  }
  const Vector pixel_pos = cellsToPixels(view_pos);
  cell_batch.add(sf::Vector2f(pixel_pos.getX(), pixel_pos.getY()), foreground, ch);
  return 0;
}

int DisplayManager::drawString(Vector world_pos, std::string str, Alignment just, Color color) {
  const float start_x = alignedStart(world_pos.getX(), Utf8Decoder::countSteps(str), just);
  int column = 0;
  for (Utf8Decoder decoder(str); !decoder.atEnd(); column++) {
    const Utf8Char step = decoder.next();
    const Vector temp_pos(start_x + static_cast<float>(column), world_pos.getY());
    // A byte of its own, ASCII or not UTF-8, draws as it always has.
    if (step.length == 1) {
      drawCharacter(temp_pos, static_cast<char>(step.code_point), color);
    } else {
      drawGlyph(temp_pos, step.code_point, fillColor(color));
    }
  }
  return 0;
}

int DisplayManager::drawGlyph(Vector world_pos, char32_t code_point, sf::Color foreground,
                              sf::Color background) {
  if (!isOpen()) {
    return -1;
  }
  const Vector view_pos = toViewPosition(world_pos);
  if (!takeCell(view_pos, code_point, foreground, background)) {
    return 0;
  }
  const Vector pixel_pos = cellsToPixels(view_pos);
  cell_batch.add(sf::Vector2f(pixel_pos.getX(), pixel_pos.getY()),
                 font_coverage.drawable(code_point, "drawGlyph()"), foreground, background);
  return 0;
}

bool DisplayManager::takeCell(Vector view_pos, char32_t code_point, sf::Color foreground,
                              sf::Color background) {
  // The fingerprint hashes the cell as asked for, whatever shows it, so that
  // it is the same in a window and in a terminal, with any font.
  frame_fingerprint.addCell(view_pos, code_point, foreground, background);
  TerminalDisplay& terminal = TerminalDisplay::getInstance();
  if (terminal.isActive()) {
    terminal.putCell(view_pos, code_point, foreground, background);
    return false;
  }
  return true;
}

int DisplayManager::drawText(Vector world_pos, const std::string& text, Alignment just,
                             sf::Color foreground, sf::Color background) {
  const float start_x = alignedStart(world_pos.getX(), Utf8Decoder::countSteps(text), just);
  int column = 0;
  for (Utf8Decoder decoder(text); !decoder.atEnd(); column++) {
    const Utf8Char step = decoder.next();
    drawGlyph(Vector(start_x + static_cast<float>(column), world_pos.getY()),
              step.valid ? step.code_point : REPLACEMENT_CHARACTER, foreground, background);
  }
  return 0;
}

sf::Color DisplayManager::fillColor(Color color) {
  if (isKnownColor(color)) {
    current_color = rgbOf(color);
  }
  return current_color;
}

void DisplayManager::renewFullFont() {
  if (!cell_batch.isGlyphCacheFull() || !loadFontAgain()) {
    return;
  }
  cell_batch.reset();
  cell_batch.prepareFont();
}

bool DisplayManager::loadFontAgain() {
  sf::Font fresh;
  if (!fresh.loadFromFile(FONT_FILE)) {
    return false;
  }
  font = fresh;
  return true;
}

int DisplayManager::swapBuffers() {
  if (!isOpen()) {
    return -1;
  }
  int result = 0;
  TerminalDisplay& terminal = TerminalDisplay::getInstance();
  if (terminal.isActive()) {
    result = terminal.present();
  } else {
    if (rasterising) {
      cell_batch.flush(*p_window);
      p_window->display();
      p_window->clear(CELL_BACKGROUND_COLOR);
    }
    cell_batch.startFrame();
    renewFullFont();
  }
  frame_fingerprint.endFrame();
  return result;
}

sf::Image DisplayManager::captureFrame() {
  if (p_window == nullptr) {
    return sf::Image();
  }
  cell_batch.flush(*p_window);
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

int DisplayManager::setWindowOptions(const WindowOptions& new_options) {
  if (p_window != nullptr) {
    return -1;
  }
  window_options = new_options;
  return 0;
}

const WindowOptions& DisplayManager::getWindowOptions() const { return window_options; }

const Letterbox& DisplayManager::getLetterbox() const { return letterbox; }

int DisplayManager::setFullscreen(bool new_fullscreen) {
  if (p_window == nullptr) {
    return -1;
  }
  if (new_fullscreen == fullscreen) {
    return 0;
  }
  // The window is made again in place: the same object, so a caller still
  // polling it goes on with the new one; the font's textures are shared
  // between contexts and survive. The cells drawn so far wait in the batch,
  // in logical pixels, and go into the new window.
  fullscreen = new_fullscreen;
  p_window->create(windowMode(), window_options.titleOrDefault(),
                   window_options.style(fullscreen), sf::ContextSettings());
  if (!p_window->isOpen()) {
    return -1;
  }
  setUpWindow();
  p_window->setKeyRepeatEnabled(!InputManager::getInstance().isStarted());
  fitToWindow();
  return 0;
}

bool DisplayManager::isFullscreen() const { return fullscreen; }

int DisplayManager::toggleFullscreen() { return setFullscreen(!fullscreen); }

bool DisplayManager::followWindowEvent(const sf::Event& event) {
  if (event.type == sf::Event::Resized) {
    // The engine's own window keeps today's picture whatever its size.
    if (p_window != nullptr && (!window_options.asksForNothing() || fullscreen)) {
      fitToWindow();
    }
    return true;
  }
  if (event.type == sf::Event::Closed) {
    if (window_options.closable) {
      close_requested = true;
      GameManager::getInstance().setGameOver(true);
    }
    return true;
  }
  return false;
}

bool DisplayManager::isCloseRequested() const { return close_requested; }

sf::RenderWindow* DisplayManager::getWindow() const {
  // The caller may draw into the window: what the cells drew so far goes
  // first, and the later cells of this frame paint their backgrounds over
  // whatever the caller drew.
  if (p_window != nullptr) {
    cell_batch.flush(*p_window);
    cell_batch.markTargetDrawn();
  }
  return p_window;
}

bool DisplayManager::isOpen() const {
  return p_window != nullptr || TerminalDisplay::getInstance().isActive();
}

sf::Window* DisplayManager::getInputWindow() const { return p_window; }

const CellBatch& DisplayManager::getCellBatch() const { return cell_batch; }

FrameFingerprint& DisplayManager::getFrameFingerprint() { return frame_fingerprint; }

void DisplayManager::setRasterising(bool new_rasterising) { rasterising = new_rasterising; }

bool DisplayManager::isRasterising() const { return rasterising; }

}  // namespace wd
