#include "platform/frame_trace.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "platform/dp.h"

FrameTrace* FrameTrace::FromEnvironment() {
  const char* wanted = std::getenv("ROCKET_FRAME_TRACE");
  return wanted != nullptr && *wanted != '\0' ? new FrameTrace() : nullptr;
}

void FrameTrace::Note(const uint8_t* keys, bool muted, uint64_t queued) {
  char flags[kKeyCount + 1] = {};
  for (int k = 0; k < kKeyCount; ++k) {
    flags[k] = char('0' + keys[k]);
  }
  // Standard error is unbuffered: the line is there for a reader the moment the frame ends.
  std::fprintf(stderr, "frame %" PRIu64 " keys %s mute %d queued %" PRIu64 "\n", ++frame_, flags,
               muted ? 1 : 0, queued);
}
