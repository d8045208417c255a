// `decompile` and `diff` on the files of the start-up run: the way back to
// descriptions through the disk, damaged and invalid files, and the changes
// an author makes named by `diff`.
#include "app/decompile_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/commands.h"
#include "app/diff_command.h"
#include "app/exit_status.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

const char* const kLine = "ORSEA_MONTELBA_linea.txt";
const char* const kService = "ORSEA_MONTELBA_RX17-.txt";
const char* const kCompiled[] = {"ORSEA_MONTELBA_linea.dat", "ORSEA_MONTELBA_RX17.sim", "ORSEA_MONTELBA_RX17.dat"};

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result decompile(const fs::path& from, const fs::path& to) {
  std::ostringstream out, err;
  DecompileOptions o;
  o.paths = {from.string()};
  o.output_directory = to.string();
  const int status = run_decompile(o, out, err);
  return {status, out.str(), err.str()};
}

Result diff(const fs::path& a, const fs::path& b, bool json = false) {
  std::ostringstream out, err;
  const int status = run_diff(a.string(), b.string(), json, out, err);
  return {status, out.str(), err.str()};
}

int compile(const fs::path& descriptions, const fs::path& to) {
  std::ostringstream err;
  CompileOptions o;
  o.line_path = (descriptions / kLine).string();
  o.service_path = (descriptions / kService).string();
  o.output_directory = to.string();
  o.quiet = true;
  return run_compile(o, err);
}

class StartUpRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    fs::create_directory(run());
    fs::copy_file(SB_PROGRAM, run() / "scenario-builder");
    status_ = run_command("cd '" + run().string() + "' && ./scenario-builder >/dev/null 2>&1");
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(status_, 0) << "the start-up run failed"; }
  static fs::path run() { return dir_->path() / "run"; }
  // A fresh directory for one test.
  fs::path fresh(const std::string& name) {
    const fs::path p =
        dir_->path() / (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" + name);
    fs::create_directories(p);
    return p;
  }
  // A copy of the start-up run's compiled files.
  fs::path copy_of_run(const std::string& name) {
    const fs::path p = fresh(name);
    for (const char* f : kCompiled) fs::copy_file(run() / f, p / f);
    return p;
  }

 private:
  static TempDir* dir_;
  static int status_;
};
TempDir* StartUpRun::dir_ = nullptr;
int StartUpRun::status_ = -1;

TEST_F(StartUpRun, DecompiledDescriptionsCompileToTheSameFilesOnDisk) {
  const fs::path descriptions = fresh("descriptions");
  const Result r = decompile(run(), descriptions);
  EXPECT_EQ(r.status, kExitOk) << r.out << r.err;
  EXPECT_NE(r.out.find("same bytes"), std::string::npos) << r.out;
  const fs::path again = fresh("again");
  ASSERT_EQ(compile(descriptions, again), kExitOk);
  for (const char* f : kCompiled) EXPECT_EQ(read_file(again / f), read_file(run() / f)) << f;
}

// A value no description can produce: the descriptions are written all the
// same and the difference that remains is named.
TEST_F(StartUpRun, DamagedFileExitsOneAndListsTheDifference) {
  const fs::path damaged = copy_of_run("damaged");
  std::string track = read_file(damaged / kCompiled[2]);
  track[track.size() - 2] = 7;  // gradient of the last cell, which no fill reaches
  write_file(damaged / kCompiled[2], track);
  const fs::path descriptions = fresh("descriptions");
  const Result r = decompile(damaged, descriptions);
  EXPECT_EQ(r.status, kExitRecordedError) << r.out << r.err;
  EXPECT_NE(r.out.find("ORSEA_MONTELBA_RX17.dat: cell 1920: gradient: 7 in the files, 0 after recompiling"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(fs::exists(descriptions / kLine));
  EXPECT_TRUE(fs::exists(descriptions / kService));
}

// A plan point no step explains: the plan is read through a small buffer,
// and still the metre where it stops being describable is named.
TEST_F(StartUpRun, DamagedPlanNamesTheFirstMetreThatDiffers) {
  const fs::path damaged = copy_of_run("damaged");
  std::string profile = read_file(damaged / kCompiled[0]);
  profile[8 + 10 * (5000 - 2) + 2] ^= 1;  // lowest bit of x at metre 5000
  write_file(damaged / kCompiled[0], profile);
  const Result r = decompile(damaged, fresh("descriptions"));
  EXPECT_EQ(r.status, kExitRecordedError) << r.out << r.err;
  EXPECT_NE(r.out.find("ORSEA_MONTELBA_linea.dat: metre"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(": x: "), std::string::npos) << r.out;

  // A bit of a float is well under a millimetre: only the broken step is named.
  const Result d = diff(run(), damaged);
  EXPECT_EQ(d.status, kExitRecordedError);
  EXPECT_EQ(d.out, "plan: metre 5000 of B follows no straight or curved step: changed\n");
}

// Files that are not valid get inspect's findings and nothing is written.
TEST_F(StartUpRun, InvalidFilesExitTwoAndWriteNothing) {
  const fs::path invalid = copy_of_run("invalid");
  std::string header = read_file(invalid / kCompiled[1]);
  header.resize(header.size() - 3);
  write_file(invalid / kCompiled[1], header);
  const fs::path descriptions = fresh("descriptions");
  const Result r = decompile(invalid, descriptions);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("ORSEA_MONTELBA_RX17.sim: offset "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("NOT valid"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_empty(descriptions));

  EXPECT_EQ(decompile(fresh("nothing"), descriptions).status, kExitFailure);
  EXPECT_EQ(diff(run(), invalid).status, kExitFailure);
  EXPECT_EQ(diff(fresh("empty"), run()).status, kExitFailure);
}

TEST_F(StartUpRun, DiffOfEqualScenariosPrintsNothing) {
  const Result r = diff(run(), copy_of_run("copy"));
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The loop of an author: decompile, edit, compile, diff against the start.
TEST_F(StartUpRun, DiffNamesEachEditOfTheDescriptions) {
  const fs::path descriptions = fresh("descriptions");
  ASSERT_EQ(decompile(run(), descriptions).status, kExitOk);
  std::string service = read_file(descriptions / kService);
  service = replaced(service, "segnale,   2800,", "segnale,   2850,");
  service = replaced(service, "VALLEROSA", "VALLE ROSA");
  service = replaced(service, "velocita,   2000,  150", "velocita,   2000,  160");
  write_file(descriptions / kService, service);
  write_file(descriptions / kLine, replaced(read_file(descriptions / kLine), "curvad4,  12900", "curvad5,  12900"));
  const fs::path edited = fresh("edited");
  ASSERT_EQ(compile(descriptions, edited), kExitOk);

  const Result r = diff(run(), edited);
  EXPECT_EQ(r.status, kExitRecordedError);
  for (const char* expected :
       {"track: signal at 2800 m: moved: position 2800 m -> 2850 m",
        "station: station VALLEROSA at 4500 m: changed: name \"VALLEROSA\" -> \"VALLE ROSA\"",
        "profile: speed limit 2000 .. 18350 m: changed: speed limit 150 km/h -> 160 km/h",
        "curve: curve at 12900 m: changed: class 4 -> 5", "plan: the tracks part by more than 1 mm from metre 12901"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }

  const Result j = diff(run(), edited, true);
  EXPECT_EQ(j.status, kExitRecordedError);
  const auto doc = nlohmann::json::parse(j.out);
  EXPECT_FALSE(doc["equal"].get<bool>());
  EXPECT_EQ(doc["changes"].size(), 5u) << j.out;
}

}  // namespace
}  // namespace sb
