// What `compile` tells an author: errors and warnings at their place in the
// description, with the line quoted and a caret under the field.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/commands.h"
#include "app/exit_status.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

const std::string kGeneral = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n";
const std::string kService = "[generale]\r\nvelocita, 0, 100\r\n[fine]\r\n";

struct Compiled {
  int status = 0;
  std::string messages;
  std::string track;
};

class Diagnostics : public ::testing::Test {
 protected:
  Compiled compile(const std::string& line, const std::string& service, bool werror = false, bool quiet = false) {
    write_file(dir.path() / "line.txt", line);
    write_file(dir.path() / "service.txt", service);
    const fs::path out = dir.path() / ("out" + std::to_string(runs++));
    fs::create_directories(out);
    CompileOptions options;
    options.line_path = (dir.path() / "line.txt").string();
    options.service_path = (dir.path() / "service.txt").string();
    options.output_directory = out.string();
    options.warnings_are_errors = werror;
    options.quiet = quiet;
    std::ostringstream err;
    Compiled c;
    c.status = run_compile(options, err);
    c.messages = err.str();
    c.track = read_file(out / "ORSEA_MONTELBA_RX17.dat");
    return c;
  }
  TempDir dir;
  int runs = 0;
};

TEST_F(Diagnostics, ErrorNamesFileLineAndColumnAndPutsACaretUnderTheField) {
  const Compiled c = compile(kGeneral + "pendenza, 0, 0\r\npendenza,  99990,  7\r\n[fine]\r\n", kService);
  EXPECT_EQ(c.status, kExitRecordedError);
  const std::string expected = (dir.path() / "line.txt").string() +
                               ":5:12: error 15: position is not on the track\n"
                               "    pendenza,  99990,  7\n"
                               "               ^\n";
  EXPECT_EQ(c.messages, expected);
}

TEST_F(Diagnostics, ReadFailureIsReportedAtTheFieldThatFailed) {
  struct Case {
    std::string service, expected;
  } cases[] = {
      {"[generale]\r\nvelocita, 0, 1x0\r\n[fine]\r\n",
       ":2:14: error 25: the description could not be read (not a number: '1x0')"},
      // A station kind of 300 does not fit its byte.
      {"[generale]\r\nstazione, 0, 300, 900, 0,1,0, 1,1,0, 4,1,1, 1, 14,13,0, ORSEA\r\n[fine]\r\n",
       ":2:14: error 25: the description could not be read (value 300 does not fit a byte)"},
  };
  for (const Case& c : cases) {
    const Compiled compiled = compile(kGeneral + "[fine]\r\n", c.service);
    EXPECT_EQ(compiled.status, kExitRecordedError);
    EXPECT_NE(compiled.messages.find("service.txt" + c.expected), std::string::npos) << compiled.messages;
  }
}

TEST_F(Diagnostics, MisspeltKeywordsAreWarnedWithASuggestionAndChangeNoByte) {
  struct Case {
    std::string line, service, suggestion;
  } cases[] = {
      {"[generale]\r\nlunghezza percoso, 10000\r\nlunghezza percorso, 10000\r\n[curve]\r\n[fine]\r\n", kService,
       "did you mean 'lunghezza percorso'?"},
      {kGeneral + "pendnza, 1000, 5\r\n[fine]\r\n", kService, "did you mean 'pendenza'?"},
      {kGeneral + "[fine]\r\n",
       "[generale]\r\nvelocita, 0, 100\r\nsegnal, 2800, 1,4,1, 0, 0, 1, 3,1,0, 0\r\n[fine]\r\n",
       "did you mean 'segnale'?"},
  };
  for (const Case& k : cases) {
    const Compiled plain = compile(k.line, k.service);
    EXPECT_EQ(plain.status, kExitOk) << plain.messages;
    EXPECT_NE(plain.messages.find("warning: "), std::string::npos) << plain.messages;
    EXPECT_NE(plain.messages.find(k.suggestion), std::string::npos) << plain.messages;
    const Compiled strict = compile(k.line, k.service, /*werror=*/true);
    EXPECT_EQ(strict.status, kExitRecordedError) << k.suggestion;
    const Compiled quiet = compile(k.line, k.service, false, /*quiet=*/true);
    EXPECT_EQ(quiet.messages, "");
    EXPECT_EQ(strict.track, plain.track);
    EXPECT_EQ(quiet.track, plain.track);
  }
}

TEST_F(Diagnostics, FeaturesOutOfOrderAreWarned) {
  const Compiled gradients = compile(kGeneral + "pendenza, 3000, 5\r\npendenza, 1000, 2\r\n[fine]\r\n", kService);
  EXPECT_NE(gradients.messages.find("line.txt:5:11: warning: gradient at 1000 m stands after one at 3000 m"),
            std::string::npos)
      << gradients.messages;
  const Compiled curves = compile(kGeneral + "curvas1, 3000, 500\r\ncurvad2, 1000, 200\r\n[fine]\r\n", kService);
  EXPECT_NE(curves.messages.find("warning: curve at 1000 m starts before the plan's end"), std::string::npos)
      << curves.messages;
  const std::string stations =
      "[generale]\r\n"
      "stazione, 5000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 14,0,0, A\r\n"
      "stazione, 2000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 14,5,0, B\r\n[fine]\r\n";
  const Compiled st = compile(kGeneral + "[fine]\r\n", stations);
  EXPECT_NE(st.messages.find("warning: station at 2000 m stands after the station at 5000 m"), std::string::npos)
      << st.messages;
}

TEST_F(Diagnostics, CleanDescriptionsSayNothing) {
  const Compiled c =
      compile(kGeneral + "pendenza, 0, 0\r\n[pendenze]\r\n[montagne]\r\n[fine]\r\n",
              "[generale]\r\n[aderenze]\r\n[vel_limite]\r\nvelocita, 0, 100\r\n[stazioni]\r\n[segnali]\r\n[fine]\r\n");
  EXPECT_EQ(c.status, kExitOk);
  EXPECT_EQ(c.messages, "");
}

}  // namespace
}  // namespace sb
