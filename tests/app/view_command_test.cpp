// `view` on the files of the start-up run and on broken copies of them: the
// page's data is the same decoded form `inspect --json` prints, a faulty
// scenario still gets a page (status 1), unreadable input gets none (2).
#include "app/view_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/exit_status.h"
#include "app/inspect_command.h"
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

class ViewOfTheEmbeddedScenario : public ::testing::Test {
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

  static Json page_data(const fs::path& page) {
    const std::string text = read_file(page);
    const std::string open = "<script type=\"application/json\" id=\"scenario-data\">";
    const auto from = text.find(open);
    if (from == std::string::npos) return Json();
    const auto start = from + open.size();
    return Json::parse(text.substr(start, text.find("</script>", start) - start));
  }

  static TempDir* dir_;
  static int status_;
};
TempDir* ViewOfTheEmbeddedScenario::dir_ = nullptr;
int ViewOfTheEmbeddedScenario::status_ = -1;

TEST_F(ViewOfTheEmbeddedScenario, PageCarriesWhatInspectJsonPrints) {
  TempDir out;
  const fs::path page = out.path() / "view.html";
  std::ostringstream err;
  ASSERT_EQ(run_view({(files() / kHeader).string()}, page.string(), err), kExitOk) << err.str();
  const Json data = page_data(page);
  std::ostringstream json, ignored;
  ASSERT_EQ(run_inspect({files().string()}, true, json, ignored), kExitOk);
  Json inspected = Json::parse(json.str());
  inspected.erase("directory");
  inspected.erase("files");
  EXPECT_EQ(data["scenario"], inspected);
  EXPECT_EQ(data["title"], "ORSEA_MONTELBA / RX17");
  ASSERT_FALSE(data["plan_levels"].empty());
  // The route's 96 km with a point per metre become a few thousand points at most.
  EXPECT_LT(data["plan_levels"][0]["pieces"][0].size() / 3, 20000u);
  EXPECT_LT(fs::file_size(page), 2u * 1024 * 1024);
}

TEST_F(ViewOfTheEmbeddedScenario, BrokenInputGetsAPageWhenItCanBeDrawnAndNoneWhenItCannot) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> prepare;
    int status;
    bool page;
    const char* in_data;  // text the page's data must hold
  } cases[] = {
      {"unknown cell kind",
       [](const fs::path& d) {
         std::string b = read_file(d / kTrack);
         b[1500] = 9;
         write_file(d / kTrack, b);
       },
       kExitRecordedError, true, "cell 100 has unknown kind 9"},
      {"no profile file", [](const fs::path& d) { fs::remove(d / kProfile); }, kExitOk, true, "no profile file"},
      {"profile cut short",
       [](const fs::path& d) {
         std::string b = read_file(d / kProfile);
         b.resize(b.size() - 4);
         write_file(d / kProfile, b);
       },
       kExitRecordedError, true, "the file ends at y of metre 95999"},
      {"no track file", [](const fs::path& d) { fs::remove(d / kTrack); }, kExitFailure, false, nullptr},
      {"no scenario at all",
       [](const fs::path& d) {
         for (const char* n : {kProfile, kHeader, kTrack}) fs::remove(d / n);
       },
       kExitFailure, false, nullptr},
  };
  for (const Case& c : cases) {
    TempDir copy;
    for (const char* name : {kProfile, kHeader, kTrack}) fs::copy_file(files() / name, copy.path() / name);
    c.prepare(copy.path());
    const fs::path page = copy.path() / "page.html";
    std::ostringstream err;
    EXPECT_EQ(run_view({copy.str()}, page.string(), err), c.status) << c.what << ": " << err.str();
    EXPECT_EQ(fs::exists(page), c.page) << c.what;
    if (!c.page) {
      EXPECT_NE(err.str().find("scenario-builder view: "), std::string::npos) << c.what;
      continue;
    }
    EXPECT_NE(page_data(page).dump().find(c.in_data), std::string::npos) << c.what;
  }
}

TEST_F(ViewOfTheEmbeddedScenario, AMissingFolderIsMadeAFileInTheWayIsAFailureAndUsageIsChecked) {
  std::ostringstream err;
  EXPECT_EQ(run_view({files().string()}, (files() / "new" / "dir" / "page.html").string(), err), kExitOk) << err.str();
  EXPECT_TRUE(fs::is_regular_file(files() / "new" / "dir" / "page.html"));
  const fs::path in_the_way = files() / "a-file";
  std::ofstream(in_the_way) << "x";
  EXPECT_EQ(run_view({files().string()}, (in_the_way / "page.html").string(), err), kExitFailure);
  EXPECT_NE(err.str().find(in_the_way.string()), std::string::npos) << err.str();
  EXPECT_EQ(run_view({}, "x.html", err), kExitFailure);
  EXPECT_EQ(run_view({files().string()}, "", err), kExitFailure);
}

}  // namespace
}  // namespace sb
