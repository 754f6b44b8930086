// libFuzzer target for the record reader: any bytes must read without a fault, and whatever
// reads completely must survive a write and a second read unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "r") : std::tmpfile();
  if (file == nullptr) {
    return 0;
  }
  Db first;
  const bool complete = TryDecerealizeGame(file, &first);
  std::fclose(file);
  if (!complete) {
    return 0;
  }
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  CerealizeGame(out, first);
  std::fclose(out);
  FILE* in = fmemopen(text, length, "r");
  Db second;
  if (!TryDecerealizeGame(in, &second) || std::memcmp(&first, &second, sizeof first) != 0) {
    std::abort();
  }
  std::fclose(in);
  std::free(text);
  return 0;
}
