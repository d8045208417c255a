#include "reading/field_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/memory_files.h"
#include "model/runtime_failure.h"

namespace sb {
namespace {

FieldReader reader_over(std::string bytes) {
  return FieldReader(std::make_unique<StringSource>(std::move(bytes)), "test.txt");
}

TEST(FieldReader, CommasAndLineEndsSeparateFieldsAlike) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    FieldReader r = reader_over(std::string("pendenza,  1250,   7") + eol + "[fine]" + eol);
    EXPECT_EQ(r.read_text(), "pendenza") << eol;
    EXPECT_EQ(r.read_int(), 1250);
    EXPECT_EQ(r.read_int(), 7);
    EXPECT_FALSE(r.at_end());
    EXPECT_EQ(r.read_text(), "[fine]");
    EXPECT_TRUE(r.at_end()) << "the last line end is consumed with the last field";
  }
}

TEST(FieldReader, ValuesMayContinueOnTheNextLine) {
  FieldReader r = reader_over("pendenza\r\n  1250,   7\r\n");
  EXPECT_EQ(r.read_text(), "pendenza");
  EXPECT_EQ(r.read_int(), 1250);
  EXPECT_EQ(r.read_int(), 7);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReader, NumbersMaySeparateByBlanksAlone) {
  FieldReader r = reader_over("orologio,    14              12            0 \r\nnext");
  EXPECT_EQ(r.read_text(), "orologio");
  EXPECT_EQ(r.read_int(), 14);
  EXPECT_EQ(r.read_int(), 12);
  EXPECT_EQ(r.read_int(), 0);
  EXPECT_EQ(r.read_text(), "next") << "the trailing blank and the line end belong to the last number";
}

TEST(FieldReader, EmptyNumericFieldsReadZero) {
  // A comma right before a line end leaves an empty field between them.
  FieldReader r = reader_over("indicatori_vmax,  2000,  140,  ,  ,\t,\r\n  0\r\n");
  EXPECT_EQ(r.read_text(), "indicatori_vmax");
  const int expected[] = {2000, 140, 0, 0, 0, 0, 0};
  for (int e : expected) EXPECT_EQ(r.read_int(), e);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReader, SignsAreAccepted) {
  FieldReader r = reader_over("-7, +12, -2147483648, 2147483647");
  EXPECT_EQ(r.read_int(), -7);
  EXPECT_EQ(r.read_int(), 12);
  EXPECT_EQ(r.read_int(), -2147483647 - 1);
  EXPECT_EQ(r.read_int(), 2147483647);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReader, TextKeepsInnerBlanksAndDropsOuterOnes) {
  FieldReader r = reader_over("  cartello_indicatore,  88150,   (Galleria   )(Montelba)  \r\n");
  EXPECT_EQ(r.read_text(), "cartello_indicatore");
  EXPECT_EQ(r.read_int(), 88150);
  EXPECT_EQ(r.read_text(), "(Galleria   )(Montelba)");
}

TEST(FieldReader, PlaceIsWhereTheFieldStarts) {
  FieldReader r = reader_over("[generale]\r\nlunghezza percorso,    89000\r\n");
  r.read_text();
  EXPECT_EQ(r.place().line, 1);
  EXPECT_EQ(r.place().column, 1);
  r.read_text();
  EXPECT_EQ(r.place().line, 2);
  EXPECT_EQ(r.place().column, 1);
  r.read_int();
  EXPECT_EQ(r.place().line, 2);
  EXPECT_EQ(r.place().column, 24);
  EXPECT_EQ(r.place().file, "test.txt");
}

TEST(FieldReader, EndOfFileWithoutFinalLineEnd) {
  FieldReader r = reader_over("a,5");
  EXPECT_EQ(r.read_text(), "a");
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_int(), 5);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReader, ReadingPastTheEndIsARunTimeFailure) {
  FieldReader empty = reader_over("");
  EXPECT_TRUE(empty.at_end());
  EXPECT_THROW(empty.read_text(), RuntimeFailure);
  FieldReader r = reader_over("pendenza\r\n");
  r.read_text();
  ASSERT_TRUE(r.at_end());
  EXPECT_THROW(r.read_int(), RuntimeFailure);
}

TEST(FieldReader, UnreadableNumbersAreRunTimeFailures) {
  const char* bad[] = {"abc",  "12abc", "1.5", "-", "+", "2147483648", "-2147483649", "99999999999999999999999",
                       "0x10", "\"12\""};
  for (const char* text : bad) {
    FieldReader r = reader_over(std::string(text) + ",1\r\n");
    EXPECT_THROW(r.read_int(), RuntimeFailure) << text;
  }
}

TEST(FieldReader, FieldsSplitAcrossReadsReadTheSame) {
  // One byte per read: every separator and number is split across reads.
  FieldReader r(std::make_unique<StringSource>("montagna\r\n 41950  43750,11\r\n[fine]\r\n", 1), "t");
  EXPECT_EQ(r.read_text(), "montagna");
  EXPECT_EQ(r.read_int(), 41950);
  EXPECT_EQ(r.read_int(), 43750);
  EXPECT_EQ(r.read_int(), 11);
  EXPECT_EQ(r.read_text(), "[fine]");
  EXPECT_EQ(r.place().line, 3);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReader, OverlongTextFieldIsARunTimeFailure) {
  FieldReader r = reader_over(std::string(kMaxFieldLength + 1, 'x'));
  EXPECT_THROW(r.read_text(), RuntimeFailure);
}

}  // namespace
}  // namespace sb
