// The input reader: field order and types, number syntax, single-precision
// conversion, and each way a file can be refused.
#include <gtest/gtest.h>

#include <cstring>

#include "network/network.h"
#include "network/tables.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

using ReadNetInfoFromTest = TablesTest;

// The example file reads into every field; blanks may replace the line breaks.
TEST_F(ReadNetInfoFromTest, ReadsTheTwoLinkExampleWithOrWithoutLineBreaks) {
  for (const std::string& text : {TwoLinkInput,
                                 std::string("0.01 0.5 100 2 2 1 0 1 100 0 0 1 10 50 0.15 4 1 1 0 1 20 80 0.15 4 1")}) {
    ResetTables();
    const Status s = ReadText(text);
    ASSERT_TRUE(s.ok) << s.message;
    EXPECT_EQ(MaxError, 0.01f);
    EXPECT_EQ(ObjectError, 0.5f);
    EXPECT_EQ(MaxIteration, 100);
    EXPECT_EQ(LinkNumber, 2);
    EXPECT_EQ(NodeNum, 2);
    EXPECT_EQ(OdpairNum, 1);
    EXPECT_EQ(Origin[0], 0);
    EXPECT_EQ(Dest[0], 1);
    EXPECT_EQ(TripVol[0], 100.0f);
    EXPECT_EQ(LinkNum[1], 1);
    EXPECT_EQ(LinkOrigin[1], 0);
    EXPECT_EQ(LinkDest[1], 1);
    EXPECT_EQ(TravelTime[1], 20.0f);
    EXPECT_EQ(Capacity[1], 80.0f);
    EXPECT_EQ(a[1], 0.15f);
    EXPECT_EQ(b[1], 4.0f);
    EXPECT_EQ(LinkCFType[1], 1.0f);
  }
}

// Every spelling a formatted scan accepts for a real, tabs and CRLF line
// breaks, a byte-order mark, and text after the last record.
TEST_F(ReadNetInfoFromTest, AcceptsScanSyntaxAndIgnoresTrailingText) {
  const Status s = ReadText(
      "\xef\xbb\xbf+1e-2\t5.\r\n+7 1 3 1\r\n"
      "2 0 .5\r\n"
      "0 2 0 +43.98 5.875e+01 -0.15 0x1p2 2.0\r\n"
      "trailing words are ignored");
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(MaxError, 0.01f);
  EXPECT_EQ(ObjectError, 5.0f);
  EXPECT_EQ(MaxIteration, 7);
  EXPECT_EQ(TripVol[0], 0.5f);
  EXPECT_EQ(TravelTime[0], 43.98f);
  EXPECT_EQ(Capacity[0], 58.75f);
  EXPECT_EQ(a[0], -0.15f);
  EXPECT_EQ(b[0], 4.0f);
  EXPECT_EQ(LinkCFType[0], 2.0f);
}

// Reals are rounded once, from the decimal text to single precision. Reading
// through double and narrowing would give 1.00000012f for this value: the
// decimal lies just above the midpoint 1 + 2^-24 of two floats only by a
// margin smaller than a double's resolution.
TEST_F(ReadNetInfoFromTest, ConvertsRealsStraightToSinglePrecision) {
  const char* text = "1.000000059604644775390625000000000000000000000000000000001";
  const Status s = ReadText(std::string(text) + " 0 0 0 0 0");
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(MaxError, 1.00000012f);
  EXPECT_NE(static_cast<float>(std::strtod(text, nullptr)), MaxError);
}

// Negative trip volumes, any type code and non-positive capacities on the
// penalty families are read as they stand.
TEST_F(ReadNetInfoFromTest, KeepsValuesTheCostFamiliesCanHandle) {
  const Status s = ReadText("0 0 0 2 2 1 1 0 -25 0 0 1 1 0 0 0 0 1 1 0 1 -3 0 0 7.5");
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(TripVol[0], -25.0f);
  EXPECT_EQ(Capacity[0], 0.0f);
  EXPECT_EQ(Capacity[1], -3.0f);
  EXPECT_EQ(LinkCFType[1], 7.5f);
}

// Each refusal names the record, the field, the value and what was expected.
TEST_F(ReadNetInfoFromTest, RefusesWhatCannotBeSolvedFaithfully) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "input.txt: the file ends in header, before field MaxError"},
      {"0.01 0.5 100 2 2", "input.txt: the file ends in header, before field OdpairNum"},
      {"0.01 0.5 100 2 2 1 0 1", "input.txt: the file ends in OD record 0, before field TripVol"},
      {"0.01 0.5 100 2 2 1 0 1 100 0 0 1 10 50 0.15 4 1",
       "input.txt: the file ends in link record 1, before field LinkNum"},
      {"0.01 abc 100 0 0 0", "input.txt: header, field ObjectError: expected a number, found \"abc\""},
      {"0.01 0.5 1.5 0 0 0", "input.txt: header, field MaxIteration: expected a whole number, found the real \"1.5\""},
      {"0.01 0.5 2e3 0 0 0", "input.txt: header, field MaxIteration: expected a whole number, found the real \"2e3\""},
      {"0.01 0.5 100 0 0 3000000000",
       "input.txt: header, field OdpairNum: \"3000000000\" does not fit a 32-bit whole number"},
      {"0.01 0.5 100 -1 0 0", "input.txt: header, field LinkNumber: -1 is negative"},
      {"0.01 0.5 100 0 2 1 0 2 100",
       "input.txt: OD record 0, field Dest: node 2 is out of range: expected 0..1 (NodeNum is 2)"},
      {"0.01 0.5 100 0 0 1 0 0 100", "input.txt: OD record 0, field Origin: node 0 is out of range: there are no nodes (NodeNum is 0)"},
      {"0.01 0.5 100 1 2 0 0 -1 1 10 50 0.15 4 1",
       "input.txt: link record 0, field LinkOrigin: node -1 is out of range: expected 0..1 (NodeNum is 2)"},
      {"0.01 0.5 100 1 2 0 1 0 1 10 50 0.15 4 1",
       "input.txt: link record 0, field LinkNum: 1 differs from the record position 0"},
      {"nan 0.5 100 0 0 0", "input.txt: header, field MaxError: \"nan\" is not a finite single-precision number"},
      {"0.01 0.5 100 0 2 1 0 1 inf", "input.txt: OD record 0, field TripVol: \"inf\" is not a finite single-precision number"},
      {"0.01 0.5 100 0 2 1 0 1 1e39", "input.txt: OD record 0, field TripVol: \"1e39\" is not a finite single-precision number"},
      {"0.01 0.5 100 1 2 0 0 0 1 10 0 0.15 4 1",
       "input.txt: link record 0, field Capacity: a type-1 link needs a capacity above 0, found 0"},
      {"0.01 0.5 100 1 2 0 0 0 1 10 -5 0.15 4 1",
       "input.txt: link record 0, field Capacity: a type-1 link needs a capacity above 0, found -5"},
      {"0.01 0.5 \x01\xff 0 0 0", "input.txt: header, field MaxIteration: expected a whole number, found \"\\x01\\xff\""},
  };
  for (const Case& c : cases) {
    ResetTables();
    const Status s = ReadText(c.text);
    EXPECT_FALSE(s.ok) << c.text;
    EXPECT_EQ(s.message, c.message) << c.text;
    EXPECT_TRUE(s.line_break);
  }
  // The capacities are build options: a count one above them is refused, quoting them.
  const struct {
    const char* before;
    const char* after;
    const char* field;
    int capacity;
    const char* unit;
  } limits[] = {{"0.01 0.5 100 ", " 0 0", "LinkNumber", MaxLinks, "links"},
                {"0.01 0.5 100 0 ", " 0", "NodeNum", MaxNodes, "nodes"},
                {"0.01 0.5 100 0 2 ", "", "OdpairNum", MaxOdpairs, "OD pairs"}};
  for (const auto& c : limits) {
    ResetTables();
    const std::string over = std::to_string(c.capacity + 1);
    EXPECT_EQ(ReadText(c.before + over + c.after).message, std::string("input.txt: header, field ") + c.field + ": " +
                                                                over + " exceeds the table capacity of " +
                                                                std::to_string(c.capacity) + " " + c.unit);
  }
}

// A NUL byte inside a token, and a token too long to be a number, are refused
// without reading past the token buffer.
TEST_F(ReadNetInfoFromTest, RefusesNulBytesAndHugeTokens) {
  const Status nul = ReadText(std::string("0.01 0.5 1\0" "00 0 0 0", 19));
  EXPECT_EQ(nul.message, "input.txt: header, field MaxIteration: expected a number, found a token with a NUL byte");
  const Status huge = ReadText("0.01 " + std::string(1 << 20, '7') + " 100 0 0 0");
  EXPECT_EQ(huge.message, "input.txt: header, field ObjectError: a token of more than 400 bytes is not a number");
}

// A missing file gives exactly the fixed message, with no line break.
TEST(ReadNetInfo, MissingFileGivesTheBareOpeningMessage) {
  const std::string dir = ScratchDir();
  ASSERT_EQ(chdir((dir + "/run").c_str()), 0);
  const Status s = ReadNetInfo();
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.message, "Error Opening File.");
  EXPECT_FALSE(s.line_break);
}

}  // namespace
}  // namespace fw
