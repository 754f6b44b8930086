// record_seeds DIR: writes the fuzzer's seed corpus, records in the writer's own words.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "game/record.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: record_seeds DIR\n");
    return 2;
  }
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const Db seeds[] = {
      Db{},
      Db{3, -4, 0, 0, 0, 0, 0, 0, 0, 0},
      Db{1, -2, 3, -4, 5, -6, 7, -8, 9, -10},
      Db{kMin, kMax, kMin, kMax, kMin, kMax, kMin, kMax, kMin, kMax},
      Db{-120, 4410, 10, -10, 0, 0, 160, -90, -2, 2},
  };
  int n = 0;
  for (const Db& db : seeds) {
    const std::string path = std::string(argv[1]) + "/seed" + std::to_string(n++);
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
      std::perror(path.c_str());
      return 1;
    }
    CerealizeGame(file, db);
    std::fclose(file);
  }
  return 0;
}
