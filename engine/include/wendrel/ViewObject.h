#ifndef WD_VIEW_OBJECT_H
#define WD_VIEW_OBJECT_H

#include <string>

#include <SFML/Graphics/Color.hpp>

#include "Color.h"
#include "Object.h"

namespace wd {

// The nine places of a view object in the view; any other value stands for
// the view's corner.
enum Location : int {
  TOP_LEFT = 0,
  TOP_CENTER = 1,
  TOP_RIGHT = 2,
  CENTER_LEFT = 3,
  CENTER_CENTER = 4,
  CENTER_RIGHT = 5,
  BOTTOM_LEFT = 6,
  BOTTOM_CENTER = 7,
  BOTTOM_RIGHT = 8,
};

// A heads-up display item: a caption followed by a number, placed at one of
// the nine places of the view and changed by view events tagged with its
// caption. Its altitude keeps it out of the world's drawing, so its owner
// draws it.
class ViewObject : public Object {
 public:
  ViewObject();

  // Applies a view event whose tag equals the caption: 0 when applied, else -1.
  int handleEvent(const Event* p_e) override;

  // Draws the caption and the value centred on the position, in the colour
  // set by setColor, or in 24-bit colours once set. Returns 0.
  int draw() override;

  std::string getCaption() const;
  void setCaption(std::string new_caption);
  int getValue() const;
  void setValue(int new_value);
  bool getDrawValue() const;
  void setDrawValue(bool new_draw_value);
  bool getBorder() const;

  // A changed border moves the object to its location with the new border.
  void setBorder(bool new_border);
  Color getColor() const;

  // Sets the colour of the text; it is drawn in that colour again, not in a
  // 24-bit one set before.
  void setColor(Color new_color);

  // The 24-bit colour the text is drawn in: the one set, or that of the
  // colour set by setColor (white for a value outside the eight).
  sf::Color getForegroundColor() const;

  // Draws the text in a 24-bit colour, until setColor.
  void setForegroundColor(sf::Color new_foreground);

  // The colour of the cells behind the text, opaque black unless set.
  sf::Color getBackgroundColor() const;
  void setBackgroundColor(sf::Color new_background);
  Location getLocation() const;

  // Moves the object to the place in the current view; any other value puts
  // it at the view's corner. The location is kept either way.
  void setLocation(Location new_location);

 private:
  std::string caption;
  int value;
  bool draw_value;
  bool border;
  Color color;
  Location location;
  // Set by setForegroundColor, and then drawn instead of color.
  bool has_foreground;
  sf::Color foreground;
  sf::Color background;
};

}  // namespace wd

#endif
