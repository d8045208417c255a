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

}  // namespace
}  // namespace sb
