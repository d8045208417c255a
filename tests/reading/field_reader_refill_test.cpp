// The field reader takes its input in blocks; a field may straddle any number
// of them. These tests feed the same text in tiny blocks and whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/memory_files.h"
#include "model/runtime_failure.h"
#include "reading/field_reader.h"

namespace sb {
namespace {

// Reads "keyword, numbers..." entries, entry k with numbers[k] numbers: the
// keyword's text and place, then its numbers, as one list of strings.
std::vector<std::string> read_entries(std::unique_ptr<InputSource> source, const std::vector<int>& numbers) {
  FieldReader r(std::move(source), "t.txt");
  std::vector<std::string> got;
  for (int count : numbers) {
    got.push_back(r.read_text());
    got.push_back(std::to_string(r.place().line) + ":" + std::to_string(r.place().column));
    for (int i = 0; i < count; ++i) got.push_back(std::to_string(r.read_int()));
  }
  got.push_back(r.at_end() ? "end" : "more");
  return got;
}

TEST(FieldReaderBlocks, FieldsStraddlingBlocksReadAsWhole) {
  const std::string text =
      "segnale,    9200,   2, 4, 0,  0, 0,    2,  2,0,0, 215\r\n"
      "  cartello lungo con   spazi   ,  -2147483648,+17,\t,  \r\n"
      "orologio,    14              12            0 \r\n";
  const std::vector<int> numbers = {11, 4, 3};
  const std::vector<std::string> expected = {
      "segnale", "1:1",         "9200", "2",  "4", "0",        "0",
      "0",       "2",           "2",    "0",  "0", "215",      "cartello lungo con   spazi",
      "2:3",     "-2147483648", "17",   "0",  "0", "orologio", "3:1",
      "14",      "12",          "0",    "end"};
  EXPECT_EQ(read_entries(std::make_unique<StringSource>(text), numbers), expected);
  for (std::size_t block : {1u, 2u, 3u, 5u, 8u}) {
    EXPECT_EQ(read_entries(std::make_unique<StringSource>(text, block), numbers), expected) << "blocks of " << block;
  }
}

TEST(FieldReaderBlocks, OverlongFieldIsRefusedWhateverTheBlocks) {
  const std::string longest(kMaxFieldLength, 'a');
  for (std::size_t block : {7u, 1u << 16}) {
    FieldReader fits(std::make_unique<StringSource>(longest + ",x", block), "t.txt");
    EXPECT_EQ(fits.read_text().size(), kMaxFieldLength) << block;
    EXPECT_EQ(fits.read_text(), "x");
    FieldReader over(std::make_unique<StringSource>(longest + "a,x", block), "t.txt");
    EXPECT_THROW(over.read_text(), RuntimeFailure) << block;
  }
}

TEST(FieldReaderBlocks, BadNumbersNameTheirToken) {
  struct Case {
    const char* text;
    const char* message_part;
  };
  const Case cases[] = {
      {"12a4,", "not a number: '12a4'"},
      {"2147483648,", "does not fit 32 bits: '2147483648'"},
      {"-2147483649,", "does not fit 32 bits: '-2147483649'"},
      {"+,", "not a number: '+'"},
      {"123456789012345678901234567890123456,", "not a number"},
  };
  for (const Case& c : cases) {
    FieldReader r(std::make_unique<StringSource>(c.text, 3), "t.txt");
    try {
      r.read_int();
      ADD_FAILURE() << c.text << " was accepted";
    } catch (const RuntimeFailure& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("t.txt:1:1"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace sb
