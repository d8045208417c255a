#include "compile/check_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "model/scenario_model.h"

namespace sb {
namespace {

struct Codes {
  std::int16_t og;
  std::int32_t st;
};

Codes codes_for(const std::string& train, const std::string& route) {
  ScenarioModel model;
  model.ScenarioHeader[86].name = train;
  model.ScenarioHeader[85].name = route;
  const std::int32_t st = codice_gara_st(model);
  const std::int16_t og = codice_gara_og(model);
  return {og, st};
}

TEST(CheckCodes, KnownValues) {
  struct Case {
    const char* train;
    const char* route;
    std::int16_t og;
    std::int32_t st;
  } cases[] = {
      {"RX17", "ORSEA_MONTELBA", 2509, 32786},  // st above 32767: kept in 32 bits
      {"", "", 2583, 34355},                    // the filler alone, without its 26th letter
      {"rx17", "orsea_montelba", 2509, 32786},  // case does not matter
      {"Rx17", "Orsea_Montelba", 2509, 32786},
  };
  for (const auto& c : cases) {
    const Codes got = codes_for(c.train, c.route);
    EXPECT_EQ(got.og, c.og) << c.train << "/" << c.route;
    EXPECT_EQ(got.st, c.st) << c.train << "/" << c.route;
  }
}

TEST(CheckCodes, Cp1252CapitalsCountAsTheirSmallLetters) {
  // Latin-1 capitals (not the multiplication sign 0xD7) and the four
  // capitals in 0x80 .. 0x9F: S, OE and Z with caron, Y with diaeresis.
  const Codes capitals = codes_for("\xC0\xC9\xDE\xD7", "\x8A\x8C\x8E\x9F");
  const Codes small = codes_for("\xE0\xE9\xFE\xD7", "\x9A\x9C\x9E\xFF");
  EXPECT_EQ(capitals.og, small.og);
  EXPECT_EQ(capitals.st, small.st);
  // Bytes that are no capitals stay as they are.
  EXPECT_NE(codes_for("\xF7", "").st, codes_for("\xD7", "").st);
}

TEST(CheckCodes, TrainComesFirst) {
  const Codes ours = codes_for("RX17", "ORSEA_MONTELBA");
  const Codes swapped = codes_for("ORSEA_MONTELBA", "RX17");
  EXPECT_NE(swapped.st, ours.st);
  EXPECT_EQ(swapped.og, ours.og);  // together shorter than 25: the same characters count
}

TEST(CheckCodes, OnlyTheFirstTwentyFiveCharactersCount) {
  const std::string long_route(30, 'z');
  const Codes a = codes_for("", long_route);
  const Codes b = codes_for("", long_route + "extra");
  EXPECT_EQ(a.og, 25 * 'z');
  EXPECT_EQ(a.og, b.og);
  EXPECT_EQ(a.st, b.st);
}

TEST(CheckCodes, WorkingTextIsLeftInInputField) {
  ScenarioModel model;
  model.ScenarioHeader[86].name = "RX17";
  model.ScenarioHeader[85].name = "ORSEA_MONTELBA";
  model.InputField = "pendenza";
  codice_gara_og(model);
  EXPECT_EQ(model.InputField, "rx17orsea_montelbaaabbccddeeffgghhiillmmnnoo");
}

TEST(Minimo, ReturnsTheSmallerAndTheFirstWhenEqual) {
  EXPECT_EQ(minimo<std::int16_t>(180, 200), 180);
  EXPECT_EQ(minimo<std::int16_t>(180, 150), 150);
  EXPECT_EQ(minimo<std::int16_t>(180, -5), -5);  // signed comparison

  // Equal values: a reference to the first argument's value, not the second's.
  struct Tagged {
    int value;
    int tag;
    bool operator>(const Tagged& o) const { return value > o.value; }
  };
  const Tagged x{180, 1};
  const Tagged y{180, 2};
  EXPECT_EQ(minimo(x, y).tag, 1);
}

}  // namespace
}  // namespace sb
