#ifndef WD_DISPLAY_MANAGER_H
#define WD_DISPLAY_MANAGER_H

#include <array>
#include <string>
#include <vector>

#include <SFML/Graphics.hpp>

#include "Color.h"
#include "Manager.h"
#include "Vector.h"

namespace wd {

extern const char* const WINDOW_TITLE;
extern const char* const FONT_FILE;

// How drawString places a string; any other value draws it left-aligned.
enum Alignment : int {
  ALIGN_LEFT = 0,
  ALIGN_CENTER = 1,
  ALIGN_RIGHT = 2,
};

// Pixels per cell, horizontally and vertically.
float cellWidth();
float cellHeight();

// View cells to window pixels.
Vector cellsToPixels(Vector cells);

// Owns the window and draws coloured characters on its cell grid.
class DisplayManager : public Manager {
 public:
  static DisplayManager& getInstance();
  ~DisplayManager() override;

  // Opens the window and loads the font. 0 on success, -1 on failure.
  int startUp() override;

  // Closes and destroys the window.
  void shutDown() override;

  // Draws one character at a world cell position; -1 without a window.
  int drawCharacter(Vector world_pos, char ch, Color color);

  // Draws a string, one character per cell. Always 0.
  int drawString(Vector world_pos, std::string str, Alignment just, Color color);

  // Shows the finished frame and clears the next one; -1 without a window.
  int swapBuffers();

  // The frame built so far, without showing or clearing it.
  sf::Image captureFrame();

  int getColumns() const;
  int getRows() const;
  int getWidthPixels() const;
  int getHeightPixels() const;
  sf::RenderWindow* getWindow() const;

 private:
  DisplayManager();

  // Where one character's glyph sits in the font's texture, fetched once.
  struct GlyphQuad {
    bool loaded;
    bool visible;  // whitespace advances the pen but draws no quad
    sf::FloatRect bounds;
    sf::IntRect texture_rect;
  };

  // A character waiting for the next flush: its pen in window pixels, its
  // colour and its byte.
  struct PendingCell {
    sf::Vector2f pen;
    sf::Color color;
    char ch;
  };

  // An axis-aligned rectangle by its four edges, in window or texture pixels.
  struct Edges {
    float left;
    float top;
    float right;
    float bottom;
  };

  // The glyph of a narrow character, loading it on first use.
  const GlyphQuad& glyphQuad(char ch);

  // The opaque background cell of a character whose pen is at pen.
  Edges backgroundEdges(sf::Vector2f pen) const;

  // The glyph quad of a cell and its texture rectangle; false for whitespace.
  bool glyphEdges(const PendingCell& cell, Edges& quad, Edges& texture);

  // Appends the two triangles of an axis-aligned quad.
  void appendQuad(const Edges& quad, const Edges& texture, sf::Color color);

  // Appends the part piece of a glyph quad, its texture coordinates
  // interpolated linearly where piece cuts the quad.
  void appendGlyphPiece(const Edges& piece, const Edges& quad, const Edges& texture,
                        sf::Color color);

  // Appends every pending cell as drawn: its background, then its glyph.
  void appendCellsInDrawingOrder();

  // Appends only the pending glyphs, less what later backgrounds cover.
  void appendGlyphsClippedByLaterBackgrounds();

  // Whether rect reaches into the window at all.
  bool touchesWindow(const Edges& rect) const;

  // Calls visit with the index of every cell-sized window bucket that rect
  // reaches; with none when rect misses the window.
  template <typename Visit>
  void forEachBucket(const Edges& rect, Visit visit) const;

  // Files each pending background, in drawing order, under every bucket it reaches.
  void bucketBackgrounds();

  // Leaves in glyph_pieces the parts of quad, the glyph of cell index, that
  // no background of a cell drawn after it covers.
  void cutByLaterBackgrounds(int index, const Edges& quad);

  // Cuts cut out of every piece in glyph_pieces.
  void cutPieces(const Edges& cut);

  // Appends to out the parts of piece outside cut, sharing cut's edges.
  static void subtractEdges(const Edges& piece, const Edges& cut, std::vector<Edges>& out);

  // Draws the pending characters into the back buffer in one call.
  void flushBatch();

  // Forgets the cached glyphs, for a font that has just been (re)loaded.
  void resetGlyphs();

  sf::Font font;
  sf::RenderWindow* p_window;
  int window_width_pixels;
  int window_height_pixels;
  int window_columns;
  int window_rows;

  // Fill colour of the last character drawn with a known colour.
  sf::Color current_color;

  // Characters drawn since the last flush, in drawing order.
  std::vector<PendingCell> pending;

  // Whether the back buffer holds anything drawn since it was last cleared.
  bool frame_drawn;

  // Triangles of the flush being built.
  std::vector<sf::Vertex> batch;

  // Scratch of the clipping flush, kept to spare allocations every frame:
  // the backgrounds, the window buckets (bucket_start indexes bucket_cells,
  // which holds cell indexes) and the pieces of the glyph being cut.
  std::vector<Edges> backgrounds;
  std::vector<int> bucket_start;
  std::vector<int> bucket_fill;
  std::vector<int> bucket_cells;
  std::vector<Edges> glyph_pieces;
  std::vector<Edges> cut_pieces;

  std::array<GlyphQuad, 256> glyphs;
};

}  // namespace wd

#endif
