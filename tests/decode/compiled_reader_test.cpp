#include "decode/compiled_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "compile/check_codes.h"
#include "compile/compiled_files.h"
#include "decode/cell_description.h"
#include "decode/plan_summary.h"
#include "model/memory_files.h"

namespace sb {
namespace {

// A complete small scenario (route length 0: 141 cells, 7001 plan metres)
// with a station, a signal, a speed board, the marks and the check codes, a
// quarter circle in the plan and a 20-character station name.
ScenarioModel small_scenario() {
  ScenarioModel m;
  m.RouteName = "R";
  m.TrainCode = "T";
  m.ProfileWanted = 1;
  m.allocate_track(0);
  m.ScenarioHeader[85].name = "R";
  m.ScenarioHeader[86].name = "T";
  m.ScenarioHeader[84].areaEnd = 0;
  StationEntry& st = m.ScenarioHeader[1];
  st.kind = 2;
  st.areaStart = -450;
  st.areaEnd = 450;
  st.name = "STATION WITH 20 CHRS";
  st.timeOfDay = 51180;
  m.ScenarioHeader[80].name = "(board)";
  m.cell(57) = TrackCell{1, 43, 11, 0, 4, 0, 0, 0, 0, 0, 0};
  m.cell(41) = TrackCell{6, 2800, 3000, 3005, 21, 0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i + 3 < m.TrackArray.size(); ++i) {
    m.TrackArray[i].speedLimit = i < 40 ? 19 : 30;
    m.TrackArray[i].gradient = 107;
    m.TrackArray[i].adhesion = 90;
  }
  // Straight to metre 1000, then a left turn of 0.001 rad a metre through
  // about a quarter circle, then straight on.
  TrackPlan& plan = m.ProfileTable;
  plan.start();
  plan.extend_straight(1000);
  plan.extend_curved(1000 + 1571, -0.001);
  plan.extend_straight(m.ExtendedLength - 2);
  m.ScenarioHeader[85].set1a = 610;
  m.ScenarioHeader[85].timeOfDay = codice_gara_st(m);
  m.cell(1).value1 = 5121;
  m.cell(1).value2 = codice_gara_og(m);
  return m;
}

const CompiledNames kNames{"R_linea.dat", "R_T.sim", "R_T.dat"};

// The model's plan as a table of points, as a reader of the file sees it.
PlanTable points_of(const TrackPlan& plan) {
  PlanTable table;
  table.allocate(plan.last_metre());
  for (std::int32_t metre = 0; metre < 2; ++metre) {
    for (int c = 0; c < 2; ++c) {
      const TaggedValue v = plan.get(metre, c);
      if (v.tag == ValueTag::Int16) table.set_int16(metre, c, static_cast<std::int16_t>(v.value));
    }
  }
  std::int32_t metre = 2;
  plan.integrate([&](double x, double y) {
    table.set_float(metre, 0, x);
    table.set_float(metre, 1, y);
    ++metre;
  });
  return table;
}

// The profile file of any table of points: the x part, then the y part.
std::string profile_bytes(const PlanTable& table) {
  std::string bytes;
  auto put = [&bytes](std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  for (int c = 0; c < 2; ++c) {
    for (std::int32_t metre = 0; metre <= table.last_metre(); ++metre) {
      const TaggedValue v = table.get(metre, c);
      put(static_cast<std::uint16_t>(v.tag), 2);
      if (v.tag == ValueTag::Int16) put(static_cast<std::uint16_t>(static_cast<std::int16_t>(v.value)), 2);
      if (v.tag == ValueTag::Float64) put(std::bit_cast<std::uint64_t>(v.value), 8);
    }
  }
  return bytes;
}

TEST(CompiledReader, ReadsBackEveryValueTheWriterWrote) {
  const ScenarioModel m = small_scenario();
  MemoryFiles files;
  write_compiled_files(m, files);
  const CompiledScenario s = read_compiled(files, kNames);
  EXPECT_TRUE(s.valid()) << s.findings.front().message;
  ASSERT_TRUE(s.header && s.track && s.plan);
  EXPECT_EQ(s.header->records, 87);
  EXPECT_EQ(s.header->entries[1].name, "STATION WITH 20 CHRS");
  EXPECT_EQ(s.header->entries[1].areaStart, -450);
  EXPECT_EQ(s.header->entries[1].timeOfDay, 51180);
  EXPECT_EQ(s.header->offsets[2], 34u + 54u);  // a 20-character name makes record 1 54 bytes
  EXPECT_EQ(s.header->entries[85].timeOfDay, m.ScenarioHeader[85].timeOfDay);
  ASSERT_EQ(s.track->size(), 141u);
  EXPECT_EQ((*s.track)[57].value4, 4);
  EXPECT_EQ((*s.track)[1].value2, m.TrackArray[1].value2);
  const PlanTable written = points_of(m.ProfileTable);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(s.plan->tags(c), written.tags(c));
    EXPECT_EQ(s.plan->column(c), written.column(c));
  }
}

TEST(CompiledReader, ProfileGapsStayEmptyAndAreNoFault) {
  const ScenarioModel m = small_scenario();
  MemoryFiles files;
  write_compiled_files(m, files);
  // A file from a reader that gave up early: metres unset, 0 and 1 included.
  PlanTable gaps = points_of(m.ProfileTable);
  for (std::int32_t metre = 0; metre < 3000; ++metre) {
    gaps.tags(0)[static_cast<std::size_t>(metre)] = ValueTag::Empty;
    gaps.tags(1)[static_cast<std::size_t>(metre)] = ValueTag::Empty;
  }
  files.files["R_linea.dat"] = profile_bytes(gaps);
  const CompiledScenario s = read_compiled(files, kNames);
  EXPECT_TRUE(s.valid());
  const PlanSummary p = summarise_plan(*s.plan);
  EXPECT_EQ(p.first_metre, 3000);
  EXPECT_EQ(p.last_metre, 6998);
}

TEST(PlanSummary, MeasuresLengthBoxAndTurning) {
  const ScenarioModel m = small_scenario();
  const PlanSummary p = summarise_plan(points_of(m.ProfileTable));
  EXPECT_EQ(p.points, 6999u);
  // Steps are not renormalised: each curved metre lengthens the step vector
  // by a factor sqrt(1 + k^2), so the plan comes out about 4 m long.
  EXPECT_NEAR(p.length, 7002.0, 1.0);
  EXPECT_NEAR(p.net_turning, 90.0, 0.1);  // one left quarter circle
  EXPECT_NEAR(p.absolute_turning, 90.0, 0.1);
  EXPECT_NEAR(p.max_y, 2000.0, 1.0);
  EXPECT_LT(p.min_x, -1000.0);
}

TEST(PlanSummary, ThinningKeepsEndsAndBoundsThePointCount) {
  const ScenarioModel m = small_scenario();
  const auto pieces = thin_plan(points_of(m.ProfileTable), 100);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_LE(pieces[0].size(), 102u);
  EXPECT_EQ(pieces[0].front().metre, 0);
  EXPECT_EQ(pieces[0].back().metre, 6998);
}

TEST(CellDescription, DecodesSignalsAndSpeedBoards) {
  const ScenarioModel m = small_scenario();
  const auto text_of = [](const std::vector<CellField>& f, const std::string& label) {
    for (const auto& x : f) {
      if (x.label == label) {
        if (const auto* n = std::get_if<std::int64_t>(&x.value)) return std::to_string(*n);
        return std::get<std::string>(x.value);
      }
    }
    return std::string("(none)");
  };
  const auto signal = describe_cell(m.TrackArray[57], nullptr, 0);
  EXPECT_EQ(text_of(signal, "first group"), "4 1 0");
  EXPECT_EQ(text_of(signal, "second group"), "3 1 0");
  EXPECT_EQ(text_of(signal, "first code"), "1");
  EXPECT_EQ(text_of(signal, "second code"), "1");
  const auto boards = describe_cell(m.TrackArray[41], nullptr, 0);
  EXPECT_EQ(text_of(boards, "first side km/h"), "140 150 150");
  EXPECT_EQ(text_of(boards, "second side km/h"), "0 0 25");
  EXPECT_EQ(text_of(boards, "first side stripes"), "2");
  EXPECT_EQ(text_of(boards, "second side stripes"), "1");
  EXPECT_EQ(object_position(1, 57), 2800);
}

TEST(CellDescription, PropertyRunsCoverTheirMetres) {
  const ScenarioModel m = small_scenario();
  const auto runs = property_runs(m.TrackArray, CellProperty::SpeedLimit);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].value, 95);
  EXPECT_EQ(runs[0].to_metre(), 2000);
  EXPECT_EQ(runs[1].value, 150);
  EXPECT_EQ(runs[1].from_metre(), 2000);
  EXPECT_EQ(runs[2].value, 0);  // the last three cells
  EXPECT_EQ(clock_text(51180), "14:13:00");
}

}  // namespace
}  // namespace sb
