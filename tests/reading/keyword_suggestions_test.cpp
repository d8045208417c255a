#include "reading/keyword_suggestions.h"

#include <gtest/gtest.h>

#include <string>

namespace sb {
namespace {

TEST(KeywordSuggestions, MisspeltKeywordsOfEachRegionAreRecognised) {
  struct Case {
    KeywordRegion region;
    const char* field;
    const char* expected;
  } cases[] = {
      {KeywordRegion::LineFree, "pendnza", "pendenza"},
      {KeywordRegion::LineFree, "montangna", "montagna"},
      {KeywordRegion::LineFree, "indicatory_vmax", "indicatori_vmax"},
      {KeywordRegion::LineFree, "cruvas6", "curva"},
      {KeywordRegion::LineGeneral, "lunghezza percoso", "lunghezza percorso"},
      {KeywordRegion::LineGeneral, "sfonda due", "sfondo due"},
      {KeywordRegion::Service, "segnal", "segnale"},
      {KeywordRegion::Service, "stazone", "stazione"},
      {KeywordRegion::Service, "percentuale masa frenata", "percentuale massa frenata"},
  };
  for (const auto& c : cases) {
    const auto got = suggest_keyword(c.region, c.field);
    ASSERT_TRUE(got.has_value()) << c.field;
    EXPECT_EQ(*got, c.expected) << c.field;
  }
}

TEST(KeywordSuggestions, SectionNamesNumbersAndOtherWordsAreLeftAlone) {
  const char* fields[] = {
      "[pendenze]", "[montagne]", "[segnali]", "[stazioni]", "[rallentamenti]",      "[fine]",         "1250",
      "",           "~{|}",       "ORSEA",     "MONTELBA",   "(Galleria)(Montelba)", "commento libero"};
  for (const char* f : fields) {
    EXPECT_FALSE(suggest_keyword(KeywordRegion::LineFree, f).has_value()) << f;
    EXPECT_FALSE(suggest_keyword(KeywordRegion::Service, f).has_value()) << f;
  }
}

TEST(KeywordSuggestions, FieldsOverTwoHundredCharactersAreNotExamined) {
  // Comparing a long field with every keyword would cost more than it helps.
  const std::string slip = "pendnza";
  ASSERT_TRUE(suggest_keyword(KeywordRegion::LineFree, slip).has_value());
  EXPECT_FALSE(suggest_keyword(KeywordRegion::LineFree, slip + std::string(194, ' ')).has_value());
}

TEST(KeywordSuggestions, KeywordsOfAnotherRegionAreNoSlip) {
  // A speed line in the line description is passed over silently by design.
  EXPECT_FALSE(suggest_keyword(KeywordRegion::LineFree, "velocita").has_value());
  EXPECT_FALSE(suggest_keyword(KeywordRegion::Service, "pendenza").has_value());
  // Nor is a keyword of the same region written exactly.
  EXPECT_FALSE(suggest_keyword(KeywordRegion::LineFree, "pendenza").has_value());
}

}  // namespace
}  // namespace sb
