#include "documents/description_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "documents/document_lines.h"
#include "model/memory_files.h"

namespace sb {
namespace {

struct Written {
  MemoryFiles files;
  ScenarioModel model;
  Written() {
    model.RouteName = "ORSEA_MONTELBA";
    model.TrainCode = "RX17";
  }
};

std::vector<std::string> line_description() { return testing::crlf_lines(document_bytes(line_description_buffer())); }
std::vector<std::string> service_description() {
  return testing::crlf_lines(document_bytes(service_description_buffer()));
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
    fields.push_back(line.substr(start, comma - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

std::vector<std::string> lines_starting(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
               [&](const std::string& l) { return starts_with(l, prefix); });
  return out;
}

// "keyword," then a position right-aligned in eight characters.
int aligned_position(const std::string& line, const std::string& keyword) {
  const std::string field = line.substr(keyword.size(), 8);
  EXPECT_EQ(field.find_first_not_of(' '), field.find_first_of("0123456789")) << line;
  EXPECT_NE(field.back(), ' ') << line;
  return std::stoi(field);
}

TEST(DescriptionDocuments, AreWrittenUnderTheScenarioNamesWithTheirLineCounts) {
  Written w;
  dati_linea(w.model, w.files);
  EXPECT_EQ(w.model.LoopIndex, 80);
  dati_treno(w.model, w.files);
  EXPECT_EQ(w.model.LoopIndex, 74);
  ASSERT_EQ(w.files.files.size(), 2u);
  EXPECT_EQ(w.files.files.at("ORSEA_MONTELBA_linea.txt"), document_bytes(line_description_buffer()));
  EXPECT_EQ(w.files.files.at("ORSEA_MONTELBA_RX17-.txt"), document_bytes(service_description_buffer()));
}

TEST(LineDescription, SectionsStandOnTheirLinesAndHoldTheirEntries) {
  const auto lines = line_description();
  ASSERT_EQ(lines.size(), 80u);
  struct Section {
    std::size_t at;
    const char* header;
    const char* entry_prefix;
    std::size_t entries;
  } sections[] = {{0, "[generale]", "", 8},
                  {9, "[curve]", "curva", 21},
                  {31, "[pendenze]", "pendenza,", 13},
                  {45, "[montagne]", "montagna,", 9},
                  {55, "[cartelli]", "indicatori_vmax,", 12},
                  {68, "[indicazioni]", "cartello_indicatore,", 10},
                  {79, "[fine]", "", 0}};
  for (const auto& s : sections) {
    EXPECT_EQ(lines[s.at], s.header);
    for (std::size_t k = 1; k <= s.entries; ++k) {
      EXPECT_TRUE(starts_with(lines[s.at + k], s.entry_prefix)) << s.header << " line " << s.at + k;
    }
  }
}

TEST(LineDescription, KeepsItsExactTexts) {
  const auto lines = line_description();
  ASSERT_EQ(lines.size(), 80u);
  struct Case {
    std::size_t at;
    const char* text;
  } cases[] = {
      {1, "lunghezza percorso,    89000"},
      {2, "progressiva chilometrica uno,    1000,    0,    0"},
      {8, "ripetizione segnali 9 codici,    1000,    89500"},
      {10, "curvas6,  750,  250"},
      {30, "curvad1,  86950,  1150"},
      {32, "pendenza,   0,    0"},
      {44, "pendenza,  79250,   0"},
      {54, "montagna,   88250,  89250,  11"},
      {56, "indicatori_vmax,  2000,  140,  150,  150,  0,  ,  ,  ,  0"},
      {67, "indicatori_vmax,  87050,  100,  110,  120,  0,  ,  ,  ,  0"},
      {78, "cartello_indicatore,  88150,   (Galleria)(Montelba)"},
  };
  for (const auto& c : cases) EXPECT_EQ(lines[c.at], c.text) << "line " << c.at;
}

TEST(LineDescription, SignsCarryOneToThreeBoardLinesWithTheirFixedGroups) {
  const auto signs = lines_starting(line_description(), "cartello_indicatore,");
  ASSERT_EQ(signs.size(), 10u);
  struct Case {
    int position;
    const char* first_group;
    std::size_t groups;
    const char* last_group;  // "" when the last group is a name of ours
  } cases[] = {
      {30150, "(Galleria   )", 2, ""},
      {35900, "(Galleria    )", 2, ""},
      {41700, "(Galleria)", 2, ""},
      {45650, "(Galleria   )", 3, "(9200 mt.   )"},
      {47150, "(", 1, ""},
      {56800, "(GALLERIA  )", 3, ""},
      {64000, "(GALLERIA  )", 2, ""},
      {70900, "(Galleria    )", 3, "(8067 mt.    )"},
      {80800, "(Galleria  )", 3, "(6934 mt.  )"},
      {88150, "(Galleria)", 2, "(Montelba)"},
  };
  for (std::size_t i = 0; i < signs.size(); ++i) {
    const auto& c = cases[i];
    const std::string head = "cartello_indicatore,  " + std::to_string(c.position) + ",   ";
    ASSERT_TRUE(starts_with(signs[i], head)) << signs[i];
    const std::string text = signs[i].substr(head.size());
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    EXPECT_TRUE(starts_with(text, c.first_group)) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '('), static_cast<long>(c.groups)) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), ')'), static_cast<long>(c.groups)) << text;
    EXPECT_EQ(text.back(), ')') << text;
    if (*c.last_group != '\0') {
      EXPECT_TRUE(text.ends_with(c.last_group)) << text;
    }
    // No group is empty or nested.
    EXPECT_EQ(text.find("()"), std::string::npos) << text;
    EXPECT_EQ(text.find("(("), std::string::npos) << text;
  }
}

TEST(ServiceDescription, KeepsItsExactTextsIncludingTheClocksTrailingBlank) {
  const auto lines = service_description();
  ASSERT_EQ(lines.size(), 74u);
  struct Case {
    std::size_t at;
    const char* text;
  } cases[] = {
      {0, "[generale]"},
      {2, "percentuale massa frenata,    135"},
      {4, "orologio,    14              12            0 "},
      {8, "aderenza,   59400,   100"},
      {16, "velocita,   87500,   150"},
      {17, "[stazioni]"},
      {18, "stazione,       0,  2,  900,  0, 1, 0,  1,1,0,  4,1,1,    1,  14,13, 0, ORSEA"},
      {32, "[rallentamenti]"},
      {33, "[segnali]"},
      {34, "segnale,    2800,   1, 4, 1,  0, 0,    1,  3,1,0, 0"},
      {38, "segnale,    9200,   2, 4, 0,  0, 0,    2,  2,0,0, 215"},
      {71, "segnale,   88600,   2, 2, 3,  0, 0,    2,  2,1,0, 0"},
      {72, "[codici]"},
      {73, "[fine]"},
  };
  for (const auto& c : cases) EXPECT_EQ(lines[c.at], c.text) << "line " << c.at;
}

TEST(ServiceDescription, HoldsThirtyEightSignalsInAscendingOrderWithTheirTails) {
  const auto lines = service_description();
  const auto signals = lines_starting(lines, "segnale,");
  ASSERT_EQ(signals.size(), 38u);
  EXPECT_EQ(signals.front(), lines[34]);
  EXPECT_EQ(signals.back(), lines[71]);
  const std::vector<std::string> tails = {
      ",   1, 4, 1,  0, 0,    1,  3,1,0, 0", ",   2, 4, 1,  0, 0,    2,  2,1,0, 0",
      ",   2, 3, 1,  0, 0,    2,  2,1,0, 0", ",   2, 4, 0,  0, 0,    2,  2,0,0, 215",
      ",   2, 4, 0,  0, 0,    2,  2,0,0, 0", ",   1, 5, 6,  0, 0,    1,  3,1,0, 0",
      ",   2, 2, 3,  0, 0,    2,  2,1,0, 0"};
  // Where each signal of the route stands, and which tail it carries.
  const std::vector<std::pair<int, int>> expected = {
      {2800, 0},  {4000, 1},  {7000, 0},  {8200, 2},  {9200, 3},  {10400, 0}, {11500, 1}, {12650, 4},
      {14250, 4}, {15650, 4}, {16850, 0}, {17800, 1}, {19900, 0}, {21100, 1}, {24100, 4}, {25450, 4},
      {26650, 0}, {27750, 1}, {31300, 4}, {33050, 0}, {34250, 1}, {36400, 4}, {37800, 0}, {39000, 1},
      {43600, 4}, {46800, 4}, {51850, 4}, {60600, 5}, {61800, 6}, {67600, 0}, {68800, 1}, {73300, 4},
      {77000, 0}, {78800, 2}, {83500, 4}, {85800, 4}, {87400, 5}, {88600, 6}};
  for (std::size_t i = 0; i < signals.size(); ++i) {
    EXPECT_EQ(aligned_position(signals[i], "segnale,"), expected[i].first) << signals[i];
    EXPECT_EQ(signals[i].substr(16), tails[static_cast<std::size_t>(expected[i].second)]) << signals[i];
    EXPECT_EQ(fields_of(signals[i]).size(), 12u) << signals[i];
  }
}

TEST(ServiceDescription, HoldsFourteenStationsWithNamesTheReaderCanTake) {
  const auto lines = service_description();
  const auto stations = lines_starting(lines, "stazione,");
  ASSERT_EQ(stations.size(), 14u);
  EXPECT_EQ(stations.front(), lines[18]);
  EXPECT_EQ(stations.back(), lines[31]);
  const int positions[] = {0, 4500, 9050, 11950, 18350, 22150, 28200, 34900, 39650, 47500, 62600, 70250, 79650, 89800};
  std::vector<std::string> names;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    EXPECT_EQ(aligned_position(stations[i], "stazione,"), positions[i]) << stations[i];
    // Keyword, 16 numbers and the name: a comma inside a name would add a field.
    const auto fields = fields_of(stations[i]);
    ASSERT_EQ(fields.size(), 18u) << stations[i];
    const std::string& name = fields.back();
    ASSERT_GE(name.size(), 2u);
    EXPECT_EQ(name[0], ' ') << stations[i];
    EXPECT_NE(name[1], ' ') << stations[i];
    EXPECT_NE(name.back(), ' ') << stations[i];
    // Stored byte for byte in the header file: plain ASCII only.
    EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) << name;
    names.push_back(name.substr(1));
  }
  EXPECT_EQ(names.front(), "ORSEA");
  // The last station is MONTELBA, one blank and one locality word.
  ASSERT_TRUE(starts_with(names.back(), "MONTELBA ")) << names.back();
  const std::string locality = names.back().substr(9);
  EXPECT_FALSE(locality.empty());
  EXPECT_EQ(locality.find(' '), std::string::npos) << names.back();
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << "names repeat";
}

}  // namespace
}  // namespace sb
