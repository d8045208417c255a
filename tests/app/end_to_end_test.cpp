// The program as a whole: the start-up run, `export` and `compile`.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>

#include "app/exit_status.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

std::int32_t le32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
  return static_cast<std::int32_t>(v);
}
std::int16_t le16(const std::string& b, std::size_t at) {
  return static_cast<std::int16_t>(static_cast<unsigned char>(b.at(at)) |
                                   (static_cast<unsigned char>(b.at(at + 1)) << 8));
}

const char* kCompiled[] = {"ORSEA_MONTELBA_linea.dat", "ORSEA_MONTELBA_RX17.sim", "ORSEA_MONTELBA_RX17.dat"};

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    program_dir = dir.path() / "prog";
    fs::create_directories(program_dir);
    fs::copy_file(SB_PROGRAM, program_dir / "scenario-builder");
  }
  // Runs the program with `args` from directory `cwd`; stderr goes to err_text.
  int run(const std::string& args, const fs::path& cwd) {
    const fs::path err = dir.path() / "stderr.txt";
    const int status = run_command("cd '" + cwd.string() + "' && '" + (program_dir / "scenario-builder").string() +
                                   "' " + args + " 2>'" + err.string() + "' >/dev/null");
    err_text = read_file(err);
    return status;
  }
  std::set<std::string> names_in(const fs::path& d) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(d)) names.insert(e.path().filename().string());
    return names;
  }
  TempDir dir;
  fs::path program_dir;
  std::string err_text;
};

TEST_F(Program, StartUpRunLeavesTheSixFilesWithTheirSizesAndCheckCodes) {
  ASSERT_EQ(run("", dir.path()), kExitOk) << err_text;
  const std::set<std::string> expected = {"scenario-builder",
                                          "ORSEA_MONTELBA_RX17_note.txt",
                                          "ORSEA_MONTELBA_RX17_rallentamenti.txt",
                                          "ORSEA_MONTELBA_RX17_scheda_treno.txt",
                                          "ORSEA_MONTELBA_linea.dat",
                                          "ORSEA_MONTELBA_RX17.sim",
                                          "ORSEA_MONTELBA_RX17.dat"};
  EXPECT_EQ(names_in(program_dir), expected);

  const std::string profile = read_file(program_dir / "ORSEA_MONTELBA_linea.dat");
  EXPECT_EQ(profile.size(), 1919964u);
  EXPECT_EQ(profile.substr(0, 10), std::string("\x02\0\0\0\x02\0\0\0\x05\0", 10));
  EXPECT_EQ(profile.substr(959982, 10), std::string("\x02\0\0\0\x02\0\x01\0\x05\0", 10));

  const std::string track = read_file(program_dir / "ORSEA_MONTELBA_RX17.dat");
  EXPECT_EQ(track.size(), 28815u);
  EXPECT_EQ(le16(track, 16), 5121);
  EXPECT_EQ(le16(track, 18), 2509);
  EXPECT_EQ(track[855], 1) << "the signal at 2800 m is cell 57";

  const std::string header = read_file(program_dir / "ORSEA_MONTELBA_RX17.sim");
  // Record 1 is the first station: 39 bytes at offset 34, area -450 .. 450.
  EXPECT_EQ(le32(header, 34 + 1), -450);
  EXPECT_EQ(le32(header, 34 + 5), 450);
  EXPECT_EQ(header.substr(34 + 16, 5), "ORSEA");
  // The last two records: entry 85 ends with the check code, entry 86 carries "RX17".
  const std::size_t record86 = header.size() - (34 + 4);
  EXPECT_EQ(header.substr(record86 + 16, 4), "RX17");
  EXPECT_EQ(le32(header, record86 - 4), 32786);
  EXPECT_EQ(le16(header, record86 - 18), 610);
}

TEST_F(Program, SecondRunInTheSameDirectoryGivesIdenticalFiles) {
  ASSERT_EQ(run("", dir.path()), kExitOk) << err_text;
  std::vector<std::string> first;
  for (const char* name : kCompiled) first.push_back(read_file(program_dir / name));
  // A longer stale file must not leave bytes behind.
  write_file(program_dir / "ORSEA_MONTELBA_RX17.dat", std::string(100000, 'x'));
  ASSERT_EQ(run("", dir.path()), kExitOk) << err_text;
  for (std::size_t i = 0; i < first.size(); ++i)
    EXPECT_EQ(read_file(program_dir / kCompiled[i]), first[i]) << kCompiled[i];
}

TEST_F(Program, ExportThenCompileGivesTheStartUpRunsBytes) {
  ASSERT_EQ(run("", dir.path()), kExitOk) << err_text;
  const fs::path authored = dir.path() / "authored";
  const fs::path out = dir.path() / "out";
  fs::create_directories(authored);
  fs::create_directories(out);
  ASSERT_EQ(run("export '" + authored.string() + "'", dir.path()), kExitOk) << err_text;
  const fs::path line = authored / "ORSEA_MONTELBA_linea.txt";
  const fs::path service = authored / "ORSEA_MONTELBA_RX17-.txt";
  const std::string line_bytes = read_file(line);
  ASSERT_EQ(run("compile '" + line.string() + "' '" + service.string() + "' -o '" + out.string() + "'", dir.path()),
            kExitOk)
      << err_text;
  for (const char* name : kCompiled) EXPECT_EQ(read_file(out / name), read_file(program_dir / name)) << name;
  EXPECT_EQ(read_file(line), line_bytes) << "compile never changes the author's files";
  EXPECT_TRUE(fs::exists(service));
}

TEST_F(Program, UnknownCommandIsAUsageErrorThatNamesIt) {
  EXPECT_EQ(run("bogus", dir.path()), kExitFailure);
  EXPECT_NE(err_text.find("bogus"), std::string::npos) << err_text;
  EXPECT_TRUE(names_in(program_dir) == std::set<std::string>{"scenario-builder"}) << "nothing written";
  EXPECT_EQ(run("--version", dir.path()), kExitOk);
}

TEST_F(Program, InspectAndPlotReadTheStartUpRunsFiles) {
  ASSERT_EQ(run("", dir.path()), kExitOk) << err_text;
  EXPECT_EQ(run("inspect '" + program_dir.string() + "'", dir.path()), kExitOk) << err_text;
  const fs::path svg = dir.path() / "scenario.svg";
  EXPECT_EQ(
      run("plot '" + (program_dir / "ORSEA_MONTELBA_RX17.sim").string() + "' -o '" + svg.string() + "'", dir.path()),
      kExitOk)
      << err_text;
  EXPECT_EQ(read_file(svg).rfind("<?xml", 0) == 0 || read_file(svg).rfind("<svg", 0) == 0, true);
  // A track file cut short is no valid scenario.
  const std::string track = read_file(program_dir / "ORSEA_MONTELBA_RX17.dat");
  write_file(program_dir / "ORSEA_MONTELBA_RX17.dat", track.substr(0, track.size() - 7));
  EXPECT_EQ(run("inspect '" + program_dir.string() + "'", dir.path()), kExitRecordedError);
}

class Compile : public Program {
 protected:
  // Compiles the given texts; the compiled files go to `out`.
  int compile(const std::string& line, const std::string& service, const std::string& extra = "") {
    write_file(dir.path() / "line.txt", line);
    write_file(dir.path() / "service.txt", service);
    out = dir.path() / "out";
    fs::create_directories(out);
    return run("compile line.txt service.txt -o out " + extra, dir.path());
  }
  fs::path out;
};

const char* kLine = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n";
const char* kService = "[generale]\r\nvelocita, 0, 100\r\n[fine]\r\n";

TEST_F(Compile, CleanPairExitsZeroAndWritesTheThreeFiles) {
  ASSERT_EQ(compile(kLine, kService), kExitOk) << err_text;
  EXPECT_TRUE(fs::exists(out / "ORSEA_MONTELBA_linea.dat"));
  EXPECT_TRUE(fs::exists(out / "ORSEA_MONTELBA_RX17.sim"));
  EXPECT_TRUE(fs::exists(out / "ORSEA_MONTELBA_RX17.dat"));
}

TEST_F(Compile, RecordedErrorIsPrintedWithItsPlaceAndStillWritesTheFiles) {
  const std::string line = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\npendenza, 99999, 3\r\n[fine]\r\n";
  EXPECT_EQ(compile(line, kService), kExitRecordedError);
  EXPECT_NE(err_text.find("line.txt:4:"), std::string::npos) << err_text;
  EXPECT_NE(err_text.find("error 15"), std::string::npos) << err_text;
  EXPECT_TRUE(fs::exists(out / "ORSEA_MONTELBA_RX17.dat"));
}

TEST_F(Compile, ReservedSlotTakenIsFatalAndWritesNothing) {
  const std::string service = "[generale]\r\nsegnale, 0, 1,4,1, 0, 0, 1, 3,1,0, 0\r\n[fine]\r\n";
  EXPECT_EQ(compile(kLine, service), kExitFatal);
  EXPECT_NE(err_text.find(" Errore n. 1250"), std::string::npos) << err_text;
  EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(Compile, NoRouteLengthIsReportedAndWritesNothing) {
  EXPECT_EQ(compile("[generale]\r\n[curve]\r\n[fine]\r\n", kService), kExitFailure);
  EXPECT_NE(err_text.find("route length"), std::string::npos) << err_text;
  EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(Compile, MissingInputIsAUsageFailure) {
  fs::create_directories(dir.path() / "out");
  EXPECT_EQ(run("compile nothing.txt nothing-either.txt -o out", dir.path()), kExitFailure);
  EXPECT_NE(err_text.find("nothing.txt"), std::string::npos) << err_text;
}

TEST_F(Compile, NoProfileWritesNoProfileFile) {
  ASSERT_EQ(compile(kLine, kService, "--no-profile"), kExitOk) << err_text;
  EXPECT_FALSE(fs::exists(out / "ORSEA_MONTELBA_linea.dat"));
  EXPECT_TRUE(fs::exists(out / "ORSEA_MONTELBA_RX17.sim"));
}

TEST_F(Compile, IdentifiersThatWouldLeaveTheOutputDirectoryAreRefused) {
  for (const char* args : {"--route ../escaped", "--train a/b", "--route 'C:x'"}) {
    EXPECT_EQ(compile(kLine, kService, args), kExitFailure) << args;
    EXPECT_NE(err_text.find("may not contain"), std::string::npos) << err_text;
    EXPECT_TRUE(fs::is_empty(out)) << args;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "escaped_linea.dat"));
}

TEST_F(Compile, IdentifiersNameTheFilesAndTheCheckCodes) {
  ASSERT_EQ(compile(kLine, kService, "--route LINEA_PROVA --train T9"), kExitOk) << err_text;
  const std::string track = read_file(out / "LINEA_PROVA_T9.dat");
  ASSERT_GT(track.size(), 20u);
  EXPECT_NE(le16(track, 18), 2509);
  EXPECT_TRUE(fs::exists(out / "LINEA_PROVA_linea.dat"));
}

}  // namespace
}  // namespace sb
