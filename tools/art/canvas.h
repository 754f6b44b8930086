// A paletted picture and the few drawing tools the art is made with. Painting is hard-edged on
// purpose: a pixel is one ink or clear, never a blend, so keyed edges stay clean.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "art/palette.h"

struct Point {
  float x, y;
};

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), pixels_(width * height, kClear) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // Outside the canvas reads as clear, writes are dropped.
  Ink At(int x, int y) const { return Inside(x, y) ? Ink(pixels_[y * width_ + x]) : kClear; }
  void Set(int x, int y, Ink ink) {
    if (Inside(x, y)) {
      pixels_[y * width_ + x] = ink;
    }
  }
  const std::vector<uint8_t>& Pixels() const { return pixels_; }

 private:
  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
};

// What a picture looks like at a point, given relative to the picture's centre.
using Sampler = std::function<Ink(float x, float y)>;

// Paints every pixel with the ink most of its samples (a grid of `grain` by `grain`) agree on,
// clear included; (cx, cy) is the centre the sampler's coordinates are relative to.
void Render(Canvas& canvas, float cx, float cy, const Sampler& sampler, int grain = 4);

// Rings the picture with a one-pixel line of `ink` on the clear pixels beside a solid one,
// except where `keepClear` says a pixel must stay see-through.
void Outline(Canvas& canvas, Ink ink, const std::function<bool(int, int)>& keepClear = nullptr);

bool InPolygon(const std::vector<Point>& polygon, float x, float y);

// The ink of `ramp` (brightest first) for a brightness from 0 (dark) to 1 (lit).
Ink Shade(std::initializer_list<Ink> ramp, float brightness);

// How much a surface with normal (nx, ny, nz) faces the light from the upper left, 0 to 1.
float Lit(float nx, float ny, float nz);

// Repeatable pseudo-random numbers: the same arguments give the same value on every run.
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
float Random01(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// Writes the canvas as an 8-bit, run-length encoded Windows bitmap holding the game's palette.
bool SaveBitmap(const Canvas& canvas, const std::string& path);

// Writes the bytes to the file, or says on standard error why it could not.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Writes the canvas as a paletted PNG whose clear pixels are transparent.
bool SavePng(const Canvas& canvas, const std::string& path);

// Writes the canvas as a Windows icon holding that PNG (at most 256 pixels a side).
bool SaveIco(const Canvas& canvas, const std::string& path);
