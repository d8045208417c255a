#include "compile/compiled_files.h"

#include <gtest/gtest.h>

#include "model/memory_files.h"

namespace sb {
namespace {

std::string bytes_of(const std::function<void(ByteWriter&)>& body) {
  MemoryFiles files;
  files.replace("f", [&](OutputSink& sink) {
    ByteWriter out(sink, 0, 7);  // a tiny buffer exercises the block hand-over
    body(out);
    out.flush();
  });
  return files.files["f"];
}

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(HeaderRecord, EmptyEntryIsThirtyFourZeroBytes) {
  const std::string bytes = bytes_of([](ByteWriter& out) { write_header_record(out, StationEntry{}); });
  EXPECT_EQ(bytes, std::string(34, '\0'));
}

TEST(HeaderRecord, FirstStationOfTheServiceGivesItsExactBytes) {
  StationEntry e;
  e.kind = 2;
  e.areaStart = -450;
  e.areaEnd = 450;
  e.position = 0;
  e.flag1 = 0;
  e.name = "ORSEA";
  e.set1a = 1;
  e.set1b = 1;
  e.set2a = 4;
  e.set2b = 1;
  e.set2c = 1;
  e.set1c = 0;
  e.extra = 1;
  e.timeOfDay = 51180;
  const std::string bytes = bytes_of([&](ByteWriter& out) { write_header_record(out, e); });
  EXPECT_EQ(hex(bytes),
            "02 3E FE FF FF C2 01 00 00 00 00 00 00 00 05 00 4F 52 53 45 41 "
            "01 00 01 00 04 00 01 00 01 00 00 01 00 00 EC C7 00 00");
}

TEST(HeaderFile, NamesMoveEveryLaterRecord) {
  ScenarioModel model;
  model.ScenarioHeader[1].name = std::string(20, 'x');
  model.ScenarioHeader[85].name = "ORSEA_MONTELBA";
  model.ScenarioHeader[85].set1a = 610;
  const std::string bytes = bytes_of([&](ByteWriter& out) { write_header(out, model); });
  ASSERT_EQ(bytes.size(), 2958u + 20 + 14);
  EXPECT_EQ(bytes.substr(34 + 54, 34), std::string(34, '\0'));  // record 2 starts after the 54-byte record 1
  const std::size_t record85 = 85 * 34 + 20;
  EXPECT_EQ(hex(bytes.substr(record85 + 30, 2)), "62 02");  // 610 after the 14-character name
}

TEST(TrackFile, FifteenBytesPerCellInFieldOrder) {
  ScenarioModel model;
  model.allocate_track(0);
  TrackCell& c = model.cell(1);
  c = TrackCell{1, 5121, -2, 3, 4, 5, 6, 7, 8, 9, 10};
  const std::string bytes = bytes_of([&](ByteWriter& out) { write_track(out, model); });
  ASSERT_EQ(bytes.size(), 2115u);
  EXPECT_EQ(hex(bytes.substr(15, 15)), "01 01 14 FE FF 03 00 04 00 05 06 07 08 09 0A");
}

TEST(ProfileFile, TaggedValuesXPartThenYPart) {
  ScenarioModel model;
  model.ProfileWanted = 1;
  model.allocate_track(0);
  TrackPlan& plan = model.ProfileTable;
  plan.start();
  plan.extend_straight(7000 - 2);  // (0, m) for every metre
  MemoryFiles files;
  files.replace("f", [&](OutputSink& sink) { write_profile(sink, plan); });
  const std::string bytes = files.files["f"];
  ASSERT_EQ(bytes.size(), 139964u);  // 20 × E − 36
  EXPECT_EQ(hex(bytes.substr(0, 10)), "02 00 00 00 02 00 00 00 05 00");
  const std::size_t y_part = 10 * 7000 - 18;
  EXPECT_EQ(hex(bytes.substr(y_part, 10)), "02 00 00 00 02 00 01 00 05 00");
  EXPECT_EQ(hex(bytes.substr(y_part - 2, 2)), "00 00");                     // x at metre E: empty, tag alone
  EXPECT_EQ(hex(bytes.substr(y_part + 10, 8)), "00 00 00 00 00 00 00 40");  // y at metre 2 = 2.0
}

TEST(CompiledFiles, ProfileWrittenOnlyWhenWanted) {
  ScenarioModel model;
  model.RouteName = "R";
  model.TrainCode = "T";
  model.allocate_track(0);
  MemoryFiles files;
  write_compiled_files(model, files);
  EXPECT_FALSE(files.exists("R_linea.dat"));
  EXPECT_TRUE(files.exists("R_T.sim"));
  EXPECT_TRUE(files.exists("R_T.dat"));
}

}  // namespace
}  // namespace sb
