// The game record's text form through real FILE streams: exact output, round trips, and every
// kind of damaged input read safely.
#include "game/record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Written(const Db& db) {
  char* text = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&text, &size);
  CerealizeGame(file, db);
  std::fclose(file);
  std::string result(text, size);
  std::free(text);
  return result;
}

struct Read {
  bool complete;
  Db db;
};

Read ReadBack(const std::string& text) {
  FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (text.empty()) {
    file = std::tmpfile();  // fmemopen refuses an empty buffer
  }
  // Filled with other values first: whatever is not read must come back 0, not stay.
  Read read{false, Db{77, 77, 77, 77, 77, 77, 77, 77, 77, 77}};
  read.complete = TryDecerealizeGame(file, &read.db);
  std::fclose(file);
  return read;
}

std::vector<int32_t> Fields(const Db& db) {
  return {db.RocketX,     db.RocketY,      db.RocketVx,     db.RocketVy,      db.BackgroundX,
          db.BackgroundY, db.FlipperBallX, db.FlipperBallY, db.FlipperBallVx, db.FlipperBallVy};
}

Db Numbered() {
  return Db{1, -2, 3, -4, 5, -6, 7, -8, 9, -10};
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

}  // namespace

TEST(Record, WritesTenLinesInFieldOrder) {
  EXPECT_EQ(Written(Db{}),
            "RocketX:0;\nRocketY:0;\nRocketVx:0;\nRocketVy:0;\nBackgroundX:0;\nBackgroundY:0;\n"
            "FlipperBallX:0;\nFlipperBallY:0;\nFlipperBallVx:0;\nFlipperBallVy:0;\n");
  EXPECT_EQ(Written(Numbered()),
            "RocketX:1;\nRocketY:-2;\nRocketVx:3;\nRocketVy:-4;\nBackgroundX:5;\nBackgroundY:-6;\n"
            "FlipperBallX:7;\nFlipperBallY:-8;\nFlipperBallVx:9;\nFlipperBallVy:-10;\n");
}

TEST(Record, WriteReturnsTheLastWritesResultNegativeWhenItFails) {
  FILE* file = std::tmpfile();
  EXPECT_EQ(CerealizeGame(file, Numbered()), int(std::string("FlipperBallVy:-10;\n").size()));
  std::fclose(file);
  FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);  // every write reaches the device, which is full
  EXPECT_LT(CerealizeGame(full, Numbered()), 0);
  std::fclose(full);
}

TEST(Record, ReadsBackWhatItWrote) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int32_t> any(kMin, kMax);
  std::vector<Db> records = {Db{}, Numbered(),
                             Db{kMin, kMax, kMin, kMax, kMin, kMax, kMin, kMax, kMin, kMax}};
  for (int i = 0; i < 500; ++i) {
    records.push_back(Db{any(random), any(random), any(random), any(random), any(random),
                         any(random), any(random), any(random), any(random), any(random)});
  }
  for (const Db& db : records) {
    FILE* file = std::tmpfile();
    CerealizeGame(file, db);
    std::rewind(file);
    EXPECT_EQ(Fields(DecerealizeGame(file)), Fields(db));
    std::rewind(file);
    Db again;
    EXPECT_TRUE(TryDecerealizeGame(file, &again));
    std::fclose(file);
  }
}

TEST(Record, AcceptsSpacingAndTheFormsThatPercentIReads) {
  const Read read = ReadBack(
      "  RocketX : 0x1F "
      ";RocketY:-010;\r\n\n\tRocketVx:+7;RocketVy:0X7fffffff;BackgroundX:-0x80000000;"
      "BackgroundY:00;FlipperBallX:-0;FlipperBallY:017;FlipperBallVx:\n42\n;FlipperBallVy:-"
      "2147483648;"
      "trailing text is not read");
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(Fields(read.db), (std::vector<int32_t>{31, -8, 7, kMax, kMin, 0, 0, 15, 42, kMin}));
}

TEST(Record, StopsAtTheFirstFaultAndKeepsWhatCameBefore) {
  const std::string whole = Written(Numbered());
  const std::vector<int32_t> all = Fields(Numbered());
  auto expectPrefix = [&](const std::string& text, size_t kept, const char* what) {
    const Read read = ReadBack(text);
    EXPECT_FALSE(read.complete) << what;
    std::vector<int32_t> expected(all.begin(), all.begin() + kept);
    expected.resize(10, 0);
    EXPECT_EQ(Fields(read.db), expected) << what;
  };
  expectPrefix("", 0, "empty stream");
  expectPrefix("garbage", 0, "garbage");
  expectPrefix(whole.substr(0, whole.size() - 2), 9, "last semicolon cut off");
  expectPrefix(whole.substr(0, 30), 2, "cut in the middle of an entry");
  // A missing entry: RocketVy removed.
  std::string missing = whole;
  missing.erase(missing.find("RocketVy"), std::string("RocketVy:-4;\n").size());
  expectPrefix(missing, 3, "missing RocketVy");
  // Two entries swapped.
  std::string swapped = whole;
  swapped.replace(swapped.find("RocketX:1;"), 10, "RocketY:-2;");
  expectPrefix(swapped, 0, "out of order");
  std::string repeated = whole;
  repeated.insert(repeated.find("RocketY"), "RocketX:1;\n");
  expectPrefix(repeated, 1, "repeated key");
  expectPrefix("RocketX:2147483648;RocketY:1;", 0, "one past the largest");
  expectPrefix("RocketX:-2147483649;", 0, "one past the smallest");
  expectPrefix("RocketX:99999999999999999999999;", 0, "far out of range");
  expectPrefix("RocketX:0x100000000;", 0, "hexadecimal out of range");
  // A bad entry ends the read even when good entries follow right after it.
  const std::string rest = whole.substr(whole.find("RocketVx"));
  expectPrefix("RocketX:1;RocketY:;" + rest, 1, "no value");
  expectPrefix("RocketX:1;RocketY:0x;" + rest, 1, "hexadecimal without digits");
  expectPrefix("RocketX:1;RocketY:09;" + rest, 1, "9 is no octal digit");
  expectPrefix("RocketX:1;RocketY:- 2;" + rest, 1, "sign apart from its digits");
  expectPrefix("RocketX:1;RocketY:2" + rest, 1, "no semicolon");
  expectPrefix("RocketX:1;RocketY:2:" + rest, 1, "a colon for the semicolon");
  expectPrefix("RocketX 1;", 0, "no colon");
  expectPrefix("rocketx:1;", 0, "keys are case-sensitive");
}
