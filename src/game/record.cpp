#include "game/record.h"

#include <cctype>
#include <cstdint>

namespace {

// clang-format off
struct Field {
  const char* key;
  int32_t Db::*value;
};
constexpr Field kFields[] = {
    {"RocketX",       &Db::RocketX},
    {"RocketY",       &Db::RocketY},
    {"RocketVx",      &Db::RocketVx},
    {"RocketVy",      &Db::RocketVy},
    {"BackgroundX",   &Db::BackgroundX},
    {"BackgroundY",   &Db::BackgroundY},
    {"FlipperBallX",  &Db::FlipperBallX},
    {"FlipperBallY",  &Db::FlipperBallY},
    {"FlipperBallVx", &Db::FlipperBallVx},
    {"FlipperBallVy", &Db::FlipperBallVy},
};
// clang-format on
static_assert(sizeof(kFields) / sizeof(kFields[0]) == 10, "one entry per field of Db");

// Reads one character at a time; a failed match ends the whole read, so nothing is pushed back
// but the one character that ends a run of spaces or digits.
class Reader {
 public:
  explicit Reader(FILE* file) : file_(file) {}

  void SkipSpace() {
    int c;
    while ((c = std::fgetc(file_)) != EOF && std::isspace(c)) {
    }
    Unget(c);
  }

  bool Expect(const char* text) {
    for (; *text != '\0'; ++text) {
      if (std::fgetc(file_) != static_cast<unsigned char>(*text)) {
        return false;
      }
    }
    return true;
  }

  // An integer as "%i" reads it, refused when it does not fit in 32 bits.
  bool Integer(int32_t* out) {
    int c = std::fgetc(file_);
    const bool negative = c == '-';
    if (c == '+' || c == '-') {
      c = std::fgetc(file_);
    }
    int base = 10;
    int digits = 0;
    if (c == '0') {
      c = std::fgetc(file_);
      if (c == 'x' || c == 'X') {
        base = 16;
        c = std::fgetc(file_);
      } else {
        base = 8;
        digits = 1;  // the 0 itself
      }
    }
    // The magnitude may reach 2^31 only for a negative number.
    const int64_t limit = negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
    int64_t magnitude = 0;
    for (int digit; (digit = DigitValue(c, base)) >= 0; c = std::fgetc(file_)) {
      magnitude = magnitude * base + digit;
      if (magnitude > limit) {
        return false;
      }
      ++digits;
    }
    Unget(c);
    if (digits == 0) {
      return false;
    }
    *out = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
  }

 private:
  static int DigitValue(int c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
      value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      value = c - 'A' + 10;
    }
    return value < base ? value : -1;
  }

  void Unget(int c) {
    if (c != EOF) {
      std::ungetc(c, file_);
    }
  }

  FILE* file_;
};

}  // namespace

int CerealizeGame(FILE* file, Db db) {
  int result = 0;
  for (const Field& field : kFields) {
    result = std::fprintf(file, "%s:%i;\n", field.key, int(db.*field.value));
  }
  return result;
}

bool TryDecerealizeGame(FILE* file, Db* db) {
  *db = Db{};
  Reader reader(file);
  for (const Field& field : kFields) {
    int32_t value = 0;
    reader.SkipSpace();
    if (!reader.Expect(field.key)) {
      return false;
    }
    reader.SkipSpace();
    if (!reader.Expect(":")) {
      return false;
    }
    reader.SkipSpace();
    if (!reader.Integer(&value)) {
      return false;
    }
    reader.SkipSpace();
    if (!reader.Expect(";")) {
      return false;
    }
    db->*field.value = value;
  }
  return true;
}

Db DecerealizeGame(FILE* file) {
  Db db;
  TryDecerealizeGame(file, &db);
  return db;
}
