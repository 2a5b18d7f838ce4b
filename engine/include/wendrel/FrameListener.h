#ifndef WD_FRAME_LISTENER_H
#define WD_FRAME_LISTENER_H

#include <cstdint>

namespace wd {

// Told the fingerprint of every frame as the frame is shown.
class FrameListener {
 public:
  virtual ~FrameListener() {}

  // The frame that has just ended had this fingerprint.
  virtual void frameEnded(std::uint64_t fingerprint) = 0;
};

}  // namespace wd

#endif
