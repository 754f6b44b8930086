// A paletted PNG writer, enough for the icon: palette entry 0 (the key colour) is transparent,
// and the picture data is stored uncompressed, so no compression library is needed. The same
// PNG, behind an icon directory, is the Windows program's icon.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "art/canvas.h"

namespace {

uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(uint8_t(value >> shift));
  }
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  Put32(png, uint32_t(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32(png, Crc(png.data() + start, png.size() - start));
}

// A zlib stream of stored (uncompressed) blocks.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t size = std::min<size_t>(65535, raw.size() - at);
    z.push_back(at + size == raw.size() ? 1 : 0);  // the last block says so
    z.insert(z.end(), {uint8_t(size), uint8_t(size >> 8), uint8_t(~size), uint8_t(~size >> 8)});
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + size);
    at += size;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;  // Adler-32
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, b << 16 | a);
  return z;
}

std::vector<uint8_t> EncodePng(const Canvas& canvas) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32(header, uint32_t(canvas.Width()));
  Put32(header, uint32_t(canvas.Height()));
  header.insert(header.end(), {8, 3, 0, 0, 0});  // 8-bit palette indices
  Chunk(png, "IHDR", header);
  std::vector<uint8_t> palette;
  for (const Rgb& rgb : kPalette) {
    palette.insert(palette.end(), {rgb.r, rgb.g, rgb.b});
  }
  Chunk(png, "PLTE", palette);
  Chunk(png, "tRNS", {0});  // entry 0 fully transparent, the rest opaque
  std::vector<uint8_t> rows;
  for (int y = 0; y < canvas.Height(); ++y) {
    rows.push_back(0);  // no filter
    const uint8_t* row = canvas.Pixels().data() + size_t(y) * canvas.Width();
    rows.insert(rows.end(), row, row + canvas.Width());
  }
  Chunk(png, "IDAT", Stored(rows));
  Chunk(png, "IEND", {});
  return png;
}

void Put16Le(std::vector<uint8_t>& out, uint32_t value) {
  out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8)});
}

}  // namespace

bool SavePng(const Canvas& canvas, const std::string& path) {
  return WriteFile(path, EncodePng(canvas));
}

bool SaveIco(const Canvas& canvas, const std::string& path) {
  const std::vector<uint8_t> png = EncodePng(canvas);
  std::vector<uint8_t> ico;
  Put16Le(ico, 0);  // reserved
  Put16Le(ico, 1);  // an icon
  Put16Le(ico, 1);  // one image
  // Its entry: the size (0 stands for 256), no palette count, planes and bits, then where the
  // PNG lies.
  ico.insert(ico.end(), {uint8_t(canvas.Width()), uint8_t(canvas.Height()), 0, 0});
  Put16Le(ico, 1);
  Put16Le(ico, 32);
  const uint32_t offset = uint32_t(ico.size()) + 8;
  for (uint32_t value : {uint32_t(png.size()), offset}) {
    Put16Le(ico, value & 0xFFFF);
    Put16Le(ico, value >> 16);
  }
  ico.insert(ico.end(), png.begin(), png.end());
  return WriteFile(path, ico);
}
