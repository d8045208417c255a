#include "reading/text_match.h"

#include <gtest/gtest.h>

namespace sb {
namespace {

// Keywords are found in any case of ASCII letters, anywhere in the field;
// other bytes (cp1252 letters among them) match only themselves.
TEST(TextMatch, ContainsNocaseFoldsAsciiLettersOnly) {
  const struct {
    const char* field;
    const char* word;
    bool found;
  } cases[] = {
      {"LUNGHEZZA Percorso", "percorso", true},
      {"xxCurVas1", "curvas", true},
      {"curva", "curvas", false},
      {"", "", true},
      {"abc", "", true},
      {"", "a", false},
      {"cur va", "curva", false},
      {"\xC0rea", "\xE0rea", false},
      {"\xC0rea", "\xC0REA", true},
  };
  for (const auto& c : cases) EXPECT_EQ(contains_nocase(c.field, c.word), c.found) << c.field << " / " << c.word;
}

// A field is a section name when it holds both brackets and does not start
// with a dash (a commented-out section).
TEST(TextMatch, SectionNamesHoldBothBracketsAndNoLeadingDash) {
  const struct {
    const char* field;
    bool section;
  } cases[] = {
      {"[curve]", true}, {"  [fine]", true},     {"x[y]", true},     {"[curve", false},
      {"curve]", false}, {" \t-[curve]", false}, {"-[fine]", false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_section_name(c.field), c.section) << c.field;
}

}  // namespace
}  // namespace sb
