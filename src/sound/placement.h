// Where a sound is heard from: its point, as seen from the middle of the view, sets its balance
// between the speakers and its loudness. A pure function of the offset and the view's size.
#pragma once

struct Gains {
  float left, right;  // of each speaker, 0 to 1
};

// The gains of a sound `dx`, `dy` pixels from the middle of a view `width` by `height` pixels.
// Equal power: as loud in all at every balance, the middle at 0.71 a side, and even at the
// view's edge the far speaker keeps a little, as a room would give it. Anywhere in the view is
// as near as its middle; past the edge the loudness falls fast, then trails away to nothing two
// view widths out.
Gains PlaceSound(float dx, float dy, float width, float height);
