#include "FrameCache.h"

#include <cstdlib>
#include <cstring>

#include <SFML/OpenGL.hpp>

#include "utility.h"

namespace wd {

struct FrameCache::GlCalls {
  void(APIENTRY* enable)(GLenum);
  void(APIENTRY* disable)(GLenum);
  void(APIENTRY* clearStencil)(GLint);
  void(APIENTRY* clear)(GLbitfield);
  void(APIENTRY* stencilFunc)(GLenum, GLint, GLuint);
  void(APIENTRY* stencilOp)(GLenum, GLenum, GLenum);
  void(APIENTRY* getIntegerv)(GLenum, GLint*);
  // For copying between framebuffers; null where the GL cannot.
  void(APIENTRY* bindFramebuffer)(GLenum, GLuint);
  void(APIENTRY* blitFramebuffer)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint,
                                  GLbitfield, GLenum);
  // For laying the texture's pixels out anew.
  void(APIENTRY* bindTexture)(GLenum, GLuint);
  void(APIENTRY* texImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                             const void*);
};

namespace {

// Marks run from 1 to the largest eight stencil bits hold; 0 is a cleared
// pixel.
const int FIRST_MARK = 1;
const int LAST_MARK = 255;

// Names of framebuffer objects and of copying between them, from GL 3.0.
const GLenum FRAMEBUFFER = 0x8D40;
const GLenum READ_FRAMEBUFFER = 0x8CA8;
const GLenum DRAW_FRAMEBUFFER = 0x8CA9;
const GLenum FRAMEBUFFER_BINDING = 0x8CA6;

// Pixels as blue, green, red and alpha bytes in memory, from GL 1.2.
const GLenum BGRA = 0x80E1;
const GLenum UNSIGNED_INT_8_8_8_8_REV = 0x8367;

template <typename Call>
bool fetch(Call& call, const char* name) {
  call = reinterpret_cast<Call>(sf::Context::getFunction(name));
  return call != nullptr;
}

// Whether the space-separated list extensions names name.
bool hasExtension(const char* extensions, const char* name) {
  const std::size_t length = std::strlen(name);
  for (const char* p = std::strstr(extensions, name); p != nullptr;
       p = std::strstr(p + length, name)) {
    // A name may be the start of a longer one.
    const bool starts = p == extensions || p[-1] == ' ';
    const bool ends = p[length] == '\0' || p[length] == ' ';
    if (starts && ends) {
      return true;
    }
  }
  return false;
}

}  // namespace

FrameCache::FrameCache(int target_width_pixels, int target_height_pixels)
    : width_pixels(target_width_pixels),
      height_pixels(target_height_pixels),
      enabled(std::getenv("WD_EXACT_CELLS") == nullptr),
      asked(false),
      holding(false),
      upside_down(false),
      next_mark(LAST_MARK + 1),
      whole_pictures(0),
      repaints(0),
      copies(0) {}

FrameCache::~FrameCache() = default;

bool FrameCache::serves(sf::RenderTarget& target) {
  if (!enabled || !showsOneToOne(target, width_pixels, height_pixels)) {
    return false;
  }
  if (!asked) {
    asked = true;
    enabled = target.setActive(true) && glHasWhatItNeeds();
  }
  if (!enabled || (p_canvas == nullptr && !makeCanvas())) {
    return false;
  }
  orientFor(target);
  return true;
}

void FrameCache::orientFor(const sf::RenderTarget& target) {
  // The GL rasterises a window's own framebuffer from the top down and a
  // texture's from the bottom up, rounding a few smoothed pixels apart; for
  // a window the picture is drawn upside down, so that it rounds as the
  // window does, and turned over again when copied.
  const bool for_window = dynamic_cast<const sf::RenderWindow*>(&target) != nullptr;
  if (for_window == upside_down) {
    return;
  }
  upside_down = for_window;
  holding = false;
  sf::View view = p_canvas->getDefaultView();
  if (upside_down) {
    view.setSize(view.getSize().x, -view.getSize().y);
  }
  p_canvas->setView(view);
}

bool FrameCache::glHasWhatItNeeds() {
  using GetString = const GLubyte*(APIENTRY*)(GLenum);
  GetString get_string = nullptr;
  if (!fetch(get_string, "glGetString")) {
    return false;
  }
  // What the window library's render texture needs to hold a stencil;
  // without framebuffer objects it would copy every picture through a
  // context of its own, slower than drawing anew.
  const GLubyte* p_extensions = get_string(GL_EXTENSIONS);
  if (p_extensions == nullptr) {
    return false;
  }
  const char* extensions = reinterpret_cast<const char*>(p_extensions);
  if (!hasExtension(extensions, "GL_EXT_framebuffer_object") ||
      !hasExtension(extensions, "GL_EXT_packed_depth_stencil")) {
    return false;
  }
  std::unique_ptr<GlCalls> p_found = std::make_unique<GlCalls>();
  if (!fetch(p_found->enable, "glEnable") || !fetch(p_found->disable, "glDisable") ||
      !fetch(p_found->clearStencil, "glClearStencil") || !fetch(p_found->clear, "glClear") ||
      !fetch(p_found->stencilFunc, "glStencilFunc") || !fetch(p_found->stencilOp, "glStencilOp") ||
      !fetch(p_found->getIntegerv, "glGetIntegerv") ||
      !fetch(p_found->bindTexture, "glBindTexture") ||
      !fetch(p_found->texImage2D, "glTexImage2D")) {
    return false;
  }
  if (!hasExtension(extensions, "GL_EXT_framebuffer_blit") ||
      !fetch(p_found->bindFramebuffer, "glBindFramebuffer") ||
      !fetch(p_found->blitFramebuffer, "glBlitFramebuffer")) {
    p_found->blitFramebuffer = nullptr;
  }
  p_calls = std::move(p_found);
  return true;
}

bool FrameCache::makeCanvas() {
  std::unique_ptr<sf::RenderTexture> p_made = std::make_unique<sf::RenderTexture>();
  const unsigned int STENCIL_BITS = 8;
  if (!p_made->create(static_cast<unsigned int>(width_pixels),
                      static_cast<unsigned int>(height_pixels),
                      sf::ContextSettings(0, STENCIL_BITS))) {
    enabled = false;
    return false;
  }
  layOutAsWindow(*p_made);
  p_canvas = std::move(p_made);
  holding = false;
  upside_down = false;
  // The first repaint clears the new stencil.
  next_mark = LAST_MARK + 1;
  return true;
}

void FrameCache::layOutAsWindow(sf::RenderTexture& canvas) {
  // A window's framebuffer keeps its pixels as blue, green, red and alpha
  // bytes, top row first; a texture of the same bytes, drawn upside down,
  // is copied into it as memory, where a texture of red, green, blue and
  // alpha bytes is drawn into it pixel by pixel at several times the cost.
  // The picture is the same either way.
  if (!canvas.setActive(true)) {
    return;
  }
  // The window library remembers what it bound last.
  GLint bound = 0;
  p_calls->getIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  p_calls->bindTexture(GL_TEXTURE_2D, canvas.getTexture().getNativeHandle());
  p_calls->texImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_pixels, height_pixels, 0, BGRA,
                      UNSIGNED_INT_8_8_8_8_REV, nullptr);
  p_calls->bindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

bool FrameCache::holdsPicture() const { return holding; }

sf::RenderTarget& FrameCache::startPicture() {
  // As the window is cleared at the start of every frame.
  p_canvas->clear(sf::Color::Black);
  holding = false;
  whole_pictures++;
  return *p_canvas;
}

sf::RenderTarget& FrameCache::startRepaint() {
  if (next_mark > LAST_MARK) {
    clearMarks();
  }
  p_canvas->setActive(true);
  // Earlier repaints left other marks.
  p_calls->enable(GL_STENCIL_TEST);
  p_calls->stencilFunc(GL_ALWAYS, next_mark, ~0u);
  p_calls->stencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  repaints++;
  return *p_canvas;
}

void FrameCache::clearMarks() {
  p_canvas->setActive(true);
  p_calls->clearStencil(0);
  p_calls->clear(GL_STENCIL_BUFFER_BIT);
  next_mark = FIRST_MARK;
}

void FrameCache::keepToMarks() {
  p_canvas->setActive(true);
  p_calls->stencilFunc(GL_EQUAL, next_mark, ~0u);
  p_calls->stencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
}

void FrameCache::finishRepaint() {
  p_canvas->setActive(true);
  p_calls->disable(GL_STENCIL_TEST);
  next_mark++;
}

void FrameCache::present(sf::RenderTarget& target) {
  p_canvas->display();
  if (!copyFramebuffer(target)) {
    sf::Sprite picture(p_canvas->getTexture());
    if (upside_down) {
      picture.setTextureRect(sf::IntRect(0, height_pixels, width_pixels, -height_pixels));
    }
    target.draw(picture, sf::RenderStates(sf::BlendNone));
  }
  holding = true;
  copies++;
}

bool FrameCache::copyFramebuffer(sf::RenderTarget& target) {
  const GlCalls& gl = *p_calls;
  if (gl.blitFramebuffer == nullptr || !target.setActive(true)) {
    return false;
  }
  // Both are bound in the target's context: the window library makes a
  // render texture's framebuffer in whichever context activates it.
  GLint target_framebuffer = 0;
  gl.getIntegerv(FRAMEBUFFER_BINDING, &target_framebuffer);
  GLint canvas_framebuffer = 0;
  if (!p_canvas->setActive(true)) {
    return false;
  }
  gl.getIntegerv(FRAMEBUFFER_BINDING, &canvas_framebuffer);
  gl.bindFramebuffer(READ_FRAMEBUFFER, static_cast<GLuint>(canvas_framebuffer));
  gl.bindFramebuffer(DRAW_FRAMEBUFFER, static_cast<GLuint>(target_framebuffer));
  const GLint top = upside_down ? height_pixels : 0;
  gl.blitFramebuffer(0, 0, width_pixels, height_pixels, 0, top, width_pixels, height_pixels - top,
                     GL_COLOR_BUFFER_BIT, GL_NEAREST);
  gl.bindFramebuffer(FRAMEBUFFER, static_cast<GLuint>(target_framebuffer));
  // The window library binds the target's framebuffer again on activation.
  return target.setActive(true);
}

void FrameCache::forget() { holding = false; }

void FrameCache::release() {
  p_canvas.reset();
  holding = false;
}

std::int64_t FrameCache::getWholePictures() const { return whole_pictures; }

std::int64_t FrameCache::getRepaints() const { return repaints; }

std::int64_t FrameCache::getCopies() const { return copies; }

}  // namespace wd
