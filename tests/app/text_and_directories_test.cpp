// Text between people and the files, and the directories outputs go to:
// identifiers typed as UTF-8 are stored as cp1252, the author's cp1252 lines
// are quoted as UTF-8, and output directories are made when missing.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/exit_status.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

// Code points of UTF-8 text, or -1 where the bytes are not UTF-8.
long code_points(const std::string& s) {
  long n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return -1;
    for (std::size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return -1;
    }
    i += len;
  }
  return n;
}

class TextAndDirectories : public ::testing::Test {
 protected:
  // Runs the program with `args` in the temporary directory; stderr goes to err_text.
  int run(const std::string& args) {
    const fs::path err = dir.path() / "stderr.txt";
    const int status =
        run_command("cd '" + dir.str() + "' && '" SB_PROGRAM "' " + args + " 2>'" + err.string() + "' >/dev/null");
    err_text = read_file(err);
    return status;
  }
  void export_scenario() { ASSERT_EQ(run("export src"), kExitOk) << err_text; }
  std::string compile_embedded(const std::string& extra) {
    return "compile src/ORSEA_MONTELBA_linea.txt src/ORSEA_MONTELBA_RX17-.txt " + extra;
  }
  TempDir dir;
  std::string err_text;
};

TEST_F(TextAndDirectories, RouteTypedInUtf8IsStoredAsOneCp1252ByteAndNamesTheFilesInUtf8) {
  export_scenario();
  ASSERT_EQ(run(compile_embedded("--route 'CITTÀ' --train 'Ü9' -o out")), kExitOk) << err_text;
  for (const char* name : {"CITTÀ_linea.dat", "CITTÀ_Ü9.sim", "CITTÀ_Ü9.dat"}) {
    EXPECT_TRUE(fs::exists(dir.path() / "out" / fs::path(std::u8string(reinterpret_cast<const char8_t*>(name)))))
        << name;
  }
  const std::string header = read_file(dir.path() / "out" / fs::path(u8"CITTÀ_Ü9.sim"));
  EXPECT_NE(header.find("CITT\xC0"), std::string::npos);
  EXPECT_EQ(header.find("CITT\xC3\x80"), std::string::npos) << "UTF-8 bytes of the route stored";

  // inspect checks the check codes against the stored identifiers (status 1
  // when they differ) and shows the identifiers as UTF-8.
  ASSERT_EQ(run_command("cd '" + dir.str() + "' && '" SB_PROGRAM "' inspect --json out > inspect.json"), kExitOk);
  const std::string report = read_file(dir.path() / "inspect.json");
  EXPECT_NE(report.find("\"route_name\": \"CITTÀ\""), std::string::npos) << report;
  EXPECT_EQ(report.find("\xEF\xBF\xBD"), std::string::npos) << "U+FFFD in the report";
}

TEST_F(TextAndDirectories, IdentifiersCp1252CannotHoldAreRefusedBeforeAnythingIsWritten) {
  export_scenario();
  struct Case {
    std::string option, shown;
  } cases[] = {
      {"--route 'ŁÓDŹ'", "'Ł'"},
      {"--train '列车'", "'列'"},
      {"--route \"$(printf 'CITT\\300')\"", "not UTF-8"},  // a Latin-1 terminal's byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(compile_embedded(c.option + " -o refused")), kExitFailure) << c.option;
    EXPECT_NE(err_text.find(c.shown), std::string::npos) << err_text;
    EXPECT_FALSE(fs::exists(dir.path() / "refused")) << c.option;
  }
}

TEST_F(TextAndDirectories, DiagnosticQuotesTheCp1252LineAsUtf8WithTheCaretUnderTheField) {
  write_file(dir.path() / "line.txt", "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n[fine]\r\n");
  // A misspelt keyword after a station named CITTÀ on the same line.
  write_file(dir.path() / "service.txt",
             "[generale]\r\nvelocita, 0, 100\r\n[stazioni]\r\n"
             "stazione, 0, 2, 900, 0,1,0, 1,1,0, 4,1,1, 1, 14,13,0, CITT\xC0, stazone\r\n[fine]\r\n");
  EXPECT_EQ(run("compile line.txt service.txt --Werror -o out"), kExitRecordedError);
  ASSERT_GE(code_points(err_text), 0) << "not UTF-8: " << err_text;
  const std::string quoted = "    stazione, 0, 2, 900, 0,1,0, 1,1,0, 4,1,1, 1, 14,13,0, CITTÀ, stazone\n";
  const auto at = err_text.find(quoted);
  ASSERT_NE(at, std::string::npos) << err_text;
  const std::string caret_line =
      err_text.substr(at + quoted.size(), err_text.find('\n', at + quoted.size()) - at - quoted.size());
  // Under the 's' of "stazone", counted in characters as a terminal shows them.
  EXPECT_EQ(code_points(caret_line), code_points(quoted.substr(0, quoted.find("stazone"))) + 1) << err_text;
  EXPECT_EQ(caret_line.back(), '^');
}

TEST_F(TextAndDirectories, MissingOutputDirectoriesAreMadeWithTheirParents) {
  export_scenario();
  EXPECT_EQ(run("export new/a/b"), kExitOk) << err_text;
  EXPECT_TRUE(fs::exists(dir.path() / "new/a/b/ORSEA_MONTELBA_linea.txt"));
  EXPECT_EQ(run(compile_embedded("-o compiled/x/y")), kExitOk) << err_text;
  EXPECT_TRUE(fs::exists(dir.path() / "compiled/x/y/ORSEA_MONTELBA_RX17.sim"));
  EXPECT_EQ(run("plot compiled/x/y -o pictures/p/plan.svg"), kExitOk) << err_text;
  EXPECT_TRUE(fs::exists(dir.path() / "pictures/p/plan.svg"));
  EXPECT_EQ(run("run started/here"), kExitOk) << err_text;
  EXPECT_TRUE(fs::exists(dir.path() / "started/here/ORSEA_MONTELBA_linea.dat"));
}

TEST_F(TextAndDirectories, AFileWhereADirectoryIsNeededIsNamedWithStatus2) {
  export_scenario();
  ASSERT_EQ(run(compile_embedded("-o compiled")), kExitOk) << err_text;
  write_file(dir.path() / "taken", "x");
  const std::string commands[] = {
      "export taken/sub",
      compile_embedded("-o taken/sub"),
      "plot compiled -o taken/sub/plan.svg",
      "run taken",
  };
  for (const std::string& command : commands) {
    EXPECT_EQ(run(command), kExitFailure) << command;
    EXPECT_NE(err_text.find("taken: is not a directory"), std::string::npos) << command << ": " << err_text;
  }
  EXPECT_EQ(read_file(dir.path() / "taken"), "x");
}

TEST_F(TextAndDirectories, RunWritesTheStartUpRunsSixFilesIntoTheNamedDirectory) {
  ASSERT_EQ(run("run out"), kExitOk) << err_text;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path() / "out")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {"ORSEA_MONTELBA_RX17.dat",
                                             "ORSEA_MONTELBA_RX17.sim",
                                             "ORSEA_MONTELBA_RX17_note.txt",
                                             "ORSEA_MONTELBA_RX17_rallentamenti.txt",
                                             "ORSEA_MONTELBA_RX17_scheda_treno.txt",
                                             "ORSEA_MONTELBA_linea.dat"};
  EXPECT_EQ(names, expected);
  // The same bytes as the start-up run beside a copy of the program.
  fs::create_directories(dir.path() / "beside");
  fs::copy_file(SB_PROGRAM, dir.path() / "beside/scenario-builder");
  ASSERT_EQ(run_command("cd / && '" + (dir.path() / "beside/scenario-builder").string() + "' 2>/dev/null"), kExitOk);
  for (const std::string& name : expected)
    EXPECT_EQ(read_file(dir.path() / "out" / name), read_file(dir.path() / "beside" / name)) << name;
}

TEST_F(TextAndDirectories, VersionNamesThePlatform) {
  const fs::path out = dir.path() / "version.txt";
  ASSERT_EQ(run_command("'" SB_PROGRAM "' --version > '" + out.string() + "'"), kExitOk);
  EXPECT_NE(read_file(out).find("scenario-builder "), std::string::npos);
  EXPECT_NE(read_file(out).find("(Linux "), std::string::npos) << read_file(out);
}

TEST_F(TextAndDirectories, PlotLabelsEveryStationOfTheEmbeddedScenarioOnThePlan) {
  ASSERT_EQ(run("run scenario"), kExitOk) << err_text;
  ASSERT_EQ(run("plot scenario -o plan.svg"), kExitOk) << err_text;
  const std::string svg = read_file(dir.path() / "plan.svg");
  for (const char* name :
       {"ORSEA", "VALLEROSA", "CASALPIANO", "SAN LIBERO", "FONTEBRUNA", "ROCCAVIVA", "PRATOLUNGO", "MOLINETTO",
        "BORGOCERRO", "VALSCURA", "CERVARIA", "PIEVE ALTA", "SELVANERA", "MONTELBA BORGOVECCHIO"}) {
    EXPECT_NE(svg.find(std::string("class=\"label\">") + name + "</text>"), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace sb
