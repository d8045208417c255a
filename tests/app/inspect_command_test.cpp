// `inspect` and `plot` on the files of the start-up run, on corrupted copies
// of them, and on a hand-made 1,000 km route.
#include "app/inspect_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/directory_files.h"
#include "app/exit_status.h"
#include "app/plot_command.h"
#include "compile/check_codes.h"
#include "compile/compiled_files.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using testing::read_file;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

const char* const kProfile = "ORSEA_MONTELBA_linea.dat";
const char* const kHeader = "ORSEA_MONTELBA_RX17.sim";
const char* const kTrack = "ORSEA_MONTELBA_RX17.dat";

// The start-up run's compiled files, made once for every test here.
class EmbeddedScenario : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    fs::copy_file(SB_PROGRAM, dir_->path() / "scenario-builder");
    status_ = run_command("cd '" + dir_->str() + "' && ./scenario-builder >/dev/null 2>&1");
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(status_, 0) << "the start-up run failed"; }
  static fs::path files() { return dir_->path(); }

  struct Result {
    int status;
    std::string out;
    std::string err;
  };
  static Result inspect(const std::vector<std::string>& paths, bool json) {
    std::ostringstream out, err;
    const int status = run_inspect(paths, json, out, err);
    return {status, out.str(), err.str()};
  }

  static TempDir* dir_;
  static int status_;
};
TempDir* EmbeddedScenario::dir_ = nullptr;
int EmbeddedScenario::status_ = -1;

TEST_F(EmbeddedScenario, TextShowsTheScenarioValuesStationsAndCheckCodes) {
  const Result r = inspect({files().string()}, false);
  ASSERT_EQ(r.status, kExitOk) << r.out << r.err;
  for (const char* expected :
       {"route length        89000 m", "check code          32786", "mark 5121, check code 2509", "stations (14)",
        "-450 ..     450", "14:13:00  ORSEA", "speed limit 150 km/h from 2000 m to 18350 m",
        "cell    57  at    2800 m  signal (1): first group \"4 1 0\"", "\nvalid\n"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
  }
}

TEST_F(EmbeddedScenario, JsonParsesAndCarriesTheSameValues) {
  const Result r = inspect({(files() / kHeader).string()}, true);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const Json doc = Json::parse(r.out);
  EXPECT_TRUE(doc["valid"].get<bool>());
  EXPECT_EQ(doc["values"]["route_length"], 89000);
  EXPECT_EQ(doc["values"]["check_code"], 32786);
  EXPECT_EQ(doc["values"]["mark"], 610);
  EXPECT_EQ(doc["track_marks"]["check_code"], 2509);
  EXPECT_EQ(doc["track_marks"]["mark"], 5121);
  ASSERT_EQ(doc["stations"].size(), 14u);
  EXPECT_EQ(doc["stations"][0]["area_start"], -450);
  EXPECT_EQ(doc["stations"][0]["area_end"], 450);
  EXPECT_EQ(doc["stations"][0]["time"], "14:13:00");
  int signals = 0;
  for (const auto& c : doc["cells"]) signals += c["kind"] == 1 ? 1 : 0;
  EXPECT_EQ(signals, 38);
  EXPECT_EQ(doc["cell_count"], 1921);
  EXPECT_EQ(doc["plan"]["first_metre"], 0);
  EXPECT_EQ(doc["plan"]["last_metre"], 95998);
}

TEST_F(EmbeddedScenario, AnyOfTheThreeFilesFindsTheOtherTwo) {
  const std::string whole = inspect({files().string()}, false).out;
  for (const char* name : {kProfile, kHeader, kTrack}) {
    const Result r = inspect({(files() / name).string()}, false);
    EXPECT_EQ(r.status, kExitOk) << name << r.err;
    EXPECT_EQ(r.out, whole) << name;
  }
  // The same scenario named three ways is inspected once.
  const Result all = inspect({(files() / kProfile).string(), (files() / kTrack).string(), files().string()}, false);
  EXPECT_EQ(all.out, whole);
}

TEST_F(EmbeddedScenario, PathsThatNameNoSingleScenarioAreRefused) {
  TempDir two;
  for (const char* name : {kHeader, kTrack}) fs::copy_file(files() / name, two.path() / name);
  fs::copy_file(files() / kHeader, two.path() / "ORSEA_MONTELBA_RX18.sim");
  Result r = inspect({two.str()}, false);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("several scenarios"), std::string::npos) << r.err;
  r = inspect({(two.path() / "missing").string()}, false);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
  write_file(two.path() / "notes.txt", "x");
  r = inspect({(two.path() / "notes.txt").string()}, false);
  EXPECT_EQ(r.status, kExitFailure);
}

// Start of header record k in the header file's bytes.
std::size_t record_start(const std::string& header, int k) {
  std::size_t at = 0;
  for (int i = 0; i < k; ++i) {
    const std::size_t n =
        static_cast<unsigned char>(header[at + 14]) | (static_cast<unsigned char>(header[at + 15]) << 8);
    at += 34 + n;
  }
  return at;
}

void put16(std::string& b, std::size_t at, int v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

TEST_F(EmbeddedScenario, EveryFaultOfACorruptedCopyIsReportedAtItsOffset) {
  const std::string header = read_file(files() / kHeader);
  const std::size_t r85 = record_start(header, 85);
  const std::size_t r86 = record_start(header, 86);
  struct Case {
    const char* what;
    const char* file;
    std::function<void(std::string&)> corrupt;
    std::size_t offset;
    const char* message;
  } cases[] = {
      {"track size off the layout", kTrack, [](std::string& b) { b += "1234567"; }, 28815,
       "not a whole number of 15-byte"},
      {"track one record short", kTrack, [](std::string& b) { b.resize(b.size() - 15); }, 28800,
       "1920 records where route length 89000 needs 1921"},
      {"no 5121 in cell 1", kTrack, [](std::string& b) { put16(b, 16, 0); }, 16, "lacks the mark 5121"},
      {"track check code", kTrack, [](std::string& b) { put16(b, 18, 2510); }, 18,
       "check code 2510 in cell 1 does not match"},
      {"unknown cell kind", kTrack, [](std::string& b) { b[1500] = 9; }, 1500, "cell 100 has unknown kind 9"},
      {"header size off the layout", kHeader, [](std::string& b) { b += 'x'; }, header.size(),
       "follow the last of the 87"},
      {"header cut short", kHeader, [](std::string& b) { b.resize(3000); }, 3000, "ends inside record"},
      {"name length past the end", kHeader, [r86](std::string& b) { put16(b, r86 + 14, 500); }, r86 + 14,
       "name length 500 runs past the end"},
      {"no 610 in record 85", kHeader, [r85](std::string& b) { put16(b, r85 + 30, 0); }, r85 + 30,
       "lacks the mark 610"},
      {"header check code", kHeader, [r85](std::string& b) { b[r85 + 44] = 0; }, r85 + 44,
       "does not match train \"RX17\""},
      {"renamed train", kHeader, [r86](std::string& b) { b[r86 + 16] = 'Q'; }, r85 + 44,
       "does not match train \"QX17\""},
      {"unknown value tag", kProfile, [](std::string& b) { put16(b, 8, 3); }, 8, "unknown value tag 3 at x of metre 2"},
      {"profile cut short", kProfile, [](std::string& b) { b.resize(b.size() - 4); }, 1919960,
       "the file ends at y of metre 95999"},
      {"profile cut inside a tag", kProfile, [](std::string& b) { b.resize(b.size() - 1); }, 1919962,
       "the file ends at y of metre 96000"},
      {"value cut short", kProfile, [](std::string& b) { put16(b, b.size() - 2, 5); }, 1919962,
       "the file ends inside the value of y of metre 96000"},
      {"profile too long", kProfile, [](std::string& b) { b += "ab"; }, 1919964, "2 bytes follow the y value"},
  };
  for (const Case& c : cases) {
    TempDir copy;
    for (const char* name : {kProfile, kHeader, kTrack}) fs::copy_file(files() / name, copy.path() / name);
    std::string bytes = read_file(copy.path() / c.file);
    c.corrupt(bytes);
    write_file(copy.path() / c.file, bytes);
    const Result r = inspect({copy.str()}, true);
    EXPECT_EQ(r.status, kExitRecordedError) << c.what;
    const Json doc = Json::parse(r.out);
    EXPECT_FALSE(doc["valid"].get<bool>()) << c.what;
    bool found = false;
    for (const auto& f : doc["findings"]) {
      found = found || (f["file"] == c.file && f["offset"] == c.offset &&
                        f["message"].get<std::string>().find(c.message) != std::string::npos);
    }
    EXPECT_TRUE(found) << c.what << "\n" << doc["findings"].dump(1);
  }
}

TEST_F(EmbeddedScenario, PlotIsValidXmlAndRendersToAPng) {
  TempDir out;
  const fs::path svg = out.path() / "scenario.svg";
  std::ostringstream err;
  ASSERT_EQ(run_plot({files().string()}, svg.string(), err), kExitOk) << err.str();
  const std::string text = read_file(svg);
  for (const char* expected :
       {"ORSEA_MONTELBA / RX17", "MONTELBA BORGOVECCHIO", "speed limit", "gradient", "adhesion", ">S1<"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(run_command("xmllint --noout '" + svg.string() + "'"), 0);
  const fs::path png = out.path() / "scenario.png";
  ASSERT_EQ(run_command("rsvg-convert '" + svg.string() + "' -o '" + png.string() + "'"), 0)
      << "rsvg-convert (librsvg2-bin) must be installed: tools/deps.sh";
  const std::string bytes = read_file(png);
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

// A 1,000 km route: a point per metre in the plan, a gentle curve every
// 10 km, a signal every 2 km.
ScenarioModel long_route() {
  ScenarioModel m;
  m.RouteName = "LONG";
  m.TrainCode = "T1";
  m.ProfileWanted = 1;
  m.allocate_track(kMaxRouteLength);
  m.ScenarioHeader[84].areaEnd = kMaxRouteLength;
  m.ScenarioHeader[85].name = m.RouteName;
  m.ScenarioHeader[86].name = m.TrainCode;
  m.ScenarioHeader[1] = StationEntry{2, -450, 450, 0, 0, "START", 0, 0, 0, 0, 0, 0, 0, 0, 0, 36000};
  TrackPlan& plan = m.ProfileTable;
  plan.start();
  for (std::int32_t curve = 0; curve + 10000 <= kMaxRouteLength; curve += 10000) {
    plan.extend_straight(curve + 4999);
    plan.extend_curved(curve + 5499, curve / 10000 % 2 == 0 ? 0.001 : -0.001);
  }
  plan.extend_straight(m.ExtendedLength - 2);
  for (std::size_t i = 1; i + 3 < m.TrackArray.size(); ++i) {
    m.TrackArray[i].speedLimit = static_cast<std::uint8_t>(20 + i / 1000);
    m.TrackArray[i].gradient = static_cast<std::uint8_t>(100 + i % 7);
    m.TrackArray[i].adhesion = 90;
    if (i % 40 == 0) m.TrackArray[i].kind = 1;
  }
  m.ScenarioHeader[85].set1a = 610;
  m.ScenarioHeader[85].timeOfDay = codice_gara_st(m);
  m.TrackArray[1].value1 = 5121;
  m.TrackArray[1].value2 = codice_gara_og(m);
  return m;
}

TEST(PlotOfALongRoute, StaysBoundedInSize) {
  TempDir dir;
  {
    const ScenarioModel m = long_route();
    DirectoryFiles door(dir.str(), '/');
    write_compiled_files(m, door);
  }
  std::ostringstream out, err;
  EXPECT_EQ(run_inspect({dir.str()}, false, out, err), kExitOk) << out.str() << err.str();
  const fs::path svg = dir.path() / "long.svg";
  ASSERT_EQ(run_plot({(dir.path() / "LONG_T1.sim").string()}, svg.string(), err), kExitOk) << err.str();
  const std::string text = read_file(svg);
  EXPECT_LT(text.size(), 3u * 1024 * 1024);
  const auto track = text.find("class=\"track\" points=\"");
  ASSERT_NE(track, std::string::npos);
  const std::string points = text.substr(track, text.find('"', track + 22) - track);
  EXPECT_LE(std::count(points.begin(), points.end(), ','), 4100);
  EXPECT_EQ(run_command("xmllint --noout '" + svg.string() + "'"), 0);
}

}  // namespace
}  // namespace sb
