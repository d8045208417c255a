#include "app/run_sequence.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/exit_status.h"
#include "model/memory_files.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Records what the run showed and wrote, in order.
struct Journal {
  std::vector<std::string> events;
};

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Journal& j) : journal_(j) {}
  std::string program_directory() override { return "prog"; }
  char path_separator() const override { return '/'; }
  void show_wait_window() override { journal_.events.push_back("window"); }
  void message_box(const std::string& text) override { journal_.events.push_back("box:" + text); }
  void close_wait_window() override { journal_.events.push_back("close"); }

 private:
  Journal& journal_;
};

class JournalFiles : public MemoryFiles {
 public:
  explicit JournalFiles(Journal& j) : journal_(j) {}
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override {
    journal_.events.push_back("write:" + name);
    MemoryFiles::replace(name, fill);
  }

 private:
  Journal& journal_;
};

TEST(Errore, ShowsTheNumberAfterABlankAndEndsWithTheFatalStatus) {
  Journal journal;
  FakePlatform platform(journal);
  EXPECT_EQ(errore(platform, "1250"), kExitFatal);
  ASSERT_EQ(journal.events.size(), 1u);
  EXPECT_EQ(journal.events[0], "box: Errore n. 1250");
}

TEST(RunSequence, ShowsTheWindowThenWritesTheFiveDocumentsInOrder) {
  Journal journal;
  FakePlatform platform(journal);
  JournalFiles files(journal);
  ScenarioModel model;
  run_sequence(platform, files, model);
  ASSERT_GE(journal.events.size(), 6u);
  const std::vector<std::string> expected = {
      "window",
      "write:ORSEA_MONTELBA_linea.txt",
      "write:ORSEA_MONTELBA_RX17-.txt",
      "write:ORSEA_MONTELBA_RX17_note.txt",
      "write:ORSEA_MONTELBA_RX17_rallentamenti.txt",
      "write:ORSEA_MONTELBA_RX17_scheda_treno.txt",
  };
  EXPECT_EQ(std::vector<std::string>(journal.events.begin(), journal.events.begin() + 6), expected);
  EXPECT_EQ(journal.events.back(), "close");
  EXPECT_EQ(model.RouteName, "ORSEA_MONTELBA");
  EXPECT_EQ(model.TrainCode, "RX17");
}

// The program as a user starts it: a copy in a directory of its own.
class InstalledProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    program_dir = dir.path() / "prog";
    fs::create_directories(program_dir);
    fs::copy_file(SB_PROGRAM, program_dir / "scenario-builder");
  }
  int run_from(const fs::path& cwd, const std::string& stderr_file) {
    return testing::run_command("cd '" + cwd.string() + "' && '" + (program_dir / "scenario-builder").string() +
                                "' 2>'" + stderr_file + "' >/dev/null");
  }
  TempDir dir;
  fs::path program_dir;
};

TEST_F(InstalledProgram, WritesIntoItsOwnDirectoryWhateverTheWorkingDirectory) {
  const fs::path elsewhere = dir.path() / "elsewhere";
  fs::create_directories(elsewhere);
  run_from(elsewhere, (dir.path() / "err.txt").string());
  EXPECT_TRUE(fs::exists(program_dir / "ORSEA_MONTELBA_RX17_scheda_treno.txt"));
  EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(InstalledProgram, UnwritableDocumentEndsTheRunWithTheFileNamed) {
  // A directory where the first document should go: it cannot be replaced.
  fs::create_directories(program_dir / "ORSEA_MONTELBA_linea.txt");
  const fs::path err = dir.path() / "err.txt";
  EXPECT_EQ(run_from(dir.path(), err.string()), kExitFailure);
  EXPECT_NE(testing::read_file(err).find("ORSEA_MONTELBA_linea.txt"), std::string::npos) << testing::read_file(err);
  EXPECT_FALSE(fs::exists(program_dir / "ORSEA_MONTELBA_RX17-.txt"));
  EXPECT_FALSE(fs::exists(program_dir / "ORSEA_MONTELBA_RX17.sim"));
}

}  // namespace
}  // namespace sb
