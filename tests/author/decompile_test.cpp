#include "author/decompile.h"

#include <gtest/gtest.h>

#include "author/decompile_check.h"
#include "compile/track_completion.h"
#include "decode/compiled_reader.h"
#include "model/file_names.h"
#include "model/memory_files.h"
#include "support/embedded_compile.h"
#include "support/random_descriptions.h"

namespace sb {
namespace {

// Compiled files as a compile of the descriptions writes them.
CompiledBytes compile_bytes(const Descriptions& d, int* error_code = nullptr, bool may_fail = false) {
  const MemoryCompile c = compile_in_memory(d, "R", "T", true);
  if (!may_fail) {
    EXPECT_EQ(c.failure, "");
  }
  if (!c.failure.empty()) return CompiledBytes{};
  if (error_code != nullptr) *error_code = c.error_code;
  return CompiledBytes{"R", "T", true, c.profile, c.header, c.track};
}

struct Decoded {
  DecodedHeader header;
  std::vector<TrackCell> cells;
  PlanTable plan;
  DecodedScenario view() const { return DecodedScenario{&header.entries, &cells, plan.allocated() ? &plan : nullptr}; }
};

Decoded decode(const CompiledBytes& b) {
  std::vector<Finding> findings;
  Decoded d;
  d.header = decode_header(b.header, "header", findings);
  d.cells = decode_track(b.track, "track", findings);
  if (b.has_profile)
    d.plan = decode_profile(b.profile, *d.header.route_length() + kTrackBeyondRoute, "profile", findings);
  EXPECT_TRUE(findings.empty());
  return d;
}

std::string listed(const RoundTrip& r) {
  std::string out = r.failure;
  for (const Difference& d : r.differences) {
    out += "\n" + d.file + ": " + d.where + ": " + d.field + ": " + d.in_files + " -> " + d.after;
  }
  return out;
}

RoundTrip round_trip(const CompiledBytes& original, Descriptions* written = nullptr) {
  const Decoded decoded = decode(original);
  const Descriptions d = decompile(decoded.view());
  if (written != nullptr) *written = d;
  return check_round_trip(d, original);
}

TEST(Decompile, EmbeddedScenarioCompilesBackToTheSameBytes) {
  testing::EmbeddedCompile compiled = testing::compile_embedded_scenario();
  ASSERT_EQ(compiled.error_code, 0);
  MemoryFiles& files = compiled.files;
  const CompiledBytes original{"ORSEA_MONTELBA",
                               "RX17",
                               true,
                               files.files[profile_file_name("ORSEA_MONTELBA")],
                               files.files[header_file_name("ORSEA_MONTELBA", "RX17")],
                               files.files[track_file_name("ORSEA_MONTELBA", "RX17")]};
  Descriptions d;
  const RoundTrip r = round_trip(original, &d);
  EXPECT_TRUE(r.identical()) << listed(r);
  // What a person finds in them: the document's own values, in its sections.
  EXPECT_NE(d.line.find("curvas6,    750,   250\r\n"), std::string::npos);
  EXPECT_NE(d.line.find("montagna,  41950,  43750,  11\r\n"), std::string::npos);
  EXPECT_NE(d.line.find("(Galleria)(Montelba)\r\n[fine]\r\n"), std::string::npos);
  EXPECT_NE(d.service.find("segnale,   9200,  2,  4,  0,  0,  0,  2,  2,  0,  0,  215\r\n"), std::string::npos);
  EXPECT_NE(d.service.find(",  MONTELBA "), std::string::npos);
  EXPECT_LT(d.service.find("[stazioni]"), d.service.find("[segnali]"));
}

// Every case whose compile ends without an error must come back byte for
// byte; the others are counted, and most of them come back too.
TEST(Decompile, RandomDescriptionsRoundTrip) {
  constexpr int kCases = 400;
  int clean = 0, clean_identical = 0, with_error = 0, with_error_identical = 0, fatal = 0;
  for (int seed = 1; seed <= kCases; ++seed) {
    const testing::RandomDescriptions generated = testing::random_descriptions(static_cast<std::uint64_t>(seed));
    int error_code = 0;
    const CompiledBytes original = compile_bytes({generated.line, generated.service}, &error_code, true);
    // A marker of completion on cell 1 ends the compile (1250): no files.
    if (original.header.empty()) {
      ++fatal;
      continue;
    }
    Descriptions d;
    const RoundTrip r = round_trip(original, &d);
    if (error_code == 0) {
      ++clean;
      clean_identical += r.identical() ? 1 : 0;
      EXPECT_TRUE(r.identical()) << "seed " << seed << listed(r) << "\n--- line\n"
                                 << generated.line << "\n--- service\n"
                                 << generated.service << "\n--- decompiled service\n"
                                 << d.service;
    } else {
      ++with_error;
      with_error_identical += r.identical() ? 1 : 0;
    }
  }
  std::cout << "random descriptions: " << clean << " compiled without error, " << clean_identical
            << " of them round-trip; " << with_error << " with an error, " << with_error_identical
            << " of them round-trip; " << fatal << " without files\n";
  // The generator must mostly produce clean cases, or the test proves little.
  EXPECT_GT(clean, kCases / 2);
}

TEST(Decompile, CurveRunsNameClassSideAndExtent) {
  struct Case {
    const char* line;
    int curve_class;
    char side;
  };
  const Case cases[] = {{"curvas1, 1000, 300", 1, 's'},
                        {"curvad4, 1000, 300", 4, 'd'},
                        {"curvaS6, 1000, 300", 6, 's'},
                        {"curva2D, 1000, 300", 2, 'd'}};
  for (const Case& c : cases) {
    const std::string line =
        "[generale]\r\nlunghezza percorso, 5000\r\n[curve]\r\n" + std::string(c.line) + "\r\n[fine]\r\n";
    const Decoded decoded = decode(compile_bytes({line, "[generale]\r\n[fine]\r\n"}));
    std::int32_t unexplained = 0;
    const auto runs = curve_runs(decoded.plan, unexplained);
    EXPECT_EQ(unexplained, -1) << c.line;
    ASSERT_EQ(runs.size(), 1u) << c.line;
    EXPECT_EQ(runs[0].first, 1001) << c.line;
    EXPECT_EQ(runs[0].last, 1300) << c.line;
    EXPECT_EQ(runs[0].curve_class, c.curve_class) << c.line;
    EXPECT_EQ(runs[0].side, c.side) << c.line;
  }
}

// A stretch 190 m after the one before keeps its type; written at the
// multiples of 50 of its cells it would be 150 m after and become type 3.
TEST(Decompile, MountainStretchesKeepTheirTypeAcrossNarrowGaps) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 9000\r\n[montagne]\r\nmontagna, 1000, 1980, 1\r\nmontagna, 2170, 3000, 12\r\n"
      "montagna, 3100, 3500, 2\r\n[fine]\r\n";
  const CompiledBytes original = compile_bytes({line, "[generale]\r\n[fine]\r\n"});
  const RoundTrip r = round_trip(original);
  EXPECT_TRUE(r.identical()) << listed(r);
}

// Completion's markers are left out (compiling adds them again); an
// author's marker of the same value where completion would not put one stays.
TEST(Decompile, CompletionMarkersAreLeftOutAndAuthorsMarkersKept) {
  const std::string line = "[generale]\r\nlunghezza percorso, 20000\r\n[fine]\r\n";
  const std::string service =
      "[generale]\r\n[rallentamenti]\r\nrallentamento, 5000, 60, 1000, 1, 1, 0\r\n"
      "[codici]\r\nabbattimento, 12000, 180\r\nabbattimento, 14000, 0\r\n[fine]\r\n";
  const CompiledBytes original = compile_bytes({line, service});
  Descriptions d;
  const RoundTrip r = round_trip(original, &d);
  EXPECT_TRUE(r.identical()) << listed(r);
  EXPECT_NE(d.service.find("abbattimento,  12000,  180\r\n"), std::string::npos) << d.service;
  EXPECT_NE(d.service.find("abbattimento,  14000,    0\r\n"), std::string::npos) << d.service;
  EXPECT_EQ(d.service.find("abbattimento", d.service.find("14000")), std::string::npos) << d.service;
}

// What no description can produce is listed, by file, place and field.
TEST(Decompile, DamagedFilesListTheDifferencesThatRemain) {
  const std::string line = "[generale]\r\nlunghezza percorso, 3000\r\n[curve]\r\ncurvad3, 500, 200\r\n[fine]\r\n";
  const CompiledBytes clean = compile_bytes({line, "[generale]\r\n[fine]\r\n"});

  CompiledBytes last_cell = clean;
  last_cell.track[last_cell.track.size() - 2] = 5;  // gradient of the last cell, never filled
  RoundTrip r = round_trip(last_cell);
  ASSERT_EQ(r.total_differences, 1u) << listed(r);
  EXPECT_EQ(r.differences[0].where, "cell 200");
  EXPECT_EQ(r.differences[0].field, "gradient");
  EXPECT_EQ(r.differences[0].in_files, "5");
  EXPECT_EQ(r.differences[0].after, "0");

  // A plan point no step explains: the plan from there on cannot be described.
  CompiledBytes bent = clean;
  bent.profile[8 + 10 * (600 - 2) + 2] ^= 1;  // lowest bit of x at metre 600
  r = round_trip(bent);
  EXPECT_FALSE(r.identical());
  ASSERT_FALSE(r.differences.empty());
  EXPECT_EQ(r.differences[0].field, "x");
  EXPECT_EQ(r.differences[0].where.rfind("metre", 0), 0u) << listed(r);
}

// The memory of a differing file kept by one proof is reused by the next:
// a proof lists the same differences after a proof of other files. The
// damage lies past the profile's first written block, so the kept file's
// start is the original's.
TEST(Decompile, AProofAfterAnotherListsTheSameDifferences) {
  const auto damaged = [](const std::string& curve, std::size_t metre) {
    CompiledBytes b = compile_bytes({"[generale]\r\nlunghezza percorso, 9000\r\n[curve]\r\n" + curve + "\r\n[fine]\r\n",
                                     "[generale]\r\n[fine]\r\n"});
    b.profile[8 + 10 * (metre - 2) + 2] ^= 1;  // lowest bit of x
    return b;
  };
  const CompiledBytes late = damaged("curvad3, 500, 200", 14000);
  const std::string alone = listed(round_trip(late));
  ASSERT_NE(alone, "");
  EXPECT_FALSE(round_trip(damaged("curvas2, 800, 900", 1000)).identical());
  EXPECT_EQ(listed(round_trip(late)), alone);
}

// A board whose cell a station's end marker took later: the text stays in
// the header, but no description puts it there without its board.
TEST(Decompile, OverwrittenBoardIsListed) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 9000\r\n[indicazioni]\r\ncartello_indicatore, 3300, (Ponte)\r\n[fine]\r\n";
  const std::string service =
      "[generale]\r\n[stazioni]\r\nstazione, 3000, 2, 800, 0,0,0, 0,0,0, 0,0,0, 0, 10,0,0, PIANO\r\n[fine]\r\n";
  int error_code = -1;
  const CompiledBytes original = compile_bytes({line, service}, &error_code);
  ASSERT_EQ(error_code, 0);
  const RoundTrip r = round_trip(original);
  EXPECT_FALSE(r.identical());
  ASSERT_FALSE(r.differences.empty());
  EXPECT_EQ(r.differences[0].where, "record 80") << listed(r);
  EXPECT_EQ(r.differences[0].in_files, "\"(Ponte)\"");
}

}  // namespace
}  // namespace sb
