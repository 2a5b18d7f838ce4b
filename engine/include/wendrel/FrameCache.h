#ifndef WD_FRAME_CACHE_H
#define WD_FRAME_CACHE_H

#include <cstdint>
#include <memory>

#include <SFML/Graphics.hpp>

namespace wd {

// The picture of the last frame's cells, kept in a texture the size of the
// window, so that a frame differing from it in a few cells repaints only the
// pixels those cells showed in or show in, and is then copied out whole in
// one call. Repainting draws, in drawing order, the very triangles of the
// cells that reach those pixels, through a stencil that keeps every other
// pixel as it was: no triangle is cut, so the picture is the same to the
// pixel. It needs framebuffer objects with a stencil buffer; where the GL
// lacks them, or the environment variable WD_EXACT_CELLS is set, it never
// serves.
class FrameCache {
 public:
  // A cache for a target of width x height pixels seen through its default
  // view.
  FrameCache(int width_pixels, int height_pixels);
  ~FrameCache();

  FrameCache(const FrameCache&) = delete;
  FrameCache& operator=(const FrameCache&) = delete;

  // Whether the cells drawn into target may go through the cache: target is
  // of the cache's size and seen one to one, and the GL, asked once, has
  // what the cache needs.
  bool serves(sf::RenderTarget& target);

  // Whether the cache holds the picture of an earlier frame.
  bool holdsPicture() const;

  // The texture, cleared to black, to draw a whole new picture into.
  sf::RenderTarget& startPicture();

  // Returns the texture, in which what is drawn until keepToMarks() marks
  // the pixels it paints as the ones to repaint.
  sf::RenderTarget& startRepaint();

  // Keeps what is drawn into the texture until finishRepaint() within the
  // marked pixels: every other pixel keeps its colour.
  void keepToMarks();
  void finishRepaint();

  // Copies the picture into target, every pixel as it is.
  void present(sf::RenderTarget& target);

  // Forgets the picture: what it shows no longer holds.
  void forget();

  // Frees the texture while a context can still be made; the next frame
  // makes it again.
  void release();

  // Frames drawn whole, repainted in part, and copied out, since the cache
  // was made.
  std::int64_t getWholePictures() const;
  std::int64_t getRepaints() const;
  std::int64_t getCopies() const;

 private:
  // The GL calls of the stencil, the copy and the texture layout, fetched
  // from the driver: SFML has none.
  struct GlCalls;

  // Whether the GL of the current context has framebuffer objects with a
  // packed depth and stencil buffer, and the calls that use them.
  bool glHasWhatItNeeds();

  // Draws the picture upside down for a window; forgets it on a change.
  void orientFor(const sf::RenderTarget& target);

  // Makes the texture with a stencil buffer; false if that fails.
  bool makeCanvas();

  // Lays canvas's texture out in memory as a window's framebuffer is, so
  // that copying it into a window is a copy of memory.
  void layOutAsWindow(sf::RenderTexture& canvas);

  // Copies the picture into target's framebuffer in the GL, pixel for
  // pixel; false where the GL cannot, or target has none.
  bool copyFramebuffer(sf::RenderTarget& target);

  // Clears the texture's stencil, so that the next mark is the only one in
  // it.
  void clearMarks();

  int width_pixels;
  int height_pixels;
  // Whether the cache may serve at all; cleared once the GL is found wanting.
  bool enabled;
  bool asked;
  bool holding;
  // Whether the picture is drawn upside down, for a window.
  bool upside_down;
  // The stencil value of the next repaint's pixels; every repaint takes a
  // new one, so that the stencil is cleared only when they run out.
  int next_mark;
  std::unique_ptr<GlCalls> p_calls;
  std::unique_ptr<sf::RenderTexture> p_canvas;
  std::int64_t whole_pictures;
  std::int64_t repaints;
  std::int64_t copies;
};

}  // namespace wd

#endif
