// The window a game asks for: the grid scaled to whatever size the X server gives the window,
// letterboxed to the pixel, sharp text, clicks in scaled windows, full screen and back, closing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "DisplayManager.h"
#include "EventMouse.h"
#include "EventStep.h"
#include "FramePacer.h"
#include "GameManager.h"
#include "InputManager.h"
#include "Letterbox.h"
#include "Object.h"
#include "ReplaySwitches.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "test_support.h"

// After SFML, whose names the X headers' macros would hide.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using wd::Vector;

namespace {

wd::DisplayManager& display() { return wd::DisplayManager::getInstance(); }
wd::GameManager& game() { return wd::GameManager::getInstance(); }

std::string windowId() { return std::to_string(display().getWindow()->getSystemHandle()); }

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// What command writes to its standard output.
std::string outputOf(const std::string& command) {
  std::string output;
  FILE* p_pipe = popen(command.c_str(), "r");
  char chunk[4096];
  for (std::size_t n; p_pipe != nullptr && (n = std::fread(chunk, 1, sizeof chunk, p_pipe)) > 0;) {
    output.append(chunk, n);
  }
  if (p_pipe != nullptr) {
    pclose(p_pipe);
  }
  return output;
}

// Polls until the display has followed the window to width x height.
bool followSize(unsigned int width, unsigned int height) {
  for (int i = 0; i < 200; i++) {
    wd::InputManager::getInstance().pollInput();
    if (display().getWindow()->getSize() == sf::Vector2u(width, height)) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Has the X server resize the window, as a player dragging its edge does. The GL driver gives the
// window's buffers their new size when a frame is shown, as the frame loop shows one every frame.
bool resizeWindow(unsigned int width, unsigned int height) {
  const bool followed = run("xdotool windowsize --sync " + windowId() + " " + std::to_string(width) + " " +
                            std::to_string(height)) &&
                        followSize(width, height);
  display().swapBuffers();
  return followed;
}

// Where the 1024 x 900 picture belongs in a width x height window: as large as fits, centred.
sf::IntRect expectedArea(int width, int height) {
  const double scale = std::min(width / 1024.0, height / 900.0);
  const int w = static_cast<int>(std::lround(1024 * scale));
  const int h = static_cast<int>(std::lround(900 * scale));
  return sf::IntRect((width - w) / 2, (height - h) / 2, w, h);
}

// The bounding box of the pixels lit in image.
sf::IntRect litBox(const sf::Image& image) {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  for (unsigned int y = 0; y < image.getSize().y; y++) {
    for (unsigned int x = 0; x < image.getSize().x; x++) {
      const sf::Color c = image.getPixel(x, y);
      if (c.r + c.g + c.b > 0) {
        left = std::min(left, static_cast<int>(x));
        top = std::min(top, static_cast<int>(y));
        right = std::max(right, static_cast<int>(x));
        bottom = std::max(bottom, static_cast<int>(y));
      }
    }
  }
  return sf::IntRect(left, top, right - left + 1, bottom - top + 1);
}

// Sends the window the request that a desktop's close button sends.
bool requestClose(unsigned long window) {
  Display* p_x = XOpenDisplay(nullptr);
  if (p_x == nullptr) {
    return false;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(p_x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(p_x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(p_x, window, False, NoEventMask, &event);
  XCloseDisplay(p_x);
  return sent != 0;
}

// Counts the frames' step events and keeps the last mouse event's position.
class Witness : public wd::Object {
 public:
  int handleEvent(const wd::Event* p_e) override {
    if (p_e->getType() == wd::STEP_EVENT) {
      steps++;
    } else if (p_e->getType() == wd::MSE_EVENT) {
      const auto* p_mouse = static_cast<const wd::EventMouse*>(p_e);
      if (p_mouse->getMouseAction() == wd::PRESSED) {
        clicked = p_mouse->getMousePosition();
        clicks++;
      }
    }
    return 0;
  }
  int steps = 0;
  int clicks = 0;
  Vector clicked;
};

TEST(LetterboxTest, FillsAsMuchOfEveryShapeAsItAllowsCentred) {
  wd::Letterbox letterbox(1024, 900);
  EXPECT_TRUE(letterbox.isIdentity());
  for (const sf::Vector2i size : {sf::Vector2i(512, 450), sf::Vector2i(2048, 1800), sf::Vector2i(1280, 600),
                                  sf::Vector2i(600, 1000), sf::Vector2i(1025, 901), sf::Vector2i(1, 1)}) {
    letterbox.fit(size.x, size.y);
    const sf::IntRect area = letterbox.getArea();
    EXPECT_EQ(area, expectedArea(size.x, size.y)) << size.x << "x" << size.y;
    // The window's own pixels map to the picture's edges, and back.
    const Vector corner = letterbox.toLogical(Vector(static_cast<float>(area.left), static_cast<float>(area.top)));
    const Vector far = letterbox.toLogical(Vector(static_cast<float>(area.left + area.width),
                                                  static_cast<float>(area.top + area.height)));
    EXPECT_NEAR(corner.getX(), 0, 1e-3);
    EXPECT_NEAR(corner.getY(), 0, 1e-3);
    EXPECT_NEAR(far.getX(), 1024, 1e-2);
    EXPECT_NEAR(far.getY(), 900, 1e-2);
    const Vector back = letterbox.toWindow(letterbox.toLogical(Vector(300.5f, 200.25f)));
    EXPECT_NEAR(back.getX(), 300.5f, 1e-3);
    EXPECT_NEAR(back.getY(), 200.25f, 1e-3);
  }
  letterbox.fit(1024, 900);
  EXPECT_TRUE(letterbox.isIdentity());
  EXPECT_EQ(letterbox.getScale(), 1.0f);
}

TEST(WindowOptionsTest, DefaultsAreTheEngineWindowAndTooLargeWindowsShrinkWhenResizable) {
  wd::WindowOptions options;
  EXPECT_TRUE(options.asksForNothing());
  EXPECT_EQ(options.style(false), static_cast<unsigned int>(sf::Style::Titlebar));
  EXPECT_EQ(options.titleOrDefault(), "Wendrel");
  const sf::VideoMode logical(1024, 900, 32);
  const sf::VideoMode laptop(1366, 768, 24);
  // A fixed window keeps its size, even where the screen cannot show it.
  EXPECT_EQ(options.windowedMode(logical, laptop), logical);
  options.resizable = true;
  const sf::VideoMode fitted = options.windowedMode(logical, laptop);
  EXPECT_EQ(fitted.height, 768u);
  EXPECT_EQ(fitted.width, 873u);
  EXPECT_EQ(fitted.bitsPerPixel, 32u);
  options.width_pixels = 800;
  options.height_pixels = 600;
  EXPECT_EQ(options.windowedMode(logical, laptop), sf::VideoMode(800, 600, 32));
  options.closable = true;
  EXPECT_EQ(options.style(false), static_cast<unsigned int>(sf::Style::Titlebar | sf::Style::Resize |
                                                            sf::Style::Close));
  EXPECT_EQ(options.style(true), static_cast<unsigned int>(sf::Style::Fullscreen));
}

TEST(WindowSwitchesTest, ReadsTheWindowSwitchesBesideTheOthers) {
  const auto read = [](wd::ReplaySwitches& switches, std::vector<const char*> arguments) {
    return switches.read(static_cast<int>(arguments.size()), arguments.data());
  };
  wd::ReplaySwitches switches, close_only, none, twice, missing;
  ASSERT_EQ(read(switches, {"game", "--resizable", "--size", "800x600", "--record", "f", "--fullscreen"}), 0)
      << switches.getError();
  EXPECT_EQ(switches.getRecordFile(), "f");
  EXPECT_TRUE(switches.getOtherArguments().empty());
  const wd::WindowOptions options = switches.windowOptions(wd::WindowOptions());
  EXPECT_TRUE(options.resizable && options.fullscreen && options.closable);
  EXPECT_EQ(options.width_pixels, 800);
  EXPECT_EQ(options.height_pixels, 600);
  ASSERT_EQ(read(close_only, {"game", "--closable"}), 0);
  const wd::WindowOptions close_options = close_only.windowOptions(wd::WindowOptions());
  EXPECT_TRUE(close_options.closable && !close_options.resizable && !close_options.fullscreen);
  ASSERT_EQ(read(none, {"game"}), 0);
  EXPECT_FALSE(none.setsWindow());
  EXPECT_TRUE(none.windowOptions(wd::WindowOptions()).asksForNothing());
  for (const char* size : {"800", "800x", "x600", "0x600", "800x600x", "800x-1", "99999x600"}) {
    wd::ReplaySwitches bad;
    EXPECT_EQ(read(bad, {"game", "--size", size}), -1) << size;
    EXPECT_EQ(bad.getError(), "--size without a size WxH");
  }
  EXPECT_EQ(read(twice, {"game", "--size", "8x6", "--size", "8x6"}), -1);
  EXPECT_EQ(read(missing, {"game", "--size"}), -1);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wd_test::displayAvailable() || !run("command -v xdotool")) {
      GTEST_SKIP() << "no X server or no xdotool";
    }
  }
  // Starts the engine with options; the world's view is the grid.
  void start(const wd::WindowOptions& options) {
    ASSERT_EQ(display().setWindowOptions(options), 0);
    game().startUp();
    ASSERT_TRUE(display().getWindow() != nullptr);
    EXPECT_EQ(display().setWindowOptions(options), -1);  // not once the window is open
    game().setGameOver(false);
    display().swapBuffers();
  }
  void TearDown() override {
    if (game().isStarted()) {
      game().shutDown();
    }
    display().setWindowOptions(wd::WindowOptions());
  }
  static wd::WindowOptions resizable() {
    wd::WindowOptions options;
    options.resizable = true;
    options.closable = true;
    options.title = "Wendrel scaled";
    return options;
  }
};

TEST_F(WindowTest, GridIsScaledAndLetterboxedToThePixelAtEveryShape) {
  start(resizable());
  for (const sf::Vector2u size : {sf::Vector2u(640, 450), sf::Vector2u(1280, 1024), sf::Vector2u(1200, 500),
                                  sf::Vector2u(500, 800), sf::Vector2u(1024, 900)}) {
    SCOPED_TRACE(std::to_string(size.x) + "x" + std::to_string(size.y));
    ASSERT_TRUE(resizeWindow(size.x, size.y));
    const sf::IntRect area = expectedArea(static_cast<int>(size.x), static_cast<int>(size.y));
    EXPECT_EQ(display().getLetterbox().getArea(), area);
    // The game's pixel sizes stay those of the logical picture.
    EXPECT_EQ(display().getWidthPixels(), 1024);
    EXPECT_EQ(wd::cellWidth(), 10.24f);
    // Drawing through the window in logical pixels fills exactly the grid's area; the bars stay black.
    sf::RectangleShape everything(sf::Vector2f(1024, 900));
    everything.setFillColor(sf::Color::White);
    display().getWindow()->draw(everything);
    const sf::Image filled = display().captureFrame();
    display().swapBuffers();
    ASSERT_EQ(filled.getSize(), size);
    int misplaced = 0;
    for (unsigned int y = 0; y < size.y; y++) {
      for (unsigned int x = 0; x < size.x; x++) {
        const bool inside = area.contains(static_cast<int>(x), static_cast<int>(y));
        misplaced += filled.getPixel(x, y) != (inside ? sf::Color::White : sf::Color::Black) ? 1 : 0;
      }
    }
    EXPECT_EQ(misplaced, 0);
    // The corner cells' glyphs show in the corners of the area, nowhere else.
    const float scale = static_cast<float>(area.width) / 1024.0f;
    display().drawCharacter(Vector(0, 0), '@', wd::WHITE);
    const sf::IntRect first = litBox(display().captureFrame());
    display().swapBuffers();
    display().drawCharacter(Vector(99, 48), '@', wd::WHITE);
    const sf::IntRect last = litBox(display().captureFrame());
    display().swapBuffers();
    EXPECT_GE(first.left, area.left);
    EXPECT_GE(first.top, area.top);
    EXPECT_LE(first.left + first.width, area.left + static_cast<int>(2 * 10.24f * scale));
    EXPECT_LE(first.top + first.height, area.top + static_cast<int>(2 * 18 * scale));
    EXPECT_GE(last.left, area.left + static_cast<int>(98 * 10.24f * scale));
    EXPECT_GE(last.top, area.top + static_cast<int>(47 * 18 * scale));
    EXPECT_LE(last.left + last.width, area.left + area.width);
    EXPECT_LE(last.top + last.height, area.top + area.height);
    // The glyph grows with the grid: '@' is about as tall as a cell's width.
    EXPECT_NEAR(first.height, 19 * scale, 2 + scale);
  }
  EXPECT_EQ(display().getCellBatch().getDrawCalls() > 0, true);
}

// Bytes of the heap in use.
long heapInUse() { return static_cast<long>(mallinfo2().uordblks); }

// A window dragged through size after size keeps the glyphs of the size it shows only: the font
// would otherwise hold a texture for every size it was ever drawn at, a quarter of a megabyte each.
TEST_F(WindowTest, ResizingAgainAndAgainKeepsOneSizeOfGlyphs) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer keeps the heap for itself";
#endif
  start(resizable());
  // Shown at width 1240 - 40 * step, the window's shape kept, the whole grid drawn twice.
  const auto show_at = [](unsigned int step) {
    const unsigned int width = 1240 - 40 * step;
    const bool resized = resizeWindow(width, width * 900 / 1024);
    for (int frame = 0; frame < 2; frame++) {
      for (int cell = 0; cell < 5000; cell++) {
        display().drawCharacter(Vector(cell % 100, cell / 100), static_cast<char>(33 + cell % 94), wd::WHITE);
      }
      display().swapBuffers();
    }
    return resized;
  };
  long settled = 0;
  for (unsigned int step = 0; step < 14; step++) {
    ASSERT_TRUE(show_at(step));
    settled = step == 3 ? heapInUse() : settled;
  }
  ASSERT_TRUE(show_at(3));
  EXPECT_LT(heapInUse() - settled, 1 << 20);
}

// A click in a scaled window lands in its cell; a close request ends a game that asked for a close button.
TEST_F(WindowTest, ClickLandsInItsCellAndCloseEndsTheGame) {
  start(resizable());
  Witness* p_witness = new Witness;
  ASSERT_TRUE(resizeWindow(1200, 500));
  const sf::IntRect area = expectedArea(1200, 500);
  const float scale = static_cast<float>(area.height) / 900.0f;
  // The centre of cell (37, 21) in the window's real pixels.
  const int x = area.left + static_cast<int>((37.5f * 10.24f) * scale);
  const int y = area.top + static_cast<int>((21.5f * 18) * scale);
  const std::string window = windowId();
  ASSERT_TRUE(run("xdotool windowmap --sync " + window + " windowfocus --sync " + window + " mousemove --window " +
                  window + " --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1"));
  for (int i = 0; i < 100 && p_witness->clicks == 0; i++) {
    wd::InputManager::getInstance().pollInput();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(p_witness->clicks, 1);
  EXPECT_EQ(static_cast<int>(p_witness->clicked.getX() / wd::cellWidth()), 37);
  EXPECT_EQ(static_cast<int>(p_witness->clicked.getY() / wd::cellHeight()), 21);
  EXPECT_STREQ(wd::InputManager::getInstance().getButtonName(), "LEFT");
  // With the close option, the desktop's close button ends the game.
  ASSERT_TRUE(requestClose(display().getWindow()->getSystemHandle()));
  for (int i = 0; i < 200 && !game().getGameOver(); i++) {
    game().runFrame(nullptr);
  }
  EXPECT_TRUE(game().getGameOver());
  EXPECT_TRUE(display().isCloseRequested());
}

TEST_F(WindowTest, TextAtTwiceTheSizeIsRasterisedAtThatSize) {
  start(resizable());
  ASSERT_TRUE(resizeWindow(2048, 1800));
  ASSERT_EQ(display().getLetterbox().getScale(), 2.0f);
  const std::string text = "Wendrel @#%&gyQ";
  display().drawString(Vector(10, 10), text, wd::ALIGN_LEFT, wd::WHITE);
  const sf::Image engine = display().captureFrame();
  display().swapBuffers();
  // The reference: each glyph rasterised by a text object at twice the size, in window pixels.
  sf::RenderWindow* p_window = display().getWindow();
  const sf::View scaled_view = p_window->getView();
  p_window->setView(sf::View(sf::FloatRect(0, 0, 2048, 1800)));
  wd_test::NaiveDisplay naive(p_window);
  naive.text.setCharacterSize(40);
  naive.background.setSize(sf::Vector2f(2 * 10.24f, 2 * 18.0f));
  for (std::size_t i = 0; i < text.size(); i++) {
    const sf::Vector2f pen(2 * (10 + i) * 10.24f, 2 * 10 * 18.0f);
    // Each cell's black background covers what the glyph before it reaches into.
    naive.background.setPosition(pen.x - 2 * 10.24f / 10, pen.y + 2 * 18.0f / 5);
    p_window->draw(naive.background);
    naive.text.setString(sf::String(text[i]));
    naive.text.setPosition(pen);
    p_window->draw(naive.text);
  }
  const sf::Image sharp = display().captureFrame();
  display().swapBuffers();
  // The same glyphs rasterised at the unscaled size and stretched: what a scaled bitmap gives.
  sf::RenderTexture small;
  ASSERT_TRUE(small.create(1024, 900));
  small.clear(sf::Color::Black);
  naive.text.setCharacterSize(20);
  for (std::size_t i = 0; i < text.size(); i++) {
    naive.text.setString(sf::String(text[i]));
    naive.text.setPosition((10 + i) * 10.24f, 10 * 18.0f);
    small.draw(naive.text);
  }
  small.display();
  sf::Sprite stretched(small.getTexture());
  stretched.setScale(2, 2);
  p_window->draw(stretched);
  const sf::Image blurred = display().captureFrame();
  display().swapBuffers();
  p_window->setView(scaled_view);
  const wd_test::Difference to_sharp = wd_test::compareImages(engine, sharp);
  const wd_test::Difference to_blurred = wd_test::compareImages(engine, blurred);
  ASSERT_GT(to_sharp.lit, 2000);
  EXPECT_LE(to_sharp.pixels, to_sharp.lit / 50) << "max level " << to_sharp.max_level;
  EXPECT_GT(to_blurred.pixels, to_sharp.lit / 4);
}

TEST_F(WindowTest, FullScreenAndBackKeepTheGameRunning) {
  start(resizable());
  Witness* p_witness = new Witness;
  p_witness->setPosition(Vector(12, 7));
  const int objects = wd::WorldManager::getInstance().getAllObjects().getCount();
  const sf::Vector2u windowed = display().getWindow()->getSize();
  for (int i = 0; i < 3; i++) {
    game().runFrame(nullptr);
  }
  ASSERT_EQ(display().setFullscreen(true), 0);
  EXPECT_TRUE(display().isFullscreen());
  const sf::VideoMode screen = sf::VideoMode::getDesktopMode();
  EXPECT_EQ(display().getWindow()->getSize(), sf::Vector2u(screen.width, screen.height));
  EXPECT_EQ(display().getLetterbox().getArea(), expectedArea(static_cast<int>(screen.width),
                                                             static_cast<int>(screen.height)));
  const auto start = std::chrono::steady_clock::now();
  wd::FramePacer pacer(game().getFrameTime());
  for (int i = 0; i < 10; i++) {
    pacer.startFrame();
    game().runFrame(nullptr);
    if (i == 4) {
      ASSERT_EQ(display().toggleFullscreen(), 0);
    }
    pacer.endFrame();
  }
  const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(display().isFullscreen());
  EXPECT_EQ(display().getWindow()->getSize(), windowed);
  EXPECT_EQ(p_witness->steps, 13);
  EXPECT_EQ(wd::WorldManager::getInstance().getAllObjects().getCount(), objects);
  EXPECT_EQ(p_witness->getPosition().getX(), 12);
  EXPECT_LT(took, 10 * game().getFrameTime() + 150);
  // A cell drawn before a switch shows in the new window, at the new scale.
  display().drawCharacter(Vector(50, 25), '@', wd::WHITE);
  ASSERT_EQ(display().setFullscreen(true), 0);
  const sf::Image after = display().captureFrame();
  EXPECT_EQ(after.getSize(), sf::Vector2u(screen.width, screen.height));
  EXPECT_GT(wd_test::litPixels(after), 20);
  ASSERT_EQ(display().setFullscreen(false), 0);
}

// Today's window: fixed, titled "Wendrel", drawn unscaled whatever its size, deaf to a close request.
TEST_F(WindowTest, AGameThatAsksForNothingGetsTodaysWindow) {
  start(wd::WindowOptions());
  sf::RenderWindow* p_window = display().getWindow();
  EXPECT_EQ(p_window->getSize(), sf::Vector2u(1024, 900));
  // A fixed size: the window's size hints allow exactly 1024 x 900.
  Display* p_x = XOpenDisplay(nullptr);
  ASSERT_TRUE(p_x != nullptr);
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_NE(XGetWMNormalHints(p_x, p_window->getSystemHandle(), &hints, &supplied), 0);
  XTextProperty name{};
  ASSERT_NE(XGetWMName(p_x, p_window->getSystemHandle(), &name), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(name.value), "Wendrel");
  XFree(name.value);
  XCloseDisplay(p_x);
  EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
  EXPECT_EQ(hints.min_width, 1024);
  EXPECT_EQ(hints.max_height, 900);
  // The server may resize it; the picture stays drawn as today, unscaled.
  ASSERT_TRUE(resizeWindow(800, 600));
  EXPECT_TRUE(display().getLetterbox().isIdentity());
  EXPECT_EQ(display().getCellBatch().getScale(), 1.0f);
  EXPECT_EQ(p_window->getView().getViewport(), sf::FloatRect(0, 0, 1, 1));
  EXPECT_EQ(p_window->getView().getSize(), sf::Vector2f(1024, 900));
  ASSERT_TRUE(requestClose(p_window->getSystemHandle()));
  for (int i = 0; i < 20; i++) {
    game().runFrame(nullptr);
  }
  EXPECT_FALSE(game().getGameOver());
  EXPECT_FALSE(display().isCloseRequested());
}

// The game itself, closed by the desktop: it ends as quitting ends it, with exit code 0.
TEST_F(WindowTest, ClosingBunnyRunEndsItNormally) {
  const char* p_binary_dir = std::getenv("WD_BINARY_DIR");
  if (p_binary_dir == nullptr) {
    GTEST_SKIP() << "WD_BINARY_DIR not set";
  }
  const std::string folder = std::string(p_binary_dir) + "/game";
  ASSERT_EQ(access((folder + "/bunny-run").c_str(), X_OK), 0) << "build bunny-run first";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  // In a sanitized build the game's reports go to files, read below: the GL driver's own leaks,
  // which escape the suppressions, must not change its exit code.
  const std::string reports = folder + "/window-sanitizer";
  std::system(("rm -f " + reports + ".*").c_str());
  const char* p_lsan = std::getenv("LSAN_OPTIONS");
  const std::string lsan = (p_lsan != nullptr ? std::string(p_lsan) + ":" : std::string()) +
                           "exitcode=0:log_path=" + reports;
  if (child == 0) {
    setenv("LSAN_OPTIONS", lsan.c_str(), 1);
    if (chdir(folder.c_str()) == 0) {
      execl("./bunny-run", "bunny-run", "--resizable", "--size", "800x600", static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  std::string window;
  for (int i = 0; i < 100 && window.empty(); i++) {
    window = outputOf("xdotool search --onlyvisible --classname '^bunny-run$' 2>/dev/null | head -n 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_TRUE(requestClose(std::stoul(window)));
  int status = -1;
  for (int i = 0; i < 150 && waitpid(child, &status, WNOHANG) == 0; i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!WIFEXITED(status)) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "the game still runs 15 s after the close request";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const char* p_source_dir = std::getenv("WD_SOURCE_DIR");
  const std::string sanitizer = outputOf("cat " + reports + ".* 2>/dev/null");
  EXPECT_EQ(sanitizer.find("ERROR: AddressSanitizer"), std::string::npos) << sanitizer;
  if (p_source_dir != nullptr) {
    EXPECT_EQ(sanitizer.find(std::string(p_source_dir) + "/"), std::string::npos) << sanitizer;
  }
  const std::string log = wd_test::readFile(folder + "/wendrel.log");
  // The log was written to its end and closed by the managers' stop, as after Q.
  EXPECT_NE(log.find("Sprite 'startScreen' loaded."), std::string::npos);
  EXPECT_EQ(log.find("Error"), std::string::npos);
}

}  // namespace
