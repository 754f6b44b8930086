// The 49 bitmaps the game loads at start-up, numbered by the byte-wise order of their names.
// Shared by the loader (Dp::Init), the drawing code and the art tool that paints the files.
#pragma once

constexpr int kImageCount = 49;

// The path of image `image`, relative to the working directory; "" for any other number.
const char* ImagePath(int image);
