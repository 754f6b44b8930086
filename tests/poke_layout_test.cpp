// Every assertion of the collision header stands at its line with its exact text: the report of
// a failed check names the line and shows the text, so moving one changes the game's output.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

struct Row {
  int line;
  const char* text;
};

// clang-format off
const Row kRows[] = {
    { 25, "(offset >= 0)"},
    { 26, "(offset < W*H)"},
    { 76, "(PokeWordShifted<32,1>(testLong,-1,0) != 0)"},
    { 77, "(PokeWordShifted<32,1>(testLong,-1,0) == 0x7F80)"},
    { 78, "(PokeWordShifted<32,1>(testLong,0,0) == 0xFF00)"},
    { 79, "(PokeWordShifted<32,1>(testLong,1,0) == 0xFE01)"},
    { 80, "(PokeWordShifted<32,1>(testLong,2,0) == 0xFC03)"},
    { 81, "(PokeWordShifted<32,1>(testLong,8,0) == 0x00FF)"},
    { 82, "(PokeWordShifted<32,1>(testLong,9,0) == 0x01FE)"},
    { 83, "(PokeWordShifted<32,1>(testLong,10,0) == 0x03FC)"},
    { 84, "(PokeWordShifted<32,1>(testLong,12,0) == 0x0FF0)"},
    { 85, "(PokeWordShifted<32,1>(testLong,13,0) == 0x1FE0)"},
    { 86, "(PokeWordShifted<32,1>(testLong,15,0) == 0x7F80)"},
    { 87, "(PokeWordShifted<32,1>(testLong,16,0) == 0xFF00)"},
    { 88, "(PokeWordShifted<32,1>(testLong,17,0) == 0xFE00)"},
    { 97, "(x,y,(PokeWord<16,4>(testFrom,x,y) == 0x180))"},
    {105, "(\"true\",Poke<16,4,16,4>(testFrom,testTrue,0,0))"},
    {113, "(\"false\",!Poke<16,4,16,4>(testFrom,testFalse,0,0))"},
    {121, "(\"false again\",!Poke<16,4,16,4>(testFrom,testFalseAgain,0,0))"},
    {122, "(\"but true\",Poke<16,4,16,4>(testFrom,testFalseAgain,1,0))"},
    {131, "(PokeWord<16,14>(testDot,0,0)==0)"},
    {132, "(PokeWord<16,14>(testDot,1,0)==0)"},
    {133, "(PokeWord<16,14>(testDot,1,1)==0x0180)"},
    {141, "(PokeWordShifted<16,4>(testHole,1,0) == 0xFFFE)"},
    {142, "(PokeWordShifted<16,4>(testHole,3,0) == 0xFFF8)"},
    {143, "(PokeWordShifted<16,4>(testHole,0,1) == 0xFE7F)"},
    {144, "(\"dot in center of hole, 0\",!Poke<16,4,16,4>(testDot, testHole, 0, 0))"},
    {145, "(\"right edge of the hole, 1\",Poke<16,4,16,4>(testDot, testHole, 1, 0))"},
    {146, "(\"bottom edge of the hole, 1\",Poke<16,4,16,4>(testDot, testHole, 0, 1))"},
    {147, "(\"left edge of the hole, 1\",Poke<16,4,16,4>(testDot, testHole, -1, 0))"},
    {148, "(\"top edge of the hole, 1\",Poke<16,4,16,4>(testDot, testHole, 0, -1))"},
    {149, "(\"right side of the hole, 1\",Poke<16,4,16,4>(testDot, testHole, 3, 0))"},
    {150, "(\"left side of the hole, 1\",Poke<16,4,16,4>(testDot, testHole, -3, 0))"},
    {151, "(\"right outside of the hole, 0\",!Poke<16,4,16,4>(testDot, testHole, 9, 0))"},
    {152, "(\"left outside of the hole, 0\",!Poke<16,4,16,4>(testDot, testHole, -9, 0))"},
    {153, "(\"under the hole, 0\",!Poke<16,4,16,4>(testDot, testHole, 0, 3))"},
    {154, "(\"above the hole, 0\",!Poke<16,4,16,4>(testDot, testHole, 0, -3))"},
    {158, "(\"\", PokeWordShifted<test_width,test_height>(test_bits,0,0) == 0x200c )"},
    {159, "(\"\", PokeWordShifted<test_width,test_height>(test_bits,15,0) == 0x1802 )"},
    {160, "(\"\", PokeWordShifted<test_width,test_height>(test_bits,16,0) == 0x3004 )"},
    {161, "(\"\", PokeWordShifted<test_width,test_height>(test_bits,17,0) == 0x6008 )"},
    {162, "(\"\", PokeWordShifted<test_width,test_height>(test_bits,18,0) == 0xC010 )"},
    {163, "(\"top left corner\", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,-8,-8))"},
    {164, "(\"top right corner\", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,8,-8))"},
    {165, "(\"bottom right corner\", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,-8,8))"},
    {166, "(\"bottom left corner\", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,8,8))"},
    {167, "(\"left middle with notch\", Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,-8,0))"},
    {168, "(\"right middle with notch\", Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,8,0))"},
};
// clang-format on

}  // namespace

TEST(PokeLayout, EveryAssertionStandsAtItsLineWithItsText) {
  std::ifstream header(POKE_HEADER);
  ASSERT_TRUE(header) << POKE_HEADER;
  std::vector<std::string> lines(1);  // lines count from 1
  for (std::string line; std::getline(header, line);) {
    lines.push_back(line);
  }
  int asserts = 0;
  for (const std::string& line : lines) {
    asserts += line.find(" assert((") != std::string::npos;
  }
  EXPECT_EQ(asserts, int(std::size(kRows))) << "an assertion was added or removed";
  for (const Row& row : kRows) {
    ASSERT_LT(size_t(row.line), lines.size());
    // The preprocessor shows the argument of assert as written, so assert((T)) reports "(T)".
    const std::string expected = std::string("assert(") + row.text + ");";
    EXPECT_NE(lines[row.line].find(expected), std::string::npos)
        << "line " << row.line << " is: " << lines[row.line] << "\nexpected: " << expected;
  }
}
