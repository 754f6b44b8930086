#include "art/canvas.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

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

bool SaveBitmap(const Canvas& canvas, const std::string& path) {
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, canvas.Width(), canvas.Height(), 8, SDL_PIXELFORMAT_INDEX8);
  if (surface == nullptr) {
    return false;
  }
  // A palette of exactly our inks keeps the files small and the key colour at entry 0.
  SDL_Palette* palette = SDL_AllocPalette(kInkCount);
  SDL_Color colours[kInkCount];
  for (int i = 0; i < kInkCount; ++i) {
    colours[i] = SDL_Color{kPalette[i].r, kPalette[i].g, kPalette[i].b, 255};
  }
  SDL_SetPaletteColors(palette, colours, 0, kInkCount);
  SDL_SetSurfacePalette(surface, palette);
  SDL_FreePalette(palette);  // the surface holds its own reference
  for (int y = 0; y < canvas.Height(); ++y) {
    std::copy_n(canvas.Pixels().data() + y * canvas.Width(), canvas.Width(),
                static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
  }
  const bool saved = SDL_SaveBMP(surface, path.c_str()) == 0;
  if (!saved) {
    std::fprintf(stderr, "rocket_art: cannot write %s: %s\n", path.c_str(), SDL_GetError());
  }
  SDL_FreeSurface(surface);
  return saved;
}
