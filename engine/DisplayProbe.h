#ifndef WD_DISPLAY_PROBE_H
#define WD_DISPLAY_PROBE_H

namespace wd {

// Asks the window system whether a window can be opened, before the window
// library tries: on X11 that library ends the process when it cannot reach
// the server. Where there is nothing to ask, every probe succeeds and a
// failure shows as a window that did not open.
class DisplayProbe {
 public:
  DisplayProbe();

  // Drops the connection if it is still held.
  ~DisplayProbe();

  DisplayProbe(const DisplayProbe&) = delete;
  DisplayProbe& operator=(const DisplayProbe&) = delete;

  // Connects to the display; 0 when it answers, -1 when it does not.
  int connect();

  // Drops the connection. Call it once the window holds a connection of its
  // own: a server whose last client leaves resets and would refuse the window.
  void release();

  // The name of the display asked, for messages; "" where there is none.
  const char* displayName() const;

 private:
  // The server connection (an Xlib Display), or null.
  void* p_connection;
};

}  // namespace wd

#endif
