#include "art/canvas.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

void Render(Canvas& canvas, float cx, float cy, const Sampler& sampler, int grain) {
  std::array<uint8_t, kInkCount> votes{};
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      votes.fill(0);
      for (int sy = 0; sy < grain; ++sy) {
        for (int sx = 0; sx < grain; ++sx) {
          const float px = x + (sx + 0.5f) / grain - cx;
          const float py = y + (sy + 0.5f) / grain - cy;
          ++votes[sampler(px, py)];
        }
      }
      const auto winner = std::max_element(votes.begin(), votes.end()) - votes.begin();
      canvas.Set(x, y, Ink(winner));
    }
  }
}

void Outline(Canvas& canvas, Ink ink, const std::function<bool(int, int)>& keepClear) {
  const Canvas before = canvas;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (before.At(x, y) != kClear || (keepClear && keepClear(x, y))) {
        continue;
      }
      const bool touches = before.At(x - 1, y) != kClear || before.At(x + 1, y) != kClear ||
                           before.At(x, y - 1) != kClear || before.At(x, y + 1) != kClear;
      if (touches) {
        canvas.Set(x, y, ink);
      }
    }
  }
}

bool InPolygon(const std::vector<Point>& polygon, float x, float y) {
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point& a = polygon[i];
    const Point& b = polygon[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
      inside = !inside;
    }
  }
  return inside;
}

Ink Shade(std::initializer_list<Ink> ramp, float brightness) {
  const int steps = int(ramp.size());
  const int level = std::clamp(int((1.0f - brightness) * steps), 0, steps - 1);
  return ramp.begin()[level];
}

float Lit(float nx, float ny, float nz) {
  // Light from the upper left and a little in front, the same for every picture.
  constexpr float lx = -0.52f, ly = -0.62f, lz = 0.59f;
  return std::clamp(nx * lx + ny * ly + nz * lz, 0.0f, 1.0f);
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

float Random01(uint32_t a, uint32_t b, uint32_t c) {
  return (Hash(a, b, c) >> 8) / 16777216.0f;
}

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(uint8_t(value >> (8 * i)));
  }
}

// The pixels as 8-bit run-length codes, bottom row first: a count and an ink per run, a zero
// pair at each row's end, and a zero and a one after the last.
std::vector<uint8_t> Rle8(const Canvas& canvas) {
  std::vector<uint8_t> codes;
  for (int y = canvas.Height() - 1; y >= 0; --y) {
    const uint8_t* row = canvas.Pixels().data() + size_t(y) * canvas.Width();
    for (int x = 0; x < canvas.Width();) {
      int run = 1;
      while (x + run < canvas.Width() && run < 255 && row[x + run] == row[x]) {
        ++run;
      }
      codes.insert(codes.end(), {uint8_t(run), row[x]});
      x += run;
    }
    codes.insert(codes.end(), {0, 0});
  }
  codes.back() = 1;
  return codes;
}

}  // namespace

bool SaveBitmap(const Canvas& canvas, const std::string& path) {
  // Run-length encoded, the mostly empty star fields and sprites shrink to a few percent of
  // their size, which is what a browser has to download; the palette is exactly our inks,
  // with the key colour at entry 0.
  const std::vector<uint8_t> codes = Rle8(canvas);
  constexpr uint32_t kHeaders = 14 + 40, kPaletteBytes = 4 * kInkCount;
  std::vector<uint8_t> bmp = {'B', 'M'};
  PutLe(bmp, uint32_t(kHeaders + kPaletteBytes + codes.size()), 4);
  PutLe(bmp, 0, 4);
  PutLe(bmp, kHeaders + kPaletteBytes, 4);  // where the pixels start
  PutLe(bmp, 40, 4);                        // BITMAPINFOHEADER
  PutLe(bmp, uint32_t(canvas.Width()), 4);
  PutLe(bmp, uint32_t(canvas.Height()), 4);  // positive: bottom row first
  PutLe(bmp, 1, 2);                          // planes
  PutLe(bmp, 8, 2);                          // bits per pixel
  PutLe(bmp, 1, 4);                          // BI_RLE8
  PutLe(bmp, uint32_t(codes.size()), 4);
  PutLe(bmp, 2835, 4);  // 72 dots per inch, across and down
  PutLe(bmp, 2835, 4);
  PutLe(bmp, kInkCount, 4);  // palette entries
  PutLe(bmp, 0, 4);          // all of them matter
  for (const Rgb& ink : kPalette) {
    bmp.insert(bmp.end(), {ink.b, ink.g, ink.r, 0});
  }
  bmp.insert(bmp.end(), codes.begin(), codes.end());
  return WriteFile(path, bmp);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  const bool saved =
      file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file == nullptr || std::fclose(file) != 0 || !saved) {
    std::fprintf(stderr, "rocket_art: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
